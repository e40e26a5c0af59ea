#include "platform/win32/Guid.h"

#include <cstdio>
#include <random>
#include <string>

HRESULT CoCreateGuid(GUID* pguid)
{
    if (!pguid)
        return E_FAIL;
    std::random_device random;
    std::uniform_int_distribution<unsigned> byte(0, 255);
    BYTE bytes[16];
    for (BYTE& b : bytes)
        b = BYTE(byte(random));
    bytes[6] = BYTE((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = BYTE((bytes[8] & 0x3F) | 0x80); // variant 1
    pguid->Data1 = DWORD(bytes[0]) << 24 | DWORD(bytes[1]) << 16 | DWORD(bytes[2]) << 8 | bytes[3];
    pguid->Data2 = WORD(bytes[4] << 8 | bytes[5]);
    pguid->Data3 = WORD(bytes[6] << 8 | bytes[7]);
    for (int i = 0; i < 8; ++i)
        pguid->Data4[i] = bytes[8 + i];
    return S_OK;
}

int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax)
{
    char text[40];
    int length = std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                               unsigned(rguid.Data1), unsigned(rguid.Data2), unsigned(rguid.Data3),
                               rguid.Data4[0], rguid.Data4[1], rguid.Data4[2], rguid.Data4[3],
                               rguid.Data4[4], rguid.Data4[5], rguid.Data4[6], rguid.Data4[7]);
    if (!lpsz || cchMax < length + 1)
        return 0;
    for (int i = 0; i <= length; ++i)
        lpsz[i] = WCHAR(text[i]);
    return length + 1;
}

static void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18);
        out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

static std::string ToUtf8(LPCWSTR text, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (c >= 0xD800 && c < 0xE000)
            c = 0xFFFD; // unpaired surrogate
        AppendUtf8(out, c);
    }
    return out;
}

int WideCharToMultiByte(UINT CodePage, DWORD, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR, BOOL* lpUsedDefaultChar)
{
    if (lpUsedDefaultChar)
        *lpUsedDefaultChar = FALSE;
    if (!lpWideCharStr || cchWideChar == 0 || cbMultiByte < 0 || (CodePage != CP_ACP && CodePage != CP_UTF8))
        return 0;
    int count = cchWideChar;
    if (count < 0) {
        count = 0;
        while (lpWideCharStr[count])
            ++count;
        ++count; // the terminator
    }
    std::string out = ToUtf8(lpWideCharStr, count);
    if (cbMultiByte == 0)
        return int(out.size());
    if (!lpMultiByteStr || out.size() > size_t(cbMultiByte))
        return 0;
    out.copy(lpMultiByteStr, out.size());
    return int(out.size());
}
