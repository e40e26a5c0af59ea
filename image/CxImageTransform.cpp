// Whole-image transforms: vertical flip, horizontal mirror, quarter turns and
// raising the bit depth, with the matching flips and mirrors of the alpha and
// selection planes. Everything but Flip builds a new image and moves it into
// place with Transfer.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "image/CxImage.h"

namespace {

// Rotations walk the destination in square tiles of this many pixels, so that
// the source rows a tile reads stay in the cache.
constexpr LONG kRotateBlock = 64;

// Exchanges rows k and rows - 1 - k of a buffer of rows `rowBytes` long, a
// piece at a time through the stack: a flip needs no memory of its own.
bool FlipRows(BYTE* rows, size_t rowBytes, LONG count)
{
    if (!rows) return false;
    BYTE spare[1024];
    for (LONG k = 0; k < count / 2; k++) {
        BYTE* top = rows + (size_t)k * rowBytes;
        BYTE* bottom = rows + (size_t)(count - 1 - k) * rowBytes;
        for (size_t at = 0; at < rowBytes; at += sizeof(spare)) {
            size_t n = rowBytes - at < sizeof(spare) ? rowBytes - at : sizeof(spare);
            memcpy(spare, top + at, n);
            memcpy(top + at, bottom + at, n);
            memcpy(bottom + at, spare, n);
        }
    }
    return true;
}

// Reverses every row of a plane in place.
bool MirrorPlane(BYTE* plane, LONG width, LONG height)
{
    if (!plane) return false;
    for (LONG y = 0; y < height; y++) std::reverse(plane + (size_t)y * width, plane + (size_t)(y + 1) * width);
    return true;
}

// Source pixel of destination pixel (x, y) of a quarter turn whose result is
// newWidth x newHeight (rows counted from the bottom).
inline void RotationSource(bool left, LONG newWidth, LONG newHeight, LONG x, LONG y, LONG& sx, LONG& sy)
{
    if (left) {
        sx = y;
        sy = newWidth - 1 - x;
    } else {
        sx = newHeight - 1 - y;
        sy = x;
    }
}

}  // namespace

bool CxImage::Flip(bool bFlipSelection, bool bFlipAlpha)
{
    if (!pDib) return false;
    if (!FlipRows(info.pImage, info.dwEffWidth, head.biHeight)) return false;
    if (bFlipSelection) SelectionFlip();
    if (bFlipAlpha) AlphaFlip();
    return true;
}

bool CxImage::AlphaFlip()
{
    return pAlpha && FlipRows(pAlpha, (size_t)head.biWidth, head.biHeight);
}

bool CxImage::SelectionFlip()
{
    if (!pSelection || !FlipRows(pSelection, (size_t)head.biWidth, head.biHeight)) return false;
    LONG top = info.rSelectionBox.top;
    info.rSelectionBox.top = head.biHeight - info.rSelectionBox.bottom;
    info.rSelectionBox.bottom = head.biHeight - top;
    return true;
}

bool CxImage::AlphaMirror()
{
    return MirrorPlane(pAlpha, head.biWidth, head.biHeight);
}

bool CxImage::SelectionMirror()
{
    if (!MirrorPlane(pSelection, head.biWidth, head.biHeight)) return false;
    LONG left = info.rSelectionBox.left;
    info.rSelectionBox.left = head.biWidth - info.rSelectionBox.right;
    info.rSelectionBox.right = head.biWidth - left;
    return true;
}

