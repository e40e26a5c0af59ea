// Named mutexes, one per name and user: a file readable by the user alone
// in the user's folder of named objects, shared by every process of the
// user that opens it, and removed when its last handle closes (a process
// that ends closes its handles). Ownership is an exclusive lock on it.
#pragma once

#include "platform/win32/KernelObject.h"

#include <string>

// Creates or opens the mutex `lpName`; null on failure. Security
// attributes are not supported and must be null.
HANDLE CreateMutexA(LPVOID lpMutexAttributes, BOOL bInitialOwner, LPCSTR lpName);
// Fails unless the handle owns the mutex.
BOOL ReleaseMutex(HANDLE hMutex);

// Where the named object lives for this user; "" when the name is empty or
// too long, or the user's folder is held by another user.
std::string NamedObjectPath(LPCSTR lpName);
