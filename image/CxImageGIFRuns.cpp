// The run coder. It keeps no string table: it counts runs of one pixel value
// and sends codes whose strings a standard decoder builds for itself. After a
// clear, the codes p, base, base + 1, ... decode to runs of 1, 2, 3, ...
// pixels of p, so a long run costs about the square root of its length in
// codes; while that table stays valid, later runs of p reuse its longest
// string. Data sub-blocks hold up to 255 bytes.
#include "image/CxFile.h"
#include "image/CxImageGIF.h"

namespace {

constexpr int BLOCK_LIMIT = 255;

}  // namespace

void CxImageGIF::EncodePixelsRuns(int init_bits, CxFile* fp)
{
    outFile = fp;
    GifRunState rle{};
    rle.clearCode = 1 << (init_bits - 1);
    rle.endCode = rle.clearCode + 1;
    rle.runBaseCode = rle.clearCode + 2;
    rle.bumpAtInit = rle.clearCode - 1;
    rle.clearAtInit = init_bits <= 3 ? 9 : rle.clearCode - 2;
    rle.codeBitsInit = init_bits;
    rle.maxCodes = 4093 - rle.clearCode;
    rle.runCount = 0;
    rle.runPixel = -1;
    RunReset(rle);
    rle.bitBuffer = 0;
    rle.bitFill = 0;
    rle.blockLength = 0;
    RunEmitBits(rle, static_cast<unsigned>(rle.clearCode));

    for (;;) {
        int c = NextPixel();
        if (rle.runCount > 0 && c != rle.runPixel) RunFlush(rle);
        if (c == -1) break;
        if (c == rle.runPixel) {
            rle.runCount++;
        } else {
            rle.runPixel = c;
            rle.runCount = 1;
        }
    }
    RunEmitBits(rle, static_cast<unsigned>(rle.endCode));
    RunFlushBits(rle);
}

void CxImageGIF::RunReset(GifRunState& rle)
{
    rle.codeBits = rle.codeBitsInit;
    rle.bumpAt = rle.bumpAtInit;
    rle.clearAt = rle.clearAtInit;
    rle.codesOut = 0;
    rle.tableMax = 0;
    rle.justCleared = 1;
}

void CxImageGIF::RunEmitBits(GifRunState& rle, unsigned int value)
{
    rle.bitBuffer |= static_cast<DWORD>(value) << rle.bitFill;
    rle.bitFill += rle.codeBits;
    while (rle.bitFill >= 8) {
        RunBlockAddByte(rle, static_cast<BYTE>(rle.bitBuffer & 0xFF));
        rle.bitBuffer >>= 8;
        rle.bitFill -= 8;
    }
}

// A code the decoder adds a table entry for: the width grows with its table,
// and a clear follows when the limit is reached.
void CxImageGIF::RunEmitPlain(GifRunState& rle, int code)
{
    rle.justCleared = 0;
    RunEmitBits(rle, static_cast<unsigned>(code));
    rle.codesOut++;
    if (rle.codesOut == rle.bumpAt) {
        rle.codeBits++;
        rle.bumpAt += 1 << (rle.codeBits - 1);
    }
    if (rle.codesOut == rle.clearAt) {
        RunEmitBits(rle, static_cast<unsigned>(rle.clearCode));
        RunReset(rle);
    }
}

void CxImageGIF::RunFlush(GifRunState& rle)
{
    if (rle.runCount == 1)
        RunEmitPlain(rle, rle.runPixel);
    else if (rle.justCleared)
        RunFlushFromClear(rle, rle.runCount);
    else if (rle.tableMax >= 2 && rle.tablePixel == rle.runPixel)
        RunFlushWithTable(rle, rle.runCount);
    else
        RunFlushClearOrRepeat(rle, rle.runCount);
    rle.runCount = 0;
}

// Builds the decoder's table of runs 1, 2, 3, ... of runPixel; the last code
// takes whatever is left over.
void CxImageGIF::RunFlushFromClear(GifRunState& rle, int count)
{
    rle.clearAt = rle.maxCodes;
    rle.tablePixel = rle.runPixel;
    int n = 1;
    while (count > 0) {
        if (n == 1) {
            rle.tableMax = 1;
            RunEmitPlain(rle, rle.runPixel);
            count--;
        } else if (count >= n) {
            rle.tableMax = n;
            RunEmitPlain(rle, rle.runBaseCode + n - 2);
            count -= n;
        } else {
            rle.tableMax++;
            RunEmitPlain(rle, count == 1 ? rle.runPixel : rle.runBaseCode + count - 2);
            count = 0;
        }
        n = rle.codesOut == 0 ? 1 : n + 1;
    }
    RunResetClearLimit(rle);
}

