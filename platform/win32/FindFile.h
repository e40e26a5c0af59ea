// Listing the entries that match a name or a wildcard pattern.
#pragma once

#include "platform/win32/wintypes.h"

// An entry reached through a symbolic link carries the attributes of what
// the link points at, plus FILE_ATTRIBUTE_REPARSE_POINT.
//
// The pattern is a folder path and a last component that may hold "*" and
// "?", matched ignoring case; "*.*" matches every name. A pattern ending in "/" finds nothing, as a
// trailing backslash finds nothing on Windows. Returns INVALID_HANDLE_VALUE
// when nothing matches; close a search with FindClose.
HANDLE FindFirstFileA(LPCSTR lpFileName, WIN32_FIND_DATAA* lpFindFileData);
BOOL FindNextFileA(HANDLE hFindFile, WIN32_FIND_DATAA* lpFindFileData);
BOOL FindClose(HANDLE hFindFile);
