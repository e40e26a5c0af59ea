// TIFF decoding: one page, chosen by info.nFrame. RGB-family pages go through
// libtiff's RGBA reader; the others are read strip by strip or tile row by
// tile row and mapped onto a 1, 4, 8 or 24-bit image. Signed and
// floating-point samples are refused. Failures raise their text, which
// Decode catches, as it catches a failed allocation.
#include <tiffio.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "image/CxIOFile.h"
#include "image/CxImageTIF.h"
#include "image/TiffDecoding.h"

const char* const kNoMemory = "CxImageTIF can't allocate memory";
const char* const kUnsupportedLayout = "CxImageTIF: this layout of samples is not supported";

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

// The colour samples of a pixel, those ExtraSamples (TIFF 6.0 section 18)
// follows.
WORD ColourSamples(WORD photometric, WORD samples, uint16_t extraCount)
{
    switch (photometric) {
    case PHOTOMETRIC_RGB:
    case PHOTOMETRIC_YCBCR: return 3;
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB:
    case PHOTOMETRIC_ITULAB: return samples >= 3 ? 3 : 1;
    case PHOTOMETRIC_SEPARATED: return extraCount < samples ? WORD(samples - extraCount) : 4;
    default: return 1;
    }
}

bool Subsampled(TIFF* tif)
{
    uint16_t horizontal = 1, vertical = 1;
    TIFFGetFieldDefaulted(tif, TIFFTAG_YCBCRSUBSAMPLING, &horizontal, &vertical);
    return horizontal != 1 || vertical != 1;
}

// Whether a transform of Orientation makes a copy of the image: all but
// none and the flip, which works in place.
bool OrientationCopies(WORD orientation)
{
    return orientation >= ORIENTATION_TOPRIGHT && orientation <= ORIENTATION_LEFTBOT
        && orientation != ORIENTATION_BOTLEFT;
}

// The bytes of a pixel block as Create lays it out.
unsigned long long PixelBlockBytes(DWORD width, DWORD height, DWORD bpp)
{
    return ((unsigned long long)width * bpp + 31) / 32 * 4 * height;
}

// Unsigned integer samples; "void" ones are taken as such.
bool ReadableSampleFormat(TIFF* tif)
{
    uint16_t format = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    return format == SAMPLEFORMAT_UINT || format == SAMPLEFORMAT_VOID;
}

// A float tag value truncated into a LONG, or fallback when it does not fit.
LONG Truncated(double v, LONG fallback)
{
    if (!(v > -2147483648.0 && v < 2147483648.0)) return fallback;
    return LONG(v);
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
    for (DWORD i = 0; i < count; i++) dest[i] = ReducedSample(src, i, bits);
}

