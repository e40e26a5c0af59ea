// Display fonts the engine registers for a conversion: the named CID
// display fonts (installed families and "fontfile.map" lines), the ones by
// character collection, and the fallback for CID fonts the document does not
// carry. The core's own settings object has no place for them, so they live
// beside it, one set per GlobalParams, and each registered file reaches the
// core through GlobalParams::addFontFile.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

class GfxFont;
class GlobalParams;

enum DisplayFontParamKind { displayFontT1, displayFontTT };

struct DisplayFontParam {
    DisplayFontParam(std::string nameA, DisplayFontParamKind kindA) : name(std::move(nameA)), kind(kindA) {}

    std::string name;
    DisplayFontParamKind kind;
    struct {
        std::string fileName;
    } tt;
};

typedef std::map<std::string, std::unique_ptr<DisplayFontParam>> DisplayFontTable;

struct DisplayFonts {
    DisplayFontTable displayNamedCIDFonts; // by font name
    DisplayFontTable displayCIDFonts;      // by character collection
    std::mutex mutex;                      // taken by the lookup
};

// The set beside the settings object, made at the first ask.
DisplayFonts& DisplayFontsOf(GlobalParams* params);

// Drops the set; call before the settings object goes.
void ForgetDisplayFonts(GlobalParams* params);

// Adds the font under its name: over an earlier one when replace is set,
// else only when the name is free. An added file is handed to the core
// under the name, the name with "-" for blanks and the name without blanks,
// which are the forms documents give it; a form that is itself the name of
// a font added before or after keeps that font. Returns whether it was added.
bool AddNamedDisplayFont(GlobalParams* params, std::unique_ptr<DisplayFontParam> font, bool replace);

// The display font for a CID font: every "-" of the name becomes a blank;
// then the name among the named fonts, else the collection among the
// collection fonts, else (after printing "Can't find '%s' font.\n") the
// named "defaultwinfont", else the named "Arial". Null when none is there.
// An empty name skips the named lookup.
DisplayFontParam* getDisplayCIDFont(GlobalParams* params, std::string& fontName, const std::string& collection);

// For a CID font the document does not embed and the core finds under no
// registered name: hands the core the file getDisplayCIDFont gives, under
// the font's own name. Returns whether a file was handed over.
bool RegisterDisplayCIDFont(GlobalParams* params, const GfxFont* font);
