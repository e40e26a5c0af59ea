// Turning the font names that PDF files carry into face names that the
// presentation application can show.
#pragma once

#include <string>

struct FontNameReplacement {
    const char* from;
    const char* to;
};

// Applied in order, each to the first occurrence only.
extern const FontNameReplacement FontNameReplacements[10];

// Drops a subset prefix, applies the replacements, and falls back to
// "Times New Roman" when the result is not an installed family.
void MapFontName(std::string& name);