void CxImageTIF::ExpandPaletteSamples(BYTE* dest, const BYTE* src, DWORD count, WORD bits, const RGBQUAD* palette)
{
    DWORD entries = bits >= 32 ? 0xFFFFFFFF : DWORD(1) << bits;
    for (DWORD i = 0; i < count; i++, dest += 3) {
        DWORD index = IndexSample(src, i, bits);
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
    } catch (const std::bad_alloc&) {
        SetLastError("CxImageTIF can't allocate memory");
        return false;
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
    WORD planar = PLANARCONFIG_CONTIG;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &r.width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &r.height);
    TIFFGetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &r.samples);
    TIFFGetField(tif.get(), TIFFTAG_BITSPERSAMPLE, &r.bits);
    TIFFGetField(tif.get(), TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &r.photometric);
    TIFFGetField(tif.get(), TIFFTAG_ORIENTATION, &orientation);
    TIFFGetField(tif.get(), TIFFTAG_PLANARCONFIG, &planar);
    r.separate = planar == PLANARCONFIG_SEPARATE && r.samples > 1;
    r.iccLab = r.photometric == PHOTOMETRIC_ICCLAB;
    FindAlpha(tif.get(), r);
    r.colours = r.Lab() ? 3 : 1;

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

    // Signed and floating-point samples would come out as wrong pixels.
    if (!ReadableSampleFormat(tif.get())) throw "CxImageTIF: unsupported sample format";
    if (r.photometric == PHOTOMETRIC_ITULAB) throw "CxImageTIF: ITU L*a*b* is not supported";
    // L*a*b* is converted from 8 bits or more. Premultiplied ICC a* and b*,
    // whose zero is 128, have no one meaning.
    if (r.Lab() && (r.bits < 8 || (r.iccLab && r.Premultiplied()))) throw kUnsupportedLayout;
    bool rgb = IsRgbFamily(r.photometric);
    DWORD bpp = 8;
    if (rgb || r.Lab()) bpp = 24;
    else if (r.FullLevels()) bpp = 8;
    else if (r.ExpandedPalette()) bpp = 24;
    else if (r.bits == 1 && r.photometric <= PHOTOMETRIC_PALETTE) bpp = 1;
    else if (r.bits == 4) bpp = 4;

    unsigned long long held = PixelBlockBytes(r.width, r.height, bpp);
    if (r.HasAlpha()) held += (unsigned long long)r.width * r.height;
    if (OrientationCopies(orientation)) held *= 2;
    if (held > kDecodeBudget) throw "CXIMAGE_MAX_MEMORY exceeded";

    if (info.nEscape) throw "Cancelled";
    if (!Create(r.width, r.height, bpp, CXIMAGE_FORMAT_TIF)) throw "CxImageTIF can't create image";
    if (r.HasAlpha() && !AlphaCreate()) throw kNoMemory;

    WORD compression = COMPRESSION_NONE;
    TIFFGetField(tif.get(), TIFFTAG_COMPRESSION, &compression);
    SetCodecOption(compression, 0);

    if (rgb) ReadRgbaPage(tif.get(), r);
    else WriteRows(tif.get(), r);
    ApplyOrientation(orientation);
}

// The alpha sample (TIFF 6.0 section 18): the first extra sample that
// ExtraSamples names associated or unassociated alpha. Without one, the
// second sample of a grey or palette page, the fourth of a Lab page of four,
// and the fourth of an RGB page whose first extra sample is unspecified, as
// libtiff's RGBA reader takes it.
void CxImageTIF::FindAlpha(TIFF* tif, Reader& r)
{
    uint16_t count = 0;
    uint16_t* types = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &count, &types)) count = 0;
    WORD colours = ColourSamples(r.photometric, r.samples, count);
    for (uint16_t k = 0; k < count && colours + k < r.samples; k++) {
        if (types[k] == EXTRASAMPLE_ASSOCALPHA || types[k] == EXTRASAMPLE_UNASSALPHA) {
            r.alpha = colours + k;
            r.associated = types[k] == EXTRASAMPLE_ASSOCALPHA;
            return;
        }
    }
    bool rgb = r.photometric == PHOTOMETRIC_RGB || r.photometric == PHOTOMETRIC_YCBCR;
    if (r.Lab() ? r.samples == 4 : rgb ? count > 0 && r.samples > 3 : !IsRgbFamily(r.photometric) && r.samples >= 2)
        r.alpha = colours;
}

