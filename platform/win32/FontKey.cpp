#include "platform/win32/FontKey.h"

#include "platform/win32/Registry.h"

#include <cstring>
#include <fontconfig/fontconfig.h>
#include <map>
#include <string>
#include <strings.h>

const char* const kFontKeyPath = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

namespace {

struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};

std::string Text(FcPattern* font, const char* object)
{
    FcChar8* value = nullptr;
    return FcPatternGetString(font, object, 0, &value) == FcResultMatch ? reinterpret_cast<char*>(value) : "";
}

bool IsTrueTypeOrOpenType(FcPattern* font)
{
    FcBool scalable = FcFalse;
    FcPatternGetBool(font, FC_SCALABLE, 0, &scalable);
    std::string format = Text(font, FC_FONTFORMAT);
    return scalable && (format == "TrueType" || format == "CFF");
}

// The face's full name, else its family and style.
std::string FaceName(FcPattern* font)
{
    std::string name = Text(font, FC_FULLNAME);
    if (!name.empty())
        return name;
    name = Text(font, FC_FAMILY);
    std::string style = Text(font, FC_STYLE);
    if (!name.empty() && !style.empty() && strcasecmp(style.c_str(), "Regular") != 0)
        name += " " + style;
    return name;
}

} // namespace

void FillFontKey(RegistryKey& machine)
{
    RegistryKey* key = &machine;
    for (const std::string& name : SplitKeyPath(kFontKeyPath)) {
        RegistryKey* sub = key->Subkey(name);
        key = sub ? sub : &key->AddSubkey(name);
    }
    if (!FcInit())
        return;
    std::map<std::string, std::string, CaseLess> faces;
    FcPattern* all = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FULLNAME, FC_FAMILY, FC_STYLE, FC_FILE, FC_SCALABLE, FC_FONTFORMAT, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, all, objects);
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcPattern* font = fonts->fonts[i];
        std::string name = FaceName(font), file = Text(font, FC_FILE);
        if (IsTrueTypeOrOpenType(font) && !name.empty() && !file.empty())
            faces.emplace(name + " (TrueType)", file);
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(all);
    for (const auto& [name, file] : faces)
        key->SetValue(name, REG_SZ, file + '\0');
}
