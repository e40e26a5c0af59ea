// The system's version record.
#pragma once

#include "platform/win32/wintypes.h"

// Reports a Windows NT-family system (5.1, build 2600). Fails unless
// dwOSVersionInfoSize is sizeof(OSVERSIONINFOA).
BOOL GetVersionExA(OSVERSIONINFOA* lpVersionInformation);
