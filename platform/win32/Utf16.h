// UTF-8 <-> UTF-16, the one conversion of the platform layer. Malformed
// input (an unpaired surrogate, a bad or overlong UTF-8 sequence) becomes
// U+FFFD, one per bad unit, unless the bytes are escaped (see BadBytes).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What a byte that does not decode becomes. ANSI text (file names above
// all) must survive a trip through wide text whatever its bytes, so it
// escapes them: the byte b becomes the lone low surrogate U+DC00 + b (always
// U+DC80 to U+DCFF, since every ASCII byte decodes), and that surrogate
// narrows back to b. Valid UTF-8 converts the same either way.
enum class BadBytes { Replace, Escape };

std::u16string WideFromUtf8(std::string_view text, BadBytes bad = BadBytes::Replace);
std::string Utf8FromWide(const char16_t* text, std::size_t length, BadBytes bad = BadBytes::Replace);

// The text a name in any encoding shows: UTF-8 sequences as they are, and
// every other byte read as Windows-1252 shows it (the five bytes that code
// page leaves unassigned as the control characters of the same number).
std::string Utf8ReadingBadBytesAsWindows1252(std::string_view text);

// Hands each UTF-16 unit of the UTF-8 text to put, in order; false when a
// sequence was malformed (and became U+FFFD or an escape).
template <class Put>
bool DecodeUtf8(std::string_view text, Put put, BadBytes bad = BadBytes::Replace)
{
    bool wellFormed = true;
    std::size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            put(char16_t(c));
            ++i;
            continue;
        }
        int extra = c >= 0xC2 && c < 0xE0 ? 1 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xF0 && c < 0xF5 ? 3 : -1;
        char32_t code = c & (0x3F >> (extra < 0 ? 0 : extra));
        bool ok = extra > 0 && i + extra < text.size();
        for (int k = 1; ok && k <= extra; ++k) {
            auto d = static_cast<unsigned char>(text[i + k]);
            ok = (d & 0xC0) == 0x80;
            code = (code << 6) | (d & 0x3F);
        }
        bool overlong = (extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000);
        if (!ok || overlong || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
            put(bad == BadBytes::Escape ? char16_t(0xDC00 + c) : char16_t(0xFFFD));  // one per bad unit
            wellFormed = false;
            ++i;
            continue;
        }
        i += extra + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            put(char16_t(0xD800 + (code >> 10)));
            put(char16_t(0xDC00 + (code & 0x3FF)));
        } else {
            put(char16_t(code));
        }
    }
    return wellFormed;
}
