#include "platform/script/VbsTimeLimit.h"

#include "platform/script/VbsErrors.h"

namespace vbs {

namespace {

constexpr LONG kTimeoutNumber = LONG(0x80004004);  // E_ABORT
constexpr size_t kWorkBetweenChecks = 1 << 20;     // well under a millisecond

thread_local TimeLimit* current = nullptr;
thread_local size_t work = 0;

}  // namespace

TimeLimit::TimeLimit(LONG milliseconds)
    : active_(milliseconds > 0),
      deadline_(std::chrono::steady_clock::now() + std::chrono::milliseconds(active_ ? milliseconds : 0)),
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
    if (!current || !current->active_ || std::chrono::steady_clock::now() < current->deadline_)
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
