// The message loop over the toolkit's event loop: every input, paint, timer
// and command event that the pump's own loop dispatches passes the
// MessageLoop's filters first, and the toolkit's idle events drive its idle
// handlers. Events of nested modal loops pass untouched, as modal dialogs
// run loops of their own.
#pragma once

#include <memory>

#include <wx/event.h>
#include <wx/eventfilter.h>
#include <wx/evtloop.h>

#include "frontend/MessageLoop.h"

class WxMessagePump : public wxEventFilter {
public:
    explicit WxMessagePump(MessageLoop& loop);
    ~WxMessagePump() override;

    // Runs until PostQuitMessage and returns its code.
    int Run();
    void Quit(int code);

    int FilterEvent(wxEvent& event) override;

    // The message an event stands for; WM_NULL for events that are no
    // message of the loop (sizing, idle, thread calls ...).
    static MSG ToMessage(const wxEvent& event);

private:
    void OnIdle(wxIdleEvent& event);
    bool IsOwnLoopActive() const;

    MessageLoop& m_loop;
    std::unique_ptr<wxGUIEventLoop> m_pEventLoop;
};

// The pump of the running message loop, if any.
WxMessagePump* GetMessagePump();