// The RGB family: libtiff converts the page to RGBA words, bottom row first
// like the image's rows. It is handed the page as stored: the orientation is
// applied afterwards as for the other pages, and a straight (unassociated)
// alpha is passed as associated so that the colours are not premultiplied.
// libtiff's alpha is the fourth sample of an RGB or YCbCr page; an alpha
// elsewhere is read from the samples by the band loop. A premultiplied page
// is divided back: the image holds straight alpha. 8-bit RGB levels divide
// after libtiff's reading; CMYK inks must be divided before they are
// converted, 16-bit levels before they are reduced.
void CxImageTIF::ReadRgbaPage(TIFF* tif, Reader& r)
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
    bool libtiffAlpha = r.alpha == 3 && (r.photometric == PHOTOMETRIC_RGB || r.photometric == PHOTOMETRIC_YCBCR);
    bool samplesAlpha = r.HasAlpha() && !libtiffAlpha;
    // libtiff's CMYK takes the first four samples for inks, an alpha among
    // them too.
    bool inkAlpha = r.photometric == PHOTOMETRIC_SEPARATED && r.alpha < 4;
    if (samplesAlpha && (r.photometric == PHOTOMETRIC_LOGL || r.photometric == PHOTOMETRIC_LOGLUV
                         || (r.photometric == PHOTOMETRIC_YCBCR && Subsampled(tif)) || inkAlpha))
        throw kUnsupportedLayout;
    bool inks = samplesAlpha && r.associated && r.photometric == PHOTOMETRIC_SEPARATED;
    bool wideRgb = r.Premultiplied() && r.photometric == PHOTOMETRIC_RGB && r.bits == 16;
    if (inks && r.bits != 8) throw kUnsupportedLayout;
    if (inks || wideRgb) {
        ReadPremultipliedSamples(tif, r);
        return;
    }

    ReadRgbaWords(tif, r, libtiffAlpha);
    if (samplesAlpha) {
        r.colours = 0;
        WriteRows(tif, r);
    }
    if (samplesAlpha && r.associated) {
        for (DWORD y = 0; y < r.height; y++) {
            BYTE* row = info.pImage + (size_t)y * info.dwEffWidth;
            const BYTE* alpha = pAlpha + (size_t)y * r.width;
            for (size_t i = 0; i < 3 * size_t(r.width); i++) row[i] = Unpremultiplied(row[i], alpha[i / 3], 255);
        }
    }
}

// The page through libtiff's RGBA reader into the pixel block, with its
// alpha when libtiffAlpha. A layout the reader has no conversion for is
// refused as such; a failure while reading is a damaged file.
void CxImageTIF::ReadRgbaWords(TIFF* tif, const Reader& r, bool libtiffAlpha)
{
    DWORD width = r.width, height = r.height;
    TiffBuffer raster = AllocateTiffBuffer((unsigned long long)width * height * sizeof(uint32_t));
    if (!raster) throw "No space for raster buffer";
    auto* words = reinterpret_cast<uint32_t*>(raster.get());
    char message[1024];
    TIFFRGBAImage reader;
    if (!TIFFRGBAImageOK(tif, message) || !TIFFRGBAImageBegin(&reader, tif, 1, message)) throw kUnsupportedLayout;
    reader.req_orientation = ORIENTATION_BOTLEFT;
    bool read = TIFFRGBAImageGet(&reader, words, width, height);
    TIFFRGBAImageEnd(&reader);
    if (!read) throw "Corrupted TIFF file!";
    for (DWORD y = 0; y < height; y++) {
        if (info.nEscape) throw "Cancelled";
        BYTE* row = info.pImage + (size_t)y * info.dwEffWidth;
        BYTE* alpha = libtiffAlpha ? pAlpha + (size_t)y * width : nullptr;
        const uint32_t* from = words + (size_t)y * width;
        for (DWORD x = 0; x < width; x++) {
            BYTE a = libtiffAlpha ? BYTE(TIFFGetA(from[x])) : 255;
            BYTE bgr[3] = {BYTE(TIFFGetB(from[x])), BYTE(TIFFGetG(from[x])), BYTE(TIFFGetR(from[x]))};
            for (int k = 0; k < 3; k++) row[3 * x + k] = alpha && r.associated ? Unpremultiplied(bgr[k], a, 255) : bgr[k];
            if (alpha) alpha[x] = a;
        }
    }
}

// Premultiplied pages libtiff's reader would convert or reduce before the
// division, read from the samples: 8-bit CMYK inks and 16-bit RGB, then
// their alpha. Layouts libtiff's reader refuses are refused alike.
void CxImageTIF::ReadPremultipliedSamples(TIFF* tif, Reader& r)
{
    char message[1024];
    if (!TIFFRGBAImageOK(tif, message)) throw kUnsupportedLayout;
    r.colours = r.photometric == PHOTOMETRIC_SEPARATED ? 4 : 3;
    WriteRows(tif, r);
}
