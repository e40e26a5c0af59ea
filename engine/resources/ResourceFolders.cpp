#include "engine/resources/ResourceFolders.h"

#include "engine/resources/PathParts.h"
#include "platform/win32/ModuleFileName.h"
#include "platform/win32/RegularFile.h"
#include "platform/win32/TempFiles.h"

#include <cstring>

namespace {

bool WritesOrCreates(const char* mode)
{
    return std::strpbrk(mode, "wWaA+") != nullptr;
}

bool IsAbsolute(const std::string& name)
{
    return !name.empty() && (name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':'));
}

std::string TempFolderPath()
{
    char buffer[MAX_PATH] = "";
    DWORD length = GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length >= sizeof buffer)
        return "";
    return WithSeparator(buffer);
}

} // namespace

unsigned long GetMyModuleFileName(int, char* buffer, unsigned long size)
{
    return GetModuleFileNameA(GetModuleHandleA("Pelmora.dll"), buffer, DWORD(size));
}

std::string ModulePath(HMODULE module)
{
    std::string path(kMaxModulePath, '\0');
    DWORD length = GetModuleFileNameA(module, path.data(), DWORD(path.size()));
    if (length == 0 || length >= path.size())
        return "";
    path.resize(length);
    return path;
}

std::string ProgramFolder()
{
    return FolderOf(ModulePath(GetModuleHandleA("Pelmora.dll"))); // the module GetMyModuleFileName reads
}

FILE* OpenResourceFile(const char* name, const char* mode)
{
    if (!name || !*name || !mode)
        return nullptr;
    if (FILE* file = FopenRegularFile(name, mode))
        return file;
    if (WritesOrCreates(mode))
        return nullptr;

    const std::string program = ProgramFolder(), bare = BareName(name);
    if (!program.empty() && !bare.empty()) {
        for (const char* folder : {"", "encoding/", "Resource/", "Resource/CMap/"}) {
            std::string candidate = program + folder + bare;
            if (FILE* file = FopenRegularFile(candidate.c_str(), mode))
                return file;
        }
    }
    const std::string temp = TempFolderPath();
    if (temp.empty() || IsAbsolute(name) || bare.empty())
        return nullptr;
    return FopenRegularFile((temp + name).c_str(), mode);
}
