#include "platform/win32/ModuleFileName.h"

#include <climits>
#include <cstring>
#include <link.h>
#include <string>
#include <strings.h>
#include <unistd.h>

namespace {

struct ModuleSearch {
    const char* name;   // bare name wanted, or null
    ElfW(Addr) address; // load address wanted when name is null
    ElfW(Addr) foundAddress;
    std::string foundPath;
    bool found;
};

const char* BareName(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

int VisitModule(dl_phdr_info* info, size_t, void* data)
{
    auto* search = static_cast<ModuleSearch*>(data);
    if (!info->dlpi_name || !*info->dlpi_name)
        return 0; // the executable itself, or the vDSO
    bool match = search->name ? strcasecmp(BareName(info->dlpi_name), search->name) == 0
                              : info->dlpi_addr == search->address;
    if (!match)
        return 0;
    search->found = true;
    search->foundAddress = info->dlpi_addr;
    search->foundPath = info->dlpi_name;
    return 1;
}

DWORD CopyOut(const char* path, size_t length, LPSTR lpFilename, DWORD nSize)
{
    if (length >= nSize) {
        std::memcpy(lpFilename, path, nSize - 1);
        lpFilename[nSize - 1] = '\0';
        return nSize;
    }
    std::memcpy(lpFilename, path, length);
    lpFilename[length] = '\0';
    return DWORD(length);
}

} // namespace

HMODULE GetModuleHandleA(LPCSTR lpModuleName)
{
    if (!lpModuleName || !*lpModuleName)
        return nullptr;
    ModuleSearch search = {lpModuleName, 0, 0, "", false};
    dl_iterate_phdr(VisitModule, &search);
    // A module loaded at address 0 has no handle to give.
    return search.found ? HMODULE(search.foundAddress) : nullptr;
}

DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize)
{
    if (!lpFilename || nSize == 0)
        return 0;
    if (hModule) {
        ModuleSearch search = {nullptr, ElfW(Addr)(hModule), 0, "", false};
        dl_iterate_phdr(VisitModule, &search);
        if (!search.found)
            return 0;
        return CopyOut(search.foundPath.c_str(), search.foundPath.size(), lpFilename, nSize);
    }
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || size_t(length) >= sizeof path)
        return 0; // none, or cut by the read: not the program's path
    return CopyOut(path, size_t(length), lpFilename, nSize);
}
