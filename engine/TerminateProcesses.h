// Ending running processes by the base name of their executable.
#pragma once

#include "platform/win32/wintypes.h"

// Loads the process-status library and fills its three entry points; null on
// a system outside the NT family or when an entry point is missing.
HMODULE LoadPsapi();

// Ends the process when its base name is name, ignoring case.
void TerminateProcessIfNamed(DWORD processId, const char* name);

// Ends every process whose base name is name, ignoring case, however many
// processes run; returns 0.
int TerminateProcessesByName(const char* name);
