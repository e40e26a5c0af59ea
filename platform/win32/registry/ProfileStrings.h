// INI files: sections "[name]" holding "key=value" lines. Section and key
// names compare ignoring ASCII letter case; other lines are kept as they are.
// A file name without a folder lives in the per-user folder of this program.
// Files are read and rewritten through the shared-file guard (locked, a new
// file renamed into place, mode 0600 for a new file). A file holding NUL
// bytes, or one that cannot be read, is not an INI file: reads give the
// defaults and writes leave it alone.
#pragma once

#include "platform/win32/wintypes.h"

// Copies the value (blanks around it and one pair of enclosing quotes
// removed), or lpDefault, cut to nSize-1 characters. With lpKeyName null it
// lists the section's keys, with lpAppName null the sections, each ended by
// a NUL, the list by a second NUL. Returns the characters copied, not
// counting the last NUL.
DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);

// The value read as a decimal integer with an optional sign (0 when it holds
// no digits), or nDefault when the key is missing or empty.
UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName);

// Sets the key, adding the section and the key at their ends when missing.
// lpString null removes the key; lpKeyName null removes the section.
BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName);
