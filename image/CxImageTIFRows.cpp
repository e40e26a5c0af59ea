// TIFF decoding of the pages outside the RGB family: the page palette, the
// bands of strips or tiles (of each plane read, for a page stored in planes),
// each TIFF row mapped onto an image row, and the Orientation tag.
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "image/CxImageTIF.h"
#include "image/TiffDecoding.h"

namespace {

// Leading zero bits of a byte, 8 for 0.
int LeadingZeros(BYTE m)
{
    int z = 0;
    for (BYTE bit = 0x80; bit && !(m & bit); bit >>= 1) z++;
    return z;
}

// A premultiplied signed level (a* or b*) with its 8-bit alpha as a straight
// level, rounded to nearest and kept to -128..127.
int SignedUnpremultiplied(int level, BYTE alpha)
{
    if (alpha == 0) return 0;
    int magnitude = (std::abs(level) * 255 * 2 + alpha) / (2 * alpha);
    return level < 0 ? -std::min(magnitude, 128) : std::min(magnitude, 127);
}

// The inverse of CIE 1976 f(t): the cube above 6/29, its linear segment
// below.
double CieInverse(double f)
{
    const double delta = 6.0 / 29;
    return f > delta ? f * f * f : 3 * delta * delta * (f - 4.0 / 29);
}

// One CIELab pixel (L 0..255, a and b -128..127) as sRGB, D65 white.
RGBQUAD LabToRgb(BYTE l, int a, int b)
{
    double fy = (l * 0.3921568627450981 + 16) * 0.008620689655172414;
    double fx = fy + a * 0.002;
    double fz = fy - b * 0.005;
    double X = CieInverse(fx) * 0.95047, Y = CieInverse(fy), Z = CieInverse(fz) * 1.0883;
    double rgb[3] = {3.240479 * X - 1.53715 * Y - 0.498535 * Z, -0.969256 * X + 1.875992 * Y + 0.041556 * Z,
                     0.055648 * X - 0.204043 * Y + 1.057311 * Z};
    BYTE out[3];
    for (int i = 0; i < 3; i++) {
        double v = rgb[i] <= 0.00304 ? 12.92 * rgb[i] : 1.055 * pow(rgb[i], 0.41667) - 0.055;
        v *= 255;
        out[i] = BYTE(v < 0 ? 0 : v > 255 ? 255 : int(v));
    }
    return RGBQUAD{out[2], out[1], out[0], 0};
}

}  // namespace

// The page's palette (section 5 and 6 of TIFF 6.0): a grey ramp for grey
// pages, the ColorMap for palette pages. Indices of more than 8 bits keep
// their palette for the rows.
void CxImageTIF::SetPagePalette(TIFF* tif, Reader& r)
{
    bool wide = r.WideIndex();
    bool kept = r.ExpandedPalette();
    if (wide && r.bits > 24) throw "Too big palette to handle";
    size_t n = size_t(1) << (wide ? r.bits : r.bits < 8 && !r.FullLevels() ? r.bits : 8);
    std::vector<RGBQUAD> palette;
    try {
        palette.assign(wide ? n : 256, RGBQUAD{0, 0, 0, 0});
    } catch (const std::bad_alloc&) {
        throw "Unable to allocate TIFF palette";
    }

    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (r.photometric == PHOTOMETRIC_PALETTE && TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue)) {
        // 16-bit entries give their high byte, so that both 256 x c and
        // 257 x c, as writers scale, come back as c.
        bool eightBit = !wide;
        for (size_t i = 0; i < n && eightBit; i++) eightBit = red[i] < 256 && green[i] < 256 && blue[i] < 256;
        auto level = [eightBit](uint16_t v) { return BYTE(eightBit ? v : v >> 8); };
        for (size_t i = 0; i < n; i++) palette[i] = RGBQUAD{level(blue[i]), level(green[i]), level(red[i]), 0};
    } else {
        // Black is zero, or white is zero for photometric 0.
        DWORD step = 255 / DWORD(n - 1);
        for (size_t i = 0; i < n; i++) {
            BYTE v = BYTE(step * i);
            if (r.photometric == PHOTOMETRIC_MINISWHITE) v = BYTE(255 - v);
            palette[i] = RGBQUAD{v, v, v, 0};
        }
    }
    if (kept) r.widePalette = std::move(palette);
    else SetPalette(palette.data(), DWORD(n));
}

