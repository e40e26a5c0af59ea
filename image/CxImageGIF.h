// The GIF format object: writes the image it ghosts as a GIF89a stream. A
// palette image becomes one image block, an image with frames an animation,
// a 24-bit image a mosaic of 17 x 15 tiles each with its own colour table.
// The pixel data is LZW-coded (default), stored (codec option 1: one literal
// code per pixel) or run-coded (codec option 2: codes a standard decoder
// expands into runs of one value).
#pragma once

#include "image/CxImage.h"

class CxFile;

// State of the run coder for one image block.
struct GifRunState {
    int runPixel;
    int runBaseCode;     // code of the first table string: clear code + 2
    int runCount;
    int tablePixel;      // value whose runs the decoder's table now holds
    int tableMax;        // longest run of tablePixel known to the table
    int justCleared;     // no code emitted since the last clear
    int codeBits;
    int codeBitsInit;
    int codesOut;        // codes emitted since the last clear
    int bumpAt;
    int bumpAtInit;
    int clearAt;
    int clearAtInit;
    int maxCodes;
    int clearCode;
    int endCode;
    DWORD bitBuffer;
    int bitFill;
    BYTE block[256];
    int blockLength;
};

class CxImageGIF : public CxImage {
public:
    CxImageGIF();

    bool Encode(CxFile* fp);
    bool Encode(CxFile* fp, CxImage** pImages, int pagecount, bool bLocalColorMap = false,
                bool bLocalDispMeth = false);
    void SetLoopCount(int loops) { loopCount = loops; }

protected:
    static constexpr int HSIZE = 5003;  // prime size of the LZW string table

    // Stream writers.
    void WriteScreenHeader(CxFile* fp);
    void WriteLoopBlock(CxFile* fp);
    void WriteGraphicControl(CxFile* fp);
    void WriteCommentBlock(CxFile* fp);
    void WriteImageBlock(CxFile* fp, bool bLocalColorMap = false);
    bool EncodeTrueColor(CxFile* fp);
    void WriteLe16(WORD value, CxFile* fp);
    void WriteColorTable(CxFile* fp);
    void PutByte(BYTE c, CxFile* fp);
    void PutBytes(const void* data, size_t length, CxFile* fp);

    // Refusals that must come before the first byte.
    const char* CheckGeometry() const;
    bool Finish(CxFile* fp);

    // Pixel source: palette indices top row first, -1 at the end.
    int NextPixel();

    // Coders sharing the bit packer and the 254-byte packets.
    void EncodePixelsLzw(int init_bits, CxFile* fp);
    void EncodePixelsStored(int init_bits, CxFile* fp);
    void StartCoder(int init_bits, CxFile* fp);
    void EmitCode(short code);
    void ResetHashTable(long hsize);
    void PacketAddByte(BYTE c);
    void PacketFlush();

    // The run coder.
    void EncodePixelsRuns(int init_bits, CxFile* fp);
    void RunReset(GifRunState& rle);
    void RunEmitBits(GifRunState& rle, unsigned int value);
    void RunEmitPlain(GifRunState& rle, int code);
    void RunFlush(GifRunState& rle);
    void RunFlushFromClear(GifRunState& rle, int count);
    void RunResetClearLimit(GifRunState& rle);
    void RunFlushWithTable(GifRunState& rle, int count);
    void RunFlushClearOrRepeat(GifRunState& rle, int count);
    static unsigned int RunTriangleCost(unsigned int count, unsigned int codes);
    static unsigned int IntSqrt(unsigned int value);
    void RunBlockAddByte(GifRunState& rle, BYTE c);
    void RunWriteBlock(GifRunState& rle);
    void RunBlockFlush(GifRunState& rle);
    void RunFlushBits(GifRunState& rle);

    struct {
        BYTE flags;
        WORD delay;
        BYTE transpcolindex;
    } controlBlock;
    LONG curX, curY;
    long long pixelsLeft;
    DWORD bitAccum;
    int bitCount;
    LONG hashKeys[HSIZE];
    WORD hashCodes[HSIZE];
    int codeBits;
    short maxCode;
    short nextCode;
    int clearPending;
    int initBits;
    CxFile* outFile;
    int clearCode, endCode;
    int packetLength;
    BYTE packet[256];
    char comment[256];
    int loopCount;
    bool writeFailed;  // a byte did not reach the stream
};
