#include "platform/com/CodePage.h"

#include "platform/com/Bstr.h"

#include <cstring>
#include <string_view>

namespace {
thread_local DWORD lastError = 0;
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
    std::u16string wide = WideFromUtf8(std::string_view(text, bytes));
    if ((flags & MB_ERR_INVALID_CHARS) && wide.find(u'\xFFFD') != std::u16string::npos &&
        std::string_view(text, bytes).find("\xEF\xBF\xBD") == std::string_view::npos) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (bufferLength == 0)
        return int(wide.size());
    size_t fit = wide.size() < size_t(bufferLength) ? wide.size() : size_t(bufferLength);
    std::memcpy(buffer, wide.data(), fit * sizeof(WCHAR));
    if (fit < wide.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return int(fit);
}
