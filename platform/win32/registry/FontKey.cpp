#include "platform/win32/registry/FontKey.h"

#include "platform/win32/FontconfigList.h"
#include "platform/win32/registry/Registry.h"

#include <map>
#include <string>

const char* const kFontKeyPath = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

namespace {

std::string Text(FcPattern* font, const char* object)
{
    FcChar8* value = nullptr;
    return FcPatternGetString(font, object, 0, &value) == FcResultMatch ? reinterpret_cast<char*>(value) : "";
}

bool IsTrueTypeOrOpenType(FcPattern* font)
{
    FcBool scalable = FcFalse;
    FcPatternGetBool(font, FC_SCALABLE, 0, &scalable);
    return scalable && IsTrueTypeFormat(font);
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
    std::map<std::string, std::string, CaseLess> faces;
    ForEachInstalledFont({FC_FULLNAME, FC_FAMILY, FC_STYLE, FC_FILE, FC_SCALABLE, FC_FONTFORMAT}, [&](FcPattern* font) {
        std::string name = FaceName(font), file = Text(font, FC_FILE);
        if (IsTrueTypeOrOpenType(font) && !name.empty() && !file.empty())
            faces.emplace(name + " (TrueType)", file);
    });
    for (const auto& [name, file] : faces)
        key->SetValue(name, REG_SZ, file + '\0');
}
