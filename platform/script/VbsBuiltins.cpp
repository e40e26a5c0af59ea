#include "platform/script/VbsBuiltins.h"

#include "platform/com/ComRuntime.h"
#include "platform/com/SafeArray.h"
#include "platform/script/VbsErrors.h"
#include "platform/script/VbsEscape.h"
#include "platform/script/VbsTimeLimit.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace vbs {

namespace {

bool IsObjectValue(const Value& v) { return v.vt == VT_DISPATCH; }

// A count or position argument: a number >= min, else error 5.
LONG Count(const Value& v, LONG min)
{
    LONG n = ToLong(v);
    if (n < min)
        Raise(kInvalidCall);
    return n;
}

char16_t Upper(char16_t c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return char16_t(c - 32);
    return c;
}

char16_t Lower(char16_t c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return char16_t(c + 32);
    return c;
}

using Traits = std::char_traits<char16_t>;
constexpr size_t kNowhere = std::u16string_view::npos;

// Whether text begins with part, compared a slice at a time so that the
// work is charged as it goes.
bool BeginsWith(std::u16string_view text, std::u16string_view part)
{
    constexpr size_t kSlice = 4096;
    for (size_t i = 0; i < part.size(); i += kSlice) {
        size_t n = std::min(kSlice, part.size() - i);
        ChargeWork(n);
        if (Traits::compare(text.data() + i, part.data() + i, n) != 0)
            return false;
    }
    return true;
}

// Where part first occurs in text at or after from; kNowhere if it does
// not. One search can cost the two lengths multiplied, so it is charged to
// the time limit.
size_t FindText(std::u16string_view text, std::u16string_view part, size_t from)
{
    if (part.empty())
        return from <= text.size() ? from : kNowhere;
    if (part.size() > text.size())
        return kNowhere;
    const size_t last = text.size() - part.size();
    for (size_t at = from; at <= last; ++at) {
        const char16_t* hit = Traits::find(text.data() + at, last - at + 1, part[0]);
        if (!hit)
            break;
        ChargeWork(size_t(hit - text.data()) - at + 1);
        at = size_t(hit - text.data());
        if (BeginsWith(text.substr(at), part))
            return at;
    }
    return kNowhere;
}

Value Convert(const Value& v, VARTYPE vt)
{
    if (v.vt == VT_NULL)
        Raise(kInvalidUseOfNull);
    ChargeText(v);
    Value out;
    HRESULT hr = VariantChangeType(&out, &v, VARIANT_ALPHABOOL, vt);
    if (FAILED(hr))
        Raise(ErrorOfHResult(hr));
    return out;
}

// ---- the functions ----

Value CreateObjectFn(std::vector<Value>& a)
{
    std::u16string progId = ToText(a[0]);
    CLSID clsid;
    IDispatch* object = nullptr;
    if (FAILED(CLSIDFromProgID(progId.c_str(), &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&object))) ||
        !object)
        Raise(kCannotCreateObject);
    return Value(object, false);
}

Value UnescapeFn(std::vector<Value>& a)
{
    if (a[0].vt == VT_NULL)
        return Null();
    return Text(Unescape(ToText(a[0])));
}

Value EscapeFn(std::vector<Value>& a)
{
    if (a[0].vt == VT_NULL)
        return Null();
    return Text(Escape(ToText(a[0])));
}

Value RgbFn(std::vector<Value>& a)
{
    LONG c[3];
    for (int i = 0; i < 3; ++i) {
        c[i] = Count(a[i], 0);
        if (c[i] > 255)
            c[i] = 255;
    }
    return Value(LONG(c[0] | (c[1] << 8) | (c[2] << 16)));
}

Value LenFn(std::vector<Value>& a)
{
    if (a[0].vt == VT_NULL)
        return Null();
    return Value(LONG(ToText(a[0]).size()));
}

