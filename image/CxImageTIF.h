// The TIFF format object, over libtiff. Decode reads page info.nFrame of a
// single- or multi-page stream into the image; Encode writes the image as a
// page: a single-page file, pages appended one by one through one object
// (bAppend), or a whole multi-page file from an array of images.
//
// Appending pages makes libtiff read back the directory it wrote last, so the
// stream must be readable as well as writable: a CxMemFile, or a CxIOFile over
// a stdio stream opened with "w+b". The stream must outlive the object: the
// last appended page is completed when the object is destroyed or when a page
// is written without bAppend.
#pragma once

#include "image/CxImage.h"

struct tiff;
typedef struct tiff TIFF;

class CXIMAGE_API CxImageTIF : public CxImage {
public:
    CxImageTIF();
    // A copy takes the image, never the open handle: one object closes it.
    CxImageTIF(const CxImageTIF& src);
    CxImageTIF& operator=(const CxImageTIF& src);
    ~CxImageTIF() override;

    bool Decode(CxFile* hFile);
    bool Decode(FILE* hFile);
    bool Encode(CxFile* hFile, bool bAppend = false);
    bool Encode(FILE* hFile, bool bAppend = false);
    bool Encode(CxFile* hFile, CxImage** pImages, int pagecount);
    bool Encode(FILE* hFile, CxImage** pImages, int pagecount);

    // Row helpers of the decoder.
    // Copies count bytes per row for rows rows, stepping the destination by
    // count + destSkip and the source by count + srcSkip.
    static void CopyTileRows(BYTE* dest, const BYTE* src, DWORD rows, DWORD count, DWORD destSkip, DWORD srcSkip);
    // count samples of bits bits, most significant bit first, to one byte each:
    // a sample of up to 8 bits keeps its value, a wider one gives its top 8
    // bits (whole-byte samples of 16 bits and more: their most significant
    // byte in host order).
    static void UnpackSamplesTo8Bit(BYTE* dest, const BYTE* src, DWORD count, WORD bits);
    // count palette indices of bits bits (16 bits: host order) to blue, green,
    // red triples from a palette of 2^bits entries; an index past it gives black.
    static void ExpandPaletteSamples(BYTE* dest, const BYTE* src, DWORD count, WORD bits, const RGBQUAD* palette);

protected:
    bool EncodeBody(TIFF* m_tif, bool multipage = false, int page = 0, int pagecount = 0);

    TIFF* m_tif;
    bool m_multipage;
    int m_pages;

private:
    struct Reader;
    void DecodePage(CxFile* hFile);
    void FindAlpha(TIFF* tif, Reader& r);
    void ReadRgbaPage(TIFF* tif, Reader& r);
    void ReadRgbaWords(TIFF* tif, const Reader& r, bool libtiffAlpha);
    void ReadPremultipliedSamples(TIFF* tif, Reader& r);
    void SetPagePalette(TIFF* tif, Reader& r);
    void WriteRows(TIFF* tif, Reader& r);
    void ReadBand(TIFF* tif, const Reader& r, WORD plane, DWORD ys, DWORD rows, BYTE* band, size_t stride, BYTE* tile);
    void PutRow(Reader& r, const BYTE* const* planes, DWORD imageRow, BYTE* row8);
    void GatherSamples(Reader& r, const BYTE* const* planes, DWORD imageRow, BYTE* row8);
    void DivideAtFullDepth(const Reader& r, const BYTE* const* planes, BYTE* row8);
    void PutAlphaRow(const Reader& r, const BYTE* row8, DWORD imageRow);
    void PutWideIndexAlphaRow(const Reader& r, const BYTE* const* planes, DWORD imageRow);
    void PutLabRow(const Reader& r, const BYTE* row8, DWORD imageRow);
    void PutRgbRow(const Reader& r, const BYTE* row8, DWORD imageRow);
    void PutInkRow(const Reader& r, const BYTE* row8, DWORD imageRow);
    void ApplyOrientation(WORD orientation);
    int Photometric();
    DWORD SetPageTags(TIFF* tif, WORD samples, WORD bitsPerSample, int photometric);
    void SetPageNumber(TIFF* tif, bool multipage, int page, int pagecount);
    void SetColorMap(TIFF* tif);
    bool SetCompression(TIFF* tif, int bitCount, DWORD rowsPerStrip);
    bool WriteScanlines(TIFF* tif, int bitCount, bool greyAlpha);
    void CloseHandle();
};

// libtiff over a CxFile: the handle reads and writes through the stream and
// leaves it open when closed. Null when libtiff refuses the stream.
CXIMAGE_API TIFF* CxTIFFClientOpen(const char* name, const char* mode, CxFile* stream);
CXIMAGE_API TIFF* CxTIFFOpen(CxFile* stream, const char* mode);
