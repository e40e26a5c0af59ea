// JPEG encoder over libjpeg's compressor (6b interface). libjpeg reports an
// error by jumping back to the setjmp in Compress, whose locals need no
// destruction; the compressor is destroyed on both paths.
#include "image/CxImageJPG.h"

#include <cstring>

#include "image/CxFile.h"
#include "image/CxFileJpg.h"

CxImageJPG::CxImageJPG() : CxImage(CXIMAGE_FORMAT_JPG), m_exif(nullptr), m_nSmoothing(0)
{
    memset(&m_exifinfo, 0, sizeof(m_exifinfo));
}

CxImageJPG::~CxImageJPG()
{
    delete m_exif;
    DestroyFrames();
    Destroy();
}

bool CxImageJPG::Encode(CxFile* hFile)
{
    if (EncodeSafeCheck(hFile)) return false;
    if (HasPalette() && !IsGrayScale()) {
        SetLastError("JPEG can save only RGB or GreyScale images");
        return false;
    }
    long pos = hFile->Tell();
    CxFileJpg dest(hFile);
    if (!dest.m_pBuffer) {
        SetLastError("JPEG: out of memory");
        return false;
    }
    if (!Compress(dest)) return false;
    if (m_exif && m_exif->m_pExifInfo && m_exif->m_pExifInfo->IsExif) return InsertExif(hFile, pos);
    return true;
}

bool CxImageJPG::Compress(CxFileJpg& dest)
{
    jpeg_compress_struct cinfo;
    CxJpgErrorManager jerr;
    jerr.buffer = info.szLastError;
    cinfo.err = jpeg_std_error(&jerr.pub);
    jerr.pub.error_exit = CxJpgErrorExit;
    if (setjmp(jerr.setjmp_buffer)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    cinfo.dest = &dest.dest;

    cinfo.image_width = GetWidth();
    cinfo.image_height = GetHeight();
    if (IsGrayScale()) {
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
    } else {
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
    }
    jpeg_set_defaults(&cinfo);
    SetOptions(cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    WriteRows(cinfo);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

void CxImageJPG::SetOptions(jpeg_compress_struct& cinfo)
{
    DWORD options = GetCodecOption(CXIMAGE_FORMAT_JPG);
    if (options & ENCODE_ARITHMETIC) cinfo.arith_code = TRUE;
    if (options & ENCODE_OPTIMIZE) cinfo.optimize_coding = TRUE;
    if (options & ENCODE_GRAYSCALE) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    if (options & ENCODE_SMOOTHING) cinfo.smoothing_factor = m_nSmoothing;
    jpeg_set_quality(&cinfo, GetJpegQuality(), (options & ENCODE_BASELINE) ? TRUE : FALSE);
    if (options & ENCODE_PROGRESSIVE) jpeg_simple_progression(&cinfo);

    // Luminance 2x2 unless 4:2:2 or 4:4:4 is asked for (4:4:4 wins).
    cinfo.comp_info[0].h_samp_factor = 2;
    cinfo.comp_info[0].v_samp_factor = 2;
    if (options & ENCODE_SUBSAMPLE_422) cinfo.comp_info[0].v_samp_factor = 1;
    if (options & ENCODE_SUBSAMPLE_444) {
        cinfo.comp_info[0].h_samp_factor = 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    for (int c = 1; c < 3; c++) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }

    cinfo.density_unit = 1;  // dots per inch
    cinfo.X_density = UINT16(GetXDPI());
    cinfo.Y_density = UINT16(GetYDPI());
}

// Top row first: the pixel block's last row. Grey images of 1 or 4 bits are
// widened to one byte a pixel, their index being their grey level.
void CxImageJPG::WriteRows(jpeg_compress_struct& cinfo)
{
    JDIMENSION samples = info.dwEffWidth + 8;
    if (samples < GetWidth() + 8) samples = GetWidth() + 8;
    JSAMPARRAY buffer = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                   JPOOL_IMAGE, samples, 1);
    LONG y = head.biHeight - 1;
    while (cinfo.next_scanline < cinfo.image_height) {
        BYTE* row = buffer[0];
        if (GetBpp() < 8) {
            for (LONG x = 0; x < head.biWidth; x++) row[x] = GetPixelIndexUnchecked(x, y);
        } else {
            memcpy(row, info.pImage + (size_t)y * info.dwEffWidth, info.dwEffWidth);
            if (!HasPalette()) SwapRedBlue(row, int(GetWidth() * 3));
        }
        jpeg_write_scanlines(&cinfo, buffer, 1);
        y--;
    }
}

// Reads the new file back as sections and writes it again with the kept
// EXIF and comment sections after the start-of-image marker. A stream that
// cannot be read back keeps libjpeg's file; a failed rewrite fails.
bool CxImageJPG::InsertExif(CxFile* hFile, long pos)
{
    m_exif->DiscardAllButExif();
    hFile->Seek(pos, SEEK_SET);
    if (!m_exif->DecodeExif(hFile, EXIF_READ_IMAGE)) {
        hFile->Seek(0, SEEK_END);
        return true;
    }
    hFile->Seek(pos, SEEK_SET);
    if (!m_exif->EncodeExif(hFile)) {
        SetLastError(m_exif->m_szLastError);
        return false;
    }
    return true;
}