Value MidFn(std::vector<Value>& a)
{
    if (a[0].vt == VT_NULL)
        return Null();
    std::u16string s = ToText(a[0]);
    LONG start = Count(a[1], 1);
    LONG length = a.size() > 2 ? Count(a[2], 0) : LONG(s.size());
    if (size_t(start) > s.size())
        return Text(u"");
    return Text(s.substr(size_t(start - 1), size_t(length)));
}

Value LeftFn(std::vector<Value>& a)
{
    if (a[0].vt == VT_NULL)
        return Null();
    std::u16string s = ToText(a[0]);
    return Text(s.substr(0, size_t(Count(a[1], 0))));
}

Value RightFn(std::vector<Value>& a)
{
    if (a[0].vt == VT_NULL)
        return Null();
    std::u16string s = ToText(a[0]);
    size_t n = size_t(Count(a[1], 0));
    return Text(n >= s.size() ? s : s.substr(s.size() - n));
}

// The text of v with each character passed through change; Null stays Null.
Value EachChar(const Value& v, char16_t (*change)(char16_t))
{
    if (v.vt == VT_NULL)
        return Null();
    std::u16string s = ToText(v);
    for (char16_t& c : s)
        c = change(c);
    return Text(s);
}

Value UCaseFn(std::vector<Value>& a)
{
    return EachChar(a[0], Upper);
}

Value LCaseFn(std::vector<Value>& a)
{
    return EachChar(a[0], Lower);
}

Value TrimFn(std::vector<Value>& a)
{
    std::u16string s = ToText(a[0]);
    size_t b = s.find_first_not_of(u' ');
    if (b == std::u16string::npos)
        return Text(u"");
    return Text(s.substr(b, s.find_last_not_of(u' ') - b + 1));
}

Value InStrFn(std::vector<Value>& a)
{
    // InStr([start,] text, part)
    size_t first = a.size() == 3 ? 1 : 0;
    LONG start = a.size() == 3 ? Count(a[0], 1) : 1;
    if (a[first].vt == VT_NULL || a[first + 1].vt == VT_NULL)
        return Null();
    std::u16string s = ToText(a[first]), part = ToText(a[first + 1]);
    if (size_t(start) > s.size() + 1)
        return Value(LONG(0));
    size_t at = FindText(s, part, size_t(start - 1));
    return Value(LONG(at == kNowhere ? 0 : at + 1));
}

Value ReplaceFn(std::vector<Value>& a)
{
    std::u16string s = ToText(a[0]), from = ToText(a[1]), to = ToText(a[2]);
    if (from.empty())
        return Text(s);
    std::u16string out;
    size_t pos = 0;
    for (size_t at; (at = FindText(s, from, pos)) != kNowhere; pos = at + from.size()) {
        if (out.size() + (at - pos) + to.size() > kMaxBstrLength)
            Raise(kOutOfMemory);  // before the text outgrows what a string can hold
        out.append(s, pos, at - pos).append(to);
        ChargeWork(at - pos + to.size());
    }
    out.append(s, pos);
    return Text(out);
}

Value ChrWFn(std::vector<Value>& a)
{
    LONG code = ToLong(a[0]);
    if (code < -32768 || code > 65535)
        Raise(kInvalidCall);
    return Text(std::u16string(1, char16_t(code & 0xFFFF)));
}

Value ChrFn(std::vector<Value>& a)
{
    LONG code = ToLong(a[0]);
    if (code < 0 || code > 255)
        Raise(kInvalidCall);
    return Text(std::u16string(1, char16_t(code)));
}

Value AscWFn(std::vector<Value>& a)
{
    std::u16string s = ToText(a[0]);
    if (s.empty())
        Raise(kInvalidCall);
    return Value(LONG(s[0]));
}

Value SpaceFn(std::vector<Value>& a)
{
    LONG n = Count(a[0], 0);
    if (n > (1 << 24))
        Raise(kOutOfMemory);
    return Text(std::u16string(size_t(n), u' '));
}

