// Numbers as text the same under every process locale: a point before the
// fraction, never the locale's comma. The script and the variant
// conversions read and write numbers through these two.
#pragma once

#include <string>

// strtod as in the "C" locale.
double ParseDouble(const char* text, char** end);

// printf's "%.<precision>G" as in the "C" locale.
std::string FormatDouble(double value, int precision);
