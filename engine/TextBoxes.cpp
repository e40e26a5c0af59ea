// Text boxes with runs of one size, colour and font: one box per text
// block, or one per line. Walks flow -> block -> line -> word.
#include "engine/TextBoxes.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include <TextOutputDev.h>

#include "engine/TextBoxLayout.h"
#include "engine/TextBoxWords.h"

namespace {

// Lines closer than this in top or in bottom run on without a break.
constexpr double kParagraphGap = 3.0;

struct RunState {
    int size = -1;
    int color = -1;
    std::string fontName;
    std::string text;
};

void EndRun(ScriptWriter* writer, RunState& state, int lineEnd)
{
    AddTextRun(writer, state.text.c_str(), state.size, state.color, state.fontName.c_str(), 0, 0, 0, lineEnd);
    state.text.clear();
}

// A word of another style ends the run so far.
void AddWord(ScriptWriter* writer, RunState& state, const TextWord* word, float sy)
{
    WordStyle style = StyleOf(writer, word, sy);
    if (state.size == -1)
        state.size = style.size;
    if (state.color == -1)
        state.color = style.color;
    if (state.fontName.empty())
        state.fontName = style.fontName;
    bool changed = style.fontName != state.fontName || style.size != state.size || style.color != state.color;
    if (changed && !state.text.empty())
        EndRun(writer, state, 0);
    state.size = style.size;
    state.color = style.color;
    state.fontName = style.fontName;
    AppendWordText(state.text, word);
}

bool IsParagraphBreak(const TextLine* line, const TextLine* next)
{
    TextLineBox a = LineBoundingBox(line);
    TextLineBox b = LineBoundingBox(next);
    return std::fabs(a.yMin - b.yMin) >= kParagraphGap && std::fabs(a.yMax - b.yMax) >= kParagraphGap;
}

void WriteBlockLine(ScriptWriter* writer, RunState& state, const TextBlock* block, const TextLine* line, float sy)
{
    if (state.text.empty()) {
        for (int col = BlockStartColumn(block); col < LineFirstColumn(line); ++col)
            state.text += ' ';
    }
    for (const TextWord* word = line->getWords(); word; word = word->getNext())
        AddWord(writer, state, word, sy);
    const TextLine* next = line->getNext();
    if (next && !state.text.empty() && IsParagraphBreak(line, next))
        EndRun(writer, state, 1);
}

void WriteBlockBox(ScriptWriter* writer, const TextBlock* block, float sx, float sy)
{
    RunState state;
    double xMin, yMin, xMax, yMax;
    block->getBBox(&xMin, &yMin, &xMax, &yMax);
    WriteBoxShape(writer, xMin, yMin, xMax, yMax, sx, sy);
    for (const TextLine* line = block->getLines(); line; line = line->getNext())
        WriteBlockLine(writer, state, block, line, sy);
    if (!state.text.empty())
        EndRun(writer, state, 1);
    FlushTextRuns(writer);
}

void WriteLineBox(ScriptWriter* writer, const TextLine* line, float sx, float sy)
{
    RunState state;
    TextLineBox box = LineBoundingBox(line);
    WriteBoxShape(writer, box.xMin, box.yMin, box.xMax, box.yMax, sx, sy);
    for (const TextWord* word = line->getWords(); word; word = word->getNext())
        AddWord(writer, state, word, sy);
    if (!state.text.empty())
        EndRun(writer, state, 1);
    FlushTextRuns(writer);
}

void WriteBlock(ScriptWriter* writer, const TextBlock* block, float sx, float sy, TextMode lineMode)
{
    if (lineMode == TextMode::Lines) {
        for (const TextLine* line = block->getLines(); line; line = line->getNext())
            WriteLineBox(writer, line, sx, sy);
    } else {
        WriteBlockBox(writer, block, sx, sy);
    }
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

void CollectWordStyle(const TextWord* word, std::vector<int>& colors, std::vector<std::string>& fontNames)
{
    double red, green, blue;
    word->getColor(&red, &green, &blue);
    int color = ColorValue(red, green, blue);
    if (std::find(colors.begin(), colors.end(), color) == colors.end())
        colors.push_back(color);
    std::string name = WordFontName(word);
    auto same = [&](const std::string& known) { return SameNameIgnoringCase(known, name); };
    if (std::none_of(fontNames.begin(), fontNames.end(), same))
        fontNames.push_back(name);
}

} // namespace

int WriteTextBoxes(ScriptWriter* writer, TextOutputDev* textDevice, float sx, float sy, TextMode lineMode,
                   [[maybe_unused]] int boxMode)
{
    if (!writer)
        return 0;
    if (!textDevice)
        return 1;
    for (const TextFlow* flow = textDevice->getFlows(); flow; flow = flow->getNext()) {
        for (const TextBlock* block = flow->getBlocks(); block; block = block->getNext())
            WriteBlock(writer, block, sx, sy, lineMode);
    }
    return 1;
}

int CollectTextStyles(TextOutputDev* textDevice, std::vector<int>& colors, std::vector<std::string>& fontNames)
{
    if (!textDevice)
        return 0;
    for (const TextFlow* flow = textDevice->getFlows(); flow; flow = flow->getNext())
        for (const TextBlock* block = flow->getBlocks(); block; block = block->getNext())
            for (const TextLine* line = block->getLines(); line; line = line->getNext())
                for (const TextWord* word = line->getWords(); word; word = word->getNext())
                    CollectWordStyle(word, colors, fontNames);
    return int(colors.size());
}
