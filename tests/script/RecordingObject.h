// A test object that accepts every member name and records what a script
// does with it, one line per call, in order:
//   App.Presentations.Add(1)            a method call or property get
//   App.Slides(1).Name = "x"            a property put
// Every get returns a new recorder named after the access path; the default
// value of a recorder is Empty. A member whose name begins with "Fail"
// fails with the description "Refused: <name>" and E_FAIL.
#pragma once

#include "platform/com/Com.h"
#include "platform/com/RefCounted.h"

#include <memory>
#include <string>
#include <vector>

class RecordingObject : public RefCounted<IDispatch> {
public:
    using Log = std::vector<std::string>;

    RecordingObject(std::string path, std::shared_ptr<Log> log)
        : path_(std::move(path)), log_(std::move(log))
    {
    }

    HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override
    {
        std::u16string_view name(names[0]);
        names_.push_back(Utf8FromWide(name.data(), name.size()));
        ids[0] = DISPID(names_.size());
        return S_OK;
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* info, UINT*) override
    {
        std::string member = id == DISPID_VALUE ? "" : names_.at(size_t(id - 1));
        bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
        UINT first = put ? 1 : 0;
        std::string args;
        for (UINT i = params->cArgs; i-- > first;)
            args += (args.empty() ? "" : ", ") + Describe(params->rgvarg[i]);
        std::string access = path_ + (member.empty() ? "" : "." + member) +
                             (params->cArgs > first ? "(" + args + ")" : "");
        if (member.rfind("Fail", 0) == 0) {
            info->scode = E_FAIL;
            info->bstrDescription = SysAllocStringUtf8("Refused: " + member);
            info->bstrSource = SysAllocStringUtf8("Recorder");
            return DISP_E_EXCEPTION;
        }
        if (put) {
            log_->push_back(access + " = " + Describe(params->rgvarg[0]));
            return S_OK;
        }
        if (member.empty() && params->cArgs == 0)
            return S_OK;  // the default value: Empty, not recorded
        log_->push_back(access);
        if (result) {
            result->vt = VT_DISPATCH;
            result->pdispVal = new RecordingObject(access, log_);
        }
        return S_OK;
    }

    static std::string Describe(const VARIANT& v)
    {
        switch (v.vt) {
        case VT_EMPTY: return "Empty";
        case VT_NULL: return "Null";
        case VT_BSTR: return "\"" + Utf8FromBstr(v.bstrVal) + "\"";
        case VT_BOOL: return v.boolVal ? "True" : "False";
        case VT_DISPATCH:
            if (!v.pdispVal)
                return "Nothing";
            return "<object>";
        case VT_ERROR: return "<missing>";
        default: {
            _variant_t text;
            VariantChangeType(&text, &v, 0, VT_BSTR);
            return Utf8FromBstr(text.bstrVal);
        }
        }
    }

private:
    virtual ~RecordingObject() = default;
    std::string path_;
    std::shared_ptr<Log> log_;
    std::vector<std::string> names_;
};
