#include "frontend/MessagePump.h"

#include <wx/app.h>
#include <wx/timer.h>
#include <wx/window.h>

#include "frontend/MainDialog.h"

namespace {

WxMessagePump* g_pump = nullptr;

WPARAM VirtualKey(int keyCode) {
    switch (keyCode) {
    case WXK_ESCAPE:
        return VK_ESCAPE;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        return VK_RETURN;
    }
    return WPARAM(keyCode);
}

}  // namespace

WxMessagePump::WxMessagePump(MessageLoop& loop) : m_loop(loop) {
    wxEvtHandler::AddFilter(this);
    wxTheApp->Bind(wxEVT_IDLE, &WxMessagePump::OnIdle, this);
}

WxMessagePump::~WxMessagePump() {
    wxTheApp->Unbind(wxEVT_IDLE, &WxMessagePump::OnIdle, this);
    wxEvtHandler::RemoveFilter(this);
    if (g_pump == this)
        g_pump = nullptr;
}

int WxMessagePump::Run() {
    WxMessagePump* outer = g_pump;
    g_pump = this;
    m_pEventLoop = std::make_unique<wxGUIEventLoop>();
    int code = m_pEventLoop->Run();
    m_pEventLoop.reset();
    g_pump = outer;
    return code;
}

void WxMessagePump::Quit(int code) {
    if (m_pEventLoop)
        m_pEventLoop->ScheduleExit(code);
}

bool WxMessagePump::IsOwnLoopActive() const {
    return m_pEventLoop && wxEventLoopBase::GetActive() == m_pEventLoop.get();
}

int WxMessagePump::FilterEvent(wxEvent& event) {
    if (!IsOwnLoopActive())
        return Event_Skip;
    MSG msg = ToMessage(event);
    if (msg.message == WM_NULL)
        return Event_Skip;
    return m_loop.PumpMessage(&msg) ? Event_Processed : Event_Skip;
}

void WxMessagePump::OnIdle(wxIdleEvent& event) {
    if (IsOwnLoopActive())
        m_loop.RunIdle();
    event.Skip();
}

MSG WxMessagePump::ToMessage(const wxEvent& event) {
    const wxEventType type = event.GetEventType();
    auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
    MSG msg{window ? window->GetHandle() : nullptr, WM_NULL, 0, 0};
    if (type == wxEVT_CHAR_HOOK || type == wxEVT_KEY_DOWN) {
        msg.message = WM_KEYDOWN;
        msg.wParam = VirtualKey(static_cast<const wxKeyEvent&>(event).GetKeyCode());
    } else if (type == wxEVT_KEY_UP) {
        msg.message = WM_KEYUP;
        msg.wParam = VirtualKey(static_cast<const wxKeyEvent&>(event).GetKeyCode());
    } else if (type == wxEVT_CHAR) {
        msg.message = WM_CHAR;
        msg.wParam = VirtualKey(static_cast<const wxKeyEvent&>(event).GetKeyCode());
    } else if (type == wxEVT_MOTION) {
        msg.message = WM_MOUSEMOVE;
    } else if (type == wxEVT_LEFT_DOWN) {
        msg.message = WM_LBUTTONDOWN;
    } else if (type == wxEVT_LEFT_UP) {
        msg.message = WM_LBUTTONUP;
    } else if (type == wxEVT_PAINT) {
        msg.message = WM_PAINT;
    } else if (type == wxEVT_TIMER) {
        msg.message = WM_TIMER;
    } else if (type == wxEVT_BUTTON || type == wxEVT_RADIOBUTTON || type == wxEVT_MENU) {
        msg.message = WM_COMMAND;
        msg.wParam = WPARAM(event.GetId());
    } else if (type == wxEVT_CLOSE_WINDOW) {
        msg.message = WM_CLOSE;
    } else if (type == wxEVT_DROP_FILES) {
        msg.message = WM_DROPFILES;
    }
    return msg;
}

WxMessagePump* GetMessagePump() { return g_pump; }

void PostQuitMessage(int code) {
    if (WxMessagePump* pump = GetMessagePump())
        pump->Quit(code);
}
