// What the text-box writers read from each word of the text page.
#pragma once

#include <string>

struct ScriptWriter;
class TextWord;

// A coordinate or size as a whole number, truncated toward zero and held
// within int range whatever the document gives.
int TruncToInt(double value);

// 0x00BBGGRR from components in 0..1, each times 255 and truncated.
int ColorValue(double red, double green, double blue);

// The PDF font name of the word's first character, or "Arial".
std::string WordFontName(const TextWord* word);

struct WordStyle {
    int size;
    int color;
    std::string fontName;
};

WordStyle StyleOf(const ScriptWriter* writer, const TextWord* word, float sy);

// The word's characters escaped, and one blank when a blank follows it.
void AppendWordText(std::string& text, const TextWord* word);
// Characters first to end of the word, and the blank after the last one.
void AppendWordText(std::string& text, const TextWord* word, int first, int end);

// Left, top, width (50 wider than the box) and height of a text box, cut
// to the part that lies within the shape edges on both sides.
void WriteBoxShape(ScriptWriter* writer, double xMin, double yMin, double xMax, double yMax, float sx, float sy);
