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
