#include "engine/FontNameMap.h"

#include "engine/resources/InstalledFonts.h"

const FontNameReplacement FontNameReplacements[10] = {
    { "ArialMT", "Arial" },
    { "CourierNewPSMT", "Courier New" },
    { "CourierNewPS", "Courier New" },
    { "CourierNew", "Courier New" },
    { "Helvetica", "Times New Roman" },
    { "TimesNewRomanPSMT", "Times New Roman" },
    { "TimesNewRomanPS", "Times New Roman" },
    { "TimesNewRoman", "Times New Roman" },
    { "BoldItalic", "Bold Italic" },
    { "ArialBlack", "Arial Black" },
};

void MapFontName(std::string& name)
{
    std::size_t plus = name.find('+');
    if (plus != std::string::npos)
        name.erase(0, plus + 1);
    for (const FontNameReplacement& pair : FontNameReplacements) {
        std::size_t at = name.find(pair.from);
        if (at != std::string::npos)
            name.replace(at, std::string::traits_type::length(pair.from), pair.to);
    }
    if (!IsFontFamilyInstalled(name.c_str()))
        name = "Times New Roman";
}
