// Where the program's settings live: the registry key
// HKEY_CURRENT_USER\software\<company>\<application>\<section> when a company
// name is set, else the INI file named by the application name.
#pragma once

#include "platform/win32/CString.h"
#include "platform/win32/registry/Registry.h"

#include <string>

class CSettingsStore {
public:
    CSettingsStore() = default;
    ~CSettingsStore();
    CSettingsStore(const CSettingsStore&) = delete;
    CSettingsStore& operator=(const CSettingsStore&) = delete;

    // Either may be null.
    void SetStoreNames(const char* company, const char* application);
    // The file the values live in: the registry's, or the INI file's name.
    std::string FileName() const;

    // Null when a step fails; the caller closes the key.
    HKEY OpenAppKey();
    HKEY OpenSectionKey(const char* section);

    // Non-zero on success.
    BOOL WriteInt(const char* section, const char* key, int value);
    BOOL WriteString(const char* section, const char* key, const char* value);

    // A registry value counts only when it is a REG_DWORD of 4 bytes.
    int ReadInt(const char* section, const char* key, int defaultValue);
    // Read whole from the registry, cut to 4095 characters from an INI file.
    CString ReadString(const char* section, const char* key, const char* defaultValue);

private:
    char* m_pszCompanyName = nullptr;
    char* m_pszAppName = nullptr;
};
