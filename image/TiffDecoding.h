// What the two files of the TIFF decoder share: the page description the
// band loop works from, and working buffers that are zeroed, freed on every
// path and refused past the image library's size cap.
#pragma once

#include <tiffio.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "image/CxImageTIF.h"

extern const char* const kNoMemory;
extern const char* const kUnsupportedLayout;

struct TiffBufferFree {
    void operator()(void* p) const { free(p); }
};
typedef std::unique_ptr<BYTE, TiffBufferFree> TiffBuffer;

// What the image a decode makes may hold at once: its pixel block, its alpha
// plane and, while a transform turns or mirrors it, the transform's copy of
// both. The pixel block alone stays within CXIMAGE_MAX_MEMORY, and each
// working buffer too.
constexpr unsigned long long kDecodeBudget = 2 * CxImage::CXIMAGE_MAX_MEMORY;

inline TiffBuffer AllocateTiffBuffer(unsigned long long bytes)
{
    if (bytes == 0 || bytes > CxImage::CXIMAGE_MAX_MEMORY) return nullptr;
    return TiffBuffer(static_cast<BYTE*>(calloc(size_t(bytes), 1)));
}

// The whole sample of `bits` bits (at most 32) at bit offset `at`, most
// significant bit first.
inline DWORD SampleValue(const BYTE* src, unsigned long long at, WORD bits)
{
    DWORD value = 0;
    for (int k = 0; k < bits; k++, at++) value = (value << 1) | ((src[at / 8] >> (7 - at % 8)) & 1);
    return value;
}

// Sample `index` of a row of `bits`-bit samples in at most 8 bits: up to 8
// bits its value, 9 to 15 bits its top 8 bits, whole bytes of 16 bits and
// more their most significant byte in host order (the last one).
inline BYTE ReducedSample(const BYTE* row, size_t index, WORD bits)
{
    if (bits == 8) return row[index];
    if (bits >= 16 && bits % 8 == 0) return row[(index + 1) * (bits / 8) - 1];
    return BYTE(SampleValue(row, (unsigned long long)index * bits, bits < 8 ? bits : 8));
}

// Sample `index` of a row of `bits`-bit samples (at most 32) at its full
// value: whole bytes in host order, other widths most significant bit first.
inline DWORD FullSample(const BYTE* row, size_t index, WORD bits)
{
    if (bits % 8) return SampleValue(row, (unsigned long long)index * bits, bits);
    size_t bytes = bits / 8;
    DWORD value = 0;
    for (size_t k = bytes; k-- > 0;) value = (value << 8) | row[index * bytes + k];
    return value;
}

// Palette index `index` of a row of `bits`-bit indices (16 bits: host order).
inline DWORD IndexSample(const BYTE* row, size_t index, WORD bits)
{
    if (bits == 16) return DWORD(row[2 * index] | (row[2 * index + 1] << 8));
    return SampleValue(row, (unsigned long long)index * bits, bits > 32 ? 32 : bits);
}

// A premultiplied level of a pixel with the given alpha, both out of max, as
// a straight level, rounded down as other readers do.
inline BYTE Unpremultiplied(BYTE level, BYTE alpha, BYTE max)
{
    if (alpha == 0) return 0;
    unsigned straight = unsigned(level) * max / alpha;
    return BYTE(straight > max ? max : straight);
}

// A premultiplied level with its alpha, both out of the same maximum (at
// most 255), as a straight level at 8 bits, rounded to nearest.
inline BYTE UnpremultipliedTo255(unsigned level, unsigned alpha)
{
    if (alpha == 0) return 0;
    if (level >= alpha) return 255;
    return BYTE((level * 255 * 2 + alpha) / (2 * alpha));
}

// A premultiplied 8-bit colour level with an alpha out of max, as a straight
// level, rounded down like Unpremultiplied.
inline BYTE UnpremultipliedColour(BYTE level, DWORD alpha, DWORD max)
{
    if (alpha == 0) return 0;
    unsigned long long straight = (unsigned long long)level * max / alpha;
    return BYTE(straight > 255 ? 255 : straight);
}

// A straight CMYK ink with the black ink as a level, as libtiff's RGBA
// reader converts 8-bit inks.
inline BYTE InkToLevel(BYTE ink, BYTE black)
{
    return BYTE((255 - black) * (255 - ink) / 255);
}

// What the band loop needs to know about the page.
struct CxImageTIF::Reader {
    DWORD width = 0, height = 0;
    WORD samples = 1, bits = 1, photometric = 0;
    DWORD rowsPerStrip = 0;
    bool separate = false;               // one plane per sample
    int alpha = -1;                      // the sample holding alpha, -1 for none
    bool associated = false;             // the alpha is premultiplied
    bool iccLab = false;                 // a* and b* unsigned, 128 for zero
    bool tiled = false;
    WORD colours = 1;                    // colour samples the rows read: 0 (alpha only), 1, 3 (Lab, RGB) or 4 (CMYK)
    DWORD tileWidth = 0, tileLength = 0;
    std::vector<RGBQUAD> widePalette;    // the palette of an ExpandedPalette page
    std::vector<BYTE> rowZ;              // leading zero bits per image row (16-bit grey)

    bool Sixteen() const { return bits == 16 && photometric != PHOTOMETRIC_PALETTE; }
    bool WideIndex() const { return photometric == PHOTOMETRIC_PALETTE && bits > 8; }
    // Three or more samples of a Lab page are a colour; any other page
    // shows its first sample.
    bool Lab() const
    {
        return samples >= 3 && (photometric == PHOTOMETRIC_CIELAB || photometric == PHOTOMETRIC_ICCLAB);
    }
    bool HasAlpha() const { return alpha >= 0; }
    bool Premultiplied() const { return associated && HasAlpha(); }
    // Premultiplied samples of more than 8 bits are divided before they are
    // reduced, so that a faint alpha keeps its colour.
    bool DividesAtFullDepth() const { return Premultiplied() && bits > 8 && bits <= 32; }
    // Palette pages whose colours are looked up into a 24-bit image: wide
    // indices, and premultiplied colours, which are divided by their alpha.
    bool ExpandedPalette() const
    {
        return photometric == PHOTOMETRIC_PALETTE && (bits > 8 || Premultiplied());
    }
    // The samples of a pixel that reach the image: the colour ones, then
    // the alpha; the rest are not read.
    WORD Shown() const { return WORD(colours + (HasAlpha() ? 1 : 0)); }
    // The file's sample behind shown sample s.
    WORD SampleOf(WORD s) const { return s < colours ? s : WORD(alpha); }
    // The planes read: the one plane of interleaved samples, or a plane
    // per shown sample.
    WORD Planes() const { return separate ? Shown() : 1; }
    // The largest sample value once reduced to at most 8 bits.
    BYTE MaxLevel() const { return bits < 8 ? BYTE((1u << bits) - 1) : 255; }
    // 16-bit samples of a grey page, in strips or tiles, take the scale of
    // the page's widest row; those of other pages their high bytes.
    bool RowScaled() const { return Sixteen() && samples == 1; }
    // A premultiplied grey of 2 to 7 bits is divided onto 256 levels.
    bool FullLevels() const
    {
        return associated && HasAlpha() && bits >= 2 && bits < 8
            && (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE);
    }
};
