// Text boxes with runs of one size, colour and font: one box per text
// block, or one per line. Walks flow -> block -> line -> word.
#include "engine/TextBoxes.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include <TextOutputDev.h>

#include "engine/TextBoxLayout.h"
#include "engine/TextBoxParts.h"
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

// A word of another style ends the run so far. Characters first to end of
// the word join the run.
void AddWord(ScriptWriter* writer, RunState& state, const TextWord* word, float sy, int first, int end)
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
    AppendWordText(state.text, word, first, end);
}

void AddWord(ScriptWriter* writer, RunState& state, const TextWord* word, float sy)
{
    AddWord(writer, state, word, sy, 0, word->getLength());
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

struct Box {
    double xMin, yMin, xMax, yMax;
    void Add(double x0, double y0, double x1, double y1)
    {
        xMin = std::min(xMin, x0), yMin = std::min(yMin, y0);
        xMax = std::max(xMax, x1), yMax = std::max(yMax, y1);
    }
};

// Where the part's characters lie; a part that starts a line starts at the
// block's left edge, as its indent is counted from there.
Box PartBox(const TextBlock* block, const std::vector<WordPiece>& part)
{
    Box box{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const WordPiece& piece : part) {
        double x0, y0, x1, y1;
        if (piece.first == 0 && piece.end == piece.word->getLength()) {
            piece.word->getBBox(&x0, &y0, &x1, &y1);
            box.Add(x0, y0, x1, y1);
            continue;
        }
        for (int i = piece.first; i < piece.end; ++i) {
            piece.word->getCharBBox(i, &x0, &y0, &x1, &y1);
            box.Add(x0, y0, x1, y1);
        }
    }
    if (!part.empty() && part.front().lineStart) {
        double x0, y0, x1, y1;
        block->getBBox(&x0, &y0, &x1, &y1);
        box.xMin = std::min(box.xMin, x0);
    }
    return box;
}

// One box of a block too large for one: its pieces as WriteBlockBox writes
// whole lines, the indent held to kMaxPartIndent.
void WriteBlockPart(ScriptWriter* writer, const TextBlock* block, const std::vector<WordPiece>& part, float sx,
                    float sy)
{
    Box box = PartBox(block, part);
    WriteBoxShape(writer, box.xMin, box.yMin, box.xMax, box.yMax, sx, sy);
    RunState state;
    for (size_t k = 0; k < part.size(); ++k) {
        const WordPiece& piece = part[k];
        if (piece.lineStart && state.text.empty())
            state.text.append(std::size_t(std::clamp(LineFirstColumn(piece.line) - BlockStartColumn(block), 0,
                                                     kMaxPartIndent)), ' ');
        AddWord(writer, state, piece.word, sy, piece.first, piece.end);
        const bool lastOfPart = k + 1 == part.size();
        if (piece.lineEnd() && !lastOfPart && !state.text.empty() && IsParagraphBreak(piece.line, part[k + 1].line))
            EndRun(writer, state, 1);
    }
    if (!state.text.empty())
        EndRun(writer, state, 1);
    FlushTextRuns(writer);
}

void WriteBlockBox(ScriptWriter* writer, const TextBlock* block, float sx, float sy)
{
    if (!BlockFitsOneBox(writer, block, sy)) {
        for (const std::vector<WordPiece>& part : BlockParts(writer, block, sy))
            WriteBlockPart(writer, block, part, sx, sy);
        return;
    }
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
