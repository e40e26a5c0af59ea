#include "platform/win32/TempFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <unistd.h>

DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer)
{
    const char* dir = std::getenv("TMPDIR");
    std::string path = (dir && *dir) ? dir : "/tmp";
    if (path.back() != '/')
        path += '/';
    if (path.size() + 1 > nBufferLength || !lpBuffer)
        return DWORD(path.size() + 1);
    std::memcpy(lpBuffer, path.c_str(), path.size() + 1);
    return DWORD(path.size());
}

static std::string TempFileName(const char* path, const char* prefix, unsigned number)
{
    std::string name = path;
    if (!name.empty() && name.back() != '/')
        name += '/';
    name.append(prefix ? prefix : "", prefix ? strnlen(prefix, 3) : 0);
    char digits[8];
    std::snprintf(digits, sizeof digits, "%X", number & 0xFFFF);
    return name + digits + ".tmp";
}

static bool CopyName(const std::string& name, LPSTR out)
{
    if (name.size() >= MAX_PATH)
        return false;
    std::memcpy(out, name.c_str(), name.size() + 1);
    return true;
}

// Numbers run from a start that differs between processes and calls, skipping
// 0 and every name that exists, until one file is created.
static unsigned NextStart()
{
    static unsigned counter = 0;
    return unsigned(getpid()) * 2654435761u + unsigned(std::time(nullptr)) + ++counter * 40503u;
}

UINT GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique, LPSTR lpTempFileName)
{
    if (!lpPathName || !lpTempFileName)
        return 0;
    if (uUnique != 0) {
        uUnique &= 0xFFFF;
        return CopyName(TempFileName(lpPathName, lpPrefixString, uUnique), lpTempFileName) ? uUnique : 0;
    }
    unsigned number = NextStart() % 0xFFFF + 1;
    for (unsigned tries = 0; tries < 0xFFFF; ++tries, number = number % 0xFFFF + 1) {
        std::string name = TempFileName(lpPathName, lpPrefixString, number);
        if (name.size() >= MAX_PATH)
            return 0;
        int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) {
            close(fd);
            CopyName(name, lpTempFileName);
            return number;
        }
        if (errno != EEXIST)
            return 0;
    }
    return 0;
}

BOOL DeleteFileA(LPCSTR lpFileName)
{
    return lpFileName && unlink(lpFileName) == 0;
}
