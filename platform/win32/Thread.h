// Threads: started at once, waited on and closed through their handles.
#pragma once

#include "platform/win32/KernelObject.h"

typedef DWORD (*LPTHREAD_START_ROUTINE)(LPVOID lpThreadParameter);

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu

// The stack size and flags are not used: every thread starts running with
// the default stack. Closing the handle does not end the thread.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, size_t dwStackSize,
                    LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                    LPDWORD lpThreadId);

// Waits until the thread has returned or the milliseconds have passed.
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

// The routine's result once it has returned, STILL_ACTIVE before.
BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