Value CStrFn(std::vector<Value>& a) { return Text(ToText(a[0])); }
Value CIntFn(std::vector<Value>& a) { return Convert(a[0], VT_I2); }
Value CLngFn(std::vector<Value>& a) { return Convert(a[0], VT_I4); }
Value CDblFn(std::vector<Value>& a) { return Convert(a[0], VT_R8); }
Value CBoolFn(std::vector<Value>& a) { return Convert(a[0], VT_BOOL); }
Value IsObjectFn(std::vector<Value>& a) { return Value(IsObjectValue(a[0])); }
Value IsEmptyFn(std::vector<Value>& a) { return Value(a[0].vt == VT_EMPTY); }
Value IsNullFn(std::vector<Value>& a) { return Value(a[0].vt == VT_NULL); }
Value IsArrayFn(std::vector<Value>& a) { return Value((a[0].vt & VT_ARRAY) != 0); }

Value IsNumericFn(std::vector<Value>& a)
{
    const Value& v = a[0];
    if (v.vt == VT_I2 || v.vt == VT_I4 || v.vt == VT_R4 || v.vt == VT_R8 || v.vt == VT_UI1 ||
        v.vt == VT_EMPTY || v.vt == VT_BOOL)
        return Value(true);
    if (v.vt != VT_BSTR)
        return Value(false);
    ChargeText(v);
    Value n;
    return Value(SUCCEEDED(VariantChangeType(&n, &v, 0, VT_R8)));
}

Value AbsFn(std::vector<Value>& a)
{
    if (a[0].vt == VT_NULL)
        return Null();
    Value n = ApplyBinary(Op::Add, a[0], Value(LONG(0)));
    return ToNumber(n) < 0 ? ApplyUnary(Op::Neg, n) : n;
}

Value IntFn(std::vector<Value>& a) { return Value(std::floor(ToNumber(a[0]))); }
Value FixFn(std::vector<Value>& a) { return Value(std::trunc(ToNumber(a[0]))); }

Value HexFn(std::vector<Value>& a)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", uint32_t(ToLong(a[0])));
    return Text(std::u16string(text, text + std::strlen(text)));
}

Value BoundFn(std::vector<Value>& a, bool upper)
{
    if (!(a[0].vt & VT_ARRAY) || !a[0].parray)
        Raise(kTypeMismatch);
    UINT dim = a.size() > 1 ? UINT(Count(a[1], 1)) : 1;
    LONG bound = 0;
    HRESULT hr = upper ? SafeArrayGetUBound(a[0].parray, dim, &bound)
                       : SafeArrayGetLBound(a[0].parray, dim, &bound);
    if (FAILED(hr))
        Raise(kSubscriptOutOfRange);
    return Value(bound);
}
Value UBoundFn(std::vector<Value>& a) { return BoundFn(a, true); }
Value LBoundFn(std::vector<Value>& a) { return BoundFn(a, false); }

Value ArrayFn(std::vector<Value>& a)
{
    for (const Value& element : a)
        CheckArrayElement(element);
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, ULONG(a.size()));
    if (!array)
        Raise(kOutOfMemory);
    auto* items = static_cast<VARIANT*>(array->pvData);
    for (size_t i = 0; i < a.size(); ++i)
        items[i] = a[i].Detach();  // the arguments are this call's own: moved, not copied
    Value v;
    v.vt = VT_ARRAY | VT_VARIANT;
    v.parray = array;
    return v;
}