void CxImageTIF::WriteRows(TIFF* tif, Reader& r)
{
    if (r.colours > 0) SetPagePalette(tif, r);
    // Sizes in 128 bits: the factors come from the file and their product
    // can pass 64 bits before the cap refuses it.
    typedef unsigned __int128 Wide;
    WORD planes = r.Planes();
    Wide lineSize = ((Wide)(r.separate ? 1 : r.samples) * r.bits * r.width + 7) / 8;
    Wide stride = lineSize;
    Wide tileBytes = 0;
    DWORD bandRows = r.rowsPerStrip;
    r.tiled = TIFFIsTiled(tif);
    if (r.tiled) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &r.tileWidth);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &r.tileLength);
        if (r.tileWidth == 0 || r.tileLength == 0) throw "CxImageTIF: zero tile size";
        bandRows = r.tileLength;
        Wide across = ((Wide)r.width + r.tileWidth - 1) / r.tileWidth;
        Wide tileRows = across * TIFFTileRowSize64(tif);
        if (tileRows > stride) stride = tileRows;
        tileBytes = TIFFTileSize64(tif);
    }
    if (bandRows == 0) throw "CxImageTIF: zero rows per strip";
    if (lineSize == 0 || (Wide)planes * bandRows * stride > CXIMAGE_MAX_MEMORY || tileBytes > CXIMAGE_MAX_MEMORY)
        throw kNoMemory;

    size_t bandStride = size_t(stride), lineBytes = size_t(lineSize);
    std::vector<TiffBuffer> bands(planes);
    for (TiffBuffer& band : bands) {
        band = AllocateTiffBuffer((unsigned long long)bandRows * bandStride);
        if (!band) throw kNoMemory;
    }
    TiffBuffer tile = r.tiled ? AllocateTiffBuffer((unsigned long long)tileBytes) : nullptr;
    TiffBuffer row8 = AllocateTiffBuffer((unsigned long long)r.Shown() * r.width);
    if (!row8 || (r.tiled && !tile)) throw kNoMemory;
    if (r.RowScaled()) r.rowZ.assign(r.height, 8);

    std::vector<const BYTE*> rowPlanes(planes);
    for (DWORD ys = 0; ys < r.height; ys += bandRows) {
        if (info.nEscape) throw "Cancelled";
        DWORD rows = bandRows < r.height - ys ? bandRows : r.height - ys;
        for (WORD p = 0; p < planes; p++) {
            // Bytes a codec leaves unwritten read as zero; the first band's
            // buffer is zero from its allocation.
            if (ys > 0) memset(bands[p].get(), 0, bandRows * bandStride);
            if (r.tiled) {
                ReadBand(tif, r, r.SampleOf(p), ys, rows, bands[p].get(), bandStride, tile.get());
            } else if (TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, ys, r.separate ? r.SampleOf(p) : 0), bands[p].get(),
                                            tmsize_t(rows * lineBytes)) == -1) {
                // A damaged strip ends the page and the rows read so far stay;
                // a page without one readable strip is no picture.
                if (ys == 0) throw "Corrupted TIFF file!";
                rows = 0;
                break;
            }
        }
        for (DWORD t = 0; t < rows; t++) {
            for (WORD p = 0; p < planes; p++) rowPlanes[p] = bands[p].get() + t * bandStride;
            PutRow(r, rowPlanes.data(), r.height - 1 - (ys + t), row8.get());
        }
        if (rows == 0 || ys > 0xFFFFFFFF - bandRows) break;
    }

    // 16-bit grey: every row to the scale of the row with the widest samples.
    if (!r.rowZ.empty()) {
        BYTE zmin = 8;
        for (BYTE z : r.rowZ) zmin = z < zmin ? z : zmin;
        for (DWORD y = 0; y < r.height; y++) {
            int shift = r.rowZ[y] - zmin;
            BYTE* row = info.pImage + (size_t)y * info.dwEffWidth;
            for (DWORD x = 0; shift > 0 && x < r.width; x++) row[x] = BYTE(row[x] >> shift);
        }
    }
}

// One band of tiles of a plane side by side; a tile's rows are cut at the
// band's stride.
void CxImageTIF::ReadBand(TIFF* tif, const Reader& r, WORD plane, DWORD ys, DWORD rows, BYTE* band, size_t stride,
                          BYTE* tile)
{
    size_t tileRow = size_t(TIFFTileRowSize64(tif));
    size_t offset = 0;
    for (DWORD x = 0; x < r.width && offset < stride; x += r.tileWidth, offset += tileRow) {
        if (TIFFReadTile(tif, tile, x, ys, 0, plane) < 0) throw "Corrupted tiled TIFF file!";
        size_t count = tileRow < stride - offset ? tileRow : stride - offset;
        CopyTileRows(band + offset, tile, rows, DWORD(count), DWORD(stride - count), DWORD(tileRow - count));
        if (x > 0xFFFFFFFF - r.tileWidth) break;
    }
}

