#include "engine/BaseFonts.h"

#include "engine/resources/PathParts.h"
#include "engine/resources/PlainFiles.h"
#include "engine/resources/ResourceFolders.h"

#include <GlobalParams.h>
#include <goo/GooString.h>

namespace {

struct BaseFont {
    const char* name;
    const char* file;
};

const BaseFont baseFonts[] = {
    {"Courier", "n022003l.pfb"},
    {"Courier-Bold", "n022004l.pfb"},
    {"Courier-BoldOblique", "n022024l.pfb"},
    {"Courier-Oblique", "n022023l.pfb"},
    {"Helvetica", "n019003l.pfb"},
    {"Helvetica-Bold", "n019004l.pfb"},
    {"Helvetica-BoldOblique", "n019024l.pfb"},
    {"Helvetica-Oblique", "n019023l.pfb"},
    {"Symbol", "s050000l.pfb"},
    {"Times-Bold", "n021004l.pfb"},
    {"Times-BoldItalic", "n021024l.pfb"},
    {"Times-Italic", "n021023l.pfb"},
    {"Times-Roman", "n021003l.pfb"},
    {"ZapfDingbats", "d050000l.pfb"},
};

} // namespace

std::string BaseFontFolder()
{
    const std::string folder = FolderOf(ModulePath(nullptr)); // the program's, never the engine's
    return folder.empty() ? "" : folder + "Resource";
}

int SetupBaseFonts(GlobalParams* params, const std::string& folder)
{
    params->setupBaseFonts(folder.c_str()); // does nothing on this platform
    if (folder.empty())
        return 0; // no program folder: never the root's files
    int registered = 0;
    for (const BaseFont& font : baseFonts) {
        for (const std::string& file : {std::string(font.file), std::string(font.name) + ".pfb"}) {
            std::string path = folder + "/" + file;
            if (!IsFile(path))
                continue;
            GooString name(font.name), pathText(path);
            params->addFontFile(&name, &pathText);
            ++registered;
            break;
        }
    }
    return registered;
}
