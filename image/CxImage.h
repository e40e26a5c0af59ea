// The raster image object: one pixel block in device-independent-bitmap
// layout (header, palette, bottom-up rows padded to 4 bytes; 1, 4, 8 or 24
// bits per pixel), the information record, optional alpha and selection
// planes, and owned layer and frame images.
//
// Failing operations return false (or null, 0) and leave a fixed English text
// that GetLastError returns. A ghost (see Ghost) borrows another image's data
// and frees nothing.
#pragma once

#include <cstdio>

#include "image/CxImageInfo.h"
#include "image/ImageExport.h"
#include "image/ImageFormats.h"
#include "platform/win32/Gdi.h"
#include "platform/win32/wintypes.h"

class CxFile;

class CXIMAGE_API CxImage {
public:
    // Largest pixel block accepted by Create, in bytes of padded rows.
    static constexpr unsigned long long CXIMAGE_MAX_MEMORY = 268435456;

    CxImage(DWORD imagetype = 0);
    CxImage(const CxImage& src, bool copypixels = true, bool copyselection = true,
            bool copyalpha = true);
    virtual ~CxImage();
    CxImage& operator=(const CxImage& src);

    // --- building and releasing the pixel data ---
    BYTE* Create(DWORD dwWidth, DWORD dwHeight, DWORD wBpp, DWORD imagetype = 0);
    bool Destroy();
    bool DestroyFrames();
    void Clear(BYTE bval = 0);
    void Copy(const CxImage& src, bool copypixels = true, bool copyselection = true,
              bool copyalpha = true);
    void CopyInfo(const CxImage& src);
    bool Transfer(CxImage& from, bool bTransferFrames = true);
    void Ghost(const CxImage* src);
    // Rows of the array are bytesPerLine apart; with flip the first row of the
    // array becomes the top row of the picture.
    bool CreateFromArray(const BYTE* pArray, DWORD dwWidth, DWORD dwHeight,
                         DWORD dwBitsperpixel, DWORD dwBytesperline, bool bFlipImage);

    // --- block geometry ---
    BYTE* GetBits(DWORD row = 0) const;
    DWORD GetSize() const;
    bool IsInside(LONG x, LONG y) const;

    // --- the header and the information record ---
    bool IsValid() const { return pDib != nullptr; }
    DWORD GetWidth() const { return static_cast<DWORD>(head.biWidth); }
    DWORD GetHeight() const { return static_cast<DWORD>(head.biHeight); }
    DWORD GetEffWidth() const { return info.dwEffWidth; }
    DWORD GetNumColors() const { return head.biClrUsed; }
    WORD GetBpp() const { return head.biBitCount; }
    DWORD GetType() const { return info.dwType; }
    DWORD GetClrImportant() const { return head.biClrImportant; }
    LONG GetNumFrames() const { return info.nNumFrames; }
    LONG GetXDPI() const { return info.xDPI; }
    LONG GetYDPI() const { return info.yDPI; }
    BYTE GetJpegQuality() const
    {
        float q = info.fQuality + 0.5f;
        return !(q > 0) ? 0 : q >= 255 ? 255 : static_cast<BYTE>(q);
    }
    const char* GetLastError() const { return info.szLastError; }
    bool HasTransIndex() const { return info.nBkgndIndex >= 0; }
    bool HasPalette() const { return head.biClrUsed != 0; }
    void SetFrameOffset(LONG x, LONG y) { info.xOffset = x; info.yOffset = y; }
    void SetFrameDisposal(BYTE method) { info.dispmeth = method; }
    BYTE GetFrameDisposal() const { return info.dispmeth; }
    RGBQUAD GetTransColor() const;
    void SetTransIndex(LONG idx);

    // --- codec options ---
    static DWORD GetTypeIndexFromId(DWORD id);
    DWORD GetCodecOption(DWORD imagetype = 0) const;
    bool SetCodecOption(DWORD opt, DWORD imagetype = 0);

    // --- resolution ---
    void SetXDPI(LONG dpi);
    void SetYDPI(LONG dpi);

    // --- byte order of little-endian file structures ---
    // The names are parenthesised so that the C library's macros of the same
    // names never expand here.
    WORD(ntohs)(WORD value) const;
    DWORD(ntohl)(DWORD value) const;
    void SwapHeaderByteOrder(BITMAPINFOHEADER* header) const;

    // Brightness of *a minus brightness of *b (two RGBQUAD).
    static int CompareColors(const void* a, const void* b);

    // --- encoding ---
    // Writes the named file; when that fails no file is left under the name.
    bool Save(const char* filename, DWORD imagetype);
    bool Encode(FILE* hFile, DWORD imagetype);
    bool Encode(CxFile* hFile, DWORD imagetype);
    // True means refuse: no stream or no pixel block.
    bool EncodeSafeCheck(CxFile* hFile);

