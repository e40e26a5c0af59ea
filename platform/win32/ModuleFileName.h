// The file name of a loaded module.
#pragma once

#include "platform/win32/wintypes.h"

// With a null module: the full path of the running program's executable.
// Cut to nSize - 1 characters when the buffer is short; returns the length
// written, nSize when cut, 0 on failure.
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
