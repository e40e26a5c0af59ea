// UTF-8 <-> UTF-16, the one conversion of the platform layer. Malformed
// input (an unpaired surrogate, a bad or overlong UTF-8 sequence) becomes
// U+FFFD, one per bad unit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

std::u16string WideFromUtf8(std::string_view text);
std::string Utf8FromWide(const char16_t* text, std::size_t length);
