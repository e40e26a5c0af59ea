// The language's operators over plain values (objects already replaced by
// their default values, except for Is). Failures raise the language's
// errors: 13 for a value of the wrong kind, 11 for division by zero, 6 for
// overflow.
#pragma once

#include "platform/script/VbsAst.h"

namespace vbs {

using Value = _variant_t;

// The values Null and text. Text raises 7, out of memory, for a text longer
// than a string can hold; its length is charged to the time limit.
Value Null();
Value Text(const std::u16string& s);
// Charges the time limit for reading v's text, when v is text: every
// operation whose work grows with a text or an array charges it.
void ChargeText(const Value& v);

Value ApplyUnary(Op op, const Value& v);
Value ApplyBinary(Op op, const Value& a, const Value& b);
// The truth of a condition: numbers are true when not 0, text "True"/"False"
// or a number, Empty and Null false.
bool IsTrue(const Value& v);
// Text of a value as CStr gives it ("True", "0.5", ""); Null raises 94.
std::u16string ToText(const Value& v);
// Raises 28 when an array holding element would nest arrays deeper than
// values may: copying and freeing a value recurse through its arrays.
void CheckArrayElement(const Value& element);
double ToNumber(const Value& v);
LONG ToLong(const Value& v);  // rounds half to even; 6 out of range

}  // namespace vbs