// TIFF row to image row imageRow, counted from the bottom. planes holds the
// row of each plane read (Reader::Planes).
void CxImageTIF::PutRow(Reader& r, const BYTE* const* planes, DWORD imageRow, BYTE* row8)
{
    BYTE* out = info.pImage + (size_t)imageRow * info.dwEffWidth;
    const BYTE* source = planes[0];
    if (r.ExpandedPalette() && r.colours == 1) {
        if (r.HasAlpha()) PutWideIndexAlphaRow(r, planes, imageRow);
        else ExpandPaletteSamples(out, source, r.width, r.bits, r.widePalette.data());
        return;
    }
    if (r.Shown() == 1 && r.colours == 1 && !r.Sixteen()) {
        if (r.bits == head.biBitCount) memcpy(out, source, ((size_t)r.bits * r.width + 7) / 8);
        else UnpackSamplesTo8Bit(out, source, r.width, r.bits);
        return;
    }
    GatherSamples(r, planes, imageRow, row8);
    if (r.colours == 0) {
        BYTE* alpha = pAlpha + (size_t)imageRow * r.width;
        for (DWORD x = 0; x < r.width; x++) alpha[x] = BYTE(row8[x] * 255 / r.MaxLevel());
    } else if (r.Shown() == 1) {
        memcpy(out, row8, r.width);
    } else if (r.Lab()) {
        PutLabRow(r, row8, imageRow);
    } else if (r.colours == 3) {
        PutRgbRow(r, row8, imageRow);
    } else if (r.colours == 4) {
        PutInkRow(r, row8, imageRow);
    } else {
        PutAlphaRow(r, row8, imageRow);
    }
}

// The shown samples of each pixel, in at most 8 bits, side by side in row8;
// the other samples are not looked at. 16-bit samples (in host order) of a
// grey page take their row's scale from its largest sample, which is
// remembered per row; those of other pages, with alpha or colour, take their
// high bytes, so that every sample keeps its own scale.
void CxImageTIF::GatherSamples(Reader& r, const BYTE* const* planes, DWORD imageRow, BYTE* row8)
{
    WORD shown = r.Shown();
    auto plane = [&](WORD s) { return planes[r.separate ? s : 0]; };
    auto index = [&](DWORD x, WORD s) { return r.separate ? size_t(x) : size_t(x) * r.samples + r.SampleOf(s); };
    if (r.bits == 8) {
        for (WORD s = 0; s < shown; s++) {
            const BYTE* from = plane(s) + (r.separate ? 0 : r.SampleOf(s));
            size_t step = r.separate ? 1 : r.samples;
            for (DWORD x = 0; x < r.width; x++, from += step) row8[size_t(x) * shown + s] = *from;
        }
        return;
    }
    if (!r.RowScaled()) {
        for (WORD s = 0; s < shown; s++)
            for (DWORD x = 0; x < r.width; x++) row8[size_t(x) * shown + s] = ReducedSample(plane(s), index(x, s), r.bits);
        if (r.DividesAtFullDepth()) DivideAtFullDepth(r, planes, row8);
        return;
    }
    BYTE m = 0;
    for (DWORD x = 0; x < r.width; x++) m = std::max(m, plane(0)[2 * index(x, 0) + 1]);
    int z = m ? LeadingZeros(m) : 8;
    r.rowZ[imageRow] = BYTE(z);
    for (DWORD x = 0; x < r.width; x++) {
        const BYTE* at = plane(0) + 2 * index(x, 0);
        unsigned sample = at[0] | (at[1] << 8);
        row8[x] = BYTE((sample >> (8 - z)) & 0xFF);
    }
}

