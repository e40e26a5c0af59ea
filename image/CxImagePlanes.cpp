// The alpha and selection planes: one byte per pixel, rows bottom-up like the
// pixel rows.
#include <cstdlib>
#include <cstring>

#include "image/CxImage.h"

namespace {

// Where pixel (x, y) sits in a plane of rows `width` bytes long.
size_t PlaneOffset(LONG width, LONG x, LONG y)
{
    return (size_t)y * width + x;
}

// Copies a plane of `size` bytes, making the destination when it is missing.
bool CopyPlane(BYTE*& plane, const BYTE* source, size_t size)
{
    if (!plane) {
        plane = static_cast<BYTE*>(malloc(size));
        if (!plane) return false;
    }
    memcpy(plane, source, size);
    return true;
}

}  // namespace

bool CxImage::AlphaCreate()
{
    if (!pAlpha && pDib) {
        pAlpha = static_cast<BYTE*>(malloc(PlaneSize()));
        if (pAlpha) memset(pAlpha, 255, PlaneSize());
    }
    return pAlpha != nullptr;
}

void CxImage::AlphaDelete()
{
    free(pAlpha);
    pAlpha = nullptr;
}

bool CxImage::AlphaCopy(const CxImage& from)
{
    if (!from.pAlpha || head.biWidth != from.head.biWidth || head.biHeight != from.head.biHeight)
        return false;
    if (!CopyPlane(pAlpha, from.pAlpha, PlaneSize())) return false;
    info.nAlphaMax = from.info.nAlphaMax;
    return true;
}

void CxImage::AlphaSet(LONG x, LONG y, BYTE level)
{
    if (pAlpha && IsInside(x, y)) pAlpha[PlaneOffset(head.biWidth, x, y)] = level;
}

BYTE CxImage::AlphaGet(LONG x, LONG y) const
{
    if (pAlpha && IsInside(x, y)) return pAlpha[PlaneOffset(head.biWidth, x, y)];
    return 0;
}

BYTE* CxImage::AlphaGetPointer(LONG x, LONG y) const
{
    if (pAlpha && IsInside(x, y)) return pAlpha + PlaneOffset(head.biWidth, x, y);
    return nullptr;
}

BYTE CxImage::AlphaGetUnchecked(LONG x, LONG y) const
{
    return pAlpha[PlaneOffset(head.biWidth, x, y)];
}

bool CxImage::SelectionDelete()
{
    free(pSelection);
    pSelection = nullptr;
    info.rSelectionBox.left = head.biWidth;
    info.rSelectionBox.bottom = head.biHeight;
    info.rSelectionBox.right = 0;
    info.rSelectionBox.top = 0;
    return true;
}

bool CxImage::SelectionCreate()
{
    SelectionDelete();
    if (!pDib) return false;
    pSelection = static_cast<BYTE*>(calloc(PlaneSize(), 1));
    return pSelection != nullptr;
}

bool CxImage::SelectionCopy(const CxImage& from)
{
    if (!from.pSelection || head.biWidth != from.head.biWidth || head.biHeight != from.head.biHeight)
        return false;
    if (!CopyPlane(pSelection, from.pSelection, PlaneSize())) return false;
    info.rSelectionBox = from.info.rSelectionBox;
    return true;
}

void CxImage::SelectionSet(LONG x, LONG y, BYTE level)
{
    if (pSelection && IsInside(x, y)) pSelection[PlaneOffset(head.biWidth, x, y)] = level;
}

BYTE CxImage::SelectionGetUnchecked(LONG x, LONG y) const
{
    return pSelection[PlaneOffset(head.biWidth, x, y)];
}
