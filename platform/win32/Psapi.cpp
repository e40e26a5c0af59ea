#include "platform/win32/Psapi.h"

#include "platform/win32/KernelObject.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ProcessObject : KernelObject {
    pid_t pid;
    DWORD access;
    ProcessObject(pid_t p, DWORD a) : pid(p), access(a) {}
};

// The main module handle every process reports.
const HMODULE mainModule = HMODULE(uintptr_t(0x400000));

ProcessObject* AsProcess(HANDLE handle)
{
    if (!handle || handle == INVALID_HANDLE_VALUE)
        return nullptr;
    return dynamic_cast<ProcessObject*>(static_cast<KernelObject*>(handle));
}

std::string ProcPath(pid_t pid, const char* entry)
{
    return "/proc/" + std::to_string(pid) + "/" + entry;
}

std::string FirstLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The base name of the process's executable; when its link cannot be read
// (another user's process), the kernel's command name.
std::string BaseName(pid_t pid)
{
    char target[PATH_MAX];
    ssize_t length = readlink(ProcPath(pid, "exe").c_str(), target, sizeof target - 1);
    if (length > 0) {
        std::string path(target, size_t(length));
        const std::string deleted = " (deleted)";
        if (path.size() > deleted.size() && path.ends_with(deleted))
            path.resize(path.size() - deleted.size());
        return path.substr(path.rfind('/') + 1);
    }
    return FirstLine(ProcPath(pid, "comm"));
}

// The state letter and exit status fields of /proc/<pid>/stat.
bool ReadStat(pid_t pid, char& state, int& exitStatus)
{
    std::string stat = FirstLine(ProcPath(pid, "stat"));
    size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return false;
    std::istringstream fields(stat.substr(close + 1));
    fields >> state;
    std::string field;
    exitStatus = 0;
    for (int index = 4; fields >> field; ++index) // field 3 was the state
        if (index == 52)
            exitStatus = std::atoi(field.c_str());
    return true;
}

bool IsProcessId(const char* name)
{
    if (!*name)
        return false;
    for (const char* p = name; *p; ++p)
        if (!std::isdigit(static_cast<unsigned char>(*p)))
            return false;
    return true;
}

} // namespace

BOOL EnumProcesses(DWORD* lpidProcess, DWORD cb, DWORD* lpcbNeeded)
{
    if (!lpidProcess || !lpcbNeeded)
        return FALSE;
    DIR* proc = opendir("/proc");
    if (!proc)
        return FALSE;
    DWORD count = 0;
    while (dirent* entry = readdir(proc)) {
        if (count >= cb / sizeof(DWORD))
            break;
        if (IsProcessId(entry->d_name))
            lpidProcess[count++] = DWORD(std::strtoul(entry->d_name, nullptr, 10));
    }
    closedir(proc);
    *lpcbNeeded = count * DWORD(sizeof(DWORD));
    return TRUE;
}

BOOL EnumProcessModules(HANDLE hProcess, HMODULE* lphModule, DWORD cb, LPDWORD lpcbNeeded)
{
    ProcessObject* process = AsProcess(hProcess);
    if (!process || !lpcbNeeded || BaseName(process->pid).empty())
        return FALSE;
    if (lphModule && cb >= sizeof(HMODULE))
        *lphModule = mainModule;
    *lpcbNeeded = DWORD(sizeof(HMODULE));
    return TRUE;
}

DWORD GetModuleBaseNameA(HANDLE hProcess, HMODULE hModule, LPSTR lpBaseName, DWORD nSize)
{
    ProcessObject* process = AsProcess(hProcess);
    if (!process || (hModule && hModule != mainModule) || !lpBaseName || nSize == 0)
        return 0;
    std::string name = BaseName(process->pid);
    if (name.empty())
        return 0;
    size_t length = std::min<size_t>(name.size(), nSize - 1);
    std::memcpy(lpBaseName, name.data(), length);
    lpBaseName[length] = '\0';
    return DWORD(length);
}

HANDLE OpenProcess(DWORD dwDesiredAccess, BOOL, DWORD dwProcessId)
{
    if (dwProcessId == 0 || dwProcessId > DWORD(INT_MAX))
        return nullptr;
    char state;
    int exitStatus;
    if (!ReadStat(pid_t(dwProcessId), state, exitStatus))
        return nullptr;
    return static_cast<KernelObject*>(new ProcessObject(pid_t(dwProcessId), dwDesiredAccess));
}

BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode)
{
    ProcessObject* process = AsProcess(hProcess);
    char state;
    int exitStatus;
    if (!process || !lpExitCode || !ReadStat(process->pid, state, exitStatus))
        return FALSE;
    if (state != 'Z' && state != 'X') {
        *lpExitCode = STILL_ACTIVE;
        return TRUE;
    }
    *lpExitCode = WIFSIGNALED(exitStatus) ? DWORD(WTERMSIG(exitStatus)) : DWORD(WEXITSTATUS(exitStatus));
    return TRUE;
}

BOOL TerminateProcess(HANDLE hProcess, UINT)
{
    ProcessObject* process = AsProcess(hProcess);
    if (!process || !(process->access & PROCESS_TERMINATE))
        return FALSE;
    return kill(process->pid, SIGKILL) == 0;
}
