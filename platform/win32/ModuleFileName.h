// Loaded modules: their handles by name and their file names.
#pragma once

#include "platform/win32/wintypes.h"

// The handle of a loaded module (the program's shared objects) whose file
// name, folders left aside, equals the name ignoring case; null when no
// such module is loaded. The handle is the module's load address and is
// not counted: nothing is to be freed.
HMODULE GetModuleHandleA(LPCSTR lpModuleName);

// The full path of a module from GetModuleHandleA; with a null module, that
// of the running program's executable. Cut to nSize - 1 characters when the
// buffer is short; returns the length written, nSize when cut, 0 on failure.
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
