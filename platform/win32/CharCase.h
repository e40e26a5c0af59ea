// Letter case of 8-bit texts. The ANSI code page here is UTF-8: ASCII letters
// change case, and the bytes of multibyte characters are left as they are,
// so a character is never split or changed into another's bytes.
#pragma once

#include "platform/win32/wintypes.h"

// Change the text in place and return it.
LPSTR CharLowerA(LPSTR lpsz);
LPSTR CharUpperA(LPSTR lpsz);

// Compares ignoring ASCII letter case: <0, 0 or >0.
int lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2);