void CxImageGIF::RunResetClearLimit(GifRunState& rle)
{
    rle.clearAt = rle.clearAtInit;
    if (rle.codesOut >= rle.clearAt) {
        RunEmitBits(rle, static_cast<unsigned>(rle.clearCode));
        RunReset(rle);
    }
}

// Repeats the table's longest run of this value, unless a fresh table is
// cheaper.
void CxImageGIF::RunFlushWithTable(GifRunState& rle, int count)
{
    const unsigned maxCodes = static_cast<unsigned>(rle.maxCodes);
    unsigned repeats = static_cast<unsigned>(count / rle.tableMax);
    int leftover = count % rle.tableMax;
    unsigned leftoverCodes = leftover ? 1 : 0;
    if (static_cast<unsigned>(rle.codesOut) + leftoverCodes + repeats > maxCodes) {
        repeats = maxCodes - static_cast<unsigned>(rle.codesOut);
        leftover = count - static_cast<int>(static_cast<unsigned>(rle.tableMax) * repeats);
        leftoverCodes = 1 + RunTriangleCost(static_cast<unsigned>(leftover), maxCodes);
    }
    if (1 + RunTriangleCost(static_cast<unsigned>(count), maxCodes) < repeats + leftoverCodes) {
        RunEmitBits(rle, static_cast<unsigned>(rle.clearCode));
        RunReset(rle);
        RunFlushFromClear(rle, count);
        return;
    }
    rle.clearAt = rle.maxCodes;
    for (unsigned i = 0; i < repeats; i++) RunEmitPlain(rle, rle.runBaseCode + rle.tableMax - 2);
    if (leftover) {
        if (rle.justCleared)
            RunFlushFromClear(rle, leftover);
        else if (leftover == 1)
            RunEmitPlain(rle, rle.runPixel);
        else
            RunEmitPlain(rle, rle.runBaseCode + leftover - 2);
    }
    RunResetClearLimit(rle);
}

void CxImageGIF::RunFlushClearOrRepeat(GifRunState& rle, int count)
{
    if (1 + RunTriangleCost(static_cast<unsigned>(count), static_cast<unsigned>(rle.maxCodes))
        < static_cast<unsigned>(count)) {
        RunEmitBits(rle, static_cast<unsigned>(rle.clearCode));
        RunReset(rle);
        RunFlushFromClear(rle, count);
        return;
    }
    for (int i = 0; i < count; i++) RunEmitPlain(rle, rle.runPixel);
}

// Codes needed for a run of count pixels from a fresh table of at most
// `codes` codes: n codes cover n (n + 1) / 2 pixels.
unsigned int CxImageGIF::RunTriangleCost(unsigned int count, unsigned int codes)
{
    unsigned int perTable = codes * (codes + 1) / 2;
    unsigned int cost = codes * (count / perTable);
    unsigned int rest = count % perTable;
    if (rest > 0) {
        unsigned int n = IntSqrt(rest);
        while (n * (n + 1) >= 2 * rest) n--;
        while (n * (n + 1) < 2 * rest) n++;
        cost += n;
    }
    return cost;
}

// Newton's iteration from a power of two above the root.
unsigned int CxImageGIF::IntSqrt(unsigned int value)
{
    if (value < 2) return value;
    unsigned int root = 1;
    for (unsigned int v = value; v; v >>= 2) root <<= 1;
    for (;;) {
        unsigned int next = (value / root + root) / 2;
        if (next == root || next == root + 1) return root;
        root = next;
    }
}

void CxImageGIF::RunBlockAddByte(GifRunState& rle, BYTE c)
{
    rle.block[rle.blockLength++] = c;
    if (rle.blockLength >= BLOCK_LIMIT) RunWriteBlock(rle);
}

void CxImageGIF::RunWriteBlock(GifRunState& rle)
{
    PutByte(static_cast<BYTE>(rle.blockLength), outFile);
    PutBytes(rle.block, static_cast<size_t>(rle.blockLength), outFile);
    rle.blockLength = 0;
}

void CxImageGIF::RunBlockFlush(GifRunState& rle)
{
    if (rle.blockLength > 0) RunWriteBlock(rle);
}

void CxImageGIF::RunFlushBits(GifRunState& rle)
{
    if (rle.bitFill > 0) RunBlockAddByte(rle, static_cast<BYTE>(rle.bitBuffer & 0xFF));
    rle.bitFill = 0;
    RunBlockFlush(rle);
}
