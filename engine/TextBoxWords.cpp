#include "engine/TextBoxWords.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include <TextOutputDev.h>

#include "engine/RenderResolution.h"
#include "engine/ScriptWriter.h"
#include "engine/TextRun.h"

int TruncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(INT_MAX))
        return INT_MAX;
    if (value <= double(INT_MIN))
        return INT_MIN;
    return int(value);
}

int ColorValue(double red, double green, double blue)
{
    return (TruncToInt(blue * 255) & 255) << 16 | (TruncToInt(green * 255) & 255) << 8 |
           (TruncToInt(red * 255) & 255);
}

std::string WordFontName(const TextWord* word)
{
    const TextFontInfo* info = word->getLength() > 0 ? word->getFontInfo(0) : nullptr;
    const GooString* name = info ? info->getFontName() : nullptr;
    return name ? name->toStr() : std::string("Arial");
}

WordStyle StyleOf(const ScriptWriter* writer, const TextWord* word, float sy)
{
    double red, green, blue;
    word->getColor(&red, &green, &blue);
    return { TruncToInt(sy * word->getFontSize()), writer->LookupColor(ColorValue(red, green, blue)),
             writer->LookupFont(WordFontName(word)) };
}

void AppendWordText(std::string& text, const TextWord* word)
{
    AppendWordText(text, word, 0, word->getLength());
}

void AppendWordText(std::string& text, const TextWord* word, int first, int end)
{
    for (int i = first; i < end; ++i)
        text += EscapeChar(*word->getChar(i));
    if (end == word->getLength() && word->getSpaceAfter())
        text += ' ';
}

namespace {

// One side of a box held within the shape edges: it starts at -edge or
// more and ends at edge or less. The application refuses any other box,
// and the statements after the refused call would then find no box.
struct Extent {
    int start, length;
};

Extent Fitted(int start, int length)
{
    const int64_t end = std::min<int64_t>(int64_t(start) + std::max(length, 0), kMaxShapeEdge);
    const int fittedStart = std::clamp(start, -kMaxShapeEdge, kMaxShapeEdge);
    return { fittedStart, int(std::max<int64_t>(end - fittedStart, 0)) };
}

} // namespace

void WriteBoxShape(ScriptWriter* writer, double xMin, double yMin, double xMax, double yMax, float sx, float sy)
{
    const Extent x = Fitted(TruncToInt(sx * xMin), TruncToInt((xMax - xMin + 50.0) * sx));
    const Extent y = Fitted(TruncToInt(sy * yMin), TruncToInt((yMax - yMin) * sy));
    AddTextboxShape(writer, x.start, y.start, x.length, y.length);
}