bool CxImage::Mirror(bool bMirrorSelection, bool bMirrorAlpha)
{
    if (!pDib) return false;
    std::unique_ptr<CxImage> mirrored(new (std::nothrow) CxImage(*this, false, true, true));
    if (!mirrored || !mirrored->IsValid()) return false;
    // A plane the copy could not have would be lost with success.
    if ((pAlpha && !mirrored->pAlpha) || (pSelection && !mirrored->pSelection)) return false;

    LONG width = head.biWidth;
    for (LONG y = 0; y < head.biHeight; y++) {
        const BYTE* from = info.pImage + (size_t)y * info.dwEffWidth;
        BYTE* to = mirrored->info.pImage + (size_t)y * info.dwEffWidth;
        if (head.biBitCount == 8) {
            for (LONG x = 0; x < width; x++) to[x] = from[width - 1 - x];
        } else if (head.biBitCount == 24) {
            for (LONG x = 0; x < width; x++) memcpy(to + 3 * (size_t)x, from + 3 * (size_t)(width - 1 - x), 3);
        } else {
            for (LONG x = 0; x < width; x++)
                mirrored->SetPixelIndexUnchecked(x, y, GetPixelIndexUnchecked(width - 1 - x, y));
        }
    }
    if (bMirrorSelection) mirrored->SelectionMirror();
    if (bMirrorAlpha) mirrored->AlphaMirror();
    return Transfer(*mirrored, true);
}

bool CxImage::RotateLeft(CxImage* iDst)
{
    return RotateQuarter(iDst, true);
}

bool CxImage::RotateRight(CxImage* iDst)
{
    return RotateQuarter(iDst, false);
}

bool CxImage::RotateQuarter(CxImage* iDst, bool left)
{
    if (!pDib) return false;
    LONG newWidth = head.biHeight;
    LONG newHeight = head.biWidth;
    CxImage dst;
    dst.CopyInfo(*this);
    if (!dst.Create(DWORD(newWidth), DWORD(newHeight), head.biBitCount, info.dwType)) return false;
    dst.SetPalette(GetPalette(), 256);
    if (pAlpha && !dst.AlphaCreate()) return false;
    if (pSelection && !dst.SelectionCreate()) return false;

    if (head.biBitCount == 1) RotateBits(dst, left);
    else RotateBlocks(dst, left);

    if (pSelection) {
        const RECT& old = info.rSelectionBox;
        RECT& box = dst.info.rSelectionBox;
        if (left) box = RECT{newWidth - old.top, old.right, newWidth - old.bottom, old.left};
        else box = RECT{old.bottom, newHeight - old.left, old.top, newHeight - old.right};
    }
    return (iDst ? iDst : this)->Transfer(dst, true);
}

// Depths 4, 8 and 24, one 64 x 64 tile of the destination at a time (columns
// of tiles outer). At 24 bits whole pixels are copied between row pointers.
void CxImage::RotateBlocks(CxImage& dst, bool left)
{
    LONG newWidth = dst.head.biWidth;
    LONG newHeight = dst.head.biHeight;
    size_t srcEff = info.dwEffWidth;
    size_t dstEff = dst.info.dwEffWidth;
    for (LONG xs = 0; xs < newWidth; xs += kRotateBlock) {
        LONG x1 = xs + kRotateBlock < newWidth ? xs + kRotateBlock : newWidth;
        for (LONG ys = 0; ys < newHeight; ys += kRotateBlock) {
            LONG y1 = ys + kRotateBlock < newHeight ? ys + kRotateBlock : newHeight;
            if (head.biBitCount == 24 && left) {
                // Down a destination column the source walks along a row.
                for (LONG x = xs; x < x1; x++) {
                    info.nProgress = LONG(100LL * x / newWidth);
                    BYTE* to = dst.GetPixelPointerUnchecked(x, ys);
                    const BYTE* from = GetPixelPointerUnchecked(ys, newWidth - 1 - x);
                    for (LONG y = ys; y < y1; y++, from += 3, to += dstEff) memcpy(to, from, 3);
                }
            } else if (head.biBitCount == 24) {
                // Along a destination row the source walks up a column.
                for (LONG y = ys; y < y1; y++) {
                    info.nProgress = LONG(100LL * y / newHeight);
                    BYTE* to = dst.GetPixelPointerUnchecked(xs, y);
                    const BYTE* from = GetPixelPointerUnchecked(newHeight - 1 - y, xs);
                    for (LONG x = xs; x < x1; x++, to += 3, from += srcEff) memcpy(to, from, 3);
                }
            } else {
                for (LONG x = xs; x < x1; x++) {
                    if (left) info.nProgress = LONG(100LL * x / newWidth);
                    for (LONG y = ys; y < y1; y++) {
                        if (!left && x == xs) info.nProgress = LONG(100LL * y / newHeight);
                        LONG sx, sy;
                        RotationSource(left, newWidth, newHeight, x, y, sx, sy);
                        dst.SetPixelIndexUnchecked(x, y, GetPixelIndexUnchecked(sx, sy));
                    }
                }
            }
            RotatePlanes(dst, left, xs, ys, x1, y1);
        }
    }
}

