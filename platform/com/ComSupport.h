// Small owning wrappers over the component types, and the error they raise:
// _bstr_t (a BSTR), _variant_t (a VARIANT), _com_ptr_t<I> (one reference on
// an interface) and _com_error (a failed HRESULT with its error record).
// _com_issue_error raises a _com_error; these are the only C++ exceptions of
// the layer, and they never leave the library.
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Variant.h"

#include <string>
#include <utility>

class _com_error {
public:
    explicit _com_error(HRESULT hr, std::string description = {}, std::string source = {});
    HRESULT Error() const { return hr_; }
    const std::string& Description() const { return description_; }
    const std::string& Source() const { return source_; }
    // "Unspecified error"-style text for the code when there is no description.
    std::string ErrorMessage() const;

private:
    HRESULT hr_;
    std::string description_;
    std::string source_;
};

[[noreturn]] void _com_issue_error(HRESULT hr);
[[noreturn]] void _com_issue_errorex(HRESULT hr, IUnknown* object, REFIID riid);

// Raises when hr is a failure.
inline void _com_util_check(HRESULT hr)
{
    if (FAILED(hr))
        _com_issue_error(hr);
}

class _bstr_t {
public:
    _bstr_t() = default;
    _bstr_t(const char* utf8);
    _bstr_t(const WCHAR* text);
    _bstr_t(BSTR text, bool copy);  // copy false adopts text
    _bstr_t(const _bstr_t& other);
    _bstr_t(_bstr_t&& other) noexcept : bstr_(std::exchange(other.bstr_, nullptr)) {}
    _bstr_t& operator=(_bstr_t other) noexcept
    {
        std::swap(bstr_, other.bstr_);
        return *this;
    }
    ~_bstr_t() { SysFreeString(bstr_); }

    BSTR GetBSTR() const { return bstr_; }
    operator BSTR() const { return bstr_; }
    // Frees the current string and hands out the slot for an [out] BSTR.
    BSTR* GetAddress();
    BSTR Detach() { return std::exchange(bstr_, nullptr); }
    UINT length() const { return SysStringLen(bstr_); }
    std::string Utf8() const { return Utf8FromBstr(bstr_); }

private:
    BSTR bstr_ = nullptr;
};

class _variant_t : public VARIANT {
public:
    _variant_t() { VariantInit(this); }
    _variant_t(const VARIANT& v);
    _variant_t(const _variant_t& v);
    _variant_t(_variant_t&& v) noexcept;
    _variant_t(LONG value, VARTYPE vt = VT_I4);
    _variant_t(double value);
    _variant_t(bool value);
    _variant_t(const char* utf8);
    _variant_t(IDispatch* object, bool addRef = true);
    _variant_t& operator=(const _variant_t& v);
    _variant_t& operator=(_variant_t&& v) noexcept;
    ~_variant_t() { VariantClear(this); }

    void Clear() { VariantClear(this); }
    // Raises on failure.
    void ChangeType(VARTYPE vt, const _variant_t* src = nullptr);
    VARIANT Detach();
    void Attach(VARIANT& v);  // adopts v and leaves it empty
};

template <class I>
class _com_ptr_t {
public:
    _com_ptr_t() = default;
    _com_ptr_t(std::nullptr_t) {}
    // Adds a reference (addRef true) or adopts one.
    _com_ptr_t(I* p, bool addRef) : p_(p)
    {
        if (p_ && addRef)
            p_->AddRef();
    }
    _com_ptr_t(const _com_ptr_t& o) : _com_ptr_t(o.p_, true) {}
    _com_ptr_t(_com_ptr_t&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    _com_ptr_t& operator=(_com_ptr_t o) noexcept
    {
        std::swap(p_, o.p_);
        return *this;
    }
    _com_ptr_t& operator=(std::nullptr_t)
    {
        Release();
        return *this;
    }
    ~_com_ptr_t() { Release(); }

    // QueryInterface of another interface; null when it has none.
    template <class J>
    explicit _com_ptr_t(const _com_ptr_t<J>& other)
    {
        if (other)
            other->QueryInterface(uuidof<I>(), reinterpret_cast<void**>(&p_));
    }
    HRESULT QueryFrom(IUnknown* object)
    {
        Release();
        if (!object)
            return E_POINTER;
        return object->QueryInterface(uuidof<I>(), reinterpret_cast<void**>(&p_));
    }

    void Release()
    {
        if (p_)
            std::exchange(p_, nullptr)->Release();
    }
    void Attach(I* p)
    {
        Release();
        p_ = p;
    }
    I* Detach() { return std::exchange(p_, nullptr); }
    I** operator&()
    {
        Release();
        return &p_;
    }
    I* operator->() const
    {
        if (!p_)
            _com_issue_error(E_POINTER);
        return p_;
    }
    I* GetInterfacePtr() const { return p_; }
    operator I*() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    I* p_ = nullptr;
};
