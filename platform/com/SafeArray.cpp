#include "platform/com/SafeArray.h"

#include "platform/com/Dispatch.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

ULONG ElementSize(VARTYPE vt)
{
    switch (vt) {
    case VT_VARIANT: return sizeof(VARIANT);
    case VT_BSTR: return sizeof(BSTR);
    case VT_I4: return sizeof(LONG);
    case VT_DISPATCH: return sizeof(IDispatch*);
    default: return 0;
    }
}

void ClearElement(SAFEARRAY* a, void* element)
{
    if (a->vt == VT_VARIANT)
        VariantClear(static_cast<VARIANT*>(element));
    else if (a->vt == VT_BSTR)
        SysFreeString(std::exchange(*static_cast<BSTR*>(element), nullptr));
    else if (a->vt == VT_DISPATCH) {
        auto*& p = *static_cast<IDispatch**>(element);
        if (p)
            std::exchange(p, nullptr)->Release();
    }
}

HRESULT CopyElement(VARTYPE vt, void* dest, const void* src)
{
    switch (vt) {
    case VT_VARIANT: return VariantCopy(static_cast<VARIANT*>(dest), static_cast<const VARIANT*>(src));
    case VT_BSTR: {
        BSTR from = *static_cast<const BSTR*>(src);
        BSTR copy = from ? SysAllocStringLen(from, SysStringLen(from)) : nullptr;
        if (from && !copy)
            return E_OUTOFMEMORY;
        SysFreeString(*static_cast<BSTR*>(dest));
        *static_cast<BSTR*>(dest) = copy;
        return S_OK;
    }
    case VT_I4: *static_cast<LONG*>(dest) = *static_cast<const LONG*>(src); return S_OK;
    case VT_DISPATCH: {
        IDispatch* from = *static_cast<IDispatch* const*>(src);
        if (from)
            from->AddRef();
        auto*& to = *static_cast<IDispatch**>(dest);
        if (to)
            to->Release();
        to = from;
        return S_OK;
    }
    default: return DISP_E_BADVARTYPE;
    }
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, SAFEARRAYBOUND* bounds)
{
    ULONG size = ElementSize(vt);
    if (!size || dims == 0 || dims > 60 || !bounds)
        return nullptr;
    size_t header = sizeof(SAFEARRAY) + (dims - 1) * sizeof(SAFEARRAYBOUND);
    auto* a = static_cast<SAFEARRAY*>(std::calloc(1, header));
    if (!a)
        return nullptr;
    a->cDims = static_cast<USHORT>(dims);
    a->cbElements = size;
    a->vt = vt;
    // Bounds are stored with the rightmost dimension first.
    size_t count = 1;
    for (UINT d = 0; d < dims; ++d) {
        a->rgsabound[dims - 1 - d] = bounds[d];
        count *= bounds[d].cElements;
        if (count > (size_t(1) << 31) / size) {
            std::free(a);
            return nullptr;
        }
    }
    a->pvData = std::calloc(count ? count : 1, size);
    if (!a->pvData) {
        std::free(a);
        return nullptr;
    }
    return a;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG count)
{
    SAFEARRAYBOUND bound = {count, lowerBound};
    return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* a)
{
    return a ? SafeArrayDestroyPart(a, SafeArrayElementCount(a)) : S_OK;
}

HRESULT SafeArrayDestroyPart(SAFEARRAY* a, size_t made)
{
    if (!a)
        return S_OK;
    if (a->cLocks)
        return DISP_E_ARRAYISLOCKED;
    auto* bytes = static_cast<char*>(a->pvData);
    for (size_t i = 0, n = std::min(made, SafeArrayElementCount(a)); i < n; ++i)
        ClearElement(a, bytes + i * a->cbElements);
    std::free(a->pvData);
    std::free(a);
    return S_OK;
}

