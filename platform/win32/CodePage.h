// Conversions between 8-bit text and UTF-16. The ANSI code page of this
// platform is UTF-8, so CP_ACP and CP_UTF8 agree on valid text. A length of
// -1 means "up to and including the terminator". A buffer too small is
// filled as far as it goes, then MultiByteToWideChar returns 0 with
// ERROR_INSUFFICIENT_BUFFER. A byte that does not decode becomes U+FFFD
// under CP_UTF8; under CP_ACP it is escaped as U+DC80 + byte, and
// WideCharToMultiByte narrows that back to the byte, so ANSI text (a file
// name in any encoding) survives the round trip. MB_ERR_INVALID_CHARS asks
// for failure with ERROR_NO_UNICODE_TRANSLATION instead, under both.
#pragma once

#include "platform/win32/wintypes.h"

#define MB_ERR_INVALID_CHARS 0x08

#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87L
#endif
#ifndef ERROR_INSUFFICIENT_BUFFER
#define ERROR_INSUFFICIENT_BUFFER 122L
#endif
#ifndef ERROR_NO_UNICODE_TRANSLATION
#define ERROR_NO_UNICODE_TRANSLATION 1113L
#endif

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR buffer,
                        int bufferLength);

// UTF-16 to UTF-8 (escaped bytes back to bytes under CP_ACP; any other lone
// surrogate becomes U+FFFD). cbMultiByte 0 asks for the size needed. Returns the bytes
// written, 0 on failure or a short buffer (which is left untouched).
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar);

// The calling thread's last error code.
DWORD GetLastError();
void SetLastError(DWORD error);