    // --- palette ---
    DWORD GetPaletteSize() const;
    RGBQUAD* GetPalette() const;
    RGBQUAD GetPaletteColor(BYTE idx) const;
    bool GetPaletteColor(BYTE idx, BYTE* r, BYTE* g, BYTE* b) const;
    void SetPaletteColor(BYTE idx, BYTE r, BYTE g, BYTE b, BYTE alpha = 0);
    void SetPaletteColor(BYTE idx, RGBQUAD c);
    void SetPalette(const RGBQUAD* pPal, DWORD nColors = 256);
    void SetGrayPalette();
    // Entry i holds blue = green = red = i: each index is its 8-bit grey level.
    bool IsGrayScale() const;
    // The palette is the ramp SetGrayPalette makes: each index is its grey
    // level at the image's own depth (black and white at 1 bit; 0, 17, ...,
    // 255 at 4; the identity at 8).
    bool IsGrayRamp() const;
    bool PaletteHasAlpha() const;
    void SwapIndex(BYTE idx1, BYTE idx2);
    BYTE GetNearestIndex(RGBQUAD c);

    // --- pixels; y counts rows from the bottom of the picture ---
    BYTE GetPixelIndex(LONG x, LONG y) const;
    BYTE GetPixelIndexUnchecked(LONG x, LONG y) const;
    void SetPixelIndex(LONG x, LONG y, BYTE i);
    void SetPixelIndexUnchecked(LONG x, LONG y, BYTE i);
    RGBQUAD GetPixelColor(LONG x, LONG y, bool bGetAlpha = true) const;
    RGBQUAD GetPixelColorUnchecked(LONG x, LONG y, bool bGetAlpha = true) const;
    void SetPixelColor(LONG x, LONG y, RGBQUAD c, bool bSetAlpha = false);
    void SetPixelColorUnchecked(LONG x, LONG y, RGBQUAD c, bool bSetAlpha = false);
    BYTE* GetPixelPointerUnchecked(LONG x, LONG y) const;
    // Turns blue-green-red triples of a row buffer into red-green-blue.
    void SwapRedBlue(BYTE* buffer, int length) const;

    // --- whole-image transforms; rotations, mirror and IncreaseBpp rebuild the
    // image and leave it without frame images ---
    bool Flip(bool bFlipSelection = false, bool bFlipAlpha = true);
    bool Mirror(bool bMirrorSelection = false, bool bMirrorAlpha = true);
    // A quarter turn; into target when given (this image is then unchanged).
    bool RotateLeft(CxImage* iDst = nullptr);
    bool RotateRight(CxImage* iDst = nullptr);
    // Raises the depth to 4, 8 or 24 bits.
    bool IncreaseBpp(DWORD nbit);

    // --- bitmaps and text of the GDI layer ---
    bool CreateFromHBITMAP(HBITMAP hbmp, HPALETTE hpal = nullptr);
    // Draws the text with its bottom-left corner at (x, y), y counted from the
    // top of the picture. Returns 1, or 0 when no device context is to be had.
    LONG DrawString(HDC hdc, LONG x, LONG y, const char* text, RGBQUAD color, const char* font,
                    LONG lSize = 0, LONG lWeight = 400, BYTE bItalic = 0, BYTE bUnderline = 0,
                    bool bSetAlpha = false);

    // --- alpha plane: one byte per pixel, 0 transparent, 255 opaque ---
    bool AlphaIsValid() const { return pAlpha != nullptr; }
    bool AlphaCreate();
    void AlphaDelete();
    bool AlphaCopy(const CxImage& from);
    void AlphaSet(LONG x, LONG y, BYTE level);
    BYTE AlphaGet(LONG x, LONG y) const;
    BYTE* AlphaGetPointer(LONG x, LONG y) const;
    BYTE AlphaGetUnchecked(LONG x, LONG y) const;
    bool AlphaFlip();
    bool AlphaMirror();

    // --- selection plane: one byte per pixel, 0 not selected ---
    bool SelectionIsValid() const { return pSelection != nullptr; }
    bool SelectionDelete();
    bool SelectionCreate();
    bool SelectionCopy(const CxImage& from);
    void SelectionSet(LONG x, LONG y, BYTE level);
    BYTE SelectionGetUnchecked(LONG x, LONG y) const;
    bool SelectionFlip();
    bool SelectionMirror();

protected:
    void Startup(DWORD imagetype);
    void SetLastError(const char* text);
    size_t PlaneSize() const;
    bool RotateQuarter(CxImage* iDst, bool left);
    void RotateBlocks(CxImage& dst, bool left);
    void RotateBits(CxImage& dst, bool left);
    void RotatePlanes(CxImage& dst, bool left, LONG x0, LONG y0, LONG x1, LONG y1) const;

    BYTE* pDib;                 // the pixel block (malloc)
    BITMAPINFOHEADER head;
    CXIMAGEINFO info;
    BYTE* pSelection;           // width x height bytes, or null
    BYTE* pAlpha;               // width x height bytes, or null
    CxImage** ppLayers;         // info.nNumLayers owned images, or null
    CxImage** ppFrames;         // info.nNumFrames owned images, or null
};
