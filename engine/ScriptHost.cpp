#include "engine/ScriptHost.h"

#include "platform/win32/CodePage.h"
#include "platform/com/ComRuntime.h"
#include "platform/win32/AfxMessageBox.h"

#include <cstdio>
#include <cstring>

namespace {

void Check(HRESULT hr)
{
    if (FAILED(hr))
        _com_issue_error(hr);
}

// Copies at most size - 1 bytes and terminates; a UTF-8 sequence is never
// cut in the middle.
void CopyText(char* buffer, size_t size, const std::string& text)
{
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    if (n < text.size())
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
}

}  // namespace

// ---- ScriptArgs ----

bool ScriptArgs::Create(VARTYPE type, UINT dimensions, LONG lowerBound, ULONG count)
{
    Destroy();
    if (dimensions == 1) {
        array_ = SafeArrayCreateVector(type, lowerBound, count);
    } else if (dimensions > 1) {
        // Every dimension gets the one bound; the array reads one per dimension.
        std::vector<SAFEARRAYBOUND> bounds(dimensions, SAFEARRAYBOUND{count, lowerBound});
        array_ = SafeArrayCreate(type, dimensions, bounds.data());
    }
    return array_ != nullptr;
}

bool ScriptArgs::PutElement(LONG index, VARIANT* value)
{
    if (!array_)
        return false;
    return SafeArrayPutElement(array_, &index, value) == S_OK;
}

bool ScriptArgs::Destroy()
{
    if (array_ && SUCCEEDED(SafeArrayDestroy(array_)))
        array_ = nullptr;
    return array_ == nullptr;
}

// ---- ScriptHost ----

ScriptHost::ScriptHost()
{
    Create();
}

ScriptHost::~ScriptHost() = default;

void ScriptHost::Create()
{
    control_ = nullptr;
    IUnknown* unknown = nullptr;
    Check(CoCreateInstance(CLSID_ScriptControl, nullptr,
                           CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                           IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    HRESULT hr = OleRun(unknown);
    if (SUCCEEDED(hr))
        hr = control_.QueryFrom(unknown);
    unknown->Release();
    Check(hr);
    std::strcpy(language_, "JScript");
    if (!control_)
        _com_issue_error(E_POINTER);
    Check(control_->put_AllowUI(VARIANT_FALSE));
    Check(control_->put_Language(_bstr_t(language_)));
}

void ScriptHost::SetLanguage(const char* name)
{
    CopyText(language_, sizeof language_, name ? name : "");
    if (!control_)
        return;
    Check(control_->put_Language(_bstr_t(name)));
    Check(control_->Reset());
    procedureNames_.clear();
}

bool ScriptHost::AddCode(const char* code)
{
    if (!control_)
        return false;
    _com_ptr_t<IScriptControl> hold = control_;
    if (code) {
        int count = MultiByteToWideChar(CP_ACP, 0, code, -1, nullptr, 0);
        if (count > 0) {
            _bstr_t wide(SysAllocStringLen(nullptr, UINT(count - 1)), false);
            if (wide.GetBSTR()) {
                // The terminator does not fit: a short-buffer report is success here.
                bool widened = MultiByteToWideChar(CP_ACP, 0, code, -1, wide.GetBSTR(), count - 1) != 0 ||
                               GetLastError() == ERROR_INSUFFICIENT_BUFFER;
                if (widened) {
                    try {
                        Check(hold->AddCode(wide));
                    } catch (...) {
                        return false;
                    }
                }
            }
        }
    }
    RefreshProcedureNames();
    return true;
}

bool ScriptHost::RefreshProcedureNames()
{
    if (!control_)
        return false;
    try {
        _com_ptr_t<IScriptProcedureCollection> procedures;
        Check(control_->get_Procedures(&procedures));
        procedureNames_.clear();
        LONG count = 0;
        Check(procedures->get_Count(&count));
        for (LONG i = 1; i <= count; ++i) {
            _variant_t index(i);
            _com_ptr_t<IScriptProcedure> procedure;
            Check(procedures->get_Item(index, &procedure));
            _bstr_t name;
            Check(procedure->get_Name(name.GetAddress()));
            procedureNames_.push_back(name.Utf8());
        }
        return true;
    } catch (...) {
        return false;
    }
}

const char* ScriptHost::FindProcedure(const char* name) const
{
    size_t length = name ? std::strlen(name) : 0;
    for (const std::string& stored : procedureNames_)
        if (stored.size() == length && std::memcmp(stored.data(), name, length) == 0)
            return stored.c_str();
    return "";
}

bool ScriptHost::Run(const char* name, SAFEARRAY** parameters, VARIANT* result)
{
    if (!control_)
        return false;
    _com_ptr_t<IScriptControl> hold = control_;
    try {
        _bstr_t resolved(FindProcedure(name));
        if (resolved.length() == 0)
            return false;
        _variant_t value;
        Check(hold->Run(resolved, parameters, &value));
        VariantClear(result);
        *result = value.Detach();
        return true;
    } catch (...) {
        return false;
    }
}

const char* ScriptHost::GetErrorText()
{
    errorText_[0] = 0;
    if (!control_)
        return errorText_;
    try {
        _com_ptr_t<IScriptError> error;
        Check(control_->get_Error(&error));
        if (!error)
            return errorText_;
        _bstr_t description, text;
        LONG line = 0;
        Check(error->get_Description(description.GetAddress()));
        Check(error->get_Text(text.GetAddress()));
        Check(error->get_Line(&line));
        _variant_t lineText(line);
        lineText.ChangeType(VT_BSTR);
        std::string message = "Error: " + description.Utf8() + ", " + text.Utf8() + "; in line " +
                              Utf8FromBstr(lineText.bstrVal);
        CopyText(errorText_, sizeof errorText_, message);
        Check(error->Clear());
    } catch (const _com_error&) {
    }
    return errorText_;
}

// ---- RunScript ----

int RunScript(const char* script)
{
    if (!script || !*script)
        return 0;
    std::string procedureName, argumentText, output;
    int result = 0;
    ScriptArgs args;
    try {
        _variant_t argument;
        if (procedureName.empty()) {
            args.Create(VT_VARIANT, 1, 0, 0);
        } else {
            args.Create(VT_VARIANT, 1, 0, 1);
            argument = _variant_t(argumentText.c_str());
        }
        args.PutElement(0, &argument);  // fails on the empty vector; ignored
        SAFEARRAY* parameters = args.Get();
        _variant_t value;
        ScriptHost host;
        host.SetLanguage("VBScript");
        Check(host.Control()->put_Timeout(-1));
        if (!host.AddCode(script)) {
            output = host.GetErrorText();
            std::printf("%s\n", output.c_str());
        } else if (!procedureName.empty()) {
            if (host.Run(procedureName.c_str(), &parameters, &value)) {
                if (value.vt != VT_BSTR)
                    value.ChangeType(VT_BSTR);
                output = Utf8FromBstr(value.bstrVal);
                result = 1;
            } else {
                output = host.GetErrorText();
            }
            std::printf("%s\n", output.c_str());
        }
        std::fflush(stdout);
    } catch (...) {
        output = "Automation server can't create object.\n";
        AfxMessageBox(output.c_str(), MB_OK, 0);
    }
    return result;
}
