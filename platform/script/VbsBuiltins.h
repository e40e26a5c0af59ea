// The built-in functions and constants of the language.
#pragma once

#include "platform/script/VbsOperators.h"

#include <string_view>
#include <vector>

namespace vbs {

using BuiltinFunction = Value (*)(std::vector<Value>& args);

struct Builtin {
    std::u16string_view name;  // lower case
    unsigned minArgs;
    unsigned maxArgs;
    BuiltinFunction function;
};

const Builtin* FindBuiltin(std::u16string_view lowerName);
// vbCrLf and the like; false when the name is no constant.
bool FindConstant(std::u16string_view lowerName, Value* value);

}  // namespace vbs
