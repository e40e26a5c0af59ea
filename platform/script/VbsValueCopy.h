// Copies of the interpreter's values: a variable read, an array element, a
// loop's next item. A copy's work grows with its text and its elements, so
// it is charged to the time limit as it goes, element by element, and a
// nested array is copied under the stack check.
#pragma once

#include "platform/script/VbsOperators.h"

namespace vbs {

// A deep copy of v. Raises the timeout once the limit passes, 7 when memory
// runs out, 28 when the stack runs low; a partial copy is freed.
Value CopyValue(const VARIANT& v);

}  // namespace vbs
