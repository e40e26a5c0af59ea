// The script host: RunScript's failure paths, the error line, the procedure
// names, and Run through the control.
#include "engine/ScriptHost.h"
#include "platform/com/RefCounted.h"
#include "platform/win32/AfxMessageBox.h"
#include "tests/ChildProcess.h"
#include "tests/script/ScriptTestSupport.h"

#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<std::string> g_boxes;

int RecordBox(LPCSTR text, UINT type, UINT helpId)
{
    EXPECT_EQ(type, UINT(MB_OK));
    EXPECT_EQ(helpId, 0u);
    g_boxes.push_back(text);
    return IDOK;
}

// Stands between the host and the real control, counting what reaches it.
class SpyControl : public RefCounted<IScriptControl> {
public:
    explicit SpyControl(IScriptControl* inner, int* created, int* runs)
        : inner_(inner, true), runs_(runs)
    {
        ++*created;
    }
    HRESULT get_Language(BSTR* l) override { return inner_->get_Language(l); }
    HRESULT put_Language(BSTR l) override { return inner_->put_Language(l); }
    HRESULT get_Timeout(LONG* t) override { return inner_->get_Timeout(t); }
    HRESULT put_Timeout(LONG t) override { return inner_->put_Timeout(t); }
    HRESULT get_AllowUI(VARIANT_BOOL* a) override { return inner_->get_AllowUI(a); }
    HRESULT put_AllowUI(VARIANT_BOOL a) override { return inner_->put_AllowUI(a); }
    HRESULT get_Error(IScriptError** e) override { return inner_->get_Error(e); }
    HRESULT get_Procedures(IScriptProcedureCollection** p) override { return inner_->get_Procedures(p); }
    HRESULT Reset() override { return inner_->Reset(); }
    HRESULT AddObject(BSTR n, IDispatch* o, VARIANT_BOOL m) override { return inner_->AddObject(n, o, m); }
    HRESULT AddCode(BSTR c) override { return inner_->AddCode(c); }
    HRESULT Eval(BSTR e, VARIANT* r) override { return inner_->Eval(e, r); }
    HRESULT ExecuteStatement(BSTR s) override { return inner_->ExecuteStatement(s); }
    HRESULT Run(BSTR n, SAFEARRAY** p, VARIANT* r) override
    {
        ++*runs_;
        return inner_->Run(n, p, r);
    }

private:
    virtual ~SpyControl() = default;
    _com_ptr_t<IScriptControl> inner_;
    int* runs_;
};

class Host : public ScriptFixture {
protected:
    void SetUp() override
    {
        ScriptFixture::SetUp();
        g_boxes.clear();
        previousHook_ = SetAfxMessageBoxHook(RecordBox);
        original_ = ComRegisterClass(kScriptControlProgId, CLSID_ScriptControl, nullptr);
        ASSERT_TRUE(original_.has_value());
        ComCreateFunction real = original_->create;
        ComRegisterClass(kScriptControlProgId, CLSID_ScriptControl,
                         [this, real](REFIID riid, void** object) {
                             _com_ptr_t<IScriptControl> inner;
                             HRESULT hr = real(IID_IScriptControl, reinterpret_cast<void**>(&inner));
                             if (FAILED(hr))
                                 return hr;
                             auto* spy = new SpyControl(inner, &created_, &runs_);
                             hr = spy->QueryInterface(riid, object);
                             spy->Release();
                             return hr;
                         });
    }
    void TearDown() override
    {
        ComRegisterClass(original_->progId.c_str(), original_->clsid, original_->create);
        SetAfxMessageBoxHook(previousHook_);
        ScriptFixture::TearDown();
    }

    std::string RunCapturing(const char* script, int* result)
    {
        testing::internal::CaptureStdout();
        *result = RunScript(script);
        return testing::internal::GetCapturedStdout();
    }

    AfxMessageBoxHook previousHook_ = nullptr;
    std::optional<ComClassEntry> original_;
    int created_ = 0;
    int runs_ = 0;
};

