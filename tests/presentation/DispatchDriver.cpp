#include "tests/presentation/DispatchDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

Auto::Auto(const _variant_t& v)
{
    if (v.vt == VT_DISPATCH && v.pdispVal) object_ = _com_ptr_t<IDispatch>(v.pdispVal, true);
}

static CallResult invoke(IDispatch* object, const char* name, std::vector<_variant_t> args, WORD flags,
                         const _variant_t* value)
{
    CallResult result;
    std::u16string wide(name, name + strlen(name));
    LPOLESTR names[1] = {wide.data()};
    DISPID id;
    result.hr = object->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    if (FAILED(result.hr)) return result;
    std::reverse(args.begin(), args.end());  // DISPPARAMS holds the last argument first
    DISPID putId = DISPID_PROPERTYPUT;
    if (value) args.insert(args.begin(), *value);
    DISPPARAMS params{args.data(), value ? &putId : nullptr, UINT(args.size()), value ? 1u : 0u};
    EXCEPINFO exception{};
    VARIANT out;
    VariantInit(&out);
    result.hr = object->Invoke(id, IID_NULL, 0, flags, &params, value ? nullptr : &out, &exception, nullptr);
    result.value.Attach(out);
    if (exception.bstrDescription) result.description = _bstr_t(exception.bstrDescription, false).Utf8();
    if (exception.bstrSource) SysFreeString(exception.bstrSource);
    if (exception.bstrHelpFile) SysFreeString(exception.bstrHelpFile);
    return result;
}

CallResult Auto::call(const char* name, std::vector<_variant_t> args, WORD flags) const
{
    return invoke(get(), name, std::move(args), flags, nullptr);
}

CallResult Auto::put(const char* name, const _variant_t& value, std::vector<_variant_t> args) const
{
    return invoke(get(), name, std::move(args), DISPATCH_PROPERTYPUT, &value);
}

Auto Auto::object(const char* name, std::vector<_variant_t> args) const
{
    CallResult r = call(name, std::move(args));
    EXPECT_TRUE(r.ok()) << name << ": " << r.description;
    return Auto(r.value);
}

LONG Auto::integer(const char* name) const
{
    _variant_t v = call(name).value;
    v.ChangeType(VT_I4);
    return v.lVal;
}

double Auto::number(const char* name) const
{
    _variant_t v = call(name).value;
    v.ChangeType(VT_R8);
    return v.dblVal;
}

std::string Auto::text(const char* name) const
{
    _variant_t v = call(name).value;
    v.ChangeType(VT_BSTR);
    return _bstr_t(v.bstrVal, true).Utf8();
}

_variant_t Missing()
{
    _variant_t v;
    VariantSetMissing(&v);
    return v;
}
