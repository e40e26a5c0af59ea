#include "platform/win32/Window.h"

#include <set>

namespace {

std::mutex g_windowsLock;
std::set<const void*> g_windows;

MessageWindow* Live(HWND hWnd)
{
    std::lock_guard<std::mutex> lock(g_windowsLock);
    return g_windows.count(hWnd) ? static_cast<MessageWindow*>(hWnd) : nullptr;
}

} // namespace

MessageWindow::MessageWindow()
{
    std::lock_guard<std::mutex> lock(g_windowsLock);
    g_windows.insert(static_cast<const void*>(this));
}

MessageWindow::~MessageWindow()
{
    std::lock_guard<std::mutex> lock(g_windowsLock);
    g_windows.erase(static_cast<const void*>(this));
}

LRESULT MessageWindow::Deliver(UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::recursive_mutex> lock(deliverLock_);
    return WindowProc(msg, wParam, lParam);
}

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    MessageWindow* window = Live(hWnd);
    return window ? window->Deliver(Msg, wParam, lParam) : 0;
}

BOOL IsWindow(HWND hWnd)
{
    return Live(hWnd) != nullptr;
}
