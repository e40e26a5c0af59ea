// The JPEG 2000 family's checks, sample rows and the choice of writer.
#include "image/CxImageJAS.h"

#include <cstdio>

#include "image/CxFile.h"

namespace {

const char* FormatName(DWORD imagetype)
{
    switch (imagetype) {
    case CXIMAGE_FORMAT_JP2: return "jp2";
    case CXIMAGE_FORMAT_JPC: return "jpc";
    case CXIMAGE_FORMAT_PGX: return "pgx";
    case CXIMAGE_FORMAT_PNM: return "pnm";
    case CXIMAGE_FORMAT_RAS: return "ras";
    default: return nullptr;
    }
}

}  // namespace

bool CxImageJAS::Encode(CxFile* hFile, DWORD imagetype)
{
    if (EncodeSafeCheck(hFile)) return false;
    const char* error = nullptr;
    const char* format = FormatName(imagetype);
    if (head.biClrUsed && !IsGrayScale()) {
        error = "JasPer can save only RGB or GrayScale images";
    } else if (!format) {
        error = "error: cannot encode image";
    } else if (imagetype == CXIMAGE_FORMAT_PGX && Components() != 1) {
        error = "PGX can save only GrayScale images";
    } else if (imagetype == CXIMAGE_FORMAT_JP2 || imagetype == CXIMAGE_FORMAT_JPC) {
        // The target size as a fraction of the raw samples.
        char options[32];
        snprintf(options, sizeof(options), "rate=%.3f", info.fQuality * 0.01);
        error = EncodeJpeg2000(hFile, imagetype, options);
    } else if (imagetype == CXIMAGE_FORMAT_PGX) {
        error = WritePgx(hFile);
    } else if (imagetype == CXIMAGE_FORMAT_PNM) {
        error = WritePnm(hFile);
    } else {
        error = WriteRas(hFile);
    }
    if (error) {
        SetLastError(error);
        return false;
    }
    return true;
}

void CxImageJAS::TopRowSamples(LONG top, BYTE* out, bool bgr) const
{
    LONG y = head.biHeight - 1 - top;
    for (LONG x = 0; x < head.biWidth; x++) {
        if (Components() == 1) {
            *out++ = GetPixelIndexUnchecked(x, y);
            continue;
        }
        RGBQUAD c = GetPixelColorUnchecked(x, y, false);
        *out++ = bgr ? c.rgbBlue : c.rgbRed;
        *out++ = c.rgbGreen;
        *out++ = bgr ? c.rgbRed : c.rgbBlue;
    }
}
