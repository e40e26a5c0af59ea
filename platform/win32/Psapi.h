// Processes over this system's process table (/proc): listing them, reading
// the base name of their executable, and ending them.
#pragma once

#include "platform/win32/wintypes.h"

typedef BOOL (*EnumProcessesProc)(DWORD*, DWORD, DWORD*);
typedef BOOL (*EnumProcessModulesProc)(HANDLE, HMODULE*, DWORD, DWORD*);
typedef DWORD (*GetModuleBaseNameAProc)(HANDLE, HMODULE, LPSTR, DWORD);

// Fills up to cb / 4 process ids; *lpcbNeeded is the bytes filled.
BOOL EnumProcesses(DWORD* lpidProcess, DWORD cb, DWORD* lpcbNeeded);

// The process's main module is its only one. Fails when the process's
// executable cannot be named.
BOOL EnumProcessModules(HANDLE hProcess, HMODULE* lphModule, DWORD cb, LPDWORD lpcbNeeded);

// The executable's file name without its folder, cut to nSize - 1.
// Returns the length written, 0 on failure.
DWORD GetModuleBaseNameA(HANDLE hProcess, HMODULE hModule, LPSTR lpBaseName, DWORD nSize);

// A handle on a running process; close it with CloseHandle.
HANDLE OpenProcess(DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwProcessId);

// STILL_ACTIVE while the process runs; its exit status once it has ended
// and not yet been reaped.
BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode);

// Ends the process at once (SIGKILL). Needs PROCESS_TERMINATE access.
BOOL TerminateProcess(HANDLE hProcess, UINT uExitCode);
