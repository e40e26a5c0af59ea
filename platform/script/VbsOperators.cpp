#include "platform/script/VbsOperators.h"

#include "platform/com/Bstr.h"
#include "platform/com/SafeArray.h"
#include "platform/script/VbsErrors.h"
#include "platform/script/VbsTimeLimit.h"

#include <algorithm>
#include <cmath>

namespace vbs {

Value Null()
{
    Value v;
    v.vt = VT_NULL;
    return v;
}

Value Text(const std::u16string& s)
{
    if (s.size() > kMaxBstrLength)
        Raise(kOutOfMemory);  // never a length cut to fit
    ChargeWork(s.size());
    Value v;
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(s.data(), UINT(s.size()));
    if (!v.bstrVal)
        Raise(kOutOfMemory);  // never an empty text in its place
    return v;
}

void ChargeText(const Value& v)
{
    if (v.vt == VT_BSTR)
        ChargeWork(SysStringLen(v.bstrVal));
}

namespace {

bool IsNull(const Value& v) { return v.vt == VT_NULL; }
bool IsText(const Value& v) { return v.vt == VT_BSTR; }
bool IsInteger(const Value& v)
{
    return v.vt == VT_EMPTY || v.vt == VT_I2 || v.vt == VT_I4 || v.vt == VT_UI1 || v.vt == VT_BOOL;
}

std::u16string_view View(const Value& v)
{
    return std::u16string_view(v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal));
}

// Integer results stay integers while they fit in 32 bits.
Value Number(double d, bool integral)
{
    if (integral && d >= -2147483648.0 && d <= 2147483647.0)
        return Value(LONG(d));
    return Value(d);
}

HRESULT Check(HRESULT hr)
{
    if (FAILED(hr))
        Raise(ErrorOfHResult(hr));
    return hr;
}

int Compare(const Value& a, const Value& b)
{
    if (IsText(a) && IsText(b)) {
        ChargeWork(std::min(View(a).size(), View(b).size()));
        int c = View(a).compare(View(b));
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (IsText(a) || IsText(b)) {
        const Value& text = IsText(a) ? a : b;
        const Value& other = IsText(a) ? b : a;
        if (other.vt == VT_EMPTY) {
            int c = View(text).empty() ? 0 : 1;
            return IsText(a) ? c : -c;
        }
        Value n;
        ChargeText(text);
        if (FAILED(VariantChangeType(&n, &text, 0, VT_R8))) {
            // A number is less than any text that is no number.
            return IsText(a) ? 1 : -1;
        }
        double x = IsText(a) ? n.dblVal : ToNumber(a);
        double y = IsText(a) ? ToNumber(b) : n.dblVal;
        return x < y ? -1 : x > y ? 1 : 0;
    }
    double x = ToNumber(a), y = ToNumber(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

Value Logical(Op op, const Value& a, const Value& b)
{
    bool boolean = a.vt == VT_BOOL && b.vt == VT_BOOL;
    LONG x = ToLong(a), y = ToLong(b);
    LONG r = 0;
    switch (op) {
    case Op::And: r = x & y; break;
    case Op::Or: r = x | y; break;
    case Op::Xor: r = x ^ y; break;
    case Op::Eqv: r = ~(x ^ y); break;
    case Op::Imp: r = ~x | y; break;
    default: break;
    }
    if (boolean)
        return Value(r != 0);
    return Value(r);
}

Value Arithmetic(Op op, const Value& a, const Value& b)
{
    bool integral = IsInteger(a) && IsInteger(b);
    double x = ToNumber(a), y = ToNumber(b);
    switch (op) {
    case Op::Add: return Number(x + y, integral);
    case Op::Sub: return Number(x - y, integral);
    case Op::Mul: return Number(x * y, integral);
    case Op::Div:
        if (y == 0)
            Raise(x == 0 ? kOverflow : kDivisionByZero);
        return Value(x / y);
    case Op::IntDiv:
    case Op::Mod: {
        LONG n = ToLong(a), d = ToLong(b);
        if (d == 0)
            Raise(kDivisionByZero);
        if (n == LONG(0x80000000) && d == -1)
            return op == Op::Mod ? Value(LONG(0)) : Value(2147483648.0);
        return Value(op == Op::Mod ? LONG(n % d) : LONG(n / d));
    }
    case Op::Pow: {
        double r = std::pow(x, y);
        if (std::isnan(r) && !std::isnan(x) && !std::isnan(y))
            Raise(kInvalidCall);
        return Value(r);
    }
    default: Raise(kTypeMismatch);
    }
}

// v as a number of type vt; Null is an error.
Value Numeric(const Value& v, VARTYPE vt)
{
    if (v.vt == VT_NULL)
        Raise(kInvalidUseOfNull);
    ChargeText(v);
    Value n;
    Check(VariantChangeType(&n, &v, 0, vt));
    return n;
}

constexpr int kMaxArrayNesting = 64;

// How deep arrays nest in v, 0 for no array. Every array was checked when
// it was filled, so this recursion stays within the limit.
int ArrayNesting(const VARIANT& v)
{
    if (!(v.vt & VT_ARRAY) || !v.parray || (v.vt & VT_TYPEMASK) != VT_VARIANT)
        return 0;
    const SAFEARRAY* a = v.parray;
    const size_t count = SafeArrayElementCount(a);
    const auto* items = static_cast<const VARIANT*>(a->pvData);
    ChargeWork(count);
    int deepest = 0;
    for (size_t i = 0; i < count; ++i)
        deepest = std::max(deepest, ArrayNesting(items[i]));
    return deepest + 1;
}

}  // namespace

void CheckArrayElement(const Value& element)
{
    if (ArrayNesting(element) >= kMaxArrayNesting)
        Raise(kOutOfStackSpace);
}

double ToNumber(const Value& v)
{
    return Numeric(v, VT_R8).dblVal;
}

LONG ToLong(const Value& v)
{
    return Numeric(v, VT_I4).lVal;
}

std::u16string ToText(const Value& v)
{
    if (v.vt == VT_NULL)
        Raise(kInvalidUseOfNull);
    if (v.vt == VT_BSTR) {
        ChargeText(v);
        return std::u16string(View(v));
    }
    Value t;
    Check(VariantChangeType(&t, &v, VARIANT_ALPHABOOL, VT_BSTR));
    return std::u16string(View(t));
}

bool IsTrue(const Value& v)
{
    if (v.vt == VT_NULL || v.vt == VT_EMPTY)
        return false;
    ChargeText(v);
    Value b;
    Check(VariantChangeType(&b, &v, 0, VT_BOOL));
    return b.boolVal != VARIANT_FALSE;
}

Value ApplyUnary(Op op, const Value& v)
{
    if (IsNull(v))
        return Null();
    if (op == Op::Not) {
        if (v.vt == VT_BOOL)
            return Value(v.boolVal == VARIANT_FALSE);
        return Value(LONG(~ToLong(v)));
    }
    if (v.vt == VT_EMPTY)
        return Value(LONG(0));
    return Number(-ToNumber(v), IsInteger(v) && !(v.vt == VT_I4 && v.lVal == LONG(0x80000000)));
}

Value ApplyBinary(Op op, const Value& a, const Value& b)
{
    if (op == Op::Concat) {
        if (IsNull(a) && IsNull(b))
            return Null();
        std::u16string s = IsNull(a) ? u"" : ToText(a);
        std::u16string t = IsNull(b) ? u"" : ToText(b);
        if (t.size() > kMaxBstrLength - std::min<size_t>(s.size(), kMaxBstrLength))
            Raise(kOutOfMemory);  // before the two are joined
        return Text(s + t);
    }
    // Every other operator gives Null for a Null operand.
    if (IsNull(a) || IsNull(b))
        return Null();
    switch (op) {
    case Op::Add:
        if ((IsText(a) && (IsText(b) || b.vt == VT_EMPTY)) || (IsText(b) && a.vt == VT_EMPTY))
            return ApplyBinary(Op::Concat, a, b);  // text and text, or Empty, join
        return Arithmetic(op, a, b);
    case Op::Sub:
    case Op::Mul:
    case Op::Div:
    case Op::IntDiv:
    case Op::Mod:
    case Op::Pow:
        return Arithmetic(op, a, b);
    case Op::Eq:
    case Op::Ne:
    case Op::Lt:
    case Op::Gt:
    case Op::Le:
    case Op::Ge: {
        int c = Compare(a, b);
        bool r = op == Op::Eq ? c == 0 : op == Op::Ne ? c != 0 : op == Op::Lt ? c < 0
               : op == Op::Gt ? c > 0 : op == Op::Le ? c <= 0 : c >= 0;
        return Value(r);
    }
    case Op::And:
    case Op::Or:
    case Op::Xor:
    case Op::Eqv:
    case Op::Imp:
        return Logical(op, a, b);
    default: Raise(kTypeMismatch);
    }
}

}  // namespace vbs
