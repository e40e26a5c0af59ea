#include "platform/script/ScriptControl.h"

#include "platform/com/ComRuntime.h"
#include "platform/com/ComSupport.h"
#include "platform/com/RefCounted.h"
#include "platform/script/VbsInterpreter.h"

#include <memory>
#include <new>

namespace {

HRESULT OutText(const std::string& utf8, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = SysAllocStringUtf8(utf8);
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The last error; shared by the control and the error objects it hands out.
struct ErrorState {
    vbs::Error error;
};

class ScriptError : public RefCounted<IScriptError> {
public:
    explicit ScriptError(std::shared_ptr<ErrorState> state) : state_(std::move(state)) {}
    HRESULT get_Number(LONG* n) override { return n ? (*n = state_->error.number, S_OK) : E_POINTER; }
    HRESULT get_Source(BSTR* s) override { return OutText(state_->error.source, s); }
    HRESULT get_Description(BSTR* d) override { return OutText(state_->error.description, d); }
    HRESULT get_Text(BSTR* t) override { return OutText(state_->error.text, t); }
    HRESULT get_Line(LONG* l) override { return l ? (*l = state_->error.line, S_OK) : E_POINTER; }
    HRESULT get_Column(LONG* c) override { return c ? (*c = state_->error.column, S_OK) : E_POINTER; }
    HRESULT Clear() override
    {
        state_->error = vbs::Error{};
        return S_OK;
    }

private:
    std::shared_ptr<ErrorState> state_;
};

class ScriptProcedure : public RefCounted<IScriptProcedure> {
public:
    explicit ScriptProcedure(std::shared_ptr<vbs::Procedure> p) : procedure_(std::move(p)) {}
    HRESULT get_Name(BSTR* name) override
    {
        if (!name)
            return E_POINTER;
        *name = SysAllocStringLen(procedure_->name.data(), UINT(procedure_->name.size()));
        return S_OK;
    }
    HRESULT get_NumArgs(LONG* n) override
    {
        return n ? (*n = LONG(procedure_->params.size()), S_OK) : E_POINTER;
    }
    HRESULT get_HasReturnValue(VARIANT_BOOL* r) override
    {
        return r ? (*r = procedure_->isFunction ? VARIANT_TRUE : VARIANT_FALSE, S_OK) : E_POINTER;
    }

private:
    std::shared_ptr<vbs::Procedure> procedure_;
};

class ScriptProcedureCollection : public RefCounted<IScriptProcedureCollection> {
public:
    explicit ScriptProcedureCollection(std::vector<std::shared_ptr<vbs::Procedure>> list)
        : list_(std::move(list))
    {
    }
    HRESULT get_Count(LONG* n) override { return n ? (*n = LONG(list_.size()), S_OK) : E_POINTER; }
    HRESULT get_Item(VARIANT index, IScriptProcedure** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (index.vt == VT_BSTR) {
            std::u16string wanted = vbs::SymbolTable::Lower(
                std::u16string_view(index.bstrVal ? index.bstrVal : u"", SysStringLen(index.bstrVal)));
            for (const auto& p : list_)
                if (vbs::SymbolTable::Lower(p->name) == wanted) {
                    *out = new ScriptProcedure(p);
                    return S_OK;
                }
            return DISP_E_BADINDEX;
        }
        _variant_t n;
        if (FAILED(VariantChangeType(&n, &index, 0, VT_I4)))
            return DISP_E_TYPEMISMATCH;
        if (n.lVal < 1 || size_t(n.lVal) > list_.size())
            return DISP_E_BADINDEX;
        *out = new ScriptProcedure(list_[size_t(n.lVal - 1)]);
        return S_OK;
    }

private:
    std::vector<std::shared_ptr<vbs::Procedure>> list_;
};

enum class Language { None, VBScript, JScript };

class ScriptControl : public RefCounted<IScriptControl> {
public:
    ScriptControl() : state_(std::make_shared<ErrorState>()) {}

    HRESULT get_Language(BSTR* language) override
    {
        return OutText(language_ == Language::VBScript ? "VBScript"
                       : language_ == Language::JScript ? "JScript" : "", language);
    }
    HRESULT put_Language(BSTR name) override
    {
        std::u16string lower = vbs::SymbolTable::Lower(
            std::u16string_view(name ? name : u"", SysStringLen(name)));
        if (lower == u"vbscript")
            language_ = Language::VBScript;
        else if (lower == u"jscript")
            language_ = Language::JScript;
        else
            return E_INVALIDARG;
        return Reset();
    }
    HRESULT get_Timeout(LONG* ms) override { return ms ? (*ms = timeout_, S_OK) : E_POINTER; }
    HRESULT put_Timeout(LONG ms) override
    {
        if (ms < -1)
            return E_INVALIDARG;
        timeout_ = ms;
        interpreter_->SetTimeout(ms);
        return S_OK;
    }
    HRESULT get_AllowUI(VARIANT_BOOL* allow) override
    {
        return allow ? (*allow = allowUI_, S_OK) : E_POINTER;
    }
    HRESULT put_AllowUI(VARIANT_BOOL allow) override
    {
        allowUI_ = allow ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT get_Error(IScriptError** error) override
    {
        if (!error)
            return E_POINTER;
        *error = new ScriptError(state_);
        return S_OK;
    }
    HRESULT get_Procedures(IScriptProcedureCollection** procedures) override
    {
        if (!procedures)
            return E_POINTER;
        *procedures = new ScriptProcedureCollection(interpreter_->Procedures());
        return S_OK;
    }
    HRESULT Reset() override
    {
        interpreter_ = std::make_unique<vbs::Interpreter>();
        interpreter_->SetTimeout(timeout_);
        state_->error = vbs::Error{};
        return S_OK;
    }
    HRESULT AddObject(BSTR name, IDispatch* object, VARIANT_BOOL) override
    {
        if (!name || !object)
            return E_INVALIDARG;
        interpreter_->AddObject(std::u16string_view(name, SysStringLen(name)), object);
        return S_OK;
    }
    HRESULT AddCode(BSTR code) override
    {
        if (HRESULT hr = CheckLanguage(); FAILED(hr))
            return hr;
        return Outcome([&] { return interpreter_->AddCode(std::u16string_view(code ? code : u"", SysStringLen(code))); });
    }
    HRESULT Eval(BSTR expression, VARIANT* result) override
    {
        if (!result)
            return E_POINTER;
        VariantInit(result);
        if (HRESULT hr = CheckLanguage(); FAILED(hr))
            return hr;
        return Outcome([&] {
            vbs::Value value;
            bool ok = interpreter_->Eval(std::u16string_view(expression ? expression : u"",
                                                             SysStringLen(expression)), &value);
            if (ok)
                *result = value.Detach();
            return ok;
        });
    }
    HRESULT ExecuteStatement(BSTR statement) override { return AddCode(statement); }
    HRESULT Run(BSTR name, SAFEARRAY** parameters, VARIANT* result) override
    {
        if (result)
            VariantInit(result);
        if (HRESULT hr = CheckLanguage(); FAILED(hr))
            return hr;
        if (parameters && *parameters) {
            VARTYPE vt = VT_EMPTY;
            if (SafeArrayGetDim(*parameters) != 1 || FAILED(SafeArrayGetVartype(*parameters, &vt)) ||
                vt != VT_VARIANT)
                return E_INVALIDARG;
        }
        return Outcome([&] {
            std::vector<vbs::Value> args;
            if (parameters && *parameters) {
                LONG lo = 0, hi = -1;
                SafeArrayGetLBound(*parameters, 1, &lo);
                SafeArrayGetUBound(*parameters, 1, &hi);
                for (LONG i = lo; i <= hi; ++i)
                    args.emplace_back(*static_cast<VARIANT*>(SafeArrayElementPointer(*parameters, &i)));
            }
            vbs::Value value;
            bool ok = interpreter_->Run(std::u16string_view(name ? name : u"", SysStringLen(name)),
                                        std::move(args), &value);
            if (ok && result)
                *result = value.Detach();
            return ok;
        });
    }

private:
    HRESULT CheckLanguage()
    {
        state_->error = vbs::Error{};
        if (language_ == Language::VBScript)
            return S_OK;
        state_->error.number = LONG(E_NOTIMPL);
        state_->error.source = "ScriptControl";
        state_->error.description = language_ == Language::JScript
                                        ? "JScript code cannot run here: only VBScript is available"
                                        : "The script language has not been set";
        return language_ == Language::JScript ? E_NOTIMPL : E_UNEXPECTED;
    }
    // Runs an interpreter call; a failure leaves its error in the record.
    // Memory that runs out where no statement catches it (compiling, say)
    // is the language's error 7 all the same, whether the allocation threw
    // or a component reported it: the call fails, it never throws.
    template <class Call>
    HRESULT Outcome(Call call)
    {
        try {
            if (call())
                return S_OK;
            state_->error = interpreter_->Failure();
        } catch (const std::bad_alloc&) {
            state_->error = vbs::RuntimeFailure(vbs::kOutOfMemory);
        } catch (const _com_error& e) {
            state_->error = vbs::RuntimeFailure(vbs::ErrorOfHResult(e.Error()));
        }
        return vbs::HResultOfError(state_->error.number);
    }

    std::shared_ptr<ErrorState> state_;
    std::unique_ptr<vbs::Interpreter> interpreter_ = std::make_unique<vbs::Interpreter>();
    Language language_ = Language::None;
    LONG timeout_ = 10000;
    VARIANT_BOOL allowUI_ = VARIANT_TRUE;
};

const ComClassRegistration registration(kScriptControlProgId, CLSID_ScriptControl,
                                        [](REFIID riid, void** object) {
                                            auto* control = new ScriptControl;
                                            HRESULT hr = control->QueryInterface(riid, object);
                                            control->Release();
                                            return hr;
                                        });

}  // namespace
