#include "engine/resources/InstalledFonts.h"

#include "platform/win32/FontFamilies.h"

#include <GlobalParams.h>

#include <algorithm>
#include <strings.h>

std::vector<std::string> installedFontFamilies;

int IsFontFamilyInstalled(const char* name)
{
    if (!name || !*name)
        return 0;
    for (const std::string& family : installedFontFamilies)
        if (strcasecmp(family.c_str(), name) == 0)
            return 1;
    return 0;
}

static void AddFamilyName(const char* name)
{
    if (!IsFontFamilyInstalled(name))
        installedFontFamilies.emplace_back(name);
}

int EnumFontFamilyProc(const LOGFONTA* font, const TEXTMETRICA*, DWORD fontType, LPARAM lParam)
{
    if (fontType & RASTER_FONTTYPE)
        return 1;
    AddFamilyName(font->lfFaceName);
    // The family's display font, looked up in the installed-font list, is
    // registered with the GlobalParams in lParam here (AddInstalledFont);
    // that comes with the registry stand-in.
    (void)lParam;
    return 1;
}

int RegisterWindowsFonts(GlobalParams* params)
{
    if (!params)
        return 0;
    // 1. TrueType collections in the fonts folder are split here
    //    (SplitFontCollections), once the fonts folder is in place.
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesA(screen, nullptr, EnumFontFamilyProc, LPARAM(params));
    ReleaseDC(nullptr, screen);
    // 3. The named display fonts of "fontfile.map" are registered here
    //    (LoadFontFileMap), with the file layer of the resource folders.
    return 1;
}
