// Length-prefixed UTF-16 strings. A BSTR points at its first character; the
// 32-bit byte length sits just before it and a 0 terminator just after the
// text. A null BSTR is the empty string.
#pragma once

#include "platform/win32/Utf16.h"
#include "platform/win32/wintypes.h"

#include <string>
#include <string_view>

typedef WCHAR OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;
typedef OLECHAR* BSTR;

// The most characters one BSTR holds (its byte length is a positive 32-bit
// number, with room for the header and terminator).
constexpr UINT kMaxBstrLength = (0x7FFFFFFFu - 8) / sizeof(OLECHAR);

BSTR SysAllocString(const OLECHAR* text);
// With a null text the characters are left as zeros for the caller to fill.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

// Conveniences of this layer: 8-bit text in and out, as the ANSI code page
// converts it (UTF-8, with undecodable bytes escaped; see Utf16.h).
BSTR SysAllocStringUtf8(std::string_view text);
std::string Utf8FromBstr(BSTR text);
