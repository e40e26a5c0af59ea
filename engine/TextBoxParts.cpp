#include "engine/TextBoxParts.h"

#include <algorithm>
#include <climits>

#include <TextOutputDev.h>

#include "engine/TextBoxLayout.h"
#include "engine/TextBoxWords.h"

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

// The first run of a part.
constexpr Cost kPartStart{0, 1, false};

// A piece's characters, a run when its style is new, and at a line's start
// its indent, its paragraph break, the break's run and the run after it.
Cost PieceCost(const TextBlock* block, const WordPiece& piece, int mostIndent)
{
    Cost cost{0, piece.newStyle ? 1 : 0, false};
    for (int i = piece.first; i < piece.end; ++i) {
        const unsigned int code = *piece.word->getChar(i);
        cost.chars += code > 0xFFFF ? 2 : 1;
        cost.wide = cost.wide || code > 0xFF;
    }
    if (piece.end == piece.word->getLength() && piece.word->getSpaceAfter())
        ++cost.chars;
    if (piece.lineStart)
        cost.Add({Indent(block, piece.line, mostIndent) + 1L, 2, false});
    return cost;
}

bool SameStyle(const WordStyle& a, const WordStyle& b)
{
    return a.size == b.size && a.color == b.color && a.fontName == b.fontName;
}

std::vector<WordPiece> Pieces(const ScriptWriter* writer, const TextBlock* block, float sy)
{
    std::vector<WordPiece> pieces;
    WordStyle last{-1, -1, std::string()};
    for (const TextLine* line = block->getLines(); line; line = line->getNext()) {
        bool lineStart = true;
        for (const TextWord* word = line->getWords(); word; word = word->getNext()) {
            WordStyle style = StyleOf(writer, word, sy);
            bool newStyle = !SameStyle(style, last);
            last = std::move(style);
            for (int first = 0; first < word->getLength() || first == 0; first += kMaxPieceChars) {
                const int end = std::min(word->getLength(), first + kMaxPieceChars);
                pieces.push_back({line, word, first, end, lineStart, newStyle});
                lineStart = newStyle = false;
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

bool BlockFitsOneBox(const ScriptWriter* writer, const TextBlock* block, float sy)
{
    Cost total = kPartStart;
    for (const WordPiece& piece : Pieces(writer, block, sy))
        total.Add(PieceCost(block, piece, INT_MAX));
    return total.Bytes() <= kMaxBoxTextBytes;
}

// Greedy: the rest of a line joins the part when it fits; a part that
// cannot take the first line it meets whole takes that line's pieces
// one by one.
std::vector<std::vector<WordPiece>> BlockParts(const ScriptWriter* writer, const TextBlock* block, float sy)
{
    const std::vector<WordPiece> pieces = Pieces(writer, block, sy);
    std::vector<std::vector<WordPiece>> parts;
    size_t i = 0;
    while (i < pieces.size()) {
        std::vector<WordPiece> part;
        Cost cost = kPartStart;
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
