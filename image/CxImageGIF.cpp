// GIF89a writer: screen header, extensions, image blocks, the animation and
// the 24-bit mosaic. The coders live in CxImageGIFLzw.cpp and
// CxImageGIFRuns.cpp.
#include "image/CxImageGIF.h"

#include <cstring>

#include "image/CxFile.h"

namespace {

// The mosaic's tiles: 17 x 15 pixels use palette entries 1 to 255.
constexpr DWORD TILE_WIDTH = 17;
constexpr DWORD TILE_HEIGHT = 15;

// GIF stores sizes and positions in 16 bits.
constexpr LONG GIF_MAX_COORD = 65535;

const char* const WRITE_ERROR = "Write Error in GIF file";

}  // namespace

CxImageGIF::CxImageGIF() : CxImage(CXIMAGE_FORMAT_GIF)
{
    controlBlock = {};
    curX = curY = 0;
    pixelsLeft = 0;
    bitAccum = 0;
    bitCount = 0;
    codeBits = 0;
    maxCode = nextCode = 0;
    clearPending = 0;
    initBits = 0;
    outFile = nullptr;
    clearCode = endCode = 0;
    packetLength = 0;
    comment[0] = '\0';
    loopCount = 0;
    info.dispmeth = 0;
    writeFailed = false;
}

bool CxImageGIF::Encode(CxFile* fp)
{
    if (EncodeSafeCheck(fp)) return false;
    if (head.biBitCount > 8) return EncodeTrueColor(fp);
    if (info.nNumFrames > 1 && ppFrames) return Encode(fp, ppFrames, info.nNumFrames, false, false);

    if (const char* refusal = CheckGeometry()) {
        SetLastError(refusal);
        return false;
    }
    WriteScreenHeader(fp);
    WriteGraphicControl(fp);
    WriteCommentBlock(fp);
    WriteImageBlock(fp, false);
    PutByte(';', fp);
    return Finish(fp);
}

bool CxImageGIF::Encode(CxFile* fp, CxImage** pImages, int pagecount, bool bLocalColorMap,
                        bool bLocalDispMeth)
{
    CxImageGIF frame;
    const char* refusal = nullptr;
    if (!fp) {
        refusal = "invalid file pointer";
    } else if (!pImages || pagecount < 1 || !pImages[0]) {
        refusal = "multipage GIF, no images!";
    } else {
        for (int i = 0; i < pagecount && !refusal; i++) {
            CxImage* image = pImages[i];
            if (!image) {
                refusal = "Bad image pointer";
            } else if (!image->IsValid()) {
                refusal = "Empty image";
            } else if (image->GetNumColors() == 0) {
                refusal = "CxImageGIF::Encode cannot create animated GIFs with a true color "
                          "frame. Use DecreaseBpp before";
            } else {
                frame.Ghost(image);
                refusal = frame.CheckGeometry();
            }
        }
    }
    if (refusal) {
        SetLastError(refusal);
        return false;
    }

    frame.Ghost(pImages[0]);
    frame.WriteScreenHeader(fp);
    if (loopCount != 1) {
        frame.SetLoopCount(loopCount - 1 > 0 ? loopCount - 1 : 0);
        frame.WriteLoopBlock(fp);
    }
    for (int i = 0; i < pagecount; i++) {
        if (i > 0) frame.Ghost(pImages[i]);
        BYTE ownDisposal = frame.info.dispmeth;
        if (!bLocalDispMeth) frame.info.dispmeth = info.dispmeth;
        frame.WriteGraphicControl(fp);
        frame.info.dispmeth = ownDisposal;
        if (i == 0) WriteCommentBlock(fp);
        frame.WriteImageBlock(fp, i > 0 && bLocalColorMap);
    }
    PutByte(';', fp);
    writeFailed = writeFailed || frame.writeFailed;
    return Finish(fp);
}

// Every tile gets its own 256-entry table holding exactly its pixels'
// colours, so the mosaic loses no colour.
bool CxImageGIF::EncodeTrueColor(CxFile* fp)
{
    if (const char* refusal = CheckGeometry()) {
        SetLastError(refusal);
        return false;
    }
    WriteScreenHeader(fp);
    WriteCommentBlock(fp);

    CxImageGIF tile;
    const DWORD width = GetWidth();
    const DWORD height = GetHeight();
    for (DWORD y = 0; y < height; y += TILE_HEIGHT) {
        for (DWORD x = 0; x < width; x += TILE_WIDTH) {
            DWORD w = width - x < TILE_WIDTH ? width - x : TILE_WIDTH;
            DWORD h = height - y < TILE_HEIGHT ? height - y : TILE_HEIGHT;
            if ((w != tile.GetWidth() || h != tile.GetHeight()) && !tile.Create(w, h, 8, 0)) {
                SetLastError(tile.GetLastError());
                return false;
            }
            if (HasTransIndex()) {
                tile.SetTransIndex(0);
                tile.SetPaletteColor(0, GetTransColor());
            }
            for (DWORD j = 0; j < h; j++) {
                for (DWORD k = 0; k < w; k++) {
                    BYTE index = static_cast<BYTE>(1 + TILE_WIDTH * j + k);
                    RGBQUAD c = GetPixelColor(LONG(x + k), LONG(height - y - h + j), true);
                    tile.SetPaletteColor(index, c);
                    tile.SetPixelIndex(LONG(k), LONG(j), tile.GetNearestIndex(c));
                }
            }
            tile.SetFrameOffset(LONG(x), LONG(y));
            tile.WriteGraphicControl(fp);
            tile.WriteImageBlock(fp, true);
        }
    }
    PutByte(';', fp);
    writeFailed = writeFailed || tile.writeFailed;
    return Finish(fp);
}

