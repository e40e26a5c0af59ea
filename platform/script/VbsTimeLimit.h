// The time limit of the program running on this thread. The interpreter
// looks at the clock before every statement. Within a statement, every
// operation whose work grows with a text or an array charges that work, in
// units of about one character or element handled: making or reading a
// text, comparing, joining, searching and escaping texts, making or
// copying an array (each element made as it is reached), walking it in
// For Each. The clock is read again after every so many
// units, so the limit holds within a fraction of a second however many
// costly steps one statement holds.
#pragma once

#include "platform/com/HResult.h"

#include <cstddef>
#include <cstdint>

namespace vbs {

class TimeLimit {
public:
    // A limit of the given milliseconds (none for 0 or less) for this
    // thread, until the object ends; the limit it replaced then holds again.
    explicit TimeLimit(LONG milliseconds);
    ~TimeLimit();
    TimeLimit(const TimeLimit&) = delete;
    TimeLimit& operator=(const TimeLimit&) = delete;

private:
    bool active_;
    int64_t deadline_;  // milliseconds of the coarse monotonic clock
    TimeLimit* previous_;
    friend void CheckTimeLimit();
};

// Raises the timeout, which On Error cannot skip, once the limit has passed.
void CheckTimeLimit();
// Counts work done inside one step (about one unit a character handled).
void ChargeWork(size_t units);

}  // namespace vbs
