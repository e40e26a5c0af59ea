#include "platform/win32/Utf16.h"

std::u16string WideFromUtf8(std::string_view text, BadBytes bad)
{
    std::u16string out;
    out.reserve(text.size());
    DecodeUtf8(text, [&](char16_t unit) { out.push_back(unit); }, bad);
    return out;
}

std::string Utf8FromWide(const char16_t* text, std::size_t length, BadBytes bad)
{
    std::string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (bad == BadBytes::Escape && c >= 0xDC80 && c < 0xDD00) {
            out.push_back(char(c - 0xDC00));  // an escaped byte
            continue;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string Utf8ReadingBadBytesAsWindows1252(std::string_view text)
{
    // Windows-1252 0x80-0x9F; from 0xA0 on it is Latin-1.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    std::u16string wide;
    wide.reserve(text.size());
    DecodeUtf8(text, [&](char16_t unit) {
        if (unit >= 0xDC80 && unit < 0xDD00) { // an escaped byte
            char16_t byte = char16_t(unit - 0xDC00);
            unit = byte < 0xA0 ? high[byte - 0x80] : byte;
        }
        wide.push_back(unit);
    }, BadBytes::Escape);
    return Utf8FromWide(wide.data(), wide.size());
}
