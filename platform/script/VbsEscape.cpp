#include "platform/script/VbsEscape.h"

#include "platform/com/Bstr.h"
#include "platform/script/VbsErrors.h"
#include "platform/script/VbsTimeLimit.h"
#include "platform/win32/HexDigit.h"

namespace vbs {

namespace {

// The value of count hex digits at text[at], or -1.
int HexRun(std::u16string_view text, size_t at, size_t count)
{
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (size_t i = 0; i < count; ++i) {
        int d = HexDigitValue(text[at + i]);
        if (d < 0)
            return -1;
        value = value * 16 + d;
    }
    return value;
}

}  // namespace

std::u16string Unescape(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    ChargeWork(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (i + 1 < text.size() && text[i + 1] == 'u') {
                int v = HexRun(text, i + 2, 4);
                if (v >= 0) {
                    out.push_back(char16_t(v));
                    i += 5;
                    continue;
                }
            }
            int v = HexRun(text, i + 1, 2);
            if (v >= 0) {
                out.push_back(char16_t(v));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

namespace {

bool IsPlain(char16_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '@' ||
           c == '*' || c == '_' || c == '+' || c == '-' || c == '.' || c == '/';
}

// The escaped length, counted before anything is written: the text grows
// up to six-fold, so a long one must fail before it takes the memory.
size_t EscapedLength(std::u16string_view text)
{
    ChargeWork(text.size());
    size_t length = 0;
    for (char16_t c : text)
        length += IsPlain(c) ? 1 : c < 256 ? 3 : 6;
    return length;
}

}  // namespace

std::u16string Escape(std::u16string_view text)
{
    static const char digits[] = "0123456789ABCDEF";
    const size_t length = EscapedLength(text);
    if (length > kMaxBstrLength)
        Raise(kOutOfMemory);
    std::u16string out;
    out.reserve(length);
    ChargeWork(length);
    for (char16_t c : text) {
        if (IsPlain(c)) {
            out.push_back(c);
        } else if (c < 256) {
            out += {u'%', char16_t(digits[c >> 4]), char16_t(digits[c & 15])};
        } else {
            out += {u'%', u'u', char16_t(digits[c >> 12]), char16_t(digits[(c >> 8) & 15]),
                    char16_t(digits[(c >> 4) & 15]), char16_t(digits[c & 15])};
        }
    }
    return out;
}

}  // namespace vbs
