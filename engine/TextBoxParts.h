// A text block cut into parts whose text records readers take: a box's
// text and style records together must stay within kMaxBoxTextBytes, and a
// block of many characters or runs is written as several boxes, each from
// whole lines where it can, else from words or pieces of a word.
#pragma once

#include <cstddef>
#include <vector>

struct ScriptWriter;
class TextBlock;
class TextLine;
class TextWord;

// The most bytes of text and style records one box may hold.
constexpr long kMaxBoxTextBytes = 100000;

// Characters first to end of a word; the first piece of its line starts it.
struct WordPiece {
    const TextLine* line;
    const TextWord* word;
    int first, end;
    bool lineStart;
    bool newStyle;  // the word's style is not the one of the word before
    bool lineEnd() const;  // the last piece of the word and of the line
};

// Indent blanks a part of a cut block starts a line with, at most.
constexpr int kMaxPartIndent = 1000;

// Whether the whole block is within kMaxBoxTextBytes, its bytes counted
// high (every change of style a run, every line a paragraph).
bool BlockFitsOneBox(const ScriptWriter* writer, const TextBlock* block, float sy);

// The block's pieces, in order, grouped into parts that each fit.
std::vector<std::vector<WordPiece>> BlockParts(const ScriptWriter* writer, const TextBlock* block, float sy);