// The colour samples of row8 again, from the premultiplied samples divided
// by their alpha at full depth, then reduced as the page's samples are: RGB
// levels (and their alpha) rounded as libtiff's reader rounds them, others
// to their top 8 bits. The a* and b* of Lab are signed; white-is-zero grey
// is divided as a level, like the 8-bit rows.
void CxImageTIF::DivideAtFullDepth(const Reader& r, const BYTE* const* planes, BYTE* row8)
{
    WORD shown = r.Shown(), alphaAt = r.colours;
    auto sample = [&](DWORD x, WORD s) {
        const BYTE* from = planes[r.separate ? s : 0];
        return FullSample(from, r.separate ? size_t(x) : size_t(x) * r.samples + r.SampleOf(s), r.bits);
    };
    long long max = (1ll << r.bits) - 1, half = 1ll << (r.bits - 1);
    bool rgb = r.photometric == PHOTOMETRIC_RGB, inverted = r.photometric == PHOTOMETRIC_MINISWHITE;
    auto reduced = [&](long long v) { return BYTE(rgb ? (v + 128) / 257 : v >> (r.bits - 8)); };
    for (DWORD x = 0; x < r.width; x++) {
        long long alpha = sample(x, alphaAt);
        BYTE* out = row8 + size_t(x) * shown;
        for (WORD s = 0; s < r.colours; s++) {
            long long v = inverted ? max - sample(x, s) : sample(x, s);
            bool isSigned = r.Lab() && s > 0;
            if (isSigned && v >= half) v -= max + 1;
            long long straight = alpha ? (long long)((__int128)v * max / alpha) : 0;
            straight = std::min(straight, isSigned ? half - 1 : max);
            straight = std::max(straight, isSigned ? -half : 0ll);
            out[s] = reduced(inverted ? max - straight : straight);
        }
        if (rgb) out[alphaAt] = reduced(alpha);
    }
}

// Index or grey, then alpha, written straight into the rows. Alpha of fewer
// than 8 bits is scaled to 0..255; a premultiplied grey or lightness is
// divided by its alpha, the image's alpha being straight: below 8 bits onto
// 256 levels, rounded to nearest.
void CxImageTIF::PutAlphaRow(const Reader& r, const BYTE* row8, DWORD imageRow)
{
    BYTE max = r.MaxLevel();
    // Grey and lightness (Lab without a* and b*) are levels; an index is not.
    bool divide = r.associated && r.photometric != PHOTOMETRIC_PALETTE && !r.DividesAtFullDepth();
    bool inverted = r.photometric == PHOTOMETRIC_MINISWHITE;
    bool full = r.FullLevels();
    BYTE* out = info.pImage + (size_t)imageRow * info.dwEffWidth;
    BYTE* alphaRow = pAlpha + (size_t)imageRow * r.width;
    bool bytes = head.biBitCount == 8;
    if (bytes && max == 255 && !divide) {
        for (DWORD x = 0; x < r.width; x++) {
            out[x] = row8[2 * x];
            alphaRow[x] = row8[2 * x + 1];
        }
        return;
    }
    for (DWORD x = 0; x < r.width; x++) {
        BYTE level = row8[2 * x], alpha = row8[2 * x + 1];
        if (full) {
            BYTE straight = UnpremultipliedTo255(inverted ? max - level : level, alpha);
            level = inverted ? BYTE(255 - straight) : straight;
        } else if (divide && inverted) {
            level = BYTE(max - Unpremultiplied(BYTE(max - level), alpha, max));
        } else if (divide) {
            level = Unpremultiplied(level, alpha, max);
        }
        if (bytes) out[x] = level;
        else SetPixelIndexUnchecked(LONG(x), LONG(imageRow), level);
        alphaRow[x] = BYTE(alpha * 255 / max);
    }
}

// Palette indices through the kept palette, with their alpha reduced to 8
// bits. A premultiplied page's colours are divided by their alpha at full
// depth.
void CxImageTIF::PutWideIndexAlphaRow(const Reader& r, const BYTE* const* planes, DWORD imageRow)
{
    const BYTE* indices = planes[0];
    const BYTE* alphas = planes[r.separate ? 1 : 0];
    size_t step = r.separate ? 1 : r.samples, at = r.separate ? 0 : size_t(r.alpha);
    size_t entries = r.widePalette.size();
    BYTE max = r.MaxLevel();
    DWORD fullMax = DWORD((1ull << r.bits) - 1);
    BYTE* out = info.pImage + (size_t)imageRow * info.dwEffWidth;
    BYTE* alphaRow = pAlpha + (size_t)imageRow * r.width;
    for (DWORD x = 0; x < r.width; x++, out += 3) {
        DWORD index = IndexSample(indices, size_t(x) * step, r.bits);
        RGBQUAD c = index < entries ? r.widePalette[index] : RGBQUAD{0, 0, 0, 0};
        BYTE alpha = ReducedSample(alphas, size_t(x) * step + at, r.bits);
        DWORD fullAlpha = FullSample(alphas, size_t(x) * step + at, r.bits);
        BYTE bgr[3] = {c.rgbBlue, c.rgbGreen, c.rgbRed};
        for (int k = 0; k < 3; k++) out[k] = r.associated ? UnpremultipliedColour(bgr[k], fullAlpha, fullMax) : bgr[k];
        alphaRow[x] = BYTE(alpha * 255 / max);
    }
}

