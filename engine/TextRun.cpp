#include "engine/TextRun.h"

#include <algorithm>
#include <cstdio>

std::string EscapeChar(unsigned int code)
{
    char escaped[16];
    if (code <= 0xFF) {
        std::snprintf(escaped, sizeof escaped, "%%%02X", code);
    } else if (code <= 0xFFFF) {
        std::snprintf(escaped, sizeof escaped, "%%u%04X", code);
    } else if (code <= 0x10FFFF) {
        // Beyond the 16-bit plane: the UTF-16 surrogate pair, which unescape
        // joins back into the one character.
        unsigned int v = code - 0x10000;
        std::snprintf(escaped, sizeof escaped, "%%u%04X%%u%04X", 0xD800 + (v >> 10), 0xDC00 + (v & 0x3FF));
    } else {
        std::snprintf(escaped, sizeof escaped, "%%uFFFD");
    }
    return escaped;
}

int CountEscapedChars(const std::string& text)
{
    return int(std::count_if(text.begin(), text.end(), [](char c) { return c == '%' || c == ' '; }));
}
