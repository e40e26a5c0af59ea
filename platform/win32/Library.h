// Loading libraries by name and looking up their entry points. The libraries
// known here are built in: "PSAPI.DLL" (any letter case) with its process calls.
#pragma once

#include "platform/win32/wintypes.h"

HMODULE LoadLibraryA(LPCSTR lpLibFileName);
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL FreeLibrary(HMODULE hLibModule);
