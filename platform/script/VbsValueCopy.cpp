#include "platform/script/VbsValueCopy.h"

#include "platform/com/SafeArray.h"
#include "platform/script/VbsErrors.h"
#include "platform/script/VbsStack.h"
#include "platform/script/VbsTimeLimit.h"

#include <vector>

namespace vbs {

namespace {

void CopyInto(VARIANT& to, const VARIANT& from);

bool IsArrayOfValues(const VARIANT& v)
{
    return (v.vt & VT_ARRAY) && !(v.vt & VT_BYREF) && v.parray && v.parray->vt == VT_VARIANT;
}

// An empty array of a's shape; its elements are Empty until filled.
Value EmptyArrayLike(const SAFEARRAY* a)
{
    std::vector<SAFEARRAYBOUND> bounds(a->cDims);
    for (USHORT d = 0; d < a->cDims; ++d)
        bounds[d] = a->rgsabound[a->cDims - 1 - d];  // stored rightmost dimension first
    Value copy;
    copy.parray = SafeArrayCreate(VT_VARIANT, a->cDims, bounds.data());
    if (!copy.parray)
        Raise(kOutOfMemory);
    copy.vt = VT_ARRAY | VT_VARIANT;
    return copy;
}

Value CopyArray(const VARIANT& v)
{
    if (StackIsLow())
        Raise(kOutOfStackSpace);
    Value copy = EmptyArrayLike(v.parray);
    const auto* from = static_cast<const VARIANT*>(v.parray->pvData);
    MakeElements(copy, SafeArrayElementCount(v.parray), [from](size_t i) { return &from[i]; });
    copy.vt = v.vt;
    return copy;
}

// to is Empty.
void CopyInto(VARIANT& to, const VARIANT& from)
{
    if (IsArrayOfValues(from)) {
        to = CopyArray(from).Detach();
        return;
    }
    if (from.vt == VT_BSTR)
        ChargeWork(SysStringLen(from.bstrVal));
    else if ((from.vt & VT_ARRAY) && !(from.vt & VT_BYREF) && from.parray)
        ChargeWork(SafeArrayElementCount(from.parray));  // an object's array of plain elements
    if (FAILED(VariantCopy(&to, &from)))
        Raise(kOutOfMemory);
}

}  // namespace

void MakeElements(Value& fresh, size_t copies, const std::function<const VARIANT*(size_t)>& from)
{
    SAFEARRAY* a = fresh.parray;
    auto* items = static_cast<VARIANT*>(a->pvData);
    const size_t count = SafeArrayElementCount(a);
    size_t made = 0;
    try {
        for (; made < count; ++made) {
            ChargeWork(1);
            VariantInit(&items[made]);
            if (made < copies)
                if (const VARIANT* source = from(made))
                    CopyInto(items[made], *source);
        }
    } catch (...) {
        fresh.vt = VT_EMPTY;
        fresh.parray = nullptr;
        SafeArrayDestroyPart(a, made + 1);  // up to the one it stopped at, Empty or made
        throw;
    }
}

Value CopyValue(const VARIANT& v)
{
    Value copy;
    CopyInto(copy, v);
    return copy;
}

}  // namespace vbs
