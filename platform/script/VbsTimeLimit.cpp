#include "platform/script/VbsTimeLimit.h"

#include "platform/script/VbsErrors.h"

#include <time.h>

namespace vbs {

namespace {

constexpr LONG kTimeoutNumber = LONG(0x80004004);  // E_ABORT
constexpr size_t kWorkBetweenChecks = 1 << 20;     // well under a millisecond

thread_local TimeLimit* current = nullptr;
thread_local size_t work = 0;

// Read before every statement, so the cheap clock: it moves in steps of a
// few milliseconds, far finer than any limit needs.
int64_t NowMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

TimeLimit::TimeLimit(LONG milliseconds)
    : active_(milliseconds > 0),
      deadline_(NowMilliseconds() + milliseconds),
      previous_(current)
{
    current = this;
}

TimeLimit::~TimeLimit()
{
    current = previous_;
}

void CheckTimeLimit()
{
    if (!current || !current->active_ || NowMilliseconds() < current->deadline_)
        return;
    RuntimeError e;
    e.error = {kTimeoutNumber, "The script ran longer than its time limit", kRuntimeSource, 0, 0, {}, false};
    throw e;
}

void ChargeWork(size_t units)
{
    work += units;
    if (work < kWorkBetweenChecks)
        return;
    work = 0;
    CheckTimeLimit();
}

}  // namespace vbs
