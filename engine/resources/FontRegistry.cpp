#include "engine/resources/FontRegistry.h"

#include "platform/win32/Version.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

HKEY g_walkKey = nullptr;
DWORD g_walkIndex = 0;

struct VersionName {
    int code;
    const char* name;
};

const VersionName versionNames[] = {
    {1, "Windows 95"},     {2, "Windows 95 SP1"}, {3, "Windows 95 OSR2"}, {4, "Windows 98"},
    {5, "Windows 98 SP1"}, {6, "Windows 98 SE"},  {7, "Windows ME"},      {101, "Windows NT 3.51"},
    {102, "Windows NT 4"}, {103, "Windows 2000"}, {104, "Windows XP"},    {201, "Windows CE"},
};

int Windows95FamilyCode(DWORD major, DWORD minor, DWORD build)
{
    if (major != 4)
        return 104;
    if (minor < 10) {
        if (build == 950)
            return 1;
        if (build >= 951 && build <= 1080)
            return 2;
        return build > 1080 ? 3 : 104;
    }
    if (minor == 10) {
        if (build == 1998)
            return 4;
        if (build >= 1999 && build <= 2182)
            return 5;
        return build >= 2183 ? 6 : 104;
    }
    return minor == 90 ? 7 : 104;
}

int NtCode(DWORD major, DWORD minor)
{
    if (major == 3 && minor == 51)
        return 101;
    if (major == 4 && minor == 0)
        return 102;
    if (major == 5 && minor == 0)
        return 103;
    return 104;
}

void CopyCut(char* to, int size, const char* from)
{
    if (size <= 0)
        return;
    std::snprintf(to, size_t(size), "%s", from);
}

void CloseWalkKey()
{
    if (g_walkKey)
        RegCloseKey(g_walkKey);
    g_walkKey = nullptr;
}

// Reads the value at the walk's index, stepping over those that do not fit.
LONG ReadValueAtIndex(char* valueName, char* valueData)
{
    for (;; ++g_walkIndex) {
        char name[kRegistryTextSize], data[kRegistryTextSize];
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1;
        LONG status = RegEnumValueA(g_walkKey, g_walkIndex, name, &nameSize, nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(data), &dataSize);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return status;
        data[dataSize] = '\0';
        std::memcpy(valueName, name, sizeof name);
        std::memcpy(valueData, data, sizeof data);
        return ERROR_SUCCESS;
    }
}

} // namespace

int WindowsVersionCode(const OSVERSIONINFOA& version)
{
    const DWORD build = version.dwBuildNumber & 0xFFFF;
    switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
        return Windows95FamilyCode(version.dwMajorVersion, version.dwMinorVersion, build);
    case VER_PLATFORM_WIN32_NT:
        return NtCode(version.dwMajorVersion, version.dwMinorVersion);
    case 3: // VER_PLATFORM_WIN32_CE
        return 201;
    default:
        return 104;
    }
}

int GetWindowsVersionName(char* name, int size, int* code)
{
    if (code)
        *code = 104;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version))
        return 0;
    int found = WindowsVersionCode(version);
    if (code)
        *code = found;
    if (name)
        for (const VersionName& entry : versionNames)
            if (entry.code == found)
                CopyCut(name, size, entry.name);
    return 1;
}

LONG NextRegistryValue(HKEY root, const char* subKey, char* valueName, char* valueData)
{
    const bool opens = subKey && *subKey;
    if (!opens && !valueName && !valueData) {
        CloseWalkKey();
        return ERROR_SUCCESS;
    }
    if (opens) {
        CloseWalkKey();
        LONG status = RegOpenKeyExA(root, subKey, 0, KEY_READ, &g_walkKey);
        if (status != ERROR_SUCCESS) {
            g_walkKey = nullptr;
            return status;
        }
        g_walkIndex = 0;
    } else {
        ++g_walkIndex;
    }
    if (!g_walkKey || !valueName || !valueData)
        return ERROR_INVALID_PARAMETER;
    return ReadValueAtIndex(valueName, valueData);
}

int LookupFontFileInRegistry(const char* face, char* valueName, int valueNameSize, char* fileName, int fileNameSize)
{
    if (!face || !*face || !valueName || !fileName)
        return 0;
    CopyCut(valueName, valueNameSize, "");
    CopyCut(fileName, fileNameSize, "");
    char versionName[100];
    int code = 104;
    GetWindowsVersionName(versionName, sizeof versionName, &code);
    const char* key = code >= 101 && code <= 199 ? "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"
                                                 : "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";
    const size_t faceLength = std::strlen(face);
    char name[kRegistryTextSize], data[kRegistryTextSize];
    int found = 0;
    LONG status = NextRegistryValue(HKEY_LOCAL_MACHINE, key, name, data);
    while (status == ERROR_SUCCESS && !found) {
        if (strncasecmp(name, face, faceLength) == 0) {
            CopyCut(valueName, valueNameSize, name);
            CopyCut(fileName, fileNameSize, data);
            found = 1;
        } else {
            status = NextRegistryValue(HKEY_LOCAL_MACHINE, nullptr, name, data);
        }
    }
    NextRegistryValue(nullptr, nullptr, nullptr, nullptr);
    return found;
}