Value TypeNameFn(std::vector<Value>& a)
{
    const char16_t* name = u"Unknown";
    switch (a[0].vt) {
    case VT_EMPTY: name = u"Empty"; break;
    case VT_NULL: name = u"Null"; break;
    case VT_I2: name = u"Integer"; break;
    case VT_I4: name = u"Long"; break;
    case VT_R4: name = u"Single"; break;
    case VT_R8: name = u"Double"; break;
    case VT_BSTR: name = u"String"; break;
    case VT_BOOL: name = u"Boolean"; break;
    case VT_UI1: name = u"Byte"; break;
    case VT_DISPATCH: name = a[0].pdispVal ? u"Object" : u"Nothing"; break;
    default:
        if (a[0].vt & VT_ARRAY)
            name = u"Variant()";
    }
    return Text(name);
}

// Seconds since local midnight.
Value TimerFn(std::vector<Value>&)
{
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    double fraction = double(duration_cast<microseconds>(now.time_since_epoch()).count() % 1000000) / 1e6;
    return Value(local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction);
}

Value VarTypeFn(std::vector<Value>& a) { return Value(LONG(a[0].vt)); }

constexpr Builtin kBuiltins[] = {
    {u"abs", 1, 1, AbsFn},
    {u"array", 0, 1000, ArrayFn},
    {u"ascw", 1, 1, AscWFn},
    {u"asc", 1, 1, AscWFn},
    {u"cbool", 1, 1, CBoolFn},
    {u"cdbl", 1, 1, CDblFn},
    {u"chr", 1, 1, ChrFn},
    {u"chrw", 1, 1, ChrWFn},
    {u"cint", 1, 1, CIntFn},
    {u"clng", 1, 1, CLngFn},
    {u"createobject", 1, 2, CreateObjectFn},
    {u"cstr", 1, 1, CStrFn},
    {u"escape", 1, 1, EscapeFn},
    {u"fix", 1, 1, FixFn},
    {u"hex", 1, 1, HexFn},
    {u"instr", 2, 3, InStrFn},
    {u"int", 1, 1, IntFn},
    {u"isarray", 1, 1, IsArrayFn},
    {u"isempty", 1, 1, IsEmptyFn},
    {u"isnull", 1, 1, IsNullFn},
    {u"isnumeric", 1, 1, IsNumericFn},
    {u"isobject", 1, 1, IsObjectFn},
    {u"lbound", 1, 2, LBoundFn},
    {u"lcase", 1, 1, LCaseFn},
    {u"left", 2, 2, LeftFn},
    {u"len", 1, 1, LenFn},
    {u"mid", 2, 3, MidFn},
    {u"replace", 3, 3, ReplaceFn},
    {u"rgb", 3, 3, RgbFn},
    {u"right", 2, 2, RightFn},
    {u"space", 1, 1, SpaceFn},
    {u"timer", 0, 0, TimerFn},
    {u"trim", 1, 1, TrimFn},
    {u"typename", 1, 1, TypeNameFn},
    {u"ubound", 1, 2, UBoundFn},
    {u"ucase", 1, 1, UCaseFn},
    {u"unescape", 1, 1, UnescapeFn},
    {u"vartype", 1, 1, VarTypeFn},
};

}  // namespace

const Builtin* FindBuiltin(std::u16string_view lowerName)
{
    for (const Builtin& b : kBuiltins)
        if (b.name == lowerName)
            return &b;
    return nullptr;
}

bool FindConstant(std::u16string_view n, Value* value)
{
    const char16_t* text = nullptr;
    if (n == u"vbcrlf" || n == u"vbnewline")
        text = u"\r\n";
    else if (n == u"vbcr")
        text = u"\r";
    else if (n == u"vblf")
        text = u"\n";
    else if (n == u"vbtab")
        text = u"\t";
    else if (n == u"vbnullstring")
        text = u"";
    if (text) {
        *value = Text(text);
        return true;
    }
    if (n == u"vbtrue" || n == u"vbfalse") {
        *value = Value(LONG(n == u"vbtrue" ? -1 : 0));
        return true;
    }
    if (n == u"vbobjecterror") {
        *value = Value(LONG(0x80040000));
        return true;
    }
    return false;
}

}  // namespace vbs
