// TIFF decoding: one page, chosen by info.nFrame. RGB-family pages go through
// libtiff's RGBA reader; the others are read strip by strip or tile row by
// tile row and mapped onto a 1, 4, 8 or 24-bit image. Failures raise their
// text, which Decode catches.
#include <tiffio.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "image/CxIOFile.h"
#include "image/CxImageTIF.h"
#include "image/TiffDecoding.h"

namespace {

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
typedef std::unique_ptr<TIFF, TiffCloser> TiffHandle;

bool IsRgbFamily(WORD photometric)
{
    return photometric == PHOTOMETRIC_RGB || photometric == PHOTOMETRIC_SEPARATED
        || photometric == PHOTOMETRIC_YCBCR || photometric == PHOTOMETRIC_LOGL
        || photometric == PHOTOMETRIC_LOGLUV;
}

// A float tag value truncated into a LONG, or fallback when it does not fit.
LONG Truncated(double v, LONG fallback)
{
    if (!(v > -2147483648.0 && v < 2147483648.0)) return fallback;
    return LONG(v);
}

// The whole sample of `bits` bits (at most 32) at bit offset `at`, most
// significant bit first.
DWORD SampleValue(const BYTE* src, unsigned long long at, WORD bits)
{
    DWORD value = 0;
    for (int k = 0; k < bits; k++, at++) value = (value << 1) | ((src[at / 8] >> (7 - at % 8)) & 1);
    return value;
}

// The top 8 bits of such a sample (the whole sample when it is narrower).
BYTE TopBits(const BYTE* src, unsigned long long at, WORD bits)
{
    return BYTE(SampleValue(src, at, bits < 8 ? bits : 8));
}

}  // namespace

void CxImageTIF::CopyTileRows(BYTE* dest, const BYTE* src, DWORD rows, DWORD count, DWORD destSkip, DWORD srcSkip)
{
    for (DWORD r = 0; r < rows; r++) {
        memcpy(dest, src, count);
        dest += count + destSkip;
        src += count + srcSkip;
    }
}

void CxImageTIF::UnpackSamplesTo8Bit(BYTE* dest, const BYTE* src, DWORD count, WORD bits)
{
    bool wholeBytes = bits >= 16 && bits % 8 == 0;
    for (DWORD i = 0; i < count; i++) {
        if (wholeBytes) dest[i] = src[(size_t)(i + 1) * (bits / 8) - 1];  // host order: last byte
        else dest[i] = TopBits(src, (unsigned long long)i * bits, bits);
    }
}

void CxImageTIF::ExpandPaletteSamples(BYTE* dest, const BYTE* src, DWORD count, WORD bits, const RGBQUAD* palette)
{
    DWORD entries = bits >= 32 ? 0xFFFFFFFF : DWORD(1) << bits;
    for (DWORD i = 0; i < count; i++, dest += 3) {
        DWORD index = bits == 16 ? DWORD(src[2 * i] | (src[2 * i + 1] << 8))
                                 : SampleValue(src, (unsigned long long)i * bits, bits > 32 ? 32 : bits);
        RGBQUAD c = index < entries ? palette[index] : RGBQUAD{0, 0, 0, 0};
        dest[0] = c.rgbBlue;
        dest[1] = c.rgbGreen;
        dest[2] = c.rgbRed;
    }
}

bool CxImageTIF::Decode(FILE* hFile)
{
    CxIOFile file(hFile);
    return Decode(&file);
}

bool CxImageTIF::Decode(CxFile* hFile)
{
    try {
        DecodePage(hFile);
        return true;
    } catch (const char* message) {
        if (*message) SetLastError(message);
        return info.nEscape == -1 && strcmp(message, "output dimensions returned") == 0;
    }
}

