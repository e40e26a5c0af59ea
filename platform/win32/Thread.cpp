#include "platform/win32/Thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

std::atomic<DWORD> g_nextThreadId{1};

// Shared by the handle and the running thread, so either may go first.
struct ThreadState {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    DWORD exitCode = STILL_ACTIVE;
};

struct ThreadObject : KernelObject {
    std::shared_ptr<ThreadState> state = std::make_shared<ThreadState>();
};

ThreadObject* AsThread(HANDLE handle)
{
    if (!handle || handle == INVALID_HANDLE_VALUE)
        return nullptr;
    return dynamic_cast<ThreadObject*>(static_cast<KernelObject*>(handle));
}

} // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, size_t, LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                    DWORD, LPDWORD lpThreadId)
{
    if (!lpStartAddress)
        return nullptr;
    auto* object = new ThreadObject;
    std::shared_ptr<ThreadState> state = object->state;
    try {
        std::thread([state, lpStartAddress, lpParameter] {
            DWORD code = lpStartAddress(lpParameter);
            std::lock_guard<std::mutex> lock(state->lock);
            state->exitCode = code;
            state->done = true;
            state->ended.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        delete object;
        return nullptr;
    }
    if (lpThreadId)
        *lpThreadId = g_nextThreadId++;
    return static_cast<KernelObject*>(object);
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    ThreadObject* thread = AsThread(hHandle);
    if (!thread)
        return WAIT_FAILED;
    ThreadState& state = *thread->state;
    std::unique_lock<std::mutex> lock(state.lock);
    if (dwMilliseconds == INFINITE) {
        state.ended.wait(lock, [&] { return state.done; });
        return WAIT_OBJECT_0;
    }
    bool done = state.ended.wait_for(lock, std::chrono::milliseconds(dwMilliseconds), [&] { return state.done; });
    return done ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode)
{
    ThreadObject* thread = AsThread(hThread);
    if (!thread || !lpExitCode)
        return FALSE;
    std::lock_guard<std::mutex> lock(thread->state->lock);
    *lpExitCode = thread->state->exitCode;
    return TRUE;
}
