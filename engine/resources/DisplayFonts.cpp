#include "engine/resources/DisplayFonts.h"

#include <GfxFont.h>
#include <GlobalParams.h>
#include <goo/GooString.h>

#include <algorithm>
#include <cstdio>

namespace {

std::map<GlobalParams*, std::unique_ptr<DisplayFonts>> g_displayFonts;

std::string Replaced(std::string text, char from, char to)
{
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

bool CoreFinds(GlobalParams* params, const std::string& name)
{
    std::unique_ptr<GooString> path(params->findFontFile(name));
    return path != nullptr;
}

// A form other than the name itself never takes the place of a name some
// font was registered under, whichever came first.
void HandToCore(GlobalParams* params, const DisplayFontTable& named, const std::string& name,
                const std::string& file, bool replace)
{
    std::string noBlanks = name;
    noBlanks.erase(std::remove(noBlanks.begin(), noBlanks.end(), ' '), noBlanks.end());
    for (const std::string& form : {name, Replaced(name, ' ', '-'), noBlanks}) {
        const bool derived = form != name;
        if (form.empty() || (derived && named.count(form)) ||
            (derived && !replace && CoreFinds(params, form)))
            continue;
        GooString formText(form), fileText(file);
        params->addFontFile(&formText, &fileText);
    }
}

DisplayFontParam* Find(DisplayFontTable& table, const std::string& key)
{
    auto found = table.find(key);
    return found == table.end() ? nullptr : found->second.get();
}

} // namespace

DisplayFonts& DisplayFontsOf(GlobalParams* params)
{
    // One conversion at a time: a set left by an earlier settings object
    // that was not forgotten goes now.
    for (auto it = g_displayFonts.begin(); it != g_displayFonts.end();)
        it = it->first == params ? std::next(it) : g_displayFonts.erase(it);
    std::unique_ptr<DisplayFonts>& fonts = g_displayFonts[params];
    if (!fonts)
        fonts = std::make_unique<DisplayFonts>();
    return *fonts;
}

void ForgetDisplayFonts(GlobalParams* params)
{
    g_displayFonts.erase(params);
}

bool AddNamedDisplayFont(GlobalParams* params, std::unique_ptr<DisplayFontParam> font, bool replace)
{
    if (!params || !font)
        return false;
    DisplayFonts& fonts = DisplayFontsOf(params);
    std::unique_ptr<DisplayFontParam>& slot = fonts.displayNamedCIDFonts[font->name];
    if (slot && !replace)
        return false;
    HandToCore(params, fonts.displayNamedCIDFonts, font->name, font->tt.fileName, replace);
    slot = std::move(font);
    return true;
}

DisplayFontParam* getDisplayCIDFont(GlobalParams* params, std::string& fontName, const std::string& collection)
{
    std::replace(fontName.begin(), fontName.end(), '-', ' ');
    DisplayFonts& fonts = DisplayFontsOf(params);
    std::lock_guard<std::mutex> lock(fonts.mutex);
    DisplayFontParam* found = fontName.empty() ? nullptr : Find(fonts.displayNamedCIDFonts, fontName);
    if (!found)
        found = Find(fonts.displayCIDFonts, collection);
    if (!found) {
        std::printf("Can't find '%s' font.\n", fontName.empty() ? collection.c_str() : fontName.c_str());
        found = Find(fonts.displayNamedCIDFonts, "defaultwinfont");
        if (!found)
            found = Find(fonts.displayNamedCIDFonts, "Arial");
    }
    return found;
}

bool RegisterDisplayCIDFont(GlobalParams* params, const GfxFont* font)
{
    Ref embedded;
    if (!params || !font || !font->isCIDFont() || font->getEmbeddedFontID(&embedded))
        return false;
    const std::string name = font->getName() ? *font->getName() : "";
    if (name.empty() || CoreFinds(params, name))
        return false;
    const GooString* collection = static_cast<const GfxCIDFont*>(font)->getCollection();
    std::string lookedUp = name;
    DisplayFontParam* display = getDisplayCIDFont(params, lookedUp, collection ? collection->toStr() : "");
    if (!display || display->tt.fileName.empty())
        return false;
    GooString nameText(name), fileText(display->tt.fileName);
    params->addFontFile(&nameText, &fileText);
    return true;
}