void* SafeArrayElementPointer(SAFEARRAY* a, LONG* indices)
{
    if (!a || !indices)
        return nullptr;
    // indices[0] is the leftmost dimension, stored last in rgsabound.
    size_t offset = 0;
    for (USHORT d = 0; d < a->cDims; ++d) {
        const SAFEARRAYBOUND& b = a->rgsabound[a->cDims - 1 - d];
        long long i = (long long)indices[d] - b.lLbound;
        if (i < 0 || i >= (long long)b.cElements)
            return nullptr;
        offset = offset * b.cElements + size_t(i);
    }
    return static_cast<char*>(a->pvData) + offset * a->cbElements;
}

namespace {

// The storage of the element at indices, for a get or put through value.
HRESULT ElementSlot(SAFEARRAY* a, LONG* indices, const void* value, void** slot)
{
    if (!a || !value)
        return E_INVALIDARG;
    *slot = SafeArrayElementPointer(a, indices);
    return *slot ? S_OK : DISP_E_BADINDEX;
}

}  // namespace

HRESULT SafeArrayPutElement(SAFEARRAY* a, LONG* indices, void* value)
{
    void* slot;
    if (HRESULT hr = ElementSlot(a, indices, value, &slot); FAILED(hr))
        return hr;
    if (a->vt == VT_BSTR) {
        // The value is the BSTR itself, not its address.
        BSTR from = static_cast<BSTR>(value);
        return CopyElement(VT_BSTR, slot, &from);
    }
    if (a->vt == VT_DISPATCH) {
        auto* from = static_cast<IDispatch*>(value);
        return CopyElement(VT_DISPATCH, slot, &from);
    }
    return CopyElement(a->vt, slot, value);
}

HRESULT SafeArrayGetElement(SAFEARRAY* a, LONG* indices, void* value)
{
    void* slot;
    if (HRESULT hr = ElementSlot(a, indices, value, &slot); FAILED(hr))
        return hr;
    if (a->vt == VT_VARIANT)
        VariantInit(static_cast<VARIANT*>(value));
    else
        std::memset(value, 0, a->cbElements);
    return CopyElement(a->vt, value, slot);
}

HRESULT SafeArrayGetLBound(SAFEARRAY* a, UINT dim, LONG* bound)
{
    if (!a || !bound)
        return E_INVALIDARG;
    if (dim < 1 || dim > a->cDims)
        return DISP_E_BADINDEX;
    *bound = a->rgsabound[a->cDims - dim].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* a, UINT dim, LONG* bound)
{
    if (!a || !bound)
        return E_INVALIDARG;
    if (dim < 1 || dim > a->cDims)
        return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& b = a->rgsabound[a->cDims - dim];
    *bound = static_cast<LONG>(b.lLbound + (long long)b.cElements - 1);
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* a)
{
    return a ? a->cDims : 0;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* a, VARTYPE* vt)
{
    if (!a || !vt)
        return E_INVALIDARG;
    *vt = a->vt;
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* a, SAFEARRAY** copy)
{
    if (!a || !copy)
        return E_INVALIDARG;
    SAFEARRAYBOUND bounds[60];
    for (USHORT d = 0; d < a->cDims; ++d)
        bounds[d] = a->rgsabound[a->cDims - 1 - d];
    SAFEARRAY* c = SafeArrayCreate(a->vt, a->cDims, bounds);
    if (!c)
        return E_OUTOFMEMORY;
    for (size_t i = 0, n = SafeArrayElementCount(a); i < n; ++i) {
        HRESULT hr = CopyElement(a->vt, static_cast<char*>(c->pvData) + i * a->cbElements,
                                 static_cast<char*>(a->pvData) + i * a->cbElements);
        if (FAILED(hr)) {
            SafeArrayDestroy(c);
            return hr;
        }
    }
    *copy = c;
    return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* a)
{
    if (!a)
        return E_INVALIDARG;
    ++a->cLocks;
    return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* a)
{
    if (!a || !a->cLocks)
        return E_UNEXPECTED;
    --a->cLocks;
    return S_OK;
}

size_t SafeArrayElementCount(const SAFEARRAY* array)
{
    size_t n = 1;
    for (USHORT d = 0; d < array->cDims; ++d)
        n *= array->rgsabound[d].cElements;
    return n;
}
