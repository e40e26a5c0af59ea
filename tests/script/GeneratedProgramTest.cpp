// Whole programs in the shape the slide script writer produces, run against
// recording stand-ins for the presentation application, the progress
// component (absent) and the browser window of the other progress mode.
#include "engine/ScriptHost.h"
#include "engine/ScriptWriter.h"
#include "tests/script/ScriptTestSupport.h"

namespace {

const char* const kHeader =
    "On Error Resume Next\n"
    "Const ppLayoutBlank = 12\n"
    "Const ppSlideSizeCustom = 7\n"
    "Dim ppApp,ppPres,ppSlide,ppName,ppShape,ppTextPos1,ppTextPos2,ppFont\n"
    "Set ppApp = CreateObject(\"PowerPoint.Application\")\n"
    "ppName = \"/tmp/out dir/deck.ppt\"\n"
    "Set ppPres = ppApp.Presentations.Add(1)\n";

const char* const kPageSetup =
    "ppPres.PageSetup.SlideSize = ppSlideSizeCustom\n"
    "ppPres.PageSetup.SlideWidth = 1275\n"
    "ppPres.PageSetup.SlideHeight = 1650\n";

const char* const kSlide = "\nSet ppSlide = ppPres.Slides.Add(ppPres.Slides.Count+1,ppLayoutBlank)\n";

const char* const kPicture = "\nppSlide.Shapes.AddPicture \"/tmp/tpf1A2B.tmp.png\", 0, 1, 0, 0, 1275, 1650\n";

// One box, two runs on one line ("Hi " bold Arial red, then euro and 1 in
// Times New Roman italic), the closing break, the font statements.
const char* const kTextBox =
    "\nSet ppShape = ppSlide.Shapes.AddTextbox(1,100,200,350,40)\n"
    "strText = unescape(\"%48%69 \")\n"
    "ppShape.TextFrame.TextRange.Text = ppShape.TextFrame.TextRange.Text & strText\n"
    "strText = unescape(\"%u20AC%31\")\n"
    "ppShape.TextFrame.TextRange.Text = ppShape.TextFrame.TextRange.Text & strText\n"
    "strText = vbCrLf\n"
    "ppShape.TextFrame.TextRange.Text = ppShape.TextFrame.TextRange.Text & strText\n"
    "Set ppFont = ppShape.TextFrame.TextRange.Characters(1,3).Font\n"
    "ppFont.Name = \"Arial\"\n"
    "ppFont.Size = 24\n"
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
    "'========EndTextBlock\n";

const char* const kFooter =
    "\nppApp.Presentations(1).SaveAs(ppName)\n"
    "ppApp.Quit\n"
    "Set ppApp = Nothing\n";

// What the statements above do to the application, in order.
std::vector<std::string> HeaderCalls()
{
    return {"App.Presentations", "App.Presentations.Add(1)"};
}

std::vector<std::string> PageSetupCalls()
{
    const std::string p = "App.Presentations.Add(1).PageSetup";
    return {p, p + ".SlideSize = 7", p, p + ".SlideWidth = 1275", p, p + ".SlideHeight = 1650"};
}

std::vector<std::string> SlideCalls()
{
    const std::string s = "App.Presentations.Add(1).Slides";
    return {s, s, s + ".Count", s + ".Add(1, 12)"};
}

const std::string kSlidePath = "App.Presentations.Add(1).Slides.Add(1, 12)";

std::vector<std::string> PictureCalls()
{
    return {kSlidePath + ".Shapes",
            kSlidePath + ".Shapes.AddPicture(\"/tmp/tpf1A2B.tmp.png\", 0, 1, 0, 0, 1275, 1650)"};
}

std::vector<std::string> TextBoxCalls()
{
    const std::string box = kSlidePath + ".Shapes.AddTextbox(1, 100, 200, 350, 40)";
    const std::string range = box + ".TextFrame.TextRange";
    std::vector<std::string> calls = {kSlidePath + ".Shapes", box};
    for (const char* piece : {"\"Hi \"", "\"\xE2\x82\xAC" "1\"", "\"\r\n\""}) {
        calls.insert(calls.end(), {box + ".TextFrame", range, range + ".Text", box + ".TextFrame",
                                   range, range + ".Text = " + piece});
    }
    struct Font {
        const char* characters;
        const char* name;
        int size;
        int rgb;
        const char* italic;
        const char* bold;
    };
    for (const Font& f : {Font{"(1, 3)", "Arial", 24, 255, "False", "True"},
                          Font{"(4, 2)", "Times New Roman", 12, 255 << 16, "True", "False"}}) {
        const std::string font = range + ".Characters" + f.characters + ".Font";
        calls.insert(calls.end(), {box + ".TextFrame", range, range + ".Characters" + f.characters, font,
                                   font + ".Name = \"" + f.name + "\"",
                                   font + ".Size = " + std::to_string(f.size), font + ".Color",
                                   font + ".Color.RGB = " + std::to_string(f.rgb),
                                   font + ".Italic = " + f.italic, font + ".Bold = " + f.bold,
                                   font + ".Underline = False"});
    }
    return calls;
}

std::vector<std::string> FooterCalls()
{
    return {"App.Presentations(1)", "App.Presentations(1).SaveAs(\"/tmp/out dir/deck.ppt\")", "App.Quit"};
}

void Append(std::vector<std::string>& to, const std::vector<std::string>& calls)
{
    to.insert(to.end(), calls.begin(), calls.end());
}

using GeneratedProgram = ScriptFixture;

TEST_F(GeneratedProgram, ProgressComponentModeRunsEveryStatementInOrder)
{
    std::string program = kHeader;
    program += "Set ProgressCOM = CreateObject(\"vbscom.api\")\n";
    // page 1: picture and one text box
    program += "nRet = ProgressCOM.ShowProgress(0, 50, \"Creating PPT file 50%\")\n";
    program += kPageSetup;
    program += kSlide;
    program += kPicture;
    program += kTextBox;
    // page 2: all white, no text
    program += "nRet = ProgressCOM.ShowProgress(0, 100, \"Creating PPT file 100%\")\n";
    program += kSlide;
    program += kFooter;

    ScriptOutcome out = Run(program);
    EXPECT_EQ(out.hr, S_OK) << out.description << " at line " << out.line;

    std::vector<std::string> expected = HeaderCalls();
    Append(expected, PageSetupCalls());
    Append(expected, SlideCalls());
    Append(expected, PictureCalls());
    Append(expected, TextBoxCalls());
    Append(expected, SlideCalls());
    Append(expected, FooterCalls());
    EXPECT_EQ(out.log, expected);
}

std::string ExplorerModeProgram()
{
    std::string program = kHeader;
    program += "Dim objExplorer\nInitprogress\n";
    program += "Call Inttoprogress(100)\n";
    program += kPageSetup;
    program += kSlide;
    program += kPicture;
    program += "\nEndProgress\n";
    program += kFooter;
    program += kExplorerProgressSubs;
    return program;
}

TEST_F(GeneratedProgram, BrowserProgressModeDrivesTheWindowAndSaves)
{
    ScriptOutcome out = Run(ExplorerModeProgram());
    EXPECT_EQ(out.hr, S_OK) << out.description << " at line " << out.line;
    std::vector<std::string> expected = HeaderCalls();
    Append(expected, {"IE.Navigate(\"about:blank\")", "IE.ToolBar = 0", "IE.StatusBar = 0", "IE.Width = 400",
                      "IE.Height = 110", "IE.Left = 312", "IE.Top = 320", "IE.Busy", "IE.Visible = 1",
                      "IE.Document", "IE.Document.Body",
                      "IE.Document.Body.InnerHTML = \"<table width='100%' border='1'><tr><td><table "
                      "width='100%' bgcolor='#000080'><tr><td>&nbsp;</td></tr></table></td></tr></table>100%\""});
    Append(expected, PageSetupCalls());
    Append(expected, SlideCalls());
    Append(expected, PictureCalls());
    Append(expected, {"IE.Visible = 0", "IE.Quit"});
    Append(expected, FooterCalls());
    EXPECT_EQ(out.log, expected);
}

TEST_F(GeneratedProgram, BrowserProgressModeWithoutABrowserStillSaves)
{
    ScopedComClass noBrowser("InternetExplorer.Application", kExplorerClsid, nullptr);
    ScriptOutcome out = Run(ExplorerModeProgram());
    EXPECT_EQ(out.hr, S_OK) << out.description << " at line " << out.line;
    std::vector<std::string> expected = HeaderCalls();
    Append(expected, PageSetupCalls());
    Append(expected, SlideCalls());
    Append(expected, PictureCalls());
    Append(expected, FooterCalls());
    EXPECT_EQ(out.log, expected);
}

TEST_F(GeneratedProgram, ApplicationFailuresAreSkippedStatementByStatement)
{
    // The application refuses the slide size; the program goes on.
    std::string program = kHeader;
    program += "ppPres.PageSetup.FailSlideSize = 99999\n";
    program += kSlide;
    program += kFooter;
    ScriptOutcome out = Run(program);
    EXPECT_EQ(out.hr, S_OK);
    std::vector<std::string> expected = HeaderCalls();
    Append(expected, {"App.Presentations.Add(1).PageSetup"});
    Append(expected, SlideCalls());
    Append(expected, FooterCalls());
    EXPECT_EQ(out.log, expected);
}

TEST_F(GeneratedProgram, RunScriptRunsTheWholeProgram)
{
    std::string program = kHeader;
    program += kPageSetup;
    program += kSlide;
    program += kTextBox;
    program += kFooter;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RunScript(program.c_str()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    std::vector<std::string> expected = HeaderCalls();
    Append(expected, PageSetupCalls());
    Append(expected, SlideCalls());
    Append(expected, TextBoxCalls());
    Append(expected, FooterCalls());
    EXPECT_EQ(*log_, expected);
}

}  // namespace
