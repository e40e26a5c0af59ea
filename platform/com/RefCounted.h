// Interface lookup and reference counting for an object with one interface I
// (besides IUnknown). The object starts with one reference and deletes
// itself when the last one goes.
#pragma once

#include "platform/com/Unknown.h"

#include <atomic>

template <class I>
class RefCounted : public I {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == I::kIid) {
            *object = static_cast<I*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~RefCounted() = default;

private:
    std::atomic<ULONG> refs_{1};
};
