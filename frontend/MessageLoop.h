// The UI thread's message loop: message filters that may swallow a message
// before it is dispatched, and idle handlers that run once per idle period.
//
// Run() pulls messages from a MessageSource. A toolkit that dispatches its
// own events instead hands each one to PumpMessage() and calls RunIdle()
// when its queue runs dry; both paths share the same filter walk and the
// same idle re-arming.
#pragma once

#include <vector>

#include "platform/win32/WindowMessages.h"

class MessageFilter {
public:
    virtual BOOL PreTranslateMessage(MSG* pMsg) = 0;

protected:
    ~MessageFilter() = default;
};

class IdleHandler {
public:
    virtual BOOL OnIdle() = 0;

protected:
    ~IdleHandler() = default;
};

// Where Run() takes its messages from.
class MessageSource {
public:
    virtual ~MessageSource() = default;
    // TRUE when a message is waiting; removes nothing.
    virtual BOOL PeekMessage(MSG* pMsg) = 0;
    // Waits for the next message: 1, 0 for the quit message (its code in
    // wParam) or -1 on failure.
    virtual int GetMessage(MSG* pMsg) = 0;
    virtual void TranslateAndDispatch(MSG* pMsg) = 0;
};

class MessageLoop {
public:
    BOOL AddMessageFilter(MessageFilter* pFilter);
    BOOL RemoveMessageFilter(MessageFilter* pFilter);
    BOOL AddIdleHandler(IdleHandler* pHandler);
    BOOL RemoveIdleHandler(IdleHandler* pHandler);

    // Pumps until the quit message arrives and returns its code.
    int Run(MessageSource& source);

    // One message of a toolkit that dispatches by itself: walks the
    // filters and re-arms idle processing. TRUE when a filter swallowed it.
    BOOL PumpMessage(MSG* pMsg);
    // The toolkit's queue is empty: runs the idle handlers if armed.
    void RunIdle();

    // Filters walked from the last to the first; TRUE stops the walk.
    BOOL PreTranslateMessage(MSG* pMsg);
    // Messages that arrive in floods leave the idle state alone.
    static BOOL IsIdleMessage(const MSG* pMsg);

private:
    BOOL OnIdle(int nIdleCount);
    // After a message that is no flood, the idle handlers run again.
    void RearmIdle(const MSG* pMsg);

    std::vector<MessageFilter*> m_aMsgFilter;
    std::vector<IdleHandler*> m_aIdleHandler;
    MSG m_msg{};
    BOOL m_bDoIdle = TRUE;
    int m_nIdleCount = 0;
};

// The loop of each UI thread, looked up by the current thread.
BOOL AddMessageLoop(MessageLoop* pLoop);
BOOL RemoveMessageLoop();
MessageLoop* GetMessageLoop();
