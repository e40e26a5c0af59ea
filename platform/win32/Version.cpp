#include "platform/win32/Version.h"

#include <cstring>

BOOL GetVersionExA(OSVERSIONINFOA* lpVersionInformation)
{
    if (!lpVersionInformation || lpVersionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
        return FALSE;
    lpVersionInformation->dwMajorVersion = 5;
    lpVersionInformation->dwMinorVersion = 1;
    lpVersionInformation->dwBuildNumber = 2600;
    lpVersionInformation->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::memset(lpVersionInformation->szCSDVersion, 0, sizeof lpVersionInformation->szCSDVersion);
    return TRUE;
}
