#include "engine/resources/CoreData.h"

#include "engine/resources/PathParts.h"
#include "engine/resources/PlainFiles.h"
#include "engine/resources/ResStdio.h"
#include "engine/resources/ResourceFolders.h"

#include <cstdio>
#include <ftw.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const systemCMaps = "/usr/share/poppler/cMap/";

int RemoveEntry(const char* path, const struct stat*, int, FTW*)
{
    std::remove(path);
    return 0;
}

bool IsFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The whole content of a file opened through the stdio layer; false when
// it does not open or holds more than kMaxDataFileBytes (then it is not
// read past that).
bool ReadThroughLayer(const std::string& path, std::string& content)
{
    FILE* file = res_fopen(path.c_str(), "rb");
    if (!file)
        return false;
    content.clear();
    char chunk[4096];
    size_t got;
    while (content.size() <= kMaxDataFileBytes && (got = res_fread(chunk, 1, sizeof chunk, file)) > 0)
        content.append(chunk, got);
    res_fclose(file);
    return content.size() <= kMaxDataFileBytes;
}

bool MakeFolder(const std::string& path)
{
    return mkdir(path.c_str(), 0700) == 0 || IsFolder(path);
}

// The place a binding takes in the core's layout.
std::string Destination(const std::string& root, const CoreDataBinding& binding)
{
    return root + binding.kind + "/" + BareName(binding.name);
}

// A binding whose source is missing is passed over; one whose copy or link
// cannot be written is the folder failing.
enum class Served { Yes, NoSource, NotWritten };

Served Serve(const std::string& root, const CoreDataBinding& binding)
{
    if (binding.kind == "cMapDir") {
        std::string link = root + "cMap/" + BareName(binding.name), target = CMapFolder(binding.name);
        unlink(link.c_str());
        if (target.empty())
            return Served::NoSource;
        return symlink(target.c_str(), link.c_str()) == 0 ? Served::Yes : Served::NotWritten;
    }
    std::string content;
    if (!ReadThroughLayer(binding.file, content))
        return Served::NoSource;
    return WriteWholeFile(Destination(root, binding), content.data(), content.size()) ? Served::Yes
                                                                                     : Served::NotWritten;
}

} // namespace

std::vector<CoreDataBinding> ReadCoreConfiguration(const std::string& path)
{
    std::vector<CoreDataBinding> bindings;
    std::string content;
    if (!ReadThroughLayer(path, content))
        return bindings;
    std::istringstream lines(content);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        CoreDataBinding binding;
        if (!(words >> binding.kind) || binding.kind[0] == '#' || !(words >> binding.name))
            continue;
        if (binding.kind == "nameToUnicode") {
            binding.file = binding.name;
        } else if (binding.kind == "cidToUnicode" || binding.kind == "unicodeMap") {
            if (!(words >> binding.file))
                continue;
        } else if (binding.kind != "cMapDir") {
            continue;
        }
        bindings.push_back(binding);
    }
    return bindings;
}

std::string CMapFolder(const std::string& collection)
{
    std::string program = ProgramFolder();
    if (!program.empty() && IsFolder(program + "Resource/CMap"))
        return program + "Resource/CMap";
    std::string system = systemCMaps + BareName(collection);
    return IsFolder(system) ? system : "";
}

int PrepareCoreDataFolder(const std::string& folder)
{
    const std::string root = WithSeparator(folder);
    if (root.empty() || !MakeFolder(root))
        return -1;
    for (const char* kind : {"nameToUnicode", "cidToUnicode", "unicodeMap", "cMap"})
        if (!MakeFolder(root + kind))
            return -1;
    int served = 0;
    for (const CoreDataBinding& binding : ReadCoreConfiguration(root + "rc")) {
        Served result = Serve(root, binding);
        if (result == Served::NotWritten)
            return -1;
        served += result == Served::Yes;
    }
    return served;
}

void RemoveCoreDataFolder(const std::string& folder)
{
    if (!folder.empty())
        nftw(folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}
