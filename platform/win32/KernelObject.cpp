#include "platform/win32/KernelObject.h"

BOOL CloseHandle(HANDLE hObject)
{
    if (!hObject || hObject == INVALID_HANDLE_VALUE)
        return FALSE;
    delete static_cast<KernelObject*>(hObject);
    return TRUE;
}
