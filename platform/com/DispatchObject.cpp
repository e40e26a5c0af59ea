#include "platform/com/DispatchObject.h"

#include "platform/com/SafeArray.h"

#include <cctype>

// ---- DispatchCall ----

DispatchCall::DispatchCall(WORD flags, DISPPARAMS* params, VARIANT* result)
    : flags_(flags), result_(result)
{
    if (!params)
        return;
    UINT positional = params->cArgs;
    if (IsPut() && params->cArgs > 0) {
        value_ = &params->rgvarg[0];
        positional = params->cArgs - 1;
    }
    // rgvarg holds the last argument first; the put value, when there, is entry 0.
    for (UINT i = 0; i < positional; ++i) {
        const VARIANT* v = &params->rgvarg[params->cArgs - 1 - i];
        while (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal)
            v = v->pvarVal;
        args_.push_back(v);
    }
}

bool DispatchCall::Has(size_t i) const
{
    return i < args_.size() && !VariantIsMissing(args_[i]);
}

const VARIANT& DispatchCall::Arg(size_t i) const
{
    static const VARIANT missing = [] {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_ERROR;
        v.scode = DISP_E_PARAMNOTFOUND;
        return v;
    }();
    return i < args_.size() ? *args_[i] : missing;
}

HRESULT DispatchCall::Expect(size_t min, size_t max) const
{
    return args_.size() >= min && args_.size() <= max ? S_OK : DISP_E_BADPARAMCOUNT;
}

HRESULT DispatchCall::Coerce(const VARIANT& v, VARTYPE vt, VARIANT* out)
{
    VariantInit(out);
    if (VariantIsMissing(&v))
        return DISP_E_PARAMNOTOPTIONAL;
    return VariantChangeType(out, &v, VARIANT_ALPHABOOL, vt);
}

namespace {

using Coercion = HRESULT (*)(const VARIANT&, VARTYPE, VARIANT*);

// Coerces v to vt and stores what take reads from the result.
template <class T, class Take>
HRESULT ReadAs(Coercion coerce, const VARIANT& v, VARTYPE vt, T* out, Take take)
{
    VARIANT t;
    HRESULT hr = coerce(v, vt, &t);
    if (SUCCEEDED(hr))
        *out = take(t);
    VariantClear(&t);
    return hr;
}

HRESULT ReadInt(Coercion coerce, const VARIANT& v, LONG* out)
{
    return ReadAs(coerce, v, VT_I4, out, [](const VARIANT& t) { return t.lVal; });
}

HRESULT ReadDouble(Coercion coerce, const VARIANT& v, double* out)
{
    return ReadAs(coerce, v, VT_R8, out, [](const VARIANT& t) { return t.dblVal; });
}

HRESULT ReadBool(Coercion coerce, const VARIANT& v, bool* out)
{
    return ReadAs(coerce, v, VT_BOOL, out, [](const VARIANT& t) { return t.boolVal != VARIANT_FALSE; });
}

HRESULT ReadString(Coercion coerce, const VARIANT& v, std::string* utf8)
{
    return ReadAs(coerce, v, VT_BSTR, utf8, [](const VARIANT& t) { return Utf8FromBstr(t.bstrVal); });
}

}  // namespace

HRESULT DispatchCall::Int(size_t i, LONG* out) const
{
    return ReadInt(&Coerce, Arg(i), out);
}

HRESULT DispatchCall::Double(size_t i, double* out) const
{
    return ReadDouble(&Coerce, Arg(i), out);
}

HRESULT DispatchCall::Bool(size_t i, bool* out) const
{
    return ReadBool(&Coerce, Arg(i), out);
}

HRESULT DispatchCall::String(size_t i, std::string* utf8) const
{
    return ReadString(&Coerce, Arg(i), utf8);
}

HRESULT DispatchCall::Object(size_t i, IDispatch** out) const
{
    const VARIANT& v = Arg(i);
    if (v.vt != VT_DISPATCH)
        return VariantIsMissing(&v) ? DISP_E_PARAMNOTOPTIONAL : DISP_E_TYPEMISMATCH;
    *out = v.pdispVal;
    return S_OK;
}

const VARIANT& DispatchCall::Value() const
{
    static const VARIANT empty = [] {
        VARIANT v;
        VariantInit(&v);
        return v;
    }();
    return value_ ? *value_ : empty;
}

HRESULT DispatchCall::ValueInt(LONG* out) const
{
    return ReadInt(&Coerce, Value(), out);
}

HRESULT DispatchCall::ValueDouble(double* out) const
{
    return ReadDouble(&Coerce, Value(), out);
}

HRESULT DispatchCall::ValueBool(bool* out) const
{
    return ReadBool(&Coerce, Value(), out);
}

