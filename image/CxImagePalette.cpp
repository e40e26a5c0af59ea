// Palette entries, the grey ramp, index swapping and the nearest-colour search.
#include <cstring>

#include "image/CxImage.h"

DWORD CxImage::GetPaletteSize() const
{
    return head.biClrUsed * sizeof(RGBQUAD);
}

RGBQUAD* CxImage::GetPalette() const
{
    if (!pDib || head.biClrUsed == 0) return nullptr;
    return reinterpret_cast<RGBQUAD*>(pDib + sizeof(BITMAPINFOHEADER));
}

RGBQUAD CxImage::GetPaletteColor(BYTE idx) const
{
    RGBQUAD c{0, 0, 0, 0};
    RGBQUAD* palette = GetPalette();
    if (palette && idx < head.biClrUsed) c = palette[idx];
    return c;
}

bool CxImage::GetPaletteColor(BYTE idx, BYTE* r, BYTE* g, BYTE* b) const
{
    RGBQUAD* palette = GetPalette();
    if (!palette || idx >= head.biClrUsed) return false;
    *r = palette[idx].rgbRed;
    *g = palette[idx].rgbGreen;
    *b = palette[idx].rgbBlue;
    return true;
}

void CxImage::SetPaletteColor(BYTE idx, BYTE r, BYTE g, BYTE b, BYTE alpha)
{
    SetPaletteColor(idx, RGBQUAD{b, g, r, alpha});
}

void CxImage::SetPaletteColor(BYTE idx, RGBQUAD c)
{
    RGBQUAD* palette = GetPalette();
    if (!palette || idx >= head.biClrUsed) return;
    palette[idx] = c;
    info.last_c_isvalid = false;
}

void CxImage::SetPalette(const RGBQUAD* pPal, DWORD nColors)
{
    RGBQUAD* palette = GetPalette();
    if (!pPal || !palette) return;
    size_t bytes = (size_t)nColors * sizeof(RGBQUAD);
    if (bytes > GetPaletteSize()) bytes = GetPaletteSize();
    memcpy(palette, pPal, bytes);
    info.last_c_isvalid = false;
}

namespace {

// Entry i of the black-to-white ramp over `colours` entries.
BYTE RampLevel(DWORD i, DWORD colours)
{
    DWORD step = colours > 1 ? 255 / (colours - 1) : 0;
    return static_cast<BYTE>(step * i);
}

}  // namespace

void CxImage::SetGrayPalette()
{
    RGBQUAD* palette = GetPalette();
    if (!palette) return;
    for (DWORD i = 0; i < head.biClrUsed; i++) {
        BYTE level = RampLevel(i, head.biClrUsed);
        palette[i].rgbBlue = palette[i].rgbGreen = palette[i].rgbRed = level;
    }
}

bool CxImage::IsGrayRamp() const
{
    RGBQUAD* palette = GetPalette();
    if (!palette) return false;
    for (DWORD i = 0; i < head.biClrUsed; i++) {
        BYTE level = RampLevel(i, head.biClrUsed);
        if (palette[i].rgbBlue != level || palette[i].rgbGreen != level || palette[i].rgbRed != level)
            return false;
    }
    return true;
}

bool CxImage::IsGrayScale() const
{
    RGBQUAD* palette = GetPalette();
    if (!palette) return false;
    for (DWORD i = 0; i < head.biClrUsed; i++) {
        if (palette[i].rgbBlue != i || palette[i].rgbGreen != i || palette[i].rgbRed != i)
            return false;
    }
    return true;
}

bool CxImage::PaletteHasAlpha() const
{
    RGBQUAD* palette = GetPalette();
    if (!palette) return false;
    for (DWORD i = 0; i < head.biClrUsed; i++) {
        if (palette[i].rgbReserved != 0) return true;
    }
    return false;
}

void CxImage::SwapIndex(BYTE idx1, BYTE idx2)
{
    RGBQUAD* palette = GetPalette();
    if (!palette || idx1 >= head.biClrUsed || idx2 >= head.biClrUsed) return;
    RGBQUAD c = palette[idx1];
    palette[idx1] = palette[idx2];
    palette[idx2] = c;
    for (LONG y = 0; y < head.biHeight; y++) {
        for (LONG x = 0; x < head.biWidth; x++) {
            BYTE index = GetPixelIndexUnchecked(x, y);
            if (index == idx1) SetPixelIndexUnchecked(x, y, idx2);
            if (index == idx2) SetPixelIndexUnchecked(x, y, idx1);
        }
    }
}

// The candidates are the important colours when a codec set them, never more
// than the palette holds.
BYTE CxImage::GetNearestIndex(RGBQUAD c)
{
    RGBQUAD* palette = GetPalette();
    if (!palette) return 0;
    if (info.last_c_isvalid && memcmp(&info.last_c, &c, sizeof(RGBQUAD)) == 0)
        return info.last_c_index;
    info.last_c = c;
    info.last_c_isvalid = true;

    DWORD candidates = head.biClrImportant ? head.biClrImportant : head.biClrUsed;
    if (candidates > head.biClrUsed) candidates = head.biClrUsed;
    BYTE best = 0;
    int distance = 200000;
    for (DWORD i = 0; i < candidates; i++) {
        int db = palette[i].rgbBlue - c.rgbBlue;
        int dg = palette[i].rgbGreen - c.rgbGreen;
        int dr = palette[i].rgbRed - c.rgbRed;
        int k = db * db + dg * dg + dr * dr;
        if (k == 0) {
            best = static_cast<BYTE>(i);
            break;
        }
        if (k < distance) {
            distance = k;
            best = static_cast<BYTE>(i);
        }
    }
    info.last_c_index = best;
    return best;
}