// Depth 1: eight pixels move per source byte. Destination bytes are found by
// integer offsets into its rows and skipped when they fall outside them.
void CxImage::RotateBits(CxImage& dst, bool left)
{
    dst.Clear(0);
    BYTE* rows = dst.info.pImage;
    long long dEff = dst.info.dwEffWidth;
    long long last = (long long)dst.head.biSizeImage - 1;
    long long newWidth = dst.head.biWidth;
    long long newHeight = dst.head.biHeight;
    long long dLineUp = 8 * dEff - newWidth;  // bits past the last pixel of a row
    for (long long y = 0; y < head.biHeight; y++) {
        const BYTE* source = info.pImage + (size_t)y * info.dwEffWidth;
        long long q = left ? (y + dLineUp) / 8 : y / 8;
        long long r = left ? (y + dLineUp) % 8 : y % 8;
        BYTE mask = static_cast<BYTE>(left ? 1 << r : 128 >> r);
        for (long long b = 0; b < info.dwEffWidth; b++) {
            long long base = left ? 8 * b * dEff + dEff - 1 - q : (newHeight - 8 * b - 1) * dEff + q;
            long long step = left ? dEff : -dEff;
            for (int z = 0; z < 8; z++) {
                long long offset = base + z * step;
                if (offset < 0 || offset > last) break;
                if (source[b] & (128 >> z)) rows[offset] |= mask;
            }
        }
    }
    RotatePlanes(dst, left, 0, 0, dst.head.biWidth, dst.head.biHeight);
}

// The alpha and selection bytes of destination pixels [x0, x1) x [y0, y1).
void CxImage::RotatePlanes(CxImage& dst, bool left, LONG x0, LONG y0, LONG x1, LONG y1) const
{
    if (!pAlpha && !pSelection) return;
    for (LONG x = x0; x < x1; x++) {
        for (LONG y = y0; y < y1; y++) {
            LONG sx, sy;
            RotationSource(left, dst.head.biWidth, dst.head.biHeight, x, y, sx, sy);
            if (pAlpha) dst.AlphaSet(x, y, AlphaGetUnchecked(sx, sy));
            if (pSelection) dst.SelectionSet(x, y, SelectionGetUnchecked(sx, sy));
        }
    }
}

bool CxImage::IncreaseBpp(DWORD nbit)
{
    if (!pDib || (nbit != 4 && nbit != 8 && nbit != 24)) return false;
    if (nbit == head.biBitCount) return true;
    if (nbit < head.biBitCount) return false;

    CxImage tmp;
    tmp.CopyInfo(*this);
    if (!tmp.Create(GetWidth(), GetHeight(), nbit, info.dwType)) {
        SetLastError(tmp.GetLastError());
        return false;
    }
    if (nbit == 24 && info.nBkgndIndex >= 0)
        tmp.info.nBkgndColor = GetPaletteColor(static_cast<BYTE>(info.nBkgndIndex));
    if (nbit < 24) tmp.SetPalette(GetPalette(), GetNumColors());
    if (pSelection && !tmp.SelectionCopy(*this)) return false;
    if (pAlpha && !tmp.AlphaCopy(*this)) return false;
    if (nbit == 24 && PaletteHasAlpha() && !pAlpha && !tmp.AlphaCreate()) return false;

    for (LONG y = 0; y < head.biHeight; y++) {
        if (info.nEscape) break;
        for (LONG x = 0; x < head.biWidth; x++) {
            if (nbit < 24) tmp.SetPixelIndexUnchecked(x, y, GetPixelIndexUnchecked(x, y));
            else tmp.SetPixelColorUnchecked(x, y, GetPixelColorUnchecked(x, y, true), true);
        }
    }
    return Transfer(tmp, true);
}
