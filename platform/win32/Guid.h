// Fresh GUIDs and their registry-format text as wide characters.
#pragma once

#include "platform/win32/wintypes.h"

// A random (version 4) GUID.
HRESULT CoCreateGuid(GUID* pguid);

// Writes "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case; returns the
// characters written, terminator included (39), or 0 when cchMax is short.
int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax);