// CIELab (L 0..255, a and b signed) or ICC L*a*b* (a and b unsigned, 128 for
// zero) at 24 bits, with alpha when the page has it. Premultiplied CIELab is
// divided by its alpha before it is converted.
void CxImageTIF::PutLabRow(const Reader& r, const BYTE* row8, DWORD imageRow)
{
    WORD shown = r.Shown();
    BYTE* out = info.pImage + (size_t)imageRow * info.dwEffWidth;
    BYTE* alphaRow = r.HasAlpha() ? pAlpha + (size_t)imageRow * r.width : nullptr;
    for (DWORD x = 0; x < r.width; x++, out += 3) {
        const BYTE* p = row8 + (size_t)x * shown;
        BYTE l = p[0];
        int a = r.iccLab ? int(p[1]) - 128 : int(static_cast<signed char>(p[1]));
        int b = r.iccLab ? int(p[2]) - 128 : int(static_cast<signed char>(p[2]));
        if (r.Premultiplied() && !r.DividesAtFullDepth()) {
            BYTE alpha = p[3];
            l = UnpremultipliedTo255(l, alpha);
            a = SignedUnpremultiplied(a, alpha);
            b = SignedUnpremultiplied(b, alpha);
        }
        RGBQUAD c = LabToRgb(l, a, b);
        out[0] = c.rgbBlue;
        out[1] = c.rgbGreen;
        out[2] = c.rgbRed;
        if (alphaRow) alphaRow[x] = BYTE(p[3] * 255 / r.MaxLevel());
    }
}

// RGB levels and their alpha, divided already.
void CxImageTIF::PutRgbRow(const Reader& r, const BYTE* row8, DWORD imageRow)
{
    BYTE* out = info.pImage + (size_t)imageRow * info.dwEffWidth;
    BYTE* alphaRow = pAlpha + (size_t)imageRow * r.width;
    for (DWORD x = 0; x < r.width; x++, out += 3, row8 += 4) {
        out[0] = row8[2];
        out[1] = row8[1];
        out[2] = row8[0];
        alphaRow[x] = row8[3];
    }
}

// Premultiplied CMYK inks (the alpha after them) divided by their alpha,
// rounded to nearest, then converted as straight inks are. A transparent
// pixel is black, as on the other premultiplied pages.
void CxImageTIF::PutInkRow(const Reader& r, const BYTE* row8, DWORD imageRow)
{
    BYTE* out = info.pImage + (size_t)imageRow * info.dwEffWidth;
    BYTE* alphaRow = pAlpha + (size_t)imageRow * r.width;
    for (DWORD x = 0; x < r.width; x++, out += 3) {
        const BYTE* p = row8 + (size_t)x * 5;
        BYTE alpha = p[4];
        BYTE ink[4];
        for (int k = 0; k < 4; k++) ink[k] = UnpremultipliedTo255(p[k], alpha);
        out[0] = alpha ? InkToLevel(ink[2], ink[3]) : 0;
        out[1] = alpha ? InkToLevel(ink[1], ink[3]) : 0;
        out[2] = alpha ? InkToLevel(ink[0], ink[3]) : 0;
        alphaRow[x] = alpha;
    }
}

// TIFF 6.0 Orientation: where the file's first row and first column belong.
// A transform that cannot have its memory fails the page.
void CxImageTIF::ApplyOrientation(WORD orientation)
{
    LONG pages = info.nNumFrames;
    bool done = true;
    switch (orientation) {
    case ORIENTATION_TOPRIGHT: done = Mirror(false, true); break;
    case ORIENTATION_BOTRIGHT: done = Flip(false, true) && Mirror(false, true); break;
    case ORIENTATION_BOTLEFT: done = Flip(false, true); break;
    case ORIENTATION_LEFTTOP: done = RotateRight() && Mirror(false, true); break;
    case ORIENTATION_RIGHTTOP: done = RotateRight(); break;
    case ORIENTATION_RIGHTBOT: done = RotateLeft() && Mirror(false, true); break;
    case ORIENTATION_LEFTBOT: done = RotateLeft(); break;
    default: break;
    }
    info.nNumFrames = pages;
    if (!done) throw kNoMemory;
}
