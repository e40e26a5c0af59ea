#include "engine/TextBoxParts.h"

#include <algorithm>
#include <climits>

#include <TextOutputDev.h>

#include "engine/TextBoxLayout.h"

namespace {

// Record bytes: the header, text, style and language records' headers and
// fixed fields, and per character run its 24 bytes.
constexpr long kFixedBytes = 56 + 24, kRunBytes = 24;
// Characters of one piece: a word longer than this is cut.
constexpr int kMaxPieceChars = 16384;

struct Cost {
    long chars = 0, runs = 0;
    bool wide = false;
    long Bytes() const { return kFixedBytes + (wide ? 2 : 1) * chars + kRunBytes * runs; }
    void Add(const Cost& other)
    {
        chars += other.chars, runs += other.runs;
        wide = wide || other.wide;
    }
};

int Indent(const TextBlock* block, const TextLine* line, int most)
{
    return std::clamp(LineFirstColumn(line) - BlockStartColumn(block), 0, most);
}

// A piece's characters, a run, and at a line's start its indent, its
// paragraph break and the break's run.
Cost PieceCost(const TextBlock* block, const WordPiece& piece, int mostIndent)
{
    Cost cost{0, 1, false};
    for (int i = piece.first; i < piece.end; ++i) {
        const unsigned int code = *piece.word->getChar(i);
        cost.chars += code > 0xFFFF ? 2 : 1;
        cost.wide = cost.wide || code > 0xFF;
    }
    if (piece.end == piece.word->getLength() && piece.word->getSpaceAfter())
        ++cost.chars;
    if (piece.lineStart)
        cost.Add({Indent(block, piece.line, mostIndent) + 1L, 1, false});
    return cost;
}

std::vector<WordPiece> Pieces(const TextBlock* block)
{
    std::vector<WordPiece> pieces;
    for (const TextLine* line = block->getLines(); line; line = line->getNext()) {
        bool lineStart = true;
        for (const TextWord* word = line->getWords(); word; word = word->getNext()) {
            for (int first = 0; first < word->getLength() || first == 0; first += kMaxPieceChars) {
                pieces.push_back({line, word, first, std::min(word->getLength(), first + kMaxPieceChars), lineStart});
                lineStart = false;
            }
        }
    }
    return pieces;
}

} // namespace

bool WordPiece::lineEnd() const
{
    return end == word->getLength() && !word->getNext();
}

bool BlockFitsOneBox(const TextBlock* block)
{
    Cost total;
    for (const WordPiece& piece : Pieces(block))
        total.Add(PieceCost(block, piece, INT_MAX));
    return total.Bytes() <= kMaxBoxTextBytes;
}

// Greedy: the rest of a line joins the part when it fits; a part that
// cannot take the first line it meets whole takes that line's pieces
// one by one.
std::vector<std::vector<WordPiece>> BlockParts(const TextBlock* block)
{
    const std::vector<WordPiece> pieces = Pieces(block);
    std::vector<std::vector<WordPiece>> parts;
    size_t i = 0;
    while (i < pieces.size()) {
        std::vector<WordPiece> part;
        Cost cost;
        while (i < pieces.size()) {
            size_t lineEnd = i + 1;
            Cost rest = PieceCost(block, pieces[i], kMaxPartIndent);
            for (; lineEnd < pieces.size() && !pieces[lineEnd].lineStart; ++lineEnd)
                rest.Add(PieceCost(block, pieces[lineEnd], kMaxPartIndent));
            Cost joined = cost;
            joined.Add(rest);
            if (joined.Bytes() <= kMaxBoxTextBytes) {
                part.insert(part.end(), pieces.begin() + long(i), pieces.begin() + long(lineEnd));
                cost = joined, i = lineEnd;
                continue;
            }
            if (!part.empty())
                break;
            // A line too long for a part of its own: its pieces one by one.
            while (i < lineEnd) {
                Cost more = cost;
                more.Add(PieceCost(block, pieces[i], kMaxPartIndent));
                if (!part.empty() && more.Bytes() > kMaxBoxTextBytes)
                    break;
                cost = more;
                part.push_back(pieces[i++]);
            }
            break;
        }
        parts.push_back(std::move(part));
    }
    return parts;
}
