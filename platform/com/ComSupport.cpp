#include "platform/com/ComSupport.h"

_com_error::_com_error(HRESULT hr, std::string description, std::string source)
    : hr_(hr), description_(std::move(description)), source_(std::move(source))
{
}

std::string _com_error::ErrorMessage() const
{
    if (!description_.empty())
        return description_;
    switch (hr_) {
    case E_NOTIMPL: return "Not implemented";
    case E_NOINTERFACE: return "No such interface supported";
    case E_POINTER: return "Invalid pointer";
    case E_OUTOFMEMORY: return "Out of memory";
    case E_INVALIDARG: return "The parameter is incorrect.";
    case REGDB_E_CLASSNOTREG: return "Class not registered";
    case CO_E_NOTINITIALIZED: return "CoInitialize has not been called.";
    default: return "Unspecified error";
    }
}

void _com_issue_error(HRESULT hr)
{
    throw _com_error(hr);
}

void _com_issue_errorex(HRESULT hr, IUnknown*, REFIID)
{
    throw _com_error(hr);
}

_bstr_t::_bstr_t(const char* utf8) : bstr_(utf8 ? SysAllocStringUtf8(utf8) : nullptr)
{
    if (utf8 && !bstr_)
        _com_issue_error(E_OUTOFMEMORY);
}

_bstr_t::_bstr_t(const WCHAR* text) : bstr_(SysAllocString(text))
{
    if (text && !bstr_)
        _com_issue_error(E_OUTOFMEMORY);
}

_bstr_t::_bstr_t(BSTR text, bool copy)
    : bstr_(copy && text ? SysAllocStringLen(text, SysStringLen(text)) : text)
{
    if (text && !bstr_)
        _com_issue_error(E_OUTOFMEMORY);
}

_bstr_t::_bstr_t(const _bstr_t& other) : _bstr_t(other.bstr_, true) {}

BSTR* _bstr_t::GetAddress()
{
    SysFreeString(std::exchange(bstr_, nullptr));
    return &bstr_;
}

_variant_t::_variant_t(const VARIANT& v)
{
    VariantInit(this);
    _com_util_check(VariantCopy(this, &v));
}

_variant_t::_variant_t(const _variant_t& v) : _variant_t(static_cast<const VARIANT&>(v)) {}

_variant_t::_variant_t(_variant_t&& v) noexcept
{
    *static_cast<VARIANT*>(this) = v;
    VariantInit(&v);
}

_variant_t::_variant_t(LONG value, VARTYPE vt)
{
    VariantInit(this);
    if (vt == VT_I2) {
        this->vt = VT_I2;
        iVal = static_cast<SHORT>(value);
    } else if (vt == VT_ERROR) {
        this->vt = VT_ERROR;
        scode = value;
    } else if (vt == VT_BOOL) {
        this->vt = VT_BOOL;
        boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
        this->vt = VT_I4;
        lVal = value;
    }
}

_variant_t::_variant_t(double value)
{
    VariantInit(this);
    VariantSetR8(this, value);
}

_variant_t::_variant_t(bool value)
{
    VariantInit(this);
    VariantSetBool(this, value);
}

_variant_t::_variant_t(const char* utf8)
{
    VariantInit(this);
    VariantSetUtf8(this, utf8 ? utf8 : "");
}

_variant_t::_variant_t(IDispatch* object, bool addRef)
{
    VariantInit(this);
    vt = VT_DISPATCH;
    pdispVal = object;
    if (object && addRef)
        object->AddRef();
}

_variant_t& _variant_t::operator=(const _variant_t& v)
{
    _com_util_check(VariantCopy(this, &v));
    return *this;
}

_variant_t& _variant_t::operator=(_variant_t&& v) noexcept
{
    if (this != &v) {
        VariantClear(this);
        *static_cast<VARIANT*>(this) = v;
        VariantInit(&v);
    }
    return *this;
}

void _variant_t::ChangeType(VARTYPE type, const _variant_t* src)
{
    _com_util_check(VariantChangeType(this, src ? src : this, VARIANT_ALPHABOOL, type));
}

VARIANT _variant_t::Detach()
{
    VARIANT v = *this;
    VariantInit(this);
    return v;
}

void _variant_t::Attach(VARIANT& v)
{
    VariantClear(this);
    *static_cast<VARIANT*>(this) = v;
    VariantInit(&v);
}
