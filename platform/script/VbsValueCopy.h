// Copies of the interpreter's values: a variable read, an array element, a
// loop's next item. A copy's work grows with its text and its elements, so
// it is charged to the time limit as it goes, element by element, and a
// nested array is copied under the stack check.
#pragma once

#include "platform/script/VbsOperators.h"

#include <functional>

namespace vbs {

// A deep copy of v. Raises the timeout once the limit passes, 7 when memory
// runs out, 28 when the stack runs low; a partial copy is freed.
Value CopyValue(const VARIANT& v);

// Makes every element of a fresh array of values in turn, charging one unit
// each: the first copies are copies of *from(i) (Empty when from gives
// null), the rest Empty. An array costs its elements when its memory is
// first touched and when it is freed, so making each one now pays for both
// under the time limit. When a step raises, the array is freed having
// touched only what was made, fresh is Empty, and the error goes on.
void MakeElements(Value& fresh, size_t copies, const std::function<const VARIANT*(size_t)>& from);

}  // namespace vbs
