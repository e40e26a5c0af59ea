#include "platform/win32/Library.h"

#include "platform/win32/Psapi.h"

#include <cstring>
#include <strings.h>

namespace {

struct Export {
    const char* name;
    FARPROC entry;
};

struct BuiltInLibrary {
    const char* name;
    const Export* exports;
    size_t count;
};

template <typename F>
FARPROC Entry(F* function)
{
    // Through void(*)() so the compiler accepts the change of signature.
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

const Export psapiExports[] = {
    {"EnumProcesses", Entry(&EnumProcesses)},
    {"EnumProcessModules", Entry(&EnumProcessModules)},
    {"GetModuleBaseNameA", Entry(&GetModuleBaseNameA)},
};

const BuiltInLibrary libraries[] = {
    {"PSAPI.DLL", psapiExports, sizeof psapiExports / sizeof *psapiExports},
};

bool IsLibrary(HMODULE module)
{
    for (const BuiltInLibrary& library : libraries)
        if (module == &library)
            return true;
    return false;
}

} // namespace

HMODULE LoadLibraryA(LPCSTR lpLibFileName)
{
    if (!lpLibFileName)
        return nullptr;
    for (const BuiltInLibrary& library : libraries)
        if (strcasecmp(lpLibFileName, library.name) == 0)
            return HMODULE(&library);
    return nullptr;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    if (!IsLibrary(hModule) || !lpProcName)
        return nullptr;
    const auto* library = static_cast<const BuiltInLibrary*>(hModule);
    for (size_t i = 0; i < library->count; ++i)
        if (std::strcmp(library->exports[i].name, lpProcName) == 0)
            return library->exports[i].entry;
    return nullptr;
}

BOOL FreeLibrary(HMODULE hLibModule)
{
    return IsLibrary(hLibModule);
}
