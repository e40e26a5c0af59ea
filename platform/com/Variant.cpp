#include "platform/com/Variant.h"
#include "platform/com/NumberText.h"

#include "platform/com/Dispatch.h"
#include "platform/com/SafeArray.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void VariantInit(VARIANT* v)
{
    std::memset(v, 0, sizeof *v);
}

HRESULT VariantClear(VARIANT* v)
{
    if (!v)
        return E_INVALIDARG;
    if (!(v->vt & VT_BYREF)) {
        if (v->vt & VT_ARRAY)
            SafeArrayDestroy(v->parray);
        else if (v->vt == VT_BSTR)
            SysFreeString(v->bstrVal);
        else if ((v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN) && v->punkVal)
            v->punkVal->Release();
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (dest == src)
        return S_OK;
    VARIANT copy = *src;
    if (!(src->vt & VT_BYREF)) {
        if (src->vt & VT_ARRAY) {
            if (src->parray) {
                if (HRESULT hr = SafeArrayCopy(src->parray, &copy.parray); FAILED(hr))
                    return hr;
            }
        } else if (src->vt == VT_BSTR) {
            if (src->bstrVal) {
                copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
                if (!copy.bstrVal)
                    return E_OUTOFMEMORY;
            }
        } else if ((src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) && src->punkVal) {
            src->punkVal->AddRef();
        }
    }
    VariantClear(dest);
    *dest = copy;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src)
{
    if (!src)
        return E_INVALIDARG;
    if (!(src->vt & VT_BYREF))
        return VariantCopy(dest, src);
    if (src->vt == (VT_BYREF | VT_VARIANT))
        return VariantCopyInd(dest, src->pvarVal);
    VARIANT plain;
    VariantInit(&plain);
    plain.vt = src->vt & ~VT_BYREF;
    const void* from = src->byref;
    if (plain.vt & VT_ARRAY)
        plain.parray = *static_cast<SAFEARRAY* const*>(from);
    else
        switch (plain.vt) {
        case VT_I2: plain.iVal = *static_cast<const SHORT*>(from); break;
        case VT_I4: plain.lVal = *static_cast<const LONG*>(from); break;
        case VT_R4: plain.fltVal = *static_cast<const FLOAT*>(from); break;
        case VT_R8: case VT_DATE: plain.dblVal = *static_cast<const DOUBLE*>(from); break;
        case VT_BOOL: plain.boolVal = *static_cast<const VARIANT_BOOL*>(from); break;
        case VT_ERROR: plain.scode = *static_cast<const SCODE*>(from); break;
        case VT_UI1: plain.bVal = *static_cast<const BYTE*>(from); break;
        case VT_BSTR: plain.bstrVal = *static_cast<const BSTR*>(from); break;
        case VT_DISPATCH: case VT_UNKNOWN: plain.punkVal = *static_cast<IUnknown* const*>(from); break;
        default: return DISP_E_BADVARTYPE;
        }
    return VariantCopy(dest, &plain);
}

// ---- conversions ----

namespace {

std::string FormatNumber(double d)
{
    if (d == 0)
        return "0";
    return FormatDouble(d, 15);
}

std::string Trim(std::string s)
{
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// Text to a number the way the script reads numbers: decimal with optional
// sign, fraction and exponent, or &H hexadecimal and &O octal.
bool ParseNumber(const std::string& raw, double* out)
{
    std::string s = Trim(raw);
    if (s.empty())
        return false;
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
        char* end = nullptr;
        unsigned long long v = std::strtoull(s.c_str() + 2, &end, base);
        if (*end || v > 0xFFFFFFFFull)
            return false;
        *out = v > 0x7FFFFFFF ? double(int32_t(uint32_t(v))) : double(v);
        return true;
    }
    for (char c : s)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
              c == 'e' || c == 'E'))
            return false;
    char* end = nullptr;
    double v = ParseDouble(s.c_str(), &end);
    if (*end)
        return false;
    *out = v;
    return true;
}

bool EqualsIgnoringCase(const std::string& a, const char* b)
{
    size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

HRESULT ToDouble(const VARIANT& v, double* out)
{
    switch (v.vt) {
    case VT_EMPTY: *out = 0; return S_OK;
    case VT_I2: *out = v.iVal; return S_OK;
    case VT_I4: *out = v.lVal; return S_OK;
    case VT_R4: *out = v.fltVal; return S_OK;
    case VT_R8: case VT_DATE: *out = v.dblVal; return S_OK;
    case VT_BOOL: *out = v.boolVal ? -1 : 0; return S_OK;
    case VT_UI1: *out = v.bVal; return S_OK;
    case VT_BSTR: {
        std::string text = Utf8FromBstr(v.bstrVal);
        if (ParseNumber(text, out))
            return S_OK;
        if (EqualsIgnoringCase(Trim(text), "true")) {
            *out = -1;
            return S_OK;
        }
        if (EqualsIgnoringCase(Trim(text), "false")) {
            *out = 0;
            return S_OK;
        }
        return DISP_E_TYPEMISMATCH;
    }
    default: return DISP_E_TYPEMISMATCH;
    }
}

HRESULT ToInteger(double d, double lo, double hi, LONG* out)
{
    if (std::isnan(d))
        return DISP_E_OVERFLOW;
    double r = std::nearbyint(d);  // half to even
    if (r < lo || r > hi)
        return DISP_E_OVERFLOW;
    *out = static_cast<LONG>(r);
    return S_OK;
}

HRESULT ToText(const VARIANT& v, USHORT flags, std::string* out)
{
    switch (v.vt) {
    case VT_EMPTY: out->clear(); return S_OK;
    case VT_BOOL:
        if (flags & VARIANT_ALPHABOOL)
            *out = v.boolVal ? "True" : "False";
        else
            *out = v.boolVal ? "-1" : "0";
        return S_OK;
    case VT_I2: *out = std::to_string(v.iVal); return S_OK;
    case VT_I4: *out = std::to_string(v.lVal); return S_OK;
    case VT_UI1: *out = std::to_string(v.bVal); return S_OK;
    case VT_R4: *out = FormatNumber(v.fltVal); return S_OK;
    case VT_R8: case VT_DATE: *out = FormatNumber(v.dblVal); return S_OK;
    default: return DISP_E_TYPEMISMATCH;
    }
}

HRESULT DefaultValue(const VARIANT& v, VARIANT* out)
{
    if (!v.pdispVal)
        return DISP_E_TYPEMISMATCH;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    HRESULT hr = v.pdispVal->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                                    DISPATCH_PROPERTYGET, &none, out, nullptr, nullptr);
    if (FAILED(hr))
        return DISP_E_TYPEMISMATCH;
    return out->vt == VT_DISPATCH ? DISP_E_TYPEMISMATCH : S_OK;
}

