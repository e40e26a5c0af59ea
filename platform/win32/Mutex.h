// Named mutexes over POSIX named semaphores: one name, one object shared
// by every process that opens it.
#pragma once

#include "platform/win32/KernelObject.h"

// Creates or opens the mutex `lpName`; null on failure. Security
// attributes are not supported and must be null.
HANDLE CreateMutexA(LPVOID lpMutexAttributes, BOOL bInitialOwner, LPCSTR lpName);
// Fails unless the handle owns the mutex.
BOOL ReleaseMutex(HANDLE hMutex);
