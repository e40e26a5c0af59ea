#include "frontend/SettingsStore.h"

#include "platform/win32/registry/ProfileStrings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE
const REGSAM kSettingsAccess = 0x2001F;

char* Duplicate(const char* text)
{
    return text ? strdup(text) : nullptr;
}

HKEY CreateKey(HKEY parent, const char* name)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, kSettingsAccess, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

} // namespace

CSettingsStore::~CSettingsStore()
{
    free(m_pszCompanyName);
    free(m_pszAppName);
}

void CSettingsStore::SetStoreNames(const char* company, const char* application)
{
    char* newCompany = Duplicate(company);
    char* newApp = Duplicate(application);
    free(m_pszCompanyName);
    free(m_pszAppName);
    m_pszCompanyName = newCompany;
    m_pszAppName = newApp;
}

std::string CSettingsStore::FileName() const
{
    if (m_pszCompanyName)
        return UserRegistryPath();
    return m_pszAppName ? m_pszAppName : "";
}

HKEY CSettingsStore::OpenAppKey()
{
    if (!m_pszCompanyName || !m_pszAppName)
        return nullptr;
    HKEY software = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "software", 0, kSettingsAccess, &software) != ERROR_SUCCESS) {
        // A first start on an empty registry: "software" is created too.
        software = CreateKey(HKEY_CURRENT_USER, "software");
        if (!software)
            return nullptr;
    }
    HKEY company = CreateKey(software, m_pszCompanyName);
    HKEY app = company ? CreateKey(company, m_pszAppName) : nullptr;
    if (company)
        RegCloseKey(company);
    RegCloseKey(software);
    return app;
}

HKEY CSettingsStore::OpenSectionKey(const char* section)
{
    HKEY app = OpenAppKey();
    if (!app)
        return nullptr;
    HKEY key = CreateKey(app, section);
    RegCloseKey(app);
    return key;
}

BOOL CSettingsStore::WriteInt(const char* section, const char* key, int value)
{
    if (!m_pszCompanyName) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", value);
        return WritePrivateProfileStringA(section, key, text, m_pszAppName);
    }
    HKEY sectionKey = OpenSectionKey(section);
    if (!sectionKey)
        return FALSE;
    DWORD data = DWORD(value);
    LONG status = RegSetValueExA(sectionKey, key, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    RegCloseKey(sectionKey);
    return status == ERROR_SUCCESS;
}

BOOL CSettingsStore::WriteString(const char* section, const char* key, const char* value)
{
    if (!m_pszCompanyName)
        return WritePrivateProfileStringA(section, key, value, m_pszAppName);
    HKEY sectionKey = OpenSectionKey(section);
    if (!sectionKey || !value) {
        if (sectionKey)
            RegCloseKey(sectionKey);
        return FALSE;
    }
    LONG status = RegSetValueExA(sectionKey, key, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                 DWORD(std::strlen(value) + 1));
    RegCloseKey(sectionKey);
    return status == ERROR_SUCCESS;
}

int CSettingsStore::ReadInt(const char* section, const char* key, int defaultValue)
{
    if (!m_pszCompanyName)
        return int(GetPrivateProfileIntA(section, key, defaultValue, m_pszAppName));
    HKEY sectionKey = OpenSectionKey(section);
    if (!sectionKey)
        return defaultValue;
    DWORD type = 0, data = 0, size = sizeof data;
    LONG status = RegQueryValueExA(sectionKey, key, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(sectionKey);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data)
        return defaultValue;
    return int(data);
}

CString CSettingsStore::ReadString(const char* section, const char* key, const char* defaultValue)
{
    if (!m_pszCompanyName) {
        char text[4096];
        GetPrivateProfileStringA(section, key, defaultValue, text, sizeof text, m_pszAppName);
        return CString(text);
    }
    HKEY sectionKey = OpenSectionKey(section);
    if (!sectionKey)
        return CString(defaultValue);
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExA(sectionKey, key, nullptr, &type, nullptr, &size);
    std::string data;
    if (status == ERROR_SUCCESS) {
        data.assign(size, '\0');
        status = RegQueryValueExA(sectionKey, key, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    }
    RegCloseKey(sectionKey);
    if (status != ERROR_SUCCESS)
        return CString(defaultValue);
    // The text ends at its first NUL, or with its data when it has none.
    data.resize(std::min<size_t>(size, data.size()));
    return CString(data.c_str());
}
