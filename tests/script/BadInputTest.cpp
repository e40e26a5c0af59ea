// Programs made of random tokens, and damaged copies of a generated
// program, must fail or run cleanly: no crash, no hang, a sane error.
#include "tests/script/ScriptTestSupport.h"

#include <random>

namespace {

using BadInput = ScriptFixture;

const char* const kPieces[] = {
    "If ", "Then ", "Else ", "ElseIf ", "End ", "If", "For ", "To ", "Step ", "Next ", "Do ", "Loop ",
    "While ", "Until ", "Wend ", "Sub ", "Function ", "Exit ", "Call ", "Set ", "Dim ", "Const ",
    "On Error Resume Next", "On Error GoTo 0", "Select Case ", "Case ", "ReDim ", "Preserve ",
    "x", "y", "o", "o.A", ".B", "(", ")", ",", "=", "+", "-", "*", "/", "\\", "^", "&", "<", ">",
    "<>", "Not ", "And ", "Or ", "Is ", "Nothing", "Empty", "Null", "True", "1", "0", "2.5", "&HFF",
    "\"s\"", "\"", "'c", "Rem x", " _\n", "\n", ":", " ", "unescape(\"%u20", "Mid(", "CInt(",
    "Err.Raise ", "Err.Number", "CreateObject(\"Test.Recorder\")", "#", "\x01", "\xC3", "\xFF",
};

TEST_F(BadInput, RandomTokenSoupNeverCrashes)
{
    std::mt19937 random(1234);
    std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> length(1, 60);
    int ran = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string program = "Set o = CreateObject(\"Test.Recorder\")\n";
        for (int i = length(random); i > 0; --i)
            program += kPieces[piece(random)];
        ScriptOutcome out = Run(program, 200);
        if (SUCCEEDED(out.hr))
            ++ran;
        else
            EXPECT_NE(out.number, 0) << program;
    }
    EXPECT_GT(ran, 0);
}

TEST_F(BadInput, DamagedGeneratedProgramsFailCleanly)
{
    const std::string program =
        "On Error Resume Next\nConst ppLayoutBlank = 12\nDim ppApp,ppPres,ppSlide,ppShape,ppFont\n"
        "Set ppApp = CreateObject(\"PowerPoint.Application\")\nppName = \"/tmp/a.ppt\"\n"
        "Set ppPres = ppApp.Presentations.Add(1)\n"
        "Set ppSlide = ppPres.Slides.Add(ppPres.Slides.Count+1,ppLayoutBlank)\n"
        "Set ppShape = ppSlide.Shapes.AddTextbox(1,10,20,30,40)\n"
        "strText = unescape(\"%48%u20AC \")\n"
        "ppShape.TextFrame.TextRange.Text = ppShape.TextFrame.TextRange.Text & strText\n"
        "Set ppFont = ppShape.TextFrame.TextRange.Characters(1,3).Font\n"
        "ppFont.Color.RGB = RGB(1, 2, 3)\n'========EndTextBlock\n"
        "ppApp.Presentations(1).SaveAs(ppName)\nppApp.Quit\nSet ppApp = Nothing\n";
    std::mt19937 random(99);
    for (int round = 0; round < 2000; ++round) {
        std::string damaged = program;
        std::uniform_int_distribution<size_t> at(0, damaged.size() - 1);
        for (int cuts = 1 + round % 4; cuts > 0 && !damaged.empty(); --cuts) {
            size_t p = at(random) % damaged.size();
            switch (random() % 3) {
            case 0: damaged.erase(p, 1 + random() % 5); break;
            case 1: damaged.insert(p, 1, "\"()._,=:\n%"[random() % 10]); break;
            default: damaged[p] = char(random() % 256); break;
            }
        }
        ScriptOutcome out = Run(damaged, 200);
        if (FAILED(out.hr)) {
            EXPECT_NE(out.number, 0);
            EXPECT_GE(out.line, 0);
        }
    }
}

}  // namespace
