// Runs small programs through the script control against recording objects:
// "Test.Recorder" (recorded as R...), "PowerPoint.Application" (App...) and
// "InternetExplorer.Application" (IE...) stand for the outside programs.
#pragma once

#include "platform/com/Com.h"
#include "platform/script/ScriptControl.h"
#include "tests/script/RecordingObject.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

struct ScriptOutcome {
    HRESULT hr = S_OK;
    LONG number = 0;
    std::string description;
    std::string source;
    std::string text;
    LONG line = 0;
    std::vector<std::string> log;
};

inline ComCreateFunction RecorderFactory(const char* path, std::shared_ptr<RecordingObject::Log> log)
{
    std::string name = path;
    return [name, log](REFIID riid, void** object) {
        auto* r = new RecordingObject(name, log);
        HRESULT hr = r->QueryInterface(riid, object);
        r->Release();
        return hr;
    };
}

inline constexpr CLSID kRecorderClsid = {0x5EC0DE00, 1, 1, {1, 1, 1, 1, 1, 1, 1, 1}};
inline constexpr CLSID kAppClsid = {0x5EC0DE00, 1, 2, {1, 1, 1, 1, 1, 1, 1, 2}};
inline constexpr CLSID kExplorerClsid = {0x5EC0DE00, 1, 3, {1, 1, 1, 1, 1, 1, 1, 3}};

class ScriptFixture : public ::testing::Test {
protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }

    _com_ptr_t<IScriptControl> NewControl(LONG timeout = -1)
    {
        _com_ptr_t<IScriptControl> control;
        EXPECT_EQ(CoCreateInstance(CLSID_ScriptControl, nullptr, CLSCTX_ALL, IID_IScriptControl,
                                   reinterpret_cast<void**>(&control)),
                  S_OK);
        if (control) {
            control->put_Language(_bstr_t("VBScript"));
            control->put_Timeout(timeout);
        }
        return control;
    }

    static ScriptOutcome ErrorOf(IScriptControl* control, HRESULT hr)
    {
        ScriptOutcome out;
        out.hr = hr;
        _com_ptr_t<IScriptError> error;
        control->get_Error(&error);
        _bstr_t description, source, text;
        error->get_Number(&out.number);
        error->get_Description(description.GetAddress());
        error->get_Source(source.GetAddress());
        error->get_Text(text.GetAddress());
        error->get_Line(&out.line);
        out.description = description.Utf8();
        out.source = source.Utf8();
        out.text = text.Utf8();
        return out;
    }

    ScriptOutcome Run(const std::string& code, LONG timeout = -1)
    {
        log_->clear();
        _com_ptr_t<IScriptControl> control = NewControl(timeout);
        HRESULT hr = control->AddCode(_bstr_t(code.c_str()));
        ScriptOutcome out = ErrorOf(control, hr);
        out.log = *log_;
        return out;
    }

    std::shared_ptr<RecordingObject::Log> log_ = std::make_shared<RecordingObject::Log>();
    ScopedComClass recorder_{"Test.Recorder", kRecorderClsid, RecorderFactory("R", log_)};
    ScopedComClass app_{"PowerPoint.Application", kAppClsid, RecorderFactory("App", log_)};
    ScopedComClass explorer_{"InternetExplorer.Application", kExplorerClsid, RecorderFactory("IE", log_)};
};
