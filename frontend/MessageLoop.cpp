#include "frontend/MessageLoop.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace {

template <typename T>
BOOL RemoveEntry(std::vector<T*>& list, T* entry) {
    auto it = std::find(list.begin(), list.end(), entry);
    if (it == list.end())
        return FALSE;
    list.erase(it);
    return TRUE;
}

// Only the UI thread touches the table, so it takes no lock.
std::vector<std::pair<std::thread::id, MessageLoop*>>& LoopTable() {
    static std::vector<std::pair<std::thread::id, MessageLoop*>> table;
    return table;
}

auto FindLoopEntry() {
    auto& table = LoopTable();
    return std::find_if(table.begin(), table.end(),
                        [](const auto& entry) { return entry.first == std::this_thread::get_id(); });
}

}  // namespace

BOOL MessageLoop::AddMessageFilter(MessageFilter* pFilter) {
    m_aMsgFilter.push_back(pFilter);
    return TRUE;
}

BOOL MessageLoop::RemoveMessageFilter(MessageFilter* pFilter) { return RemoveEntry(m_aMsgFilter, pFilter); }

BOOL MessageLoop::AddIdleHandler(IdleHandler* pHandler) {
    m_aIdleHandler.push_back(pHandler);
    return TRUE;
}

BOOL MessageLoop::RemoveIdleHandler(IdleHandler* pHandler) { return RemoveEntry(m_aIdleHandler, pHandler); }

int MessageLoop::Run(MessageSource& source) {
    m_bDoIdle = TRUE;
    m_nIdleCount = 0;
    for (;;) {
        while (m_bDoIdle && !source.PeekMessage(&m_msg))
            RunIdle();
        int got = source.GetMessage(&m_msg);
        if (got == -1)
            continue;
        if (got == 0)
            break;
        if (!PreTranslateMessage(&m_msg))
            source.TranslateAndDispatch(&m_msg);
        RearmIdle(&m_msg);
    }
    return int(m_msg.wParam);
}

BOOL MessageLoop::PumpMessage(MSG* pMsg) {
    BOOL swallowed = PreTranslateMessage(pMsg);
    RearmIdle(pMsg);
    return swallowed;
}

void MessageLoop::RearmIdle(const MSG* pMsg) {
    if (IsIdleMessage(pMsg)) {
        m_bDoIdle = TRUE;
        m_nIdleCount = 0;
    }
}

void MessageLoop::RunIdle() {
    if (m_bDoIdle && !OnIdle(m_nIdleCount++))
        m_bDoIdle = FALSE;
}

BOOL MessageLoop::PreTranslateMessage(MSG* pMsg) {
    // A filter may remove itself while the walk is on, so index afresh.
    for (size_t i = m_aMsgFilter.size(); i-- > 0;) {
        if (i >= m_aMsgFilter.size())
            continue;
        MessageFilter* filter = m_aMsgFilter[i];
        if (filter && filter->PreTranslateMessage(pMsg))
            return TRUE;
    }
    return FALSE;
}

BOOL MessageLoop::IsIdleMessage(const MSG* pMsg) {
    switch (pMsg->message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case WM_SYSTIMER:
        return FALSE;
    }
    return TRUE;
}

BOOL MessageLoop::OnIdle(int /*nIdleCount*/) {
    for (size_t i = 0; i < m_aIdleHandler.size(); i++) {
        if (IdleHandler* handler = m_aIdleHandler[i])
            handler->OnIdle();
    }
    return FALSE;
}

BOOL AddMessageLoop(MessageLoop* pLoop) {
    if (FindLoopEntry() != LoopTable().end())
        return FALSE;
    LoopTable().emplace_back(std::this_thread::get_id(), pLoop);
    return TRUE;
}

BOOL RemoveMessageLoop() {
    auto it = FindLoopEntry();
    if (it == LoopTable().end())
        return FALSE;
    LoopTable().erase(it);
    return TRUE;
}

MessageLoop* GetMessageLoop() {
    auto it = FindLoopEntry();
    return it == LoopTable().end() ? nullptr : it->second;
}
