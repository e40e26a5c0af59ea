// Measures how fast the script control compiles and runs a large program of
// the generated kind against a fake application that records every call.
//   ScriptBenchmark [megabytes]      (default 20)
// Prints the program size, the time and MB/s for several sizes, so that a
// run time that grows faster than the program shows at once.
#include "platform/com/Com.h"
#include "platform/script/ScriptControl.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

// Accepts every member and records each call (member, kind, argument
// count); gets answer with the object itself.
class RecordingApp : public IDispatch {
public:
    struct Call {
        DISPID member;
        WORD flags;
        UINT args;
    };

    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        *object = (riid == IID_IUnknown || riid == IID_IDispatch) ? static_cast<IDispatch*>(this) : nullptr;
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override { return --refs_; }  // lives for the whole run
    HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override
    {
        std::u16string name(names[0]);
        auto [it, added] = ids_.try_emplace(name, DISPID(ids_.size() + 1));
        ids[0] = it->second;
        return S_OK;
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, UINT*) override
    {
        calls.push_back({id, flags, params ? params->cArgs : 0});
        if (result && id != DISPID_VALUE && !(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)))
            VariantSetDispatch(result, this);
        return S_OK;
    }
    std::vector<Call> calls;

private:
    ULONG refs_ = 1;
    std::map<std::u16string, DISPID> ids_;
};

std::string EscapedWords(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "%48%65%6C%6C%6F%u20AC ";
    return text;
}

std::string MakeProgram(size_t bytes)
{
    std::string program =
        "On Error Resume Next\nConst ppLayoutBlank = 12\nConst ppSlideSizeCustom = 7\n"
        "Dim ppApp,ppPres,ppSlide,ppName,ppShape,ppTextPos1,ppTextPos2,ppFont\n"
        "Set ppApp = CreateObject(\"Bench.Application\")\nppName = \"/tmp/bench.ppt\"\n"
        "Set ppPres = ppApp.Presentations.Add(1)\nSet ProgressCOM = CreateObject(\"vbscom.api\")\n";
    program.reserve(bytes + 4096);
    const std::string run = EscapedWords(40);
    for (int slide = 0; program.size() < bytes; ++slide) {
        program += "nRet = ProgressCOM.ShowProgress(0, 50, \"Creating PPT file 50%\")\n";
        program += "\nSet ppSlide = ppPres.Slides.Add(ppPres.Slides.Count+1,ppLayoutBlank)\n";
        program += "\nppSlide.Shapes.AddPicture \"/tmp/tpf" + std::to_string(slide) + ".tmp.png\", 0, 1, 0, 0, 1275, 1650\n";
        for (int box = 0; box < 20 && program.size() < bytes; ++box) {
            program += "\nSet ppShape = ppSlide.Shapes.AddTextbox(1,100,200,350,40)\n";
            program += "strText = unescape(\"" + run + "\")\n";
            program += "ppShape.TextFrame.TextRange.Text = ppShape.TextFrame.TextRange.Text & strText\n";
            program += "strText = vbCrLf\n";
            program += "ppShape.TextFrame.TextRange.Text = ppShape.TextFrame.TextRange.Text & strText\n";
            program += "Set ppFont = ppShape.TextFrame.TextRange.Characters(1,240).Font\n"
                       "ppFont.Name = \"Arial\"\nppFont.Size = 12\nppFont.Color.RGB = RGB(0, 0, 0)\n"
                       "ppFont.Italic = False\nppFont.Bold = False\nppFont.Underline = False\n"
                       "'========EndTextBlock\n";
        }
    }
    program += "\nppApp.Presentations(1).SaveAs(ppName)\nppApp.Quit\nSet ppApp = Nothing\n";
    return program;
}

bool Measure(size_t bytes, RecordingApp& app)
{
    std::string program = MakeProgram(bytes);
    _com_ptr_t<IScriptControl> control;
    if (FAILED(CoCreateInstance(CLSID_ScriptControl, nullptr, CLSCTX_ALL, IID_IScriptControl,
                                reinterpret_cast<void**>(&control))))
        return false;
    control->put_Language(_bstr_t("VBScript"));
    control->put_Timeout(-1);
    _bstr_t code(program.c_str());
    size_t before = app.calls.size();
    auto start = std::chrono::steady_clock::now();
    HRESULT hr = control->AddCode(code);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double mb = double(program.size()) / (1024.0 * 1024.0);
    std::printf("%8.2f MB  %8.3f s  %8.2f MB/s  %9zu calls  %s\n", mb, seconds, mb / seconds,
                app.calls.size() - before, SUCCEEDED(hr) ? "ok" : "FAILED");
    return SUCCEEDED(hr);
}

}  // namespace

int main(int argc, char** argv)
{
    double largest = argc > 1 ? std::atof(argv[1]) : 20.0;
    if (largest <= 0)
        largest = 20.0;
    CoInitialize(nullptr);
    static RecordingApp app;
    ScopedComClass bench("Bench.Application", CLSID{0xBE0C0000, 0, 0, {1}},
                         [](REFIID riid, void** object) { return app.QueryInterface(riid, object); });
    bool ok = true;
    for (double mb = largest / 8; mb <= largest * 1.001; mb *= 2)
        ok = Measure(size_t(mb * 1024 * 1024), app) && ok;
    CoUninitialize();
    return ok ? 0 : 1;
}
