// Runs a generated program through the script control, in process.
//   RunScript(program)   compiles and runs the program's global code; the
//                        script control's error, if any, goes to stdout
// ScriptHost wraps one script control instance; ScriptArgs holds the
// argument array of a procedure call.
#pragma once

#include "platform/com/ComSupport.h"
#include "platform/com/SafeArray.h"
#include "platform/script/ScriptControl.h"

#include <string>
#include <vector>

// 1 only after a named procedure ran; the conversion names none, so 0.
int RunScript(const char* script);

class ScriptArgs {
public:
    ScriptArgs() = default;
    ~ScriptArgs() { Destroy(); }
    ScriptArgs(const ScriptArgs&) = delete;
    ScriptArgs& operator=(const ScriptArgs&) = delete;

    bool Create(VARTYPE type, UINT dimensions, LONG lowerBound, ULONG count);
    bool PutElement(LONG index, VARIANT* value);
    SAFEARRAY* Get() const { return array_; }
    SAFEARRAY** Address() { return &array_; }
    bool Destroy();

private:
    SAFEARRAY* array_ = nullptr;
};

class ScriptHost {
public:
    // Raises _com_error when the control cannot be created or configured.
    ScriptHost();
    ~ScriptHost();
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;

    void Create();
    void SetLanguage(const char* name);
    // The control itself, for settings the host has no member for.
    IScriptControl* Control() const { return control_.GetInterfacePtr(); }
    bool AddCode(const char* code);
    bool RefreshProcedureNames();
    const char* FindProcedure(const char* name) const;
    bool Run(const char* name, SAFEARRAY** parameters, VARIANT* result);
    const char* GetErrorText();

private:
    _com_ptr_t<IScriptControl> control_;
    std::vector<std::string> procedureNames_;
    char language_[41] = {};
    char errorText_[257] = {};
};