// Sizes and offsets that 16 bits cannot hold are refused, not truncated.
const char* CxImageGIF::CheckGeometry() const
{
    if (head.biWidth > GIF_MAX_COORD || head.biHeight > GIF_MAX_COORD)
        return "GIF images are at most 65535 pixels wide and high";
    if (head.biBitCount <= 8
        && (info.xOffset < 0 || info.xOffset > GIF_MAX_COORD || info.yOffset < 0
            || info.yOffset > GIF_MAX_COORD))
        return "GIF frame offsets must lie between 0 and 65535";
    return nullptr;
}

// The stream must have taken every byte, and flushed them.
bool CxImageGIF::Finish(CxFile* fp)
{
    if (!fp->Flush() || fp->Error()) writeFailed = true;
    if (writeFailed) {
        SetLastError(WRITE_ERROR);
        return false;
    }
    return true;
}

void CxImageGIF::WriteScreenHeader(CxFile* fp)
{
    PutBytes("GIF89a", 6, fp);
    WriteLe16(static_cast<WORD>(head.biWidth), fp);
    WriteLe16(static_cast<WORD>(head.biHeight), fp);
    if (head.biClrUsed != 0) {
        int bits = head.biBitCount - 1;
        PutByte(static_cast<BYTE>(0x80 | ((bits << 5) & 0xFF) | bits), fp);  // flags
    } else {
        PutByte(0x11, fp);  // no global colour table
    }
    PutByte(0, fp);  // background colour index
    PutByte(0, fp);  // pixel aspect ratio
    if (head.biClrUsed != 0) WriteColorTable(fp);
}

void CxImageGIF::WriteLoopBlock(CxFile* fp)
{
    PutByte(0x21, fp);  // extension
    PutByte(0xFF, fp);  // application
    PutByte(0x0B, fp);  // identifier and code length
    PutBytes("NETSCAPE2.0", 11, fp);
    PutByte(0x03, fp);  // sub-block length
    PutByte(0x01, fp);  // loop sub-block id
    WriteLe16(static_cast<WORD>(loopCount), fp);
    PutByte(0x00, fp);
}

void CxImageGIF::WriteGraphicControl(CxFile* fp)
{
    controlBlock.flags = static_cast<BYTE>((HasTransIndex() ? 1 : 0) | ((info.dispmeth & 7) << 2));
    controlBlock.delay = static_cast<WORD>(info.dwFrameDelay);
    controlBlock.transpcolindex = static_cast<BYTE>(info.nBkgndIndex);

    PutByte(0x21, fp);  // extension
    PutByte(0xF9, fp);  // graphic control
    PutByte(0x04, fp);  // block size
    PutByte(controlBlock.flags, fp);
    WriteLe16(controlBlock.delay, fp);
    PutByte(controlBlock.transpcolindex, fp);
    PutByte(0x00, fp);
}

void CxImageGIF::WriteCommentBlock(CxFile* fp)
{
    size_t length = strnlen(comment, sizeof(comment) - 1);
    if (length == 0) return;
    PutByte(0x21, fp);  // extension
    PutByte(0xFE, fp);  // comment
    PutByte(static_cast<BYTE>(length), fp);
    PutBytes(comment, length, fp);
    PutByte(0x00, fp);
}

void CxImageGIF::WriteImageBlock(CxFile* fp, bool bLocalColorMap)
{
    curX = 0;
    curY = head.biHeight - 1;
    pixelsLeft = static_cast<long long>(head.biWidth) * head.biHeight;

    PutByte(0x2C, fp);  // image separator
    WriteLe16(static_cast<WORD>(info.xOffset), fp);
    WriteLe16(static_cast<WORD>(info.yOffset), fp);
    WriteLe16(static_cast<WORD>(head.biWidth), fp);
    WriteLe16(static_cast<WORD>(head.biHeight), fp);
    if (bLocalColorMap) {
        PutByte(static_cast<BYTE>(0x80 | (head.biBitCount - 1)), fp);
        WriteColorTable(fp);
    } else {
        PutByte(0, fp);
    }

    int minCodeSize = head.biBitCount == 1 ? 2 : head.biBitCount;
    PutByte(static_cast<BYTE>(minCodeSize), fp);
    switch (GetCodecOption(CXIMAGE_FORMAT_GIF)) {
    case 1: EncodePixelsStored(minCodeSize + 1, fp); break;
    case 2: EncodePixelsRuns(minCodeSize + 1, fp); break;
    default: EncodePixelsLzw(minCodeSize + 1, fp); break;
    }
    PutByte(0x00, fp);  // block terminator
}

void CxImageGIF::WriteColorTable(CxFile* fp)
{
    RGBQUAD* palette = GetPalette();
    for (DWORD i = 0; i < head.biClrUsed; i++) {
        BYTE rgb[3] = {palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue};
        PutBytes(rgb, 3, fp);
    }
}

void CxImageGIF::WriteLe16(WORD value, CxFile* fp)
{
    PutByte(static_cast<BYTE>(value & 0xFF), fp);
    PutByte(static_cast<BYTE>(value >> 8), fp);
}

void CxImageGIF::PutByte(BYTE c, CxFile* fp)
{
    if (!fp->PutC(c)) writeFailed = true;
}

void CxImageGIF::PutBytes(const void* data, size_t length, CxFile* fp)
{
    if (length && fp->Write(data, 1, length) != length) writeFailed = true;
}

int CxImageGIF::NextPixel()
{
    if (pixelsLeft == 0) return -1;
    --pixelsLeft;
    int index = GetPixelIndex(curX, curY) & 0xFF;
    if (++curX == head.biWidth) {
        curX = 0;
        curY--;
    }
    return index;
}