void CxImageTIF::DecodePage(CxFile* hFile)
{
    TiffHandle tif(hFile ? CxTIFFOpen(hFile, "rb") : nullptr);
    if (!tif) throw "Error encountered while opening TIFF file";

    // The page count has no frame array behind it.
    DestroyFrames();
    tdir_t pages = TIFFNumberOfDirectories(tif.get());
    info.nNumFrames = LONG(pages > 0xFFFF ? 0xFFFF : pages);
    if (info.nFrame < 0 || info.nFrame > 0xFFFF || !TIFFSetDirectory(tif.get(), tdir_t(info.nFrame)))
        throw "Error: page not present in TIFF file";

    Reader r;
    uint32_t rowsPerStrip = 0xFFFFFFFF;
    WORD orientation = ORIENTATION_TOPLEFT;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &r.width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &r.height);
    TIFFGetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &r.samples);
    TIFFGetField(tif.get(), TIFFTAG_BITSPERSAMPLE, &r.bits);
    TIFFGetField(tif.get(), TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &r.photometric);
    TIFFGetField(tif.get(), TIFFTAG_ORIENTATION, &orientation);

    if (info.nEscape == -1) {
        head.biWidth = LONG(r.width);
        head.biHeight = LONG(r.height);
        info.dwType = CXIMAGE_FORMAT_TIF;
        throw "output dimensions returned";
    }

    WORD unit = RESUNIT_INCH;
    float resolution, position;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
    if (TIFFGetField(tif.get(), TIFFTAG_XRESOLUTION, &resolution))
        SetXDPI(Truncated(unit == RESUNIT_CENTIMETER ? resolution * 2.54 + 0.5 : resolution, 96));
    if (TIFFGetField(tif.get(), TIFFTAG_YRESOLUTION, &resolution))
        SetYDPI(Truncated(unit == RESUNIT_CENTIMETER ? resolution * 2.54 + 0.5 : resolution, 96));
    if (TIFFGetField(tif.get(), TIFFTAG_XPOSITION, &position)) info.xOffset = Truncated(position, 0);
    if (TIFFGetField(tif.get(), TIFFTAG_YPOSITION, &position)) info.yOffset = Truncated(position, 0);

    head.biClrUsed = 0;
    info.nBkgndIndex = -1;
    if (rowsPerStrip > r.height) {
        rowsPerStrip = r.height;
        TIFFSetField(tif.get(), TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    }
    r.rowsPerStrip = rowsPerStrip;

    bool rgb = IsRgbFamily(r.photometric);
    DWORD bpp = 8;
    if (rgb) bpp = 24;
    else if (r.bits == 1 && r.photometric <= PHOTOMETRIC_PALETTE) bpp = 1;
    else if (r.bits == 4) bpp = 4;
    else if (r.WideIndex()) bpp = 24;

    if (info.nEscape) throw "Cancelled";
    if (!Create(r.width, r.height, bpp, CXIMAGE_FORMAT_TIF)) throw "CxImageTIF can't create image";
    if (r.samples == 4 || (r.samples == 2 && r.bits == 8)) AlphaCreate();

    WORD compression = COMPRESSION_NONE;
    TIFFGetField(tif.get(), TIFFTAG_COMPRESSION, &compression);
    SetCodecOption(compression, 0);

    if (rgb) ReadRgbaPage(tif.get(), r.width, r.height, r.samples);
    else WriteRows(tif.get(), r);
    ApplyOrientation(orientation);
}

// The RGB family: libtiff converts the page to RGBA words, bottom row first
// like the image's rows. It is handed the page as stored: the orientation is
// applied afterwards as for the other pages, and a straight (unassociated)
// alpha is passed as associated so that the colours are not premultiplied.
void CxImageTIF::ReadRgbaPage(TIFF* tif, DWORD width, DWORD height, WORD samples)
{
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    uint16_t extraCount = 0;
    uint16_t* extraTypes = nullptr;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes) && extraCount > 0
        && extraTypes[0] == EXTRASAMPLE_UNASSALPHA) {
        std::vector<uint16_t> types(extraTypes, extraTypes + extraCount);
        types[0] = EXTRASAMPLE_ASSOCALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, extraCount, types.data());
    }

    TiffBuffer raster = AllocateTiffBuffer((unsigned long long)width * height * sizeof(uint32_t));
    if (!raster) throw "No space for raster buffer";
    auto* words = reinterpret_cast<uint32_t*>(raster.get());
    if (!TIFFReadRGBAImage(tif, width, height, words, 1)) throw "Corrupted TIFF file!";
    for (DWORD y = 0; y < height; y++) {
        if (info.nEscape) throw "Cancelled";
        BYTE* row = info.pImage + (size_t)y * info.dwEffWidth;
        const uint32_t* from = words + (size_t)y * width;
        for (DWORD x = 0; x < width; x++) {
            row[3 * x] = BYTE(TIFFGetB(from[x]));
            row[3 * x + 1] = BYTE(TIFFGetG(from[x]));
            row[3 * x + 2] = BYTE(TIFFGetR(from[x]));
            if (samples == 4) AlphaSet(LONG(x), LONG(y), BYTE(TIFFGetA(from[x])));
        }
    }
}
