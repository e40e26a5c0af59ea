#include "platform/win32/FontFamilies.h"

#include "platform/win32/FontconfigList.h"

#include <cstring>
#include <map>
#include <string>
#include <strings.h>
#include <vector>

namespace {

int screenContext;

struct Family {
    std::string name;
    DWORD fontType;
};

typedef std::map<std::string, DWORD, CaseLess> FamilyTypes;

// Family names documents commonly ask for. Each one is listed only when
// fontconfig binds it strongly to an installed family (its metric aliases).
const char* const commonFamilies[] = {
    "Arial", "Arial Narrow", "Times New Roman", "Courier New", "Helvetica", "Helvetica Narrow",
    "Times", "Courier", "Calibri", "Cambria", "Georgia", "Symbol", "Palatino", "Palatino Linotype",
    "Book Antiqua", "Bookman", "Bookman Old Style", "Century Gothic", "Century Schoolbook",
    "New Century Schoolbook", "Avant Garde", "Zapf Chancery", "Zapf Dingbats", "Verdana",
    "Tahoma", "Segoe UI", "Trebuchet MS", "Comic Sans MS", "Impact", "Consolas", "Lucida Console",
    "Garamond", "Monotype Corsiva", "Wingdings",
};

DWORD FontType(FcPattern* font)
{
    FcBool scalable = FcTrue;
    FcPatternGetBool(font, FC_SCALABLE, 0, &scalable);
    if (!scalable)
        return RASTER_FONTTYPE;
    return IsTrueTypeFormat(font) ? TRUETYPE_FONTTYPE : 0;
}

void AddInstalledFamilies(std::vector<Family>& families, FamilyTypes& known)
{
    ForEachInstalledFont({FC_FAMILY, FC_SCALABLE, FC_FONTFORMAT}, [&](FcPattern* font) {
        FcChar8* name = nullptr;
        if (FcPatternGetString(font, FC_FAMILY, 0, &name) != FcResultMatch)
            return;
        std::string family = reinterpret_cast<char*>(name);
        DWORD type = FontType(font);
        auto [at, added] = known.emplace(family, type);
        if (added)
            families.push_back({family, type});
    });
}

// The installed family that fontconfig strongly binds the name to, or none.
// The strong bindings after the name itself are its metric-compatible aliases;
// the weak ones that follow are mere fallbacks.
const FamilyTypes::value_type* MetricAlias(const char* name, const FamilyTypes& known)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    const FamilyTypes::value_type* found = nullptr;
    FcValue value;
    FcValueBinding binding;
    for (int i = 1; !found && FcPatternGetWithBinding(pattern, FC_FAMILY, i, &value, &binding) == FcResultMatch; ++i) {
        if (binding != FcValueBindingStrong || value.type != FcTypeString)
            break;
        auto at = known.find(reinterpret_cast<const char*>(value.u.s));
        if (at != known.end())
            found = &*at;
    }
    FcPatternDestroy(pattern);
    return found;
}

void AddAliasedFamilies(std::vector<Family>& families, FamilyTypes& known)
{
    for (const char* name : commonFamilies) {
        if (known.count(name))
            continue;
        if (const auto* alias = MetricAlias(name, known)) {
            families.push_back({name, alias->second});
            known.emplace(name, alias->second);
        }
    }
}

std::vector<Family> InstalledFamilies()
{
    std::vector<Family> families;
    if (!FcInit())
        return families;
    FamilyTypes known;
    AddInstalledFamilies(families, known);
    AddAliasedFamilies(families, known);
    return families;
}

} // namespace

HDC GetDC(HWND hWnd)
{
    return hWnd ? nullptr : HDC(&screenContext);
}

int ReleaseDC(HWND, HDC hDC)
{
    return hDC == HDC(&screenContext);
}

int EnumFontFamiliesA(HDC hdc, LPCSTR lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam)
{
    if (hdc != HDC(&screenContext) || !lpProc)
        return 0;
    int result = 1;
    for (const Family& family : InstalledFamilies()) {
        if (lpLogfont && strcasecmp(lpLogfont, family.name.c_str()) != 0)
            continue;
        LOGFONTA font = {};
        TEXTMETRICA metrics = {};
        std::strncpy(font.lfFaceName, family.name.c_str(), LF_FACESIZE - 1);
        result = lpProc(&font, &metrics, family.fontType, lParam);
        if (!result)
            break;
    }
    return result;
}
