#include "platform/win32/CodePage.h"

#include "platform/win32/Utf16.h"

#include <cstring>
#include <string_view>

namespace {
thread_local DWORD lastError = 0;

// The ANSI code page carries every byte through wide text; CP_UTF8 keeps
// the strict rule of U+FFFD for what does not decode.
BadBytes BadBytesOf(UINT codePage)
{
    return codePage == CP_ACP ? BadBytes::Escape : BadBytes::Replace;
}
}

// Weak, so that a fuller stand-in elsewhere in the platform layer wins.
__attribute__((weak)) DWORD GetLastError()
{
    return lastError;
}

__attribute__((weak)) void SetLastError(DWORD error)
{
    lastError = error;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR buffer,
                        int bufferLength)
{
    if (!text || length < -1 || bufferLength < 0 || (codePage != CP_ACP && codePage != CP_UTF8)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t bytes = length == -1 ? std::strlen(text) + 1 : size_t(length);
    // Decoded straight into the buffer: a long text is never held twice.
    size_t units = 0;
    bool wellFormed = DecodeUtf8(std::string_view(text, bytes), [&](char16_t unit) {
        if (units < size_t(bufferLength))
            buffer[units] = unit;
        ++units;
    }, BadBytesOf(codePage));
    if ((flags & MB_ERR_INVALID_CHARS) && !wellFormed) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (bufferLength == 0)
        return int(units);
    if (units > size_t(bufferLength)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return int(units);
}

int WideCharToMultiByte(UINT CodePage, DWORD, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR, BOOL* lpUsedDefaultChar)
{
    if (lpUsedDefaultChar)
        *lpUsedDefaultChar = FALSE;
    if (!lpWideCharStr || cchWideChar == 0 || cbMultiByte < 0 || (CodePage != CP_ACP && CodePage != CP_UTF8))
        return 0;
    std::size_t count = cchWideChar < 0 ? std::char_traits<char16_t>::length(lpWideCharStr) + 1
                                        : std::size_t(cchWideChar);
    std::string out = Utf8FromWide(lpWideCharStr, count, BadBytesOf(CodePage));
    if (cbMultiByte == 0)
        return int(out.size());
    if (!lpMultiByteStr || out.size() > std::size_t(cbMultiByte))
        return 0;
    out.copy(lpMultiByteStr, out.size());
    return int(out.size());
}
