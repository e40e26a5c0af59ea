// The text boxes' statements: the box, then the text and the font of each
// run, then the box's end.
#include "engine/ScriptWriter.h"

#include <algorithm>
#include <cctype>

#include "engine/FontNameMap.h"

namespace {

const char* const kLineBreak = kLineBreakRunText;
const char* const kAppendText = "ppShape.TextFrame.TextRange.Text = ppShape.TextFrame.TextRange.Text & strText\n";

// The font sizes the application takes; text smaller than a pixel at the
// document's resolution is written at the smallest.
constexpr int kMinFontSize = 1, kMaxFontSize = 4000;

const char* TrueFalse(int flag)
{
    return flag ? "True" : "False";
}

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// First pass: the text of every run, and where each run starts in the
// box's text as the application keeps it.
void WriteRunTexts(ScriptWriter* writer)
{
    int position = 1;
    bool afterBreak = false;
    for (TextRun& run : writer->runs) {
        if (run.text == kLineBreak) {
            AppendScriptFormat(writer, "strText = %s\n", kLineBreak);
            run.length = 1;
            afterBreak = true;
        } else {
            AppendScriptFormat(writer, "strText = unescape(\"%s\")\n", run.text.c_str());
            StoredText stored = StoredEscapedText(run.text, afterBreak);
            run.length = stored.length;
            afterBreak = stored.endsInBreak;
        }
        AppendScriptText(kAppendText, writer);
        run.start = position;
        position += run.length;
        if (run.lineEnd) {
            AppendScriptFormat(writer, "strText = %s\n", kLineBreak);
            AppendScriptText(kAppendText, writer);
            position += 1;
            afterBreak = true;
        }
    }
}

// The family part of a PDF font name goes to the face name; "bold" and
// "italic" in the style part after "-" (else ",") set the flags.
void WriteRunFont(ScriptWriter* writer, TextRun& run)
{
    AppendScriptFormat(writer, "Set ppFont = ppShape.TextFrame.TextRange.Characters(%d,%d).Font\n", run.start,
                       run.length);
    std::string family = run.fontName;
    std::size_t cut = family.find('-');
    if (cut == std::string::npos)
        cut = family.find(',');
    if (cut != std::string::npos) {
        std::string style = Lowered(family.substr(cut + 1));
        if (style.find("bold") != std::string::npos)
            run.bold = 1;
        if (style.find("italic") != std::string::npos)
            run.italic = 1;
        family.erase(cut);
    }
    MapFontName(family);
    AppendScriptFormat(writer, "ppFont.Name = %s\n", VbStringLiteral(family).c_str());
    AppendScriptFormat(writer, "ppFont.Size = %d\n", std::clamp(run.fontSize, kMinFontSize, kMaxFontSize));
    AppendScriptFormat(writer, "ppFont.Color.RGB = RGB(%d, %d, %d)\n", run.color & 255, (run.color >> 8) & 255,
                       (run.color >> 16) & 255);
    AppendScriptFormat(writer, "ppFont.Italic = %s\n", TrueFalse(run.italic));
    AppendScriptFormat(writer, "ppFont.Bold = %s\n", TrueFalse(run.bold));
    AppendScriptFormat(writer, "ppFont.Underline = %s\n", TrueFalse(run.underline));
}

} // namespace

void AddTextRun(ScriptWriter* writer, const char* text, int fontSize, int color, const char* fontName, int bold,
                int italic, int underline, int lineEnd)
{
    if (!writer || !text)
        return;
    TextRun run;
    run.text = text;
    run.fontSize = fontSize;
    run.color = color;
    run.fontName = fontName ? fontName : "";
    run.bold = bold;
    run.italic = italic;
    run.underline = underline;
    run.lineEnd = lineEnd;
    writer->runs.push_back(std::move(run));
}

void AddLineBreakRun(ScriptWriter* writer)
{
    AddTextRun(writer, kLineBreak, 0, 0, nullptr, 0, 0, 0, 0);
}

void FlushTextRuns(ScriptWriter* writer)
{
    if (!writer)
        return;
    WriteRunTexts(writer);
    for (TextRun& run : writer->runs) {
        if (!run.fontName.empty())
            WriteRunFont(writer, run);
    }
    writer->runs.clear();
    AppendScriptText("'========EndTextBlock\n", writer);
}

// ppShape is emptied first: should the application refuse the box, the
// statements after it fail instead of filling the box before.
void AddTextboxShape(ScriptWriter* writer, int left, int top, int width, int height)
{
    AppendScriptFormat(writer, "\nSet ppShape = Nothing\nSet ppShape = ppSlide.Shapes.AddTextbox(1,%d,%d,%d,%d)\n",
                       left, top, width, height);
}
