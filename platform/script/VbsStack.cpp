#include "platform/script/VbsStack.h"

#include <pthread.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace vbs {

namespace {

// Left free for what runs between two checks (an object's method, a save
// through the file library) and for unwinding; a quarter of a small stack.
constexpr size_t kReserve = 256 * 1024;

// The lowest frame address allowed on this thread (stacks grow down); 0 when
// the stack is not known, which never counts as low.
uintptr_t StackFloor()
{
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0)
        return 0;
    void* low = nullptr;
    size_t size = 0;
    int failed = pthread_attr_getstack(&attributes, &low, &size);
    pthread_attr_destroy(&attributes);
    if (failed || !low)
        return 0;
    return reinterpret_cast<uintptr_t>(low) + std::min(kReserve, size / 4);
}

}  // namespace

bool StackIsLow()
{
    static thread_local const uintptr_t floor = StackFloor();
    return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)) < floor;
}

}  // namespace vbs