TEST_F(Host, EmptyScriptMakesNoObjectAndNoMessage)
{
    EXPECT_EQ(RunScript(""), 0);
    EXPECT_EQ(RunScript(nullptr), 0);
    EXPECT_EQ(created_, 0);
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(Host, RunsAProgramInsideAddCodeAndPrintsNothing)
{
    int result = -1;
    std::string printed = RunCapturing(
        "Set ppApp = CreateObject(\"PowerPoint.Application\")\nppApp.Quit\n", &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(created_, 1);
    EXPECT_EQ(runs_, 0);
    EXPECT_EQ(*log_, std::vector<std::string>{"App.Quit"});
    EXPECT_TRUE(g_boxes.empty());
}

// A program that outgrows the memory the process may have, as under
// `ulimit -v`: the host prints the language's error with its line and
// RunScript returns. Runs in a child process, whose limit ends with it.
TEST_F(Host, OutOfMemoryPrintsItsErrorAndReturns)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#endif
    ChildRun run = RunInChild([] {
        if (!LimitAddressSpace(rlim_t(256) << 20))
            return 4;
        int result = RunScript("s = Space(1000000)\nDo\n  s = s & s\nLoop\n");
        return result == 0 ? 0 : 5;
    });
    ASSERT_TRUE(WIFEXITED(run.status)) << "the child ended by signal " << WTERMSIG(run.status);
    EXPECT_EQ(WEXITSTATUS(run.status), 0);
    EXPECT_EQ(run.printed, "Error: Out of memory,   s = s & s; in line 3\n");
}

// A control whose own time limit is short: the host lifts the limit (-1),
// so a program runs as long as the presentation application needs.
TEST_F(Host, TheProgramRunsPastTheControlsOwnTimeLimit)
{
    ComCreateFunction real = original_->create;
    ScopedComClass hasty(kScriptControlProgId, CLSID_ScriptControl, [real](REFIID riid, void** object) {
        _com_ptr_t<IScriptControl> control;
        HRESULT hr = real(IID_IScriptControl, reinterpret_cast<void**>(&control));
        if (FAILED(hr))
            return hr;
        control->put_Timeout(100);
        return control->QueryInterface(riid, object);
    });
    int result = -1;
    std::string printed = RunCapturing("t = Timer\nDo While Timer - t < 0.5 And Timer >= t\nLoop\n"
                                       "Set ppApp = CreateObject(\"PowerPoint.Application\")\nppApp.Quit\n",
                                       &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(*log_, std::vector<std::string>{"App.Quit"});
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(Host, MissingScriptControlShowsOneMessageBox)
{
    ScopedComClass hidden(kScriptControlProgId, CLSID_ScriptControl, nullptr);
    int result = -1;
    std::string printed = RunCapturing("x = 1\n", &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(printed, "");
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0], "Automation server can't create object.\n");
}

TEST_F(Host, WithoutComInitialisedTheControlCannotBeMade)
{
    CoUninitialize();
    EXPECT_EQ(RunScript("x = 1\n"), 0);
    CoInitialize(nullptr);
    EXPECT_EQ(g_boxes.size(), 1u);
}

TEST_F(Host, CompileErrorOnLineThreePrintsTheErrorLine)
{
    int result = -1;
    std::string printed = RunCapturing(
        "Set ppApp = CreateObject(\"PowerPoint.Application\")\nppApp.Quit\nx = )\n", &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(printed, "Error: Expected expression, x = ); in line 3\n");
    EXPECT_TRUE(log_->empty());  // nothing ran
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(Host, UnskippedRuntimeErrorPrintsItsLine)
{
    int result = -1;
    std::string printed = RunCapturing("x = 1\n  Set y = CreateObject(\"vbscom.api\")\n", &result);
    EXPECT_EQ(printed,
              "Error: ActiveX component can't create object, "
              "  Set y = CreateObject(\"vbscom.api\"); in line 2\n");
}

TEST_F(Host, ErrorTextIsCutTo256Bytes)
{
    ScriptHost host;
    host.SetLanguage("VBScript");
    std::string description(300, 'd');
    std::string code = "Err.Raise 5, \"s\", \"" + description + "\"\n";
    EXPECT_FALSE(host.AddCode(code.c_str()));
    const char* text = host.GetErrorText();
    EXPECT_EQ(std::strlen(text), 256u);
    EXPECT_EQ(std::string(text), ("Error: " + description).substr(0, 256));
    // The record was cleared: a second read finds no error text but the frame.
    EXPECT_EQ(std::string(host.GetErrorText()), "Error: , ; in line 0");

    // A multi-byte character is not cut in half.
    std::string wide;
    for (int i = 0; i < 200; ++i)
        wide += "\xE2\x82\xAC";  // euro sign, 3 bytes
    code = "Err.Raise 5, \"s\", \"" + wide + "\"\n";
    EXPECT_FALSE(host.AddCode(code.c_str()));
    text = host.GetErrorText();
    EXPECT_LE(std::strlen(text), 256u);
    EXPECT_EQ((std::strlen(text) - std::strlen("Error: ")) % 3, 0u);
}

TEST_F(Host, FindProcedureComparesTheWholeNameWithCase)
{
    ScriptHost host;
    host.SetLanguage("VBScript");
    EXPECT_EQ(std::string(host.FindProcedure("Main")), "");
    ASSERT_TRUE(host.AddCode("x = 1\n"));
    EXPECT_EQ(std::string(host.FindProcedure("Main")), "");
    ASSERT_TRUE(host.AddCode("Sub Main\nEnd Sub\nFunction MainTwo()\nEnd Function\n"));
    EXPECT_EQ(std::string(host.FindProcedure("Main")), "Main");
    EXPECT_EQ(std::string(host.FindProcedure("main")), "");
    EXPECT_EQ(std::string(host.FindProcedure("Mai")), "");
    EXPECT_EQ(std::string(host.FindProcedure("MainTwo")), "MainTwo");
    EXPECT_EQ(std::string(host.FindProcedure("")), "");
    // A new language resets the control and forgets the names.
    host.SetLanguage("VBScript");
    EXPECT_EQ(std::string(host.FindProcedure("Main")), "");
}

TEST_F(Host, RunCallsOnlyProceduresTheScriptDefines)
{
    ScriptHost host;
    host.SetLanguage("VBScript");
    ASSERT_TRUE(host.AddCode("Function Echo(t)\n  Echo = \"<\" & t & \">\"\nEnd Function\n"));
    ScriptArgs args;
    ASSERT_TRUE(args.Create(VT_VARIANT, 1, 0, 1));
    _variant_t text("hi");
    EXPECT_TRUE(args.PutElement(0, &text));
    EXPECT_FALSE(args.PutElement(1, &text));
    SAFEARRAY* parameters = args.Get();
    _variant_t result;
    EXPECT_FALSE(host.Run("echo", &parameters, &result));
    EXPECT_FALSE(host.Run("Missing", &parameters, &result));
    EXPECT_EQ(runs_, 0);
    EXPECT_TRUE(host.Run("Echo", &parameters, &result));
    EXPECT_EQ(runs_, 1);
    EXPECT_EQ(Utf8FromBstr(result.bstrVal), "<hi>");
    EXPECT_TRUE(args.Destroy());
    EXPECT_EQ(args.Get(), nullptr);
}

TEST(ScriptArgsTest, HoldsOneArrayAndGivesEveryDimensionTheBound)
{
    ScriptArgs args;
    EXPECT_TRUE(args.Create(VT_VARIANT, 2, 1, 3));
    EXPECT_EQ(SafeArrayGetDim(args.Get()), 2u);
    LONG lo = 0, hi = 0;
    SafeArrayGetLBound(args.Get(), 2, &lo);
    SafeArrayGetUBound(args.Get(), 2, &hi);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 3);
    EXPECT_TRUE(args.Create(VT_VARIANT, 1, 0, 0));  // replaces the first
    _variant_t v(LONG(1));
    EXPECT_FALSE(args.PutElement(0, &v));
    EXPECT_FALSE(args.Create(VT_VARIANT, 0, 0, 1));
    EXPECT_EQ(args.Get(), nullptr);
    EXPECT_FALSE(args.PutElement(0, &v));
    EXPECT_TRUE(args.Destroy());
}

TEST_F(Host, TextThatIsNotUtf8StillRuns)
{
    int result = -1;
    std::string printed = RunCapturing(
        "Set ppApp = CreateObject(\"PowerPoint.Application\")\nppApp.Name = \"a\xFF" "b\"\n", &result);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(*log_, std::vector<std::string>{"App.Name = \"a\xFF" "b\""});  // the byte kept
}

}  // namespace
