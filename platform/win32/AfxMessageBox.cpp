#include "platform/win32/AfxMessageBox.h"

#include <atomic>
#include <cstdio>

namespace {
std::atomic<AfxMessageBoxHook> hook{nullptr};
}

AfxMessageBoxHook SetAfxMessageBoxHook(AfxMessageBoxHook replacement)
{
    return hook.exchange(replacement);
}

int AfxMessageBox(LPCSTR text, UINT type, UINT helpId)
{
    if (AfxMessageBoxHook h = hook.load())
        return h(text ? text : "", type, helpId);
    std::fputs(text ? text : "", stderr);
    std::fflush(stderr);
    return IDOK;
}
