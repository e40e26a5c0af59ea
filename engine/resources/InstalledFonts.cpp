#include "engine/resources/InstalledFonts.h"

#include "engine/resources/DisplayFonts.h"
#include "engine/resources/FontCollections.h"
#include "engine/resources/FontFileMap.h"
#include "engine/resources/FontRegistry.h"
#include "engine/resources/FontsFolder.h"
#include "platform/win32/FontFamilies.h"

#include <GlobalParams.h>

#include <algorithm>
#include <new>
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
    AddInstalledFont(font->lfFaceName, reinterpret_cast<GlobalParams*>(lParam));
    return 1;
}

int AddInstalledFont(const char* face, GlobalParams* params)
{
    if (!face || !params)
        return 0;
    std::unique_ptr<DisplayFontParam> font(new (std::nothrow) DisplayFontParam(face, displayFontTT));
    if (!font)
        return 0;
    char valueName[1000], fileName[1000];
    if (!LookupFontFileInRegistry(face, valueName, sizeof valueName, fileName, sizeof fileName))
        return 1;
    font->tt.fileName = fileName[0] == '/' ? fileName : WindowsFontsFolder() + fileName;
    AddNamedDisplayFont(params, std::move(font), false);
    return 1;
}

int RegisterWindowsFonts(GlobalParams* params)
{
    if (!params)
        return 0;
    ForgetDisplayFonts(params); // each registration starts afresh
    SplitFontCollections();
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesA(screen, nullptr, EnumFontFamilyProc, LPARAM(params));
    ReleaseDC(nullptr, screen);
    LoadFontFileMap(params);
    return 1;
}
