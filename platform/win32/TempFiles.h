// Temporary folder and temporary file names, and deleting files.
#pragma once

#include "platform/win32/wintypes.h"

// The folder for temporary files ($TMPDIR, else /tmp) with a trailing "/".
// Returns the length written, or the size needed (terminator included) when
// the buffer is too small; 0 on failure.
DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer);

// Builds path + "/" + up to three characters of the prefix + a hexadecimal
// number + ".tmp". With uUnique 0 it picks an unused number and creates the
// empty file; otherwise it only builds the name. Returns the number used, 0 on
// failure. The buffer holds at least MAX_PATH characters.
UINT GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique, LPSTR lpTempFileName);

BOOL DeleteFileA(LPCSTR lpFileName);
