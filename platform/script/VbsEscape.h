// The language's escape and unescape. unescape turns %XX and %uXXXX (hex
// digits of either case) into the character they name; a '%' not followed
// by a complete sequence stays as it is. escape leaves letters, digits and
// @*_+-./ alone and writes other characters as %XX (below 256) or %uXXXX,
// in upper-case hex. Both charge their work to the time limit; escape
// raises 7, out of memory, before its text outgrows a string.
#pragma once

#include <string>
#include <string_view>

namespace vbs {

std::u16string Unescape(std::u16string_view text);
std::u16string Escape(std::u16string_view text);

}  // namespace vbs
