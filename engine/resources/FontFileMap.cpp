#include "engine/resources/FontFileMap.h"

#include "engine/resources/DisplayFonts.h"
#include "engine/resources/FontsFolder.h"
#include "engine/resources/PlainFiles.h"
#include "engine/resources/ResStdio.h"
#include "engine/resources/ResourceFolders.h"

#include <cstring>
#include <string>

namespace {

constexpr size_t kLineBuffer = 1024;

// The next line without its end, in at most kLineBuffer - 1 characters;
// false at the end of the file or once left bytes are read. A longer line
// is read to its end and comes back marked too long.
bool ReadLine(FILE* file, std::string& line, bool& tooLong, size_t& left)
{
    line.clear();
    tooLong = false;
    int c = EOF;
    while (left > 0 && (c = res_fgetc(file)) != EOF) {
        --left;
        if (c == '\n')
            break;
        if (line.size() < kLineBuffer - 1)
            line += char(c);
        else
            tooLong = true;
    }
    return c == '\n' || (c == EOF && (!line.empty() || tooLong)); // a line cut by left is dropped
}

// The font file of a map line, or empty when neither folder holds it as a
// regular file: a folder (".", say) or a device is no font.
std::string FontFilePath(const std::string& programFolder, const std::string& file)
{
    if (IsFile(programFolder + file))
        return programFolder + file;
    std::string fonts = WindowsFontsFolder();
    if (!fonts.empty() && IsFile(fonts + file))
        return fonts + file;
    return "";
}

bool RegisterLine(GlobalParams* params, const std::string& programFolder, std::string line)
{
    if (line.empty() || line[0] == ';' || line[0] == '\r')
        return false;
    const char* separators = "=\t\r\n";
    char* rest = nullptr;
    const char* name = strtok_r(line.data(), separators, &rest);
    const char* file = name ? strtok_r(nullptr, separators, &rest) : nullptr;
    if (!name || !file)
        return false;
    std::string path = FontFilePath(programFolder, file);
    if (path.empty())
        return false;
    auto font = std::make_unique<DisplayFontParam>(name, displayFontTT);
    font->tt.fileName = path;
    return AddNamedDisplayFont(params, std::move(font), true);
}

} // namespace

int LoadFontFileMap(GlobalParams* params)
{
    const std::string folder = ProgramFolder();
    if (!params || folder.empty())
        return 0;
    FILE* map = res_fopen((folder + "fontfile.map").c_str(), "r");
    if (!map)
        return 0;
    int registered = 0;
    std::string line;
    bool tooLong;
    size_t left = kMaxDataFileBytes; // a few thousand lines
    while (ReadLine(map, line, tooLong, left))
        if (!tooLong)
            registered += RegisterLine(params, folder, line);
    res_fclose(map);
    return registered;
}
