// PNG encoder over libpng's write side. libpng reports an error by jumping
// back to the setjmp in WritePng; everything that must then be released or
// undone is kept in the PngSession, which Release clears on every path.
#include "image/CxImagePNG.h"

#include <png.h>

#include <cstdlib>
#include <cstring>

#include "image/CxFile.h"

struct PngSession {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_color* palette = nullptr;  // red-green-blue copy handed to PLTE
    BYTE* row = nullptr;           // one row, reused for every row and pass
    BYTE swappedIndex = 0;         // transparent entry swapped with entry 0
    BYTE trans[256] = {};          // tRNS values of a palette picture
    int numTrans = 0;
};

struct PngLayout {
    int channels;
    int bitDepth;
    int colorType;
    int interlace;
    bool grey;   // the palette is the grey ramp of the image's depth
    bool alpha;  // rows carry the alpha plane
};

namespace {

void CxPngWriteData(png_structp png, png_bytep data, png_size_t length)
{
    CxFile* file = static_cast<CxFile*>(png_get_io_ptr(png));
    if (!file || file->Write(data, 1, length) != length) png_error(png, "Write Error");
}

void CxPngFlushData(png_structp png)
{
    CxFile* file = static_cast<CxFile*>(png_get_io_ptr(png));
    if (!file || !file->Flush()) png_error(png, "Flush Error");
}

}  // namespace

bool CxImagePNG::Encode(CxFile* hFile)
{
    if (EncodeSafeCheck(hFile)) return false;
    PngSession s;
    const char* error = WritePng(hFile, s);
    Release(s);
    if (error) {
        SetLastError(error);
        return false;
    }
    return true;
}

const char* CxImagePNG::WritePng(CxFile* hFile, PngSession& s)
{
    s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!s.png) return "Failed to create PNG structure";
    s.info = png_create_info_struct(s.png);
    if (!s.info) return "Failed to initialize PNG info structure";
    if (setjmp(png_jmpbuf(s.png))) return "Error saving PNG file";
    WriteStream(hFile, s);
    return nullptr;
}

