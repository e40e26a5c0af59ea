// The generated VBScript program, in its exact shape, run by the script
// control against "PowerPoint.Application": the saved file holds what the
// program asked for.
#include "platform/com/ComRuntime.h"
#include "platform/com/ComSupport.h"
#include "platform/script/ScriptControl.h"

#include "tests/presentation/ExternalReaders.h"
#include "tests/presentation/PptStructureCheck.h"
#include "tests/presentation/TestPictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

std::string Program(const std::string& output, const std::string& picture)
{
    return "On Error Resume Next\n"
           "Const ppLayoutBlank = 12\n"
           "Const ppSlideSizeCustom = 7\n"
           "Dim ppApp,ppPres,ppSlide,ppName,ppShape,ppTextPos1,ppTextPos2,ppFont\n"
           "Set ppApp = CreateObject(\"PowerPoint.Application\")\n"
           "ppName = \"" + output + "\"\n"
           "Set ppPres = ppApp.Presentations.Add(1)\n"
           "Set ProgressCOM = CreateObject(\"vbscom.api\")\n"
           "nRet = ProgressCOM.ShowProgress(0, 50, \"Creating PPT file 50%\")\n"
           "ppPres.PageSetup.SlideSize = ppSlideSizeCustom\n"
           "ppPres.PageSetup.SlideWidth = 200\n"
           "ppPres.PageSetup.SlideHeight = 150\n"
           "\nSet ppSlide = ppPres.Slides.Add(ppPres.Slides.Count+1,ppLayoutBlank)\n"
           "\nppSlide.Shapes.AddPicture \"" + picture + "\", 0, 1, 0, 0, 200, 150\n"
           "\nSet ppShape = ppSlide.Shapes.AddTextbox(1,10,20,150,30)\n"
           "strText = unescape(\"%48%69 \")\n"
           "ppShape.TextFrame.TextRange.Text = ppShape.TextFrame.TextRange.Text & strText\n"
           "strText = unescape(\"%u20AC%42\")\n"
           "ppShape.TextFrame.TextRange.Text = ppShape.TextFrame.TextRange.Text & strText\n"
           "strText = vbCrLf\n"
           "ppShape.TextFrame.TextRange.Text = ppShape.TextFrame.TextRange.Text & strText\n"
           "Set ppFont = ppShape.TextFrame.TextRange.Characters(1,3).Font\n"
           "ppFont.Name = \"Arial\"\n"
           "ppFont.Size = 20\n"
           "ppFont.Color.RGB = RGB(255, 0, 0)\n"
           "ppFont.Italic = False\n"
           "ppFont.Bold = True\n"
           "ppFont.Underline = False\n"
           "Set ppFont = ppShape.TextFrame.TextRange.Characters(4,2).Font\n"
           "ppFont.Name = \"Times New Roman\"\n"
           "ppFont.Size = 12\n"
           "ppFont.Color.RGB = RGB(0, 0, 255)\n"
           "ppFont.Italic = True\n"
           "ppFont.Bold = False\n"
           "ppFont.Underline = False\n"
           "'========EndTextBlock\n"
           "\nSet ppShape = ppSlide.Shapes.AddTextbox(1,41,24,175,108)\n"
           "strText = unescape(\"%u25A1%u25A1%u25A1\")\n"
           "ppShape.TextFrame.TextRange.Text = ppShape.TextFrame.TextRange.Text & strText\n"
           "strText = vbCrLf\n"
           "ppShape.TextFrame.TextRange.Text = ppShape.TextFrame.TextRange.Text & strText\n"
           "Set ppFont = ppShape.TextFrame.TextRange.Characters(1,3).Font\n"
           "ppFont.Name = \"Arial\"\n"
           "ppFont.Size = 83\n"
           "ppFont.Color.RGB = RGB(0, 0, 0)\n"
           "ppFont.Italic = False\n"
           "ppFont.Bold = False\n"
           "ppFont.Underline = False\n"
           "'========EndTextBlock\n"
           "nRet = ProgressCOM.ShowProgress(0, 100, \"Creating PPT file 100%\")\n"
           "\nSet ppSlide = ppPres.Slides.Add(ppPres.Slides.Count+1,ppLayoutBlank)\n"
           "\nppSlide.Shapes.AddPicture \"" + picture + ".missing\", 0, 1, 0, 0, 200, 150\n"
           "\nppApp.Presentations(1).SaveAs(ppName)\n"
           "ppApp.Quit\n"
           "Set ppApp = Nothing\n";
}

