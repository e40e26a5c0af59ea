// Fresh GUIDs, their registry-format text, and wide to 8-bit text.
#pragma once

#include "platform/win32/wintypes.h"

// A random (version 4) GUID.
HRESULT CoCreateGuid(GUID* pguid);

// Writes "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case; returns the
// characters written, terminator included (39), or 0 when cchMax is short.
int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax);

// UTF-16 to UTF-8 (the ANSI code page here). cchWideChar -1 converts up to and
// including the terminator. cbMultiByte 0 asks for the size needed. Returns
// the bytes written, 0 on failure or a short buffer.
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar);
