#include "platform/presentation/AutomationSupport.h"

#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"

#include <vector>

#include <cmath>

namespace presentation {

HRESULT AppObject::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* exception, UINT* argError)
{
    if (app_->quit) return RPC_E_DISCONNECTED;
    return DispatchObject::Invoke(id, riid, lcid, flags, params, result, exception, argError);
}

static HRESULT toText(const VARIANT& v, std::u16string* out)
{
    VARIANT text;
    VariantInit(&text);
    HRESULT hr = VariantChangeType(&text, &v, 0, VT_BSTR);
    if (FAILED(hr)) return hr;
    out->assign(text.bstrVal ? text.bstrVal : u"", text.bstrVal ? SysStringLen(text.bstrVal) : 0);
    VariantClear(&text);
    return S_OK;
}

HRESULT ArgText(const DispatchCall& call, size_t i, std::u16string* out)
{
    if (!call.Has(i)) return DISP_E_PARAMNOTOPTIONAL;
    return toText(call.Arg(i), out);
}

HRESULT ValueText(const DispatchCall& call, std::u16string* out)
{
    return toText(call.Value(), out);
}

HRESULT ReturnText(DispatchCall& call, const std::u16string& text)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(text.data(), UINT(text.size()));
    HRESULT hr = call.Return(v);
    VariantClear(&v);
    return hr;
}

HRESULT ReturnObject(DispatchCall& call, IDispatch* object)
{
    if (call.Count() == 0) return call.ReturnNew(object);
    std::vector<VARIANT> args(call.Count());
    for (size_t i = 0; i < args.size(); ++i) {
        VariantInit(&args[i]);
        VariantCopy(&args[i], &call.Arg(args.size() - 1 - i));  // the last argument first
    }
    DISPPARAMS params{args.data(), nullptr, UINT(args.size()), 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    HRESULT hr = object->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, &result,
                                &exception, nullptr);
    object->Release();
    for (VARIANT& v : args) VariantClear(&v);
    std::string description = exception.bstrDescription ? Utf8FromBstr(exception.bstrDescription) : "";
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
    if (hr == DISP_E_EXCEPTION) return call.Fail(exception.scode ? exception.scode : E_FAIL, description);
    if (FAILED(hr)) return hr;
    hr = call.Return(result);
    VariantClear(&result);
    return hr;
}

HRESULT ArgPoints(DispatchCall& call, size_t i, float* out, bool size)
{
    double v;
    if (HRESULT hr = call.Double(i, &v); FAILED(hr)) return hr;
    if (!std::isfinite(v) || v > (size ? 2 * MaxShapeEdge : MaxShapeEdge) || v < (size ? 0 : -MaxShapeEdge))
        return call.Fail(E_INVALIDARG, "The specified value is out of range.");
    *out = float(v);
    return S_OK;
}

HRESULT ArgIndex(DispatchCall& call, size_t i, size_t count, size_t* out)
{
    LONG index;
    if (HRESULT hr = call.Int(i, &index); FAILED(hr)) return hr;
    if (index < 1 || size_t(index) > count) return call.Fail(E_INVALIDARG, "Index out of range.");
    *out = size_t(index - 1);
    return S_OK;
}

HRESULT CheckShapeFits(DispatchCall& call, const Anchor& a)
{
    if (a.left + a.width > MaxShapeEdge || a.top + a.height > MaxShapeEdge)
        return call.Fail(E_INVALIDARG, "The specified value is out of range.");
    return S_OK;
}

LONG TriState(bool value)
{
    return value ? -1 : 0;
}

} // namespace presentation
