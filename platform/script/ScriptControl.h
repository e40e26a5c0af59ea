// The in-process script control: a component that hosts a script engine.
// Set Language ("VBScript" runs; "JScript" is known but cannot run code),
// then AddCode compiles a module and runs its global statements at once.
// Procedures lists the Subs and Functions added so far; Run calls one by
// name. When AddCode, Run or Eval fails, Error describes the failure (number,
// description, source line text, line, column) until Clear or the next call.
// Timeout is in milliseconds, -1 for no limit; a script that runs longer is
// stopped with an error its own On Error cannot catch.
#pragma once

#include "platform/com/Dispatch.h"
#include "platform/com/SafeArray.h"

inline constexpr CLSID CLSID_ScriptControl = {
    0x0E59F1D5, 0x1FBE, 0x11D0, {0x8F, 0xF2, 0x00, 0xA0, 0xD1, 0x00, 0x38, 0xBC}};

struct IScriptError : IUnknown {
    static constexpr IID kIid = {
        0x70841C78, 0x067D, 0x11D0, {0x95, 0xD8, 0x00, 0xA0, 0x24, 0x63, 0xAB, 0x28}};
    virtual HRESULT get_Number(LONG* number) = 0;
    virtual HRESULT get_Source(BSTR* source) = 0;
    virtual HRESULT get_Description(BSTR* description) = 0;
    virtual HRESULT get_Text(BSTR* text) = 0;
    virtual HRESULT get_Line(LONG* line) = 0;
    virtual HRESULT get_Column(LONG* column) = 0;
    virtual HRESULT Clear() = 0;

protected:
    ~IScriptError() = default;
};

struct IScriptProcedure : IUnknown {
    static constexpr IID kIid = {
        0x70841C73, 0x067D, 0x11D0, {0x95, 0xD8, 0x00, 0xA0, 0x24, 0x63, 0xAB, 0x28}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT get_NumArgs(LONG* count) = 0;
    virtual HRESULT get_HasReturnValue(VARIANT_BOOL* hasResult) = 0;

protected:
    ~IScriptProcedure() = default;
};

struct IScriptProcedureCollection : IUnknown {
    static constexpr IID kIid = {
        0x70841C71, 0x067D, 0x11D0, {0x95, 0xD8, 0x00, 0xA0, 0x24, 0x63, 0xAB, 0x28}};
    // index: a 1-based number, or a name compared ignoring case.
    virtual HRESULT get_Item(VARIANT index, IScriptProcedure** procedure) = 0;
    virtual HRESULT get_Count(LONG* count) = 0;

protected:
    ~IScriptProcedureCollection() = default;
};

struct IScriptControl : IUnknown {
    static constexpr IID kIid = {
        0x0E59F1D3, 0x1FBE, 0x11D0, {0x8F, 0xF2, 0x00, 0xA0, 0xD1, 0x00, 0x38, 0xBC}};
    virtual HRESULT get_Language(BSTR* language) = 0;
    virtual HRESULT put_Language(BSTR language) = 0;
    virtual HRESULT get_Timeout(LONG* milliseconds) = 0;
    virtual HRESULT put_Timeout(LONG milliseconds) = 0;
    virtual HRESULT get_AllowUI(VARIANT_BOOL* allow) = 0;
    virtual HRESULT put_AllowUI(VARIANT_BOOL allow) = 0;
    virtual HRESULT get_Error(IScriptError** error) = 0;
    virtual HRESULT get_Procedures(IScriptProcedureCollection** procedures) = 0;
    virtual HRESULT Reset() = 0;
    // Makes an object visible to the script under a name.
    virtual HRESULT AddObject(BSTR name, IDispatch* object, VARIANT_BOOL addMembers) = 0;
    virtual HRESULT AddCode(BSTR code) = 0;
    virtual HRESULT Eval(BSTR expression, VARIANT* result) = 0;
    virtual HRESULT ExecuteStatement(BSTR statement) = 0;
    virtual HRESULT Run(BSTR procedureName, SAFEARRAY** parameters, VARIANT* result) = 0;

protected:
    ~IScriptControl() = default;
};

inline constexpr IID IID_IScriptControl = IScriptControl::kIid;
inline constexpr IID IID_IScriptError = IScriptError::kIid;
inline constexpr IID IID_IScriptProcedure = IScriptProcedure::kIid;
inline constexpr IID IID_IScriptProcedureCollection = IScriptProcedureCollection::kIid;

// The control's ProgID.
inline constexpr const char* kScriptControlProgId = "ScriptControl.Control";
