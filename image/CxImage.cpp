// Block geometry, the information record, codec options, resolution and
// byte order.
#include "image/CxImage.h"

#include <cmath>
#include <cstring>

void CxImage::SetLastError(const char* text)
{
    strncpy(info.szLastError, text, sizeof(info.szLastError) - 1);
    info.szLastError[sizeof(info.szLastError) - 1] = '\0';
}

// Bytes of one alpha or selection plane.
size_t CxImage::PlaneSize() const
{
    return (size_t)GetWidth() * GetHeight();
}

BYTE* CxImage::GetBits(DWORD row) const
{
    if (!pDib) return nullptr;
    DWORD headerSize;
    memcpy(&headerSize, pDib, sizeof(headerSize));
    BYTE* rows = pDib + headerSize + GetPaletteSize();
    if (row == 0) return rows;
    if (row < GetHeight()) return rows + (size_t)row * info.dwEffWidth;
    return nullptr;
}

DWORD CxImage::GetSize() const
{
    return head.biSize + head.biSizeImage + GetPaletteSize();
}

bool CxImage::IsInside(LONG x, LONG y) const
{
    return 0 <= y && y < head.biHeight && 0 <= x && x < head.biWidth;
}

void CxImage::Clear(BYTE bval)
{
    if (!pDib) return;
    if (GetBpp() == 1 && bval) bval = 255;
    if (GetBpp() == 4) bval = static_cast<BYTE>(17 * (bval & 0x0F));
    memset(info.pImage, bval, head.biSizeImage);
}

RGBQUAD CxImage::GetTransColor() const
{
    if (head.biBitCount < 24 && info.nBkgndIndex >= 0)
        return GetPaletteColor(static_cast<BYTE>(info.nBkgndIndex));
    return info.nBkgndColor;
}

void CxImage::SetTransIndex(LONG idx)
{
    if (idx < static_cast<long long>(head.biClrUsed))
        info.nBkgndIndex = idx;
    else
        info.nBkgndIndex = 0;
}

DWORD CxImage::GetTypeIndexFromId(DWORD id)
{
    if (id <= 15) return id;
    if (id >= 17 && id <= 19) return id - 1;
    return 0;
}

DWORD CxImage::GetCodecOption(DWORD imagetype) const
{
    DWORD slot = GetTypeIndexFromId(imagetype);
    if (slot == 0) slot = GetTypeIndexFromId(info.dwType);
    return info.dwCodecOpt[slot];
}

bool CxImage::SetCodecOption(DWORD opt, DWORD imagetype)
{
    DWORD slot = GetTypeIndexFromId(imagetype);
    if (slot == 0) slot = GetTypeIndexFromId(info.dwType);
    info.dwCodecOpt[slot] = opt;
    return true;
}

namespace {

LONG PixelsPerMetre(LONG dpi)
{
    double perMetre = floor(dpi * 39.37007874015748 + 0.5);
    return perMetre > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<LONG>(perMetre);
}

}  // namespace

void CxImage::SetXDPI(LONG dpi)
{
    if (dpi <= 0) dpi = 96;
    info.xDPI = dpi;
    head.biXPelsPerMeter = PixelsPerMetre(dpi);
    if (pDib) reinterpret_cast<BITMAPINFOHEADER*>(pDib)->biXPelsPerMeter = head.biXPelsPerMeter;
}

void CxImage::SetYDPI(LONG dpi)
{
    if (dpi <= 0) dpi = 96;
    info.yDPI = dpi;
    head.biYPelsPerMeter = PixelsPerMetre(dpi);
    if (pDib) reinterpret_cast<BITMAPINFOHEADER*>(pDib)->biYPelsPerMeter = head.biYPelsPerMeter;
}

WORD(CxImage::ntohs)(WORD value) const
{
    if (info.bLittleEndianHost) return value;
    return static_cast<WORD>((value >> 8) | (value << 8));
}

DWORD(CxImage::ntohl)(DWORD value) const
{
    if (info.bLittleEndianHost) return value;
    return (value >> 24) | ((value >> 8) & 0xFF00) | ((value << 8) & 0xFF0000) | (value << 24);
}

void CxImage::SwapHeaderByteOrder(BITMAPINFOHEADER* header) const
{
    header->biSize = (ntohl)(header->biSize);
    header->biWidth = static_cast<LONG>((ntohl)(static_cast<DWORD>(header->biWidth)));
    header->biHeight = static_cast<LONG>((ntohl)(static_cast<DWORD>(header->biHeight)));
    header->biPlanes = (ntohs)(header->biPlanes);
    header->biBitCount = (ntohs)(header->biBitCount);
    header->biCompression = (ntohl)(header->biCompression);
    header->biSizeImage = (ntohl)(header->biSizeImage);
    header->biXPelsPerMeter = static_cast<LONG>((ntohl)(static_cast<DWORD>(header->biXPelsPerMeter)));
    header->biYPelsPerMeter = static_cast<LONG>((ntohl)(static_cast<DWORD>(header->biYPelsPerMeter)));
    header->biClrUsed = (ntohl)(header->biClrUsed);
    header->biClrImportant = (ntohl)(header->biClrImportant);
}

int CxImage::CompareColors(const void* a, const void* b)
{
    auto gray = [](const RGBQUAD* c) {
        return (306 * c->rgbRed + 601 * c->rgbGreen + 117 * c->rgbBlue) >> 10;
    };
    return gray(static_cast<const RGBQUAD*>(a)) - gray(static_cast<const RGBQUAD*>(b));
}