HRESULT DispatchCall::ValueString(std::string* utf8) const
{
    return ReadString(&Coerce, Value(), utf8);
}

HRESULT DispatchCall::ValueObject(IDispatch** out) const
{
    const VARIANT& v = Value();
    if (v.vt != VT_DISPATCH)
        return DISP_E_TYPEMISMATCH;
    *out = v.pdispVal;
    return S_OK;
}

HRESULT DispatchCall::Return(LONG value)
{
    if (result_)
        VariantSetI4(result_, value);
    return S_OK;
}

HRESULT DispatchCall::Return(double value)
{
    if (result_)
        VariantSetR8(result_, value);
    return S_OK;
}

HRESULT DispatchCall::ReturnBool(bool value)
{
    if (result_)
        VariantSetBool(result_, value);
    return S_OK;
}

HRESULT DispatchCall::Return(std::string_view utf8)
{
    if (result_)
        VariantSetUtf8(result_, utf8);
    return S_OK;
}

HRESULT DispatchCall::Return(IDispatch* object)
{
    if (result_)
        VariantSetDispatch(result_, object);
    return S_OK;
}

HRESULT DispatchCall::ReturnNew(IDispatch* object)
{
    if (result_) {
        VariantClear(result_);
        result_->vt = VT_DISPATCH;
        result_->pdispVal = object;
    } else if (object) {
        object->Release();
    }
    return S_OK;
}

HRESULT DispatchCall::Return(const VARIANT& value)
{
    return result_ ? VariantCopy(result_, &value) : S_OK;
}

HRESULT DispatchCall::Fail(HRESULT hr, std::string description)
{
    failed_ = true;
    failure_ = FAILED(hr) ? hr : E_FAIL;
    failureText_ = std::move(description);
    return DISP_E_EXCEPTION;
}

// ---- DispatchTable ----

namespace {

std::string LowerAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

void DispatchTable::Add(const char* name, Handler method, Handler get, Handler put)
{
    members_.push_back({name, std::move(method), std::move(get), std::move(put)});
    byName_[LowerAscii(name)] = DISPID(members_.size());
}

void DispatchTable::SetDefault(const char* name)
{
    auto it = byName_.find(LowerAscii(name));
    default_ = it == byName_.end() ? DISPID_UNKNOWN : it->second;
}

DISPID DispatchTable::Find(std::u16string_view name) const
{
    std::string key;
    key.reserve(name.size());
    for (char16_t c : name) {
        if (c >= 0x80)
            return DISPID_UNKNOWN;  // member names are ASCII
        key.push_back(static_cast<char>(std::tolower(c)));
    }
    auto it = byName_.find(key);
    return it == byName_.end() ? DISPID_UNKNOWN : it->second;
}

const DispatchTable::Member* DispatchTable::At(DISPID id) const
{
    if (id == DISPID_VALUE)
        id = default_;
    if (id < 1 || size_t(id) > members_.size())
        return nullptr;
    return &members_[id - 1];
}

// ---- DispatchObject ----

DispatchObject::DispatchObject(std::string source) : source_(std::move(source)) {}

HRESULT DispatchObject::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return QueryOther(riid, object);
}

HRESULT DispatchObject::QueryOther(REFIID, void** object)
{
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG DispatchObject::AddRef()
{
    return ++refs_;
}

ULONG DispatchObject::Release()
{
    ULONG left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (!names || !ids || count == 0)
        return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i == 0 && names[0])
            ids[0] = Table().Find(names[0]);
        if (ids[i] == DISPID_UNKNOWN)
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT*)
{
    const DispatchTable::Member* member = Table().At(id);
    if (!member)
        return DISP_E_MEMBERNOTFOUND;
    bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (params && params->cNamedArgs > 0 &&
        !(put && params->cNamedArgs == 1 && params->rgdispidNamedArgs &&
          params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT))
        return DISP_E_NONAMEDARGS;
    const DispatchTable::Handler* handler = nullptr;
    if (put)
        handler = &member->put;
    else if ((flags & DISPATCH_METHOD) && member->method)
        handler = &member->method;
    else if (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))
        handler = member->get ? &member->get : &member->method;
    if (!handler || !*handler)
        return DISP_E_MEMBERNOTFOUND;
    if (result)
        VariantInit(result);
    DispatchCall call(flags, params, result);
    if (put && !params)
        return DISP_E_PARAMNOTOPTIONAL;
    HRESULT hr = (*handler)(*this, call);
    if (!call.HasFailure())
        return hr;
    if (result)
        VariantClear(result);
    if (exception) {
        *exception = EXCEPINFO{};
        exception->bstrSource = SysAllocStringUtf8(source_);
        exception->bstrDescription = SysAllocStringUtf8(call.FailureText());
        exception->scode = call.FailureCode();
    }
    return DISP_E_EXCEPTION;
}
