// Folders and file attributes.
#pragma once

#include "platform/win32/wintypes.h"

// Creates one folder; fails when it exists or its parent is missing.
BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);

// Removes one empty folder.
BOOL RemoveDirectoryA(LPCSTR lpPathName);

// FILE_ATTRIBUTE_DIRECTORY for a folder, FILE_ATTRIBUTE_ARCHIVE (plus
// FILE_ATTRIBUTE_READONLY when it cannot be written) for a file,
// INVALID_FILE_ATTRIBUTES when nothing is there.
DWORD GetFileAttributesA(LPCSTR lpFileName);

#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

// Here the one root is "/" (a path of nothing but slashes),
// and null names the current folder's root: both DRIVE_FIXED. Any other path
// is not a root: DRIVE_NO_ROOT_DIR.
UINT GetDriveTypeA(LPCSTR lpRootPathName);
