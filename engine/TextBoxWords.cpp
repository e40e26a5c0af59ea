#include "engine/TextBoxWords.h"

#include <algorithm>
#include <climits>
#include <cmath>

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
    for (int i = 0; i < word->getLength(); ++i)
        text += EscapeChar(*word->getChar(i));
    if (word->getSpaceAfter())
        text += ' ';
}

namespace {

// A box's extent cut so that it ends within the largest shape edge: the
// application refuses a box that ends past it, and the statements after
// the refused call would then act on the previous box.
int FittedExtent(int start, int extent)
{
    if (start > kMaxShapeEdge)
        return 0;
    return std::min(extent, kMaxShapeEdge - start);
}

} // namespace

void WriteBoxShape(ScriptWriter* writer, double xMin, double yMin, double xMax, double yMax, float sx, float sy)
{
    const int left = TruncToInt(sx * xMin), top = TruncToInt(sy * yMin);
    AddTextboxShape(writer, left, top, FittedExtent(left, TruncToInt((xMax - xMin + 50.0) * sx)),
                    FittedExtent(top, TruncToInt((yMax - yMin) * sy)));
}
