#include "engine/TextBoxWords.h"

#include <climits>
#include <cmath>

#include <TextOutputDev.h>

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

void WriteBoxShape(ScriptWriter* writer, double xMin, double yMin, double xMax, double yMax, float sx, float sy)
{
    AddTextboxShape(writer, TruncToInt(sx * xMin), TruncToInt(sy * yMin), TruncToInt((xMax - xMin + 50.0) * sx),
                    TruncToInt((yMax - yMin) * sy));
}
