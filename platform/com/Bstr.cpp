#include "platform/com/Bstr.h"

#include <cstdlib>
#include <cstring>

// Layout of one allocation: [uint32 byte length][characters][0].
BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    if (length > kMaxBstrLength)
        return nullptr;
    size_t bytes = sizeof(uint32_t) + (size_t(length) + 1) * sizeof(OLECHAR);
    auto* block = static_cast<uint32_t*>(std::malloc(bytes));
    if (!block)
        return nullptr;
    block[0] = length * sizeof(OLECHAR);
    BSTR chars = reinterpret_cast<BSTR>(block + 1);
    if (text)
        std::memcpy(chars, text, length * sizeof(OLECHAR));
    else
        std::memset(chars, 0, length * sizeof(OLECHAR));
    chars[length] = 0;
    return chars;
}

BSTR SysAllocString(const OLECHAR* text)
{
    if (!text)
        return nullptr;
    UINT length = 0;
    while (text[length])
        ++length;
    return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text)
{
    if (text)
        std::free(reinterpret_cast<uint32_t*>(text) - 1);
}

UINT SysStringByteLen(BSTR text)
{
    return text ? reinterpret_cast<uint32_t*>(text)[-1] : 0;
}

UINT SysStringLen(BSTR text)
{
    return SysStringByteLen(text) / sizeof(OLECHAR);
}

std::string Utf8FromBstr(BSTR text)
{
    return Utf8FromWide(text, SysStringLen(text), BadBytes::Escape);
}

// Counted, then decoded in place: a long text is never held twice.
BSTR SysAllocStringUtf8(std::string_view text)
{
    size_t units = 0;
    DecodeUtf8(text, [&](char16_t) { ++units; }, BadBytes::Escape);
    if (units > UINT(-1))
        return nullptr;
    BSTR out = SysAllocStringLen(nullptr, UINT(units));
    if (!out)
        return nullptr;
    size_t at = 0;
    DecodeUtf8(text, [&](char16_t unit) { out[at++] = unit; }, BadBytes::Escape);
    return out;
}
