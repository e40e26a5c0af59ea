#include "engine/TerminateProcesses.h"

#include "platform/win32/KernelObject.h"
#include "platform/win32/Library.h"
#include "platform/win32/Psapi.h"
#include "platform/win32/Version.h"

#include <cstdio>
#include <strings.h>
#include <vector>

// More processes than any system runs (the kernel's own ceiling is 4M).
constexpr size_t kMaxProcessIds = size_t(1) << 22;

static EnumProcessesProc pEnumProcesses = nullptr;
static EnumProcessModulesProc pEnumProcessModules = nullptr;
static GetModuleBaseNameAProc pGetModuleBaseNameA = nullptr;

template <typename Proc>
static Proc Lookup(HMODULE module, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

HMODULE LoadPsapi()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return nullptr;
    HMODULE psapi = LoadLibraryA("PSAPI.DLL");
    if (!psapi)
        return nullptr;
    pEnumProcesses = Lookup<EnumProcessesProc>(psapi, "EnumProcesses");
    pEnumProcessModules = Lookup<EnumProcessModulesProc>(psapi, "EnumProcessModules");
    pGetModuleBaseNameA = Lookup<GetModuleBaseNameAProc>(psapi, "GetModuleBaseNameA");
    if (!pEnumProcesses || !pEnumProcessModules || !pGetModuleBaseNameA) {
        FreeLibrary(psapi);
        return nullptr;
    }
    return psapi;
}

void TerminateProcessIfNamed(DWORD processId, const char* name)
{
    char baseName[MAX_PATH] = "unknown";
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process) {
        HMODULE module;
        DWORD needed;
        if (pEnumProcessModules(process, &module, sizeof module, &needed))
            pGetModuleBaseNameA(process, module, baseName, sizeof baseName);
        CloseHandle(process);
    }
    if (strcasecmp(baseName, name) != 0)
        return;

    std::printf("%s (PID to terminate: %u)\n", baseName, unsigned(processId));
    HANDLE target = OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId);
    if (!target)
        return;
    DWORD exitCode = 0;
    if (GetExitCodeProcess(target, &exitCode)) {
        std::printf("Exit code for %s: %u\n", name, unsigned(exitCode));
        TerminateProcess(target, exitCode);
        std::printf("Process: %u, was succesful terminated.\n", unsigned(processId));
    } else {
        std::printf("Could not get ExitCode.\n");
    }
    CloseHandle(target);
}

// Every process id, asked again with room for twice as many while the
// answer fills the buffer: a full answer may have left some out. Empty
// when the list cannot be had.
static std::vector<DWORD> RunningProcessIds()
{
    std::vector<DWORD> ids(1024);
    for (;;) {
        DWORD bytes = 0;
        const DWORD room = DWORD(ids.size() * sizeof(DWORD));
        if (!pEnumProcesses(ids.data(), room, &bytes))
            return {};
        if (bytes < room || ids.size() >= kMaxProcessIds) {
            ids.resize(bytes / sizeof(DWORD));
            return ids;
        }
        ids.resize(ids.size() * 2);
    }
}

int TerminateProcessesByName(const char* name)
{
    HMODULE psapi = LoadPsapi();
    if (!psapi)
        return 0;
    for (DWORD id : RunningProcessIds())
        TerminateProcessIfNamed(id, name);
    FreeLibrary(psapi);
    return 0;
}
