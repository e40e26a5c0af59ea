// Calls automation members by name, as a script would, for the tests.
#pragma once

#include "platform/com/ComSupport.h"
#include "platform/com/DispatchObject.h"

#include <string>
#include <vector>

struct CallResult {
    HRESULT hr = S_OK;
    _variant_t value;
    std::string description;  // from the exception record
    bool ok() const { return SUCCEEDED(hr); }
};

class Auto {
public:
    Auto() = default;
    explicit Auto(IDispatch* adopted) : object_(adopted, false) {}
    explicit Auto(const _variant_t& v);
    IDispatch* get() const { return object_.operator->(); }
    explicit operator bool() const { return bool(object_); }

    CallResult call(const char* name, std::vector<_variant_t> args = {}, WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET) const;
    CallResult put(const char* name, const _variant_t& value, std::vector<_variant_t> args = {}) const;
    // The object a get or method returns; empty when the call failed.
    Auto object(const char* name, std::vector<_variant_t> args = {}) const;
    LONG integer(const char* name) const;
    double number(const char* name) const;
    std::string text(const char* name) const;

private:
    _com_ptr_t<IDispatch> object_;
};

_variant_t Missing();
