#include "platform/win32/Folders.h"

#include <sys/stat.h>
#include <unistd.h>

BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES)
{
    return lpPathName && *lpPathName && mkdir(lpPathName, 0777) == 0;
}

BOOL RemoveDirectoryA(LPCSTR lpPathName)
{
    return lpPathName && rmdir(lpPathName) == 0;
}

DWORD GetFileAttributesA(LPCSTR lpFileName)
{
    struct stat st;
    if (!lpFileName || stat(lpFileName, &st) != 0)
        return INVALID_FILE_ATTRIBUTES;
    if (S_ISDIR(st.st_mode))
        return FILE_ATTRIBUTE_DIRECTORY;
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    if (access(lpFileName, W_OK) != 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

UINT GetDriveTypeA(LPCSTR lpRootPathName)
{
    if (!lpRootPathName)
        return DRIVE_FIXED;
    const char* p = lpRootPathName;
    while (*p == '/')
        ++p;
    return p != lpRootPathName && *p == 0 ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
}