void CxImagePNG::WriteStream(CxFile* hFile, PngSession& s)
{
    png_set_write_fn(s.png, hFile, CxPngWriteData, CxPngFlushData);
    PngLayout layout = ChooseLayout();
    SetBackground(s);
    png_set_pHYs(s.png, s.info, static_cast<png_uint_32>(head.biXPelsPerMeter),
                 static_cast<png_uint_32>(head.biYPelsPerMeter), PNG_RESOLUTION_METER);
    png_set_IHDR(s.png, s.info, GetWidth(), GetHeight(), layout.bitDepth, layout.colorType,
                 layout.interlace, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    SetTransparency(s, layout);
    SetPalette(s, layout);
    if (layout.alpha && !layout.grey && HasTransIndex()) MarkTransparentPixels();

    size_t built = (size_t)(layout.bitDepth / 8) * layout.channels * GetWidth();
    size_t rowLength = built > info.dwEffWidth ? built : info.dwEffWidth;
    s.row = static_cast<BYTE*>(calloc(rowLength, 1));
    if (!s.row) png_error(s.png, "out of memory");

    png_write_info(s.png, s.info);
    int passes = png_set_interlace_handling(s.png);
    for (int pass = 0; pass < passes; pass++) {
        // Top of the picture first: the pixel block's last row.
        for (LONG y = head.biHeight - 1; y >= 0; y--) {
            BuildRow(s.row, y, layout);
            png_write_row(s.png, s.row);
        }
    }
    png_write_end(s.png, s.info);
}

// A palette picture with an alpha plane is written as RGBA: PNG has no
// palette type with an alpha channel. A grey PNG sample of n bits stands for
// the level sample x 255 / (2^n - 1) (PNG, sample depth scaling), so only the
// ramp of the image's own depth goes out as grey; a 1-bit picture keeps its
// two-entry palette, black and white included.
PngLayout CxImagePNG::ChooseLayout() const
{
    PngLayout layout;
    WORD bpp = head.biBitCount;
    layout.channels = bpp > 8 ? 3 : 1;
    layout.bitDepth = bpp / layout.channels;
    layout.interlace = GetCodecOption(CXIMAGE_FORMAT_PNG) == 1 ? PNG_INTERLACE_ADAM7
                                                               : PNG_INTERLACE_NONE;
    layout.grey = bpp > 1 && IsGrayRamp();
    if (head.biClrUsed)
        layout.colorType = layout.grey ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE;
    else
        layout.colorType = PNG_COLOR_TYPE_RGB;
    layout.alpha = AlphaIsValid();
    if (layout.alpha) {
        if (layout.colorType == PNG_COLOR_TYPE_PALETTE) {
            layout.colorType = PNG_COLOR_TYPE_RGB;
            layout.channels = 3;
        }
        layout.colorType |= PNG_COLOR_MASK_ALPHA;
        layout.channels++;
        layout.bitDepth = 8;
    }
    return layout;
}

// White, palette entry 0 or grey 0, unless a transparent colour is set.
void CxImagePNG::SetBackground(PngSession& s)
{
    png_color_16 background{};
    background.index = 0;
    background.red = background.green = background.blue = 255;
    background.gray = 0;
    if (HasTransIndex()) {
        RGBQUAD trans = GetTransColor();
        background.red = trans.rgbRed;
        background.green = trans.rgbGreen;
        background.blue = trans.rgbBlue;
    }
    png_set_bKGD(s.png, s.info, &background);
}

// A palette picture gets its transparent colour moved to entry 0, the one
// entry its tRNS marks; Release moves it back.
void CxImagePNG::SetTransparency(PngSession& s, const PngLayout& layout)
{
    if (!HasTransIndex() || layout.alpha) return;
    LONG index = info.nBkgndIndex;
    if (layout.colorType == PNG_COLOR_TYPE_RGB) {
        png_color_16 colour{};
        RGBQUAD trans = GetTransColor();
        colour.red = trans.rgbRed;
        colour.green = trans.rgbGreen;
        colour.blue = trans.rgbBlue;
        png_set_tRNS(s.png, s.info, nullptr, 1, &colour);
        return;
    }
    if (index >= static_cast<LONG>(head.biClrUsed)) return;
    if (layout.colorType == PNG_COLOR_TYPE_GRAY) {
        png_color_16 colour{};
        colour.gray = static_cast<png_uint_16>(index);
        png_set_tRNS(s.png, s.info, nullptr, 1, &colour);
        return;
    }
    s.trans[0] = 0;
    s.numTrans = 1;
    if (index != 0) {
        SwapIndex(0, static_cast<BYTE>(index));
        s.swappedIndex = static_cast<BYTE>(index);
    }
}

// PLTE carries the important colours when a codec set them, never more than
// the palette holds; an alpha palette fills tRNS.
void CxImagePNG::SetPalette(PngSession& s, const PngLayout& layout)
{
    if (layout.colorType != PNG_COLOR_TYPE_PALETTE) return;
    DWORD count = head.biClrImportant ? head.biClrImportant : head.biClrUsed;
    if (count > head.biClrUsed) count = head.biClrUsed;
    if (count > 256) count = 256;
    if (count == 0) return;

    RGBQUAD* palette = GetPalette();
    if (info.bAlphaPaletteEnabled) {
        for (DWORD i = 0; i < count; i++) s.trans[i] = palette[i].rgbReserved;
        s.numTrans = static_cast<int>(count);
    }
    s.palette = static_cast<png_color*>(malloc(count * sizeof(png_color)));
    if (!s.palette) png_error(s.png, "out of memory");
    for (DWORD i = 0; i < count; i++) {
        s.palette[i].red = palette[i].rgbRed;
        s.palette[i].green = palette[i].rgbGreen;
        s.palette[i].blue = palette[i].rgbBlue;
    }
    png_set_PLTE(s.png, s.info, s.palette, static_cast<int>(count));
    if (s.numTrans > 0) png_set_tRNS(s.png, s.info, s.trans, s.numTrans, nullptr);
}

// Pixels of the transparent colour become transparent in the alpha plane,
// which this image shares with the caller's.
void CxImagePNG::MarkTransparentPixels()
{
    RGBQUAD trans = GetTransColor();
    for (LONG y = 0; y < head.biHeight; y++) {
        for (LONG x = 0; x < head.biWidth; x++) {
            RGBQUAD c = GetPixelColor(x, y, false);
            if (memcmp(&c, &trans, sizeof(RGBQUAD)) == 0) AlphaSet(x, y, 0);
        }
    }
}

void CxImagePNG::BuildRow(BYTE* row, LONG y, const PngLayout& layout) const
{
    if (!layout.alpha) {
        memcpy(row, info.pImage + (size_t)y * info.dwEffWidth, info.dwEffWidth);
        if (layout.colorType == PNG_COLOR_TYPE_RGB)
            SwapRedBlue(row, static_cast<int>(3 * GetWidth()));
        return;
    }
    for (LONG x = 0; x < head.biWidth; x++) {
        RGBQUAD c = GetPixelColorUnchecked(x, y, false);
        BYTE* p = row + (size_t)layout.channels * x;
        if (!layout.grey) {
            *p++ = c.rgbRed;
            *p++ = c.rgbGreen;
        }
        *p++ = c.rgbBlue;
        *p = AlphaGetUnchecked(x, y);
    }
}

void CxImagePNG::Release(PngSession& s)
{
    free(s.row);
    s.row = nullptr;
    if (s.swappedIndex) SwapIndex(s.swappedIndex, 0);
    s.swappedIndex = 0;
    free(s.palette);
    s.palette = nullptr;
    if (s.png) png_destroy_write_struct(&s.png, &s.info);
}
