// Windows as message receivers. A window handle here points at a
// MessageWindow; SendMessageA hands it the message through Deliver and
// returns the window procedure's result.
//
// Deliver runs the window procedure on the calling thread, one message at a
// time. A window that belongs to a toolkit's thread overrides it to run the
// procedure on that thread and to wait until it has run, as a sent message
// does across threads.
#pragma once

#include "platform/win32/WindowMessages.h"

#include <mutex>

class MessageWindow {
public:
    MessageWindow();
    virtual ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    HWND Handle() { return static_cast<HWND>(this); }

    virtual LRESULT Deliver(UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) = 0;

private:
    std::recursive_mutex deliverLock_;
};

// 0 for a handle that names no live window.
LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL IsWindow(HWND hWnd);