HRESULT ChangePlain(VARIANT* result, const VARIANT& src, USHORT flags, VARTYPE vt)
{
    if (src.vt == VT_NULL && vt != VT_NULL && vt != VT_EMPTY)
        return DISP_E_TYPEMISMATCH;
    double d = 0;
    LONG n = 0;
    switch (vt) {
    case VT_EMPTY: return S_OK;
    case VT_NULL: result->vt = VT_NULL; return S_OK;
    case VT_BSTR: {
        if (src.vt == VT_BSTR)
            return VariantCopy(result, &src);
        std::string text;
        if (HRESULT hr = ToText(src, flags, &text); FAILED(hr))
            return hr;
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocStringUtf8(text);
        return S_OK;
    }
    case VT_BOOL:
        if (HRESULT hr = ToDouble(src, &d); FAILED(hr))
            return hr;
        result->vt = VT_BOOL;
        result->boolVal = d != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    case VT_R8:
    case VT_R4:
        if (HRESULT hr = ToDouble(src, &d); FAILED(hr))
            return hr;
        result->vt = vt;
        if (vt == VT_R8)
            result->dblVal = d;
        else
            result->fltVal = static_cast<FLOAT>(d);
        return S_OK;
    case VT_I4:
    case VT_I2:
    case VT_UI1: {
        if (HRESULT hr = ToDouble(src, &d); FAILED(hr))
            return hr;
        double lo = vt == VT_I4 ? -2147483648.0 : vt == VT_I2 ? -32768.0 : 0.0;
        double hi = vt == VT_I4 ? 2147483647.0 : vt == VT_I2 ? 32767.0 : 255.0;
        if (HRESULT hr = ToInteger(d, lo, hi, &n); FAILED(hr))
            return hr;
        result->vt = vt;
        if (vt == VT_I4)
            result->lVal = n;
        else if (vt == VT_I2)
            result->iVal = static_cast<SHORT>(n);
        else
            result->bVal = static_cast<BYTE>(n);
        return S_OK;
    }
    default: return DISP_E_BADVARTYPE;
    }
}

}  // namespace

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt)
{
    if (!dest || !src)
        return E_INVALIDARG;
    VARIANT value;
    VariantInit(&value);
    if (HRESULT hr = VariantCopyInd(&value, src); FAILED(hr))
        return hr;
    if (value.vt == vt) {
        VariantClear(dest);
        *dest = value;
        return S_OK;
    }
    if (value.vt == VT_DISPATCH && !(flags & VARIANT_NOVALUEPROP)) {
        VARIANT inner;
        VariantInit(&inner);
        HRESULT hr = DefaultValue(value, &inner);
        VariantClear(&value);
        if (FAILED(hr)) {
            VariantClear(&inner);
            return hr;
        }
        value = inner;
    }
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = ChangePlain(&result, value, flags, vt);
    VariantClear(&value);
    if (FAILED(hr))
        return hr;
    VariantClear(dest);
    *dest = result;
    return S_OK;
}

void VariantSetI4(VARIANT* dest, LONG value)
{
    VariantClear(dest);
    dest->vt = VT_I4;
    dest->lVal = value;
}

void VariantSetR8(VARIANT* dest, double value)
{
    VariantClear(dest);
    dest->vt = VT_R8;
    dest->dblVal = value;
}

void VariantSetBool(VARIANT* dest, bool value)
{
    VariantClear(dest);
    dest->vt = VT_BOOL;
    dest->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void VariantSetUtf8(VARIANT* dest, std::string_view text)
{
    VariantClear(dest);
    dest->vt = VT_BSTR;
    dest->bstrVal = SysAllocStringUtf8(text);
}

void VariantSetDispatch(VARIANT* dest, IDispatch* object)
{
    if (object)
        object->AddRef();
    VariantClear(dest);
    dest->vt = VT_DISPATCH;
    dest->pdispVal = object;
}

void VariantSetMissing(VARIANT* dest)
{
    VariantClear(dest);
    dest->vt = VT_ERROR;
    dest->scode = DISP_E_PARAMNOTFOUND;
}

bool VariantIsMissing(const VARIANT* v)
{
    return v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND;
}
