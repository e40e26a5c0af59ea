// TIFF encoding: the object's page-by-page state, the single-page and
// appended-page form, the many-images form, and the tags and rows of one page.
#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "image/CxIOFile.h"
#include "image/CxImageTIF.h"

namespace {

// Compression by bit count when the image asks for none.
WORD DefaultCompression(int bitCount)
{
    switch (bitCount) {
    case 1: return COMPRESSION_CCITTFAX4;
    case 4:
    case 8: return COMPRESSION_LZW;
    case 24:
    case 32: return COMPRESSION_PACKBITS;
    default: return COMPRESSION_NONE;
    }
}

}  // namespace

CxImageTIF::CxImageTIF() : CxImage(CXIMAGE_FORMAT_TIF), m_tif(nullptr), m_multipage(false), m_pages(0) {}

CxImageTIF::CxImageTIF(const CxImageTIF& src) : CxImage(src), m_tif(nullptr), m_multipage(false), m_pages(0) {}

CxImageTIF& CxImageTIF::operator=(const CxImageTIF& src)
{
    CxImage::operator=(src);
    return *this;
}

CxImageTIF::~CxImageTIF()
{
    CloseHandle();
}

void CxImageTIF::CloseHandle()
{
    if (m_tif) TIFFClose(m_tif);
    m_tif = nullptr;
    m_multipage = false;
    m_pages = 0;
}

bool CxImageTIF::Encode(FILE* hFile, bool bAppend)
{
    if (!hFile) return Encode(static_cast<CxFile*>(nullptr), bAppend);
    CxIOFile file(hFile);
    return Encode(&file, bAppend);
}

bool CxImageTIF::Encode(FILE* hFile, CxImage** pImages, int pagecount)
{
    if (!hFile) return Encode(static_cast<CxFile*>(nullptr), pImages, pagecount);
    CxIOFile file(hFile);
    return Encode(&file, pImages, pagecount);
}

bool CxImageTIF::Encode(CxFile* hFile, bool bAppend)
{
    try {
        if (!hFile) throw "null file handler";
        if (!pDib) throw "null image!!!";
        if (!m_tif) m_tif = CxTIFFOpen(hFile, "a");
        if (!m_tif) throw "initialization fail";
        if (bAppend || m_pages) m_multipage = true;
        m_pages++;
        if (!EncodeBody(m_tif, m_multipage, m_pages, m_pages)) throw "Error saving TIFF file";
        if (bAppend) {
            if (!TIFFWriteDirectory(m_tif)) throw "Error saving TIFF directory";
        } else {
            // The last directory is written by the flush; a failure there is
            // a failed save, not a quiet one.
            if (!TIFFFlush(m_tif)) throw "Error saving TIFF file";
            CloseHandle();
        }
        return true;
    } catch (const char* message) {
        SetLastError(message);
        CloseHandle();
        return false;
    }
}

bool CxImageTIF::Encode(CxFile* hFile, CxImage** pImages, int pagecount)
{
    try {
        if (!hFile) throw "invalid file pointer";
        if (!pImages || pagecount < 1) throw "multipage TIFF, no images!";
        for (int i = 0; i < pagecount; i++) {
            if (!pImages[i]) throw "Bad image pointer";
            if (!pImages[i]->IsValid()) throw "Empty image";
        }
        CxImageTIF writer;
        for (int i = 0; i < pagecount; i++) {
            writer.Ghost(pImages[i]);
            if (!writer.Encode(hFile, true)) throw "Error saving TIFF file";
        }
        return true;  // the writer's destruction completes the file
    } catch (const char* message) {
        SetLastError(message);
        return false;
    }
}

// PhotometricInterpretation of the page (TIFF 6.0 section 3 to 5). A 1-bit
// image is written white-is-zero: when its entry 0 is the darker one the
// entries are exchanged and the pixel bytes inverted, in the image itself.
int CxImageTIF::Photometric()
{
    WORD bits = head.biBitCount;
    if (bits == 1) {
        RGBQUAD* palette = GetPalette();
        if (palette && CompareColors(&palette[0], &palette[1]) < 0) {
            RGBQUAD first = palette[0];
            palette[0] = palette[1];
            palette[1] = first;
            for (DWORD i = 0; i < head.biSizeImage; i++) info.pImage[i] = BYTE(~info.pImage[i]);
            info.last_c_isvalid = false;
        }
        return PHOTOMETRIC_MINISWHITE;
    }
    if (bits == 24) return PHOTOMETRIC_RGB;
    // A 4-bit grey page keeps its palette: its 16 levels are not the file's.
    if (!GetPalette()) return PHOTOMETRIC_MINISBLACK;
    if (bits == 4) return PHOTOMETRIC_PALETTE;
    return IsGrayScale() ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;
}

