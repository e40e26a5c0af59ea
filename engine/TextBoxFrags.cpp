// Text boxes with one run per word, each line closed by a line-break run:
// one box per block, or one box per line fragment, the
// fragments in top-to-bottom, left-to-right order.
#include "engine/TextBoxes.h"

#include <algorithm>
#include <vector>

#include <TextOutputDev.h>

#include "engine/ReadingOrder.h"
#include "engine/TextBoxLayout.h"
#include "engine/TextBoxWords.h"

namespace {

// A whole line with the box its characters span.
struct LineFragment {
    const TextLine* line;
    double xMin, yMin, xMax, yMax;
};

LineFragment MakeFragment(const TextLine* line)
{
    TextLineBox box = LineBoundingBox(line);
    const int len = LineLength(line);
    const double first = LineCharEdge(line, 0);
    const double last = LineCharEdge(line, len);
    switch (LineRotation(line)) {
    case 1:
        return { line, box.xMin, first, box.xMax, last };
    case 2:
        return { line, last, box.yMin, first, box.yMax };
    case 3:
        return { line, box.xMin, last, box.xMax, first };
    default:
        return { line, first, box.yMin, last, box.yMax };
    }
}

void AddWordRuns(ScriptWriter* writer, const TextLine* line, std::string indent, float sy)
{
    for (const TextWord* word = line->getWords(); word; word = word->getNext()) {
        WordStyle style = StyleOf(writer, word, sy);
        std::string text = std::move(indent);
        indent.clear();
        AppendWordText(text, word);
        AddTextRun(writer, text.c_str(), style.size, style.color, style.fontName.c_str(), 0, 0, 0, 0);
    }
    AddLineBreakRun(writer);
}

void WriteBlockOfWordRuns(ScriptWriter* writer, const TextBlock* block, float sx, float sy)
{
    double xMin, yMin, xMax, yMax;
    block->getBBox(&xMin, &yMin, &xMax, &yMax);
    WriteBoxShape(writer, xMin, yMin, xMax, yMax, sx, sy);
    for (const TextLine* line = block->getLines(); line; line = line->getNext()) {
        int indent = std::max(0, LineFirstColumn(line) - BlockStartColumn(block));
        AddWordRuns(writer, line, std::string(std::size_t(indent), ' '), sy);
    }
    FlushTextRuns(writer);
}

std::vector<LineFragment> PageFragments(TextOutputDev* textDevice)
{
    std::vector<LineFragment> fragments;
    fragments.reserve(256);
    for (const TextFlow* flow = textDevice->getFlows(); flow; flow = flow->getNext())
        for (const TextBlock* block = flow->getBlocks(); block; block = block->getNext())
            for (const TextLine* line = block->getLines(); line; line = line->getNext())
                fragments.push_back(MakeFragment(line));
    std::vector<BoxCorner> corners;
    corners.reserve(fragments.size());
    for (const LineFragment& fragment : fragments)
        corners.push_back({fragment.xMin, fragment.yMin});
    std::vector<LineFragment> ordered;
    ordered.reserve(fragments.size());
    for (std::size_t i : ReadingOrder(corners))
        ordered.push_back(fragments[i]);
    return ordered;
}

} // namespace

int WriteTextFragBoxes(ScriptWriter* writer, TextOutputDev* textDevice, float sx, float sy, TextMode textMode)
{
    if (!writer)
        return 0;
    if (!textDevice)
        return 1;
    if (textMode == TextMode::WordsInBlocks) {
        for (const TextFlow* flow = textDevice->getFlows(); flow; flow = flow->getNext())
            for (const TextBlock* block = flow->getBlocks(); block; block = block->getNext())
                WriteBlockOfWordRuns(writer, block, sx, sy);
    } else if (textMode == TextMode::WordsInFragments) {
        for (const LineFragment& fragment : PageFragments(textDevice)) {
            WriteBoxShape(writer, fragment.xMin, fragment.yMin, fragment.xMax, fragment.yMax, sx, sy);
            AddWordRuns(writer, fragment.line, std::string(), sy);
            FlushTextRuns(writer);
        }
    }
    return 1;
}
