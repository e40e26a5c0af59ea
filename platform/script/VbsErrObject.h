// The script's Err object: Number (default member), Description, Source,
// Clear and Raise.
#pragma once

#include "platform/com/DispatchObject.h"
#include "platform/script/VbsErrors.h"

#include <optional>
#include <utility>

namespace vbs {

class ErrObject : public DispatchObject {
public:
    ErrObject() : DispatchObject("Err") {}

    void Set(const Error& error);
    void Clear();
    LONG Number() const { return number_; }
    // The error Raise asked for, taken once.
    std::optional<Error> TakeRaised() { return std::exchange(raised_, std::nullopt); }

private:
    const DispatchTable& Table() const override;
    HRESULT GetNumber(DispatchCall& call) { return call.Return(number_); }
    HRESULT PutNumber(DispatchCall& call);
    HRESULT GetDescription(DispatchCall& call) { return call.Return(description_); }
    HRESULT PutDescription(DispatchCall& call) { return call.ValueString(&description_); }
    HRESULT GetSource(DispatchCall& call) { return call.Return(source_); }
    HRESULT PutSource(DispatchCall& call) { return call.ValueString(&source_); }
    HRESULT OnClear(DispatchCall& call);
    HRESULT OnRaise(DispatchCall& call);

    LONG number_ = 0;
    std::string description_;
    std::string source_;
    std::optional<Error> raised_;
};

}  // namespace vbs
