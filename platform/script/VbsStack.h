// Room left on the running thread's stack. Recursion in the scanner, the
// parser and the interpreter stops with the language's error 28, "Out of
// stack space", while enough is left to report it, whatever the thread's
// stack size and however large the frames of this build are. An expression
// tree is freed in a loop, not by recursion; a value's nested arrays are
// copied under this check and freed by recursion at most 64 arrays deep
// (CheckArrayElement), which the reserve holds.
#pragma once

namespace vbs {

// True when the caller's frame lies within the reserve at the stack's end.
bool StackIsLow();

}  // namespace vbs
