#include "platform/script/VbsErrObject.h"

namespace vbs {

const DispatchTable& ErrObject::Table() const
{
    static const DispatchTable table = DispatchTable::Of<ErrObject>(
        {
            {"Number", {.get = &ErrObject::GetNumber, .put = &ErrObject::PutNumber}},
            {"Description",
             {.get = &ErrObject::GetDescription, .put = &ErrObject::PutDescription}},
            {"Source", {.get = &ErrObject::GetSource, .put = &ErrObject::PutSource}},
            {"Clear", {.method = &ErrObject::OnClear}},
            {"Raise", {.method = &ErrObject::OnRaise}},
        },
        "Number");
    return table;
}

void ErrObject::Set(const Error& error)
{
    number_ = error.number;
    description_ = error.description;
    source_ = error.source;
}

void ErrObject::Clear()
{
    number_ = 0;
    description_.clear();
    source_.clear();
}

HRESULT ErrObject::PutNumber(DispatchCall& call)
{
    return call.ValueInt(&number_);
}

HRESULT ErrObject::OnClear(DispatchCall& call)
{
    if (HRESULT hr = call.Expect(0, 0); FAILED(hr))
        return hr;
    Clear();
    return S_OK;
}

// Err.Raise number[, source[, description]]
HRESULT ErrObject::OnRaise(DispatchCall& call)
{
    if (HRESULT hr = call.Expect(1, 5); FAILED(hr))
        return hr;
    Error e;
    if (HRESULT hr = call.Int(0, &e.number); FAILED(hr))
        return hr;
    if (e.number == 0)
        return E_INVALIDARG;
    e.source = kRuntimeSource;
    e.description = DescribeError(e.number);
    if (call.Has(1))
        if (HRESULT hr = call.String(1, &e.source); FAILED(hr))
            return hr;
    if (call.Has(2))
        if (HRESULT hr = call.String(2, &e.description); FAILED(hr))
            return hr;
    raised_ = e;
    return call.Fail(HResultOfError(e.number), e.description);
}

}  // namespace vbs
