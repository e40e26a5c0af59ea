// Pixel indices and colours, in checked forms and Unchecked forms for loops
// over the image. At 4 bits an even x is the high nibble; at 1 bit x = 0 is
// bit 7.
#include "image/CxImage.h"

namespace {

int BitShift(WORD bpp, LONG x)
{
    if (bpp == 4) return (x & 1) ? 0 : 4;
    return 7 - static_cast<int>(x % 8);
}

}  // namespace

BYTE CxImage::GetPixelIndex(LONG x, LONG y) const
{
    if (!pDib || head.biClrUsed == 0) return 0;
    if (!IsInside(x, y)) {
        if (info.nBkgndIndex >= 0) return static_cast<BYTE>(info.nBkgndIndex);
        return *info.pImage;
    }
    return GetPixelIndexUnchecked(x, y);
}

BYTE CxImage::GetPixelIndexUnchecked(LONG x, LONG y) const
{
    const BYTE* row = info.pImage + (size_t)y * info.dwEffWidth;
    WORD bpp = head.biBitCount;
    if (bpp == 8) return row[x];
    if (bpp != 4 && bpp != 1) return 0;
    BYTE byte = row[((size_t)x * bpp) / 8];
    BYTE mask = bpp == 4 ? 0x0F : 0x01;
    return static_cast<BYTE>((byte >> BitShift(bpp, x)) & mask);
}

void CxImage::SetPixelIndex(LONG x, LONG y, BYTE i)
{
    if (!pDib || head.biClrUsed == 0 || !IsInside(x, y)) return;
    SetPixelIndexUnchecked(x, y, i);
}

void CxImage::SetPixelIndexUnchecked(LONG x, LONG y, BYTE i)
{
    BYTE* row = info.pImage + (size_t)y * info.dwEffWidth;
    WORD bpp = head.biBitCount;
    if (bpp == 8) {
        row[x] = i;
        return;
    }
    if (bpp != 4 && bpp != 1) return;
    BYTE& byte = row[((size_t)x * bpp) / 8];
    BYTE mask = bpp == 4 ? 0x0F : 0x01;
    int shift = BitShift(bpp, x);
    byte = static_cast<BYTE>((byte & ~(mask << shift)) | ((i & mask) << shift));
}

RGBQUAD CxImage::GetPixelColor(LONG x, LONG y, bool bGetAlpha) const
{
    if (pDib && IsInside(x, y)) {
        RGBQUAD c = info.nBkgndColor;
        if (head.biClrUsed) {
            c = GetPaletteColor(GetPixelIndexUnchecked(x, y));
        } else {
            const BYTE* pixel = GetPixelPointerUnchecked(x, y);
            c.rgbBlue = pixel[0];
            c.rgbGreen = pixel[1];
            c.rgbRed = pixel[2];
        }
        if (pAlpha && bGetAlpha) c.rgbReserved = AlphaGetUnchecked(x, y);
        return c;
    }
    if (info.nBkgndIndex >= 0) {
        if (head.biBitCount < 24) {
            if (info.nBkgndIndex >= static_cast<LONG>(head.biClrUsed)) return RGBQUAD{0, 0, 0, 0};
            return GetPaletteColor(static_cast<BYTE>(info.nBkgndIndex));
        }
        return info.nBkgndColor;
    }
    if (pDib) return GetPixelColor(0, 0, true);
    return info.nBkgndColor;
}

RGBQUAD CxImage::GetPixelColorUnchecked(LONG x, LONG y, bool bGetAlpha) const
{
    RGBQUAD c;
    if (head.biClrUsed) {
        c = GetPaletteColor(GetPixelIndexUnchecked(x, y));
    } else {
        const BYTE* pixel = GetPixelPointerUnchecked(x, y);
        c = RGBQUAD{pixel[0], pixel[1], pixel[2], 0};
    }
    if (pAlpha && bGetAlpha) c.rgbReserved = AlphaGetUnchecked(x, y);
    return c;
}

void CxImage::SetPixelColor(LONG x, LONG y, RGBQUAD c, bool bSetAlpha)
{
    if (!pDib || !IsInside(x, y)) return;
    SetPixelColorUnchecked(x, y, c, bSetAlpha);
}

void CxImage::SetPixelColorUnchecked(LONG x, LONG y, RGBQUAD c, bool bSetAlpha)
{
    if (head.biClrUsed) {
        SetPixelIndexUnchecked(x, y, GetNearestIndex(c));
    } else {
        BYTE* pixel = GetPixelPointerUnchecked(x, y);
        pixel[0] = c.rgbBlue;
        pixel[1] = c.rgbGreen;
        pixel[2] = c.rgbRed;
    }
    if (bSetAlpha) AlphaSet(x, y, c.rgbReserved);
}

BYTE* CxImage::GetPixelPointerUnchecked(LONG x, LONG y) const
{
    if (head.biClrUsed) return nullptr;
    return info.pImage + (size_t)y * info.dwEffWidth + 3 * (size_t)x;
}

// Swaps whole triples only, so no byte past length is touched.
void CxImage::SwapRedBlue(BYTE* buffer, int length) const
{
    if (!buffer || head.biClrUsed) return;
    long long limit = length;
    if (limit > info.dwEffWidth) limit = info.dwEffWidth;
    if (limit > 3LL * head.biWidth) limit = 3LL * head.biWidth;
    for (long long i = 0; i + 2 < limit; i += 3) {
        BYTE t = buffer[i];
        buffer[i] = buffer[i + 2];
        buffer[i + 2] = t;
    }
}