// Tags, compression and rows of one page. A buffer that cannot be had fails
// the page.
bool CxImageTIF::EncodeBody(TIFF* m_tif, bool multipage, int page, int pagecount)
{
    try {
        int bitCount = head.biBitCount;
        WORD samples = bitCount == 24 ? 3 : 1;
        if (bitCount == 24 && pAlpha) {
            bitCount = 32;
            samples = 4;
        }
        WORD bitsPerSample = WORD(bitCount / samples);
        int photometric = Photometric();
        if (bitCount == 8 && pAlpha) samples = 2;
        DWORD rowsPerStrip = SetPageTags(m_tif, samples, bitsPerSample, photometric);
        SetPageNumber(m_tif, multipage, page, pagecount);
        if (photometric == PHOTOMETRIC_PALETTE) SetColorMap(m_tif);
        if (!SetCompression(m_tif, bitCount, rowsPerStrip)) return false;
        return WriteScanlines(m_tif, bitCount, samples == 2);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// The tags of the page's layout in the order libtiff's default strip size
// needs: that default (strips of about 8 KB) comes from the row size.
// Returns the rows per strip.
DWORD CxImageTIF::SetPageTags(TIFF* tif, WORD samples, WORD bitsPerSample, int photometric)
{
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(GetWidth()));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(GetHeight()));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bitsPerSample);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    uint32_t rowsPerStrip = TIFFDefaultStripSize(tif, 0xFFFFFFFF);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(GetXDPI()));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(GetYDPI()));
    if (samples == 2 || samples == 4) {
        // Section 18: the last sample is an unassociated alpha.
        uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    return rowsPerStrip;
}

void CxImageTIF::SetPageNumber(TIFF* tif, bool multipage, int page, int pagecount)
{
    if (!multipage) {
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, 0);
        return;
    }
    char name[32];
    snprintf(name, sizeof(name), "Page %d", page);
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, uint16_t(page), uint16_t(pagecount));
    TIFFSetField(tif, TIFFTAG_PAGENAME, name);
}

// ColorMap: 256 entries of 16-bit levels; libtiff takes the first 2^bits.
void CxImageTIF::SetColorMap(TIFF* tif)
{
    std::vector<uint16_t> red(256), green(256), blue(256);
    for (DWORD i = 0; i < 256; i++) {
        RGBQUAD c = GetPaletteColor(BYTE(i));
        red[i] = uint16_t(c.rgbRed * 65535 / 255);
        green[i] = uint16_t(c.rgbGreen * 65535 / 255);
        blue[i] = uint16_t(c.rgbBlue * 65535 / 255);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
}

// The image's TIFF compression option, or the default for the bit count.
bool CxImageTIF::SetCompression(TIFF* tif, int bitCount, DWORD rowsPerStrip)
{
    DWORD compression = GetCodecOption(CXIMAGE_FORMAT_TIF);
    if (compression == 0) compression = DefaultCompression(bitCount);
    if (compression > 0xFFFF || !TIFFIsCODECConfigured(uint16_t(compression))) return false;
    if (!TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(compression))) return false;
    if (compression == COMPRESSION_LZW && bitCount >= 8) TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    if (compression == COMPRESSION_JPEG) {
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, int(GetJpegQuality()));
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, (rowsPerStrip + 7) / 8 * 8);
    }
    return true;
}

// Rows top first, in the sample order of the tags.
bool CxImageTIF::WriteScanlines(TIFF* tif, int bitCount, bool greyAlpha)
{
    uint32_t width = GetWidth(), height = GetHeight();
    std::vector<BYTE> buffer(size_t(width) * 4 + info.dwEffWidth);
    for (uint32_t r = 0; r < height; r++) {
        LONG y = LONG(height - 1 - r);
        const BYTE* row = info.pImage + (size_t)y * info.dwEffWidth;
        BYTE* out = buffer.data();
        if (greyAlpha) {
            for (LONG x = 0; x < LONG(width); x++) {
                *out++ = GetPixelIndex(x, y);
                *out++ = AlphaGet(x, y);
            }
        } else if (bitCount == 24) {
            memcpy(out, row, info.dwEffWidth);
            SwapRedBlue(out, int(3 * width));
        } else if (bitCount == 32) {
            for (LONG x = 0; x < LONG(width); x++, row += 3) {
                *out++ = row[2];
                *out++ = row[1];
                *out++ = row[0];
                *out++ = AlphaGet(x, y);
            }
        } else {
            memcpy(out, row, info.dwEffWidth);
        }
        if (TIFFWriteScanline(tif, buffer.data(), r, 0) == -1) return false;
    }
    return true;
}