struct ScriptRun {
    HRESULT hr = E_FAIL;
    std::string failure;
};

// Runs a program in a fresh script control; fails the test when there is none.
ScriptRun RunProgram(const std::string& program)
{
    ScriptRun run;
    IScriptControl* control = nullptr;
    run.hr = CoCreateInstance(CLSID_ScriptControl, nullptr, CLSCTX_INPROC_SERVER, IID_IScriptControl,
                              reinterpret_cast<void**>(&control));
    if (FAILED(run.hr)) {
        run.failure = "no script control";
        return run;
    }
    _bstr_t language("VBScript"), code(program.c_str());
    control->put_Language(language.operator BSTR());
    run.hr = control->AddCode(code.operator BSTR());
    if (FAILED(run.hr)) {
        IScriptError* error = nullptr;
        BSTR description = nullptr;
        LONG line = 0;
        if (SUCCEEDED(control->get_Error(&error)) && error && SUCCEEDED(error->get_Description(&description))) {
            error->get_Line(&line);
            run.failure = _bstr_t(description, false).Utf8() + " in line " + std::to_string(line);
        }
        if (error) error->Release();
    }
    control->Release();
    return run;
}

TEST(ScriptProgram, SavesWhatTheGeneratedProgramBuilds)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    std::string folder = FreshFolder("script-program");
    std::string picture = folder + "/page.png";
    std::vector<uint8_t> png = MakePng(50, 40, [](uint32_t x, uint32_t y) { return Quadrants(x, y, 50, 40); });
    WriteBytes(picture, png);
    std::string output = folder + "/result.ppt";

    std::string program = Program(output, picture);
    ScriptRun run = RunProgram(program);
    ASSERT_EQ(run.hr, S_OK) << run.failure;
    if (!std::filesystem::exists(output)) {
        // Without its first line and the absent progress component the
        // program stops at the statement that failed.
        std::string strict_program, line;
        std::istringstream lines(program);
        while (std::getline(lines, line))
            if (line.find("ProgressCOM") == std::string::npos && line != "On Error Resume Next") strict_program += line + "\n";
        ScriptRun strict = RunProgram(strict_program);
        ADD_FAILURE() << "no file saved; without On Error Resume Next: " << strict.failure;
    }
    CoUninitialize();

    auto streams = ReadPptStreams(output);
    ASSERT_TRUE(streams) << output;
    CheckedPresentation found;
    for (const std::string& problem : CheckPptStructure(*streams, found)) ADD_FAILURE() << problem;
    CommandResult poi = DescribeWithPoi(output);
    ASSERT_EQ(poi.status, 0) << poi.output;
    std::string md5 = poi.output.substr(poi.output.find(" PNG ") + 5 + std::to_string(png.size()).size() + 1, 32);
    EXPECT_EQ(poi.output,
              "size 200.000 150.000\n"
              "slides 2\n"
              "slide 1\n"
              " picture 0.000 0.000 200.000 150.000 PNG " + std::to_string(png.size()) + " " + md5 + "\n"
              " textbox 10.000 20.000 150.000 30.000\n"
              "  text \"Hi \\u20acB\\u000d\" wrap true\n"
              "  chars 0 3 Arial 20.000 b1 i0 u0 ff0000\n"
              "  chars 3 2 Times New Roman 12.000 b0 i1 u0 0000ff\n"
              "  chars 5 1 Arial 18.000 b0 i0 u0 000000\n"
              " textbox 41.000 24.000 175.000 108.000\n"
              "  text \"\\u25a1\\u25a1\\u25a1\\u000d\" wrap true\n"
              "  chars 0 3 Arial 83.000 b0 i0 u0 000000\n"
              "  chars 3 1 Arial 18.000 b0 i0 u0 000000\n"
              "slide 2\n"
              "pictures 1\n");
}

} // namespace
