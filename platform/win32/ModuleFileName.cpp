#include "platform/win32/ModuleFileName.h"

#include <climits>
#include <cstring>
#include <unistd.h>

DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize)
{
    if (hModule || !lpFilename || nSize == 0)
        return 0;
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return 0;
    if (DWORD(length) >= nSize) {
        std::memcpy(lpFilename, path, nSize - 1);
        lpFilename[nSize - 1] = '\0';
        return nSize;
    }
    std::memcpy(lpFilename, path, size_t(length));
    lpFilename[length] = '\0';
    return DWORD(length);
}
