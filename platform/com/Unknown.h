// The root interface: identity, interface lookup and reference counting.
// Every interface declares its identifier as `static constexpr IID kIid`, so
// that `uuidof<I>()` and the smart pointer `_com_ptr_t<I>` can find it.
#pragma once

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"

#define STDMETHODCALLTYPE
#define STDMETHODIMP HRESULT STDMETHODCALLTYPE

template <class I>
constexpr const IID& uuidof() { return I::kIid; }

struct IUnknown {
    static constexpr IID kIid = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

inline constexpr IID IID_IUnknown = IUnknown::kIid;
