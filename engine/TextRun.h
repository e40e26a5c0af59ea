// Formatted runs of a text box: pieces of escaped text of one size, colour
// and font, kept by the writer until the box is flushed.
#pragma once

#include <string>

struct TextRun {
    int start = 0;  // 1-based position of the first character in the box
    int length = 0; // characters the run stands for once unescaped
    std::string text; // escaped characters and plain blanks, or "vbCrLf"
    int fontSize = 0;
    int color = 0; // 0x00BBGGRR
    std::string fontName; // as the PDF names it; empty for a line break
    int bold = 0;
    int italic = 0;
    int underline = 0;
    int lineEnd = 0; // a paragraph break follows the run
};

// The text of a run that stands for a line break.
inline constexpr const char* kLineBreakRunText = "vbCrLf";

// One character code in the form VBScript's unescape reads back.
std::string EscapeChar(unsigned int code);
// Characters an escaped run text stands for: one per "%" and per blank,
// except that CR LF is one paragraph break, as the application stores it.
int CountEscapedChars(const std::string& text);

// The characters the application keeps of an escaped text appended to a
// box whose text ends in a paragraph break (afterBreak) or not: CR LF, CR
// and LF are each one break, and an LF right after a break joins it.
struct StoredText {
    int length = 0;
    bool endsInBreak = false;
};
StoredText StoredEscapedText(const std::string& text, bool afterBreak);
