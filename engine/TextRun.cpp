#include "engine/TextRun.h"

#include <cctype>
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

namespace {

// The character code of the escape at text[at] ("%XX" or "%uXXXX"), or -1
// when none follows the "%".
long EscapedCode(const std::string& text, std::size_t at)
{
    const bool wide = at + 1 < text.size() && text[at + 1] == 'u';
    const std::size_t digits = wide ? 4 : 2, first = at + (wide ? 2 : 1);
    if (first + digits > text.size())
        return -1;
    long code = 0;
    for (std::size_t i = first; i < first + digits; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isxdigit(c))
            return -1;
        code = code * 16 + (std::isdigit(c) ? c - '0' : std::toupper(c) - 'A' + 10);
    }
    return code;
}

} // namespace

StoredText StoredEscapedText(const std::string& text, bool afterBreak)
{
    StoredText stored{0, afterBreak};
    long previous = afterBreak ? '\r' : -1;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '%' && text[at] != ' ')
            continue;
        const long code = text[at] == ' ' ? ' ' : EscapedCode(text, at);
        const bool joins = code == '\n' && previous == '\r';
        previous = code;
        if (joins)
            continue;
        ++stored.length;
        stored.endsInBreak = code == '\r' || code == '\n';
    }
    return stored;
}

int CountEscapedChars(const std::string& text)
{
    return StoredEscapedText(text, false).length;
}
