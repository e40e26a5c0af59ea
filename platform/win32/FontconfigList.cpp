#include "platform/win32/FontconfigList.h"

#include <cstring>

void ForEachInstalledFont(std::initializer_list<const char*> objects, const std::function<void(FcPattern*)>& visit)
{
    if (!FcInit())
        return;
    FcPattern* all = FcPatternCreate();
    FcObjectSet* wanted = FcObjectSetCreate();
    for (const char* object : objects)
        FcObjectSetAdd(wanted, object);
    FcFontSet* fonts = FcFontList(nullptr, all, wanted);
    for (int i = 0; fonts && i < fonts->nfont; ++i)
        visit(fonts->fonts[i]);
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(wanted);
    FcPatternDestroy(all);
}

bool IsTrueTypeFormat(FcPattern* font)
{
    FcChar8* format = nullptr;
    if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch)
        return false;
    const char* name = reinterpret_cast<const char*>(format);
    return std::strcmp(name, "TrueType") == 0 || std::strcmp(name, "CFF") == 0;
}
