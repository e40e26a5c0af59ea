// Ending running processes by the base name of their executable.
#pragma once

#include "platform/win32/wintypes.h"

// Loads the process-status library and fills its three entry points; null on
// a system outside the NT family or when an entry point is missing.
HMODULE LoadPsapi();

// Ends the process when its base name begins with name, ignoring case.
void TerminateProcessIfNamed(DWORD processId, const char* name);

// Ends every process whose base name begins with name; returns 0.
int TerminateProcessesByName(const char* name);
