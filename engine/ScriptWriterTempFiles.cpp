#include "engine/ScriptWriterTempFiles.h"

#include <cstdio>
#include <cstring>

#include "engine/EngineApp.h"
#include "engine/LoadLeftovers.h"
#include "platform/win32/TempFiles.h"

std::vector<std::string> g_tempFiles;

namespace {

// A temporary name whose number was freed again may come back, and a file
// with the extension may be left from an earlier run: the full name is
// claimed by creating it, so a picture never overwrites another.
constexpr int kNameAttempts = 64;

bool ClaimFile(const char* name)
{
    std::FILE* file = std::fopen(name, "wx");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

} // namespace

DWORD MakeTempFileName(DWORD bufferSize, char* buffer, const char* extension)
{
    if (bufferSize == 0 || !buffer)
        return 0;
    if (!extension)
        extension = "";
    char folder[MAX_PATH];
    DWORD folderLength = GetTempPathA(MAX_PATH, folder);
    if (folderLength == 0 || folderLength >= MAX_PATH)
        return 0;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char name[MAX_PATH];
        if (GetTempFileNameA(folder, "tpf", 0, name) == 0)
            return 0;
        DeleteFileA(name);
        std::string full = std::string(name) + extension;
        if (full.size() + 1 > bufferSize)
            return 0;
        if (!ClaimFile(full.c_str()))
            continue;
        MarkPicture(g_tempFolder.Text(), full); // found again should this load be killed
        std::memcpy(buffer, full.c_str(), full.size() + 1);
        g_tempFiles.push_back(full);
        return DWORD(full.size());
    }
    return 0;
}

void DeleteTempFiles()
{
    for (const std::string& name : g_tempFiles) {
        DeleteFileA(name.c_str());
        UnmarkPicture(g_tempFolder.Text(), name);
    }
    // Forgotten once deleted: a later call must not delete a file that
    // another program has since made under the same name.
    g_tempFiles.clear();
}
