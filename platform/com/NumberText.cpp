#include "platform/com/NumberText.h"

#include <cctype>
#include <charconv>
#include <clocale>
#include <cstdlib>

double ParseDouble(const char* text, char** end)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    return strtod_l(text, end, cLocale);
}

std::string FormatDouble(double value, int precision)
{
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, precision);
    std::string out(text, result.ptr);
    for (char& c : out)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}
