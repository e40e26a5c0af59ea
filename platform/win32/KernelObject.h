// Handles closed with CloseHandle point at a KernelObject; each kind of
// handle (process, thread, mutex, ...) derives its own record from it.
#pragma once

#include "platform/win32/wintypes.h"

struct KernelObject {
    virtual ~KernelObject() = default;
};

BOOL CloseHandle(HANDLE hObject);
