// The alpha and selection planes: one byte per pixel, rows bottom-up like the
// pixel rows.
#include <cstdlib>
#include <cstring>

#include "image/CxImage.h"

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
    if (!pAlpha) {
        pAlpha = static_cast<BYTE*>(malloc(PlaneSize()));
        if (!pAlpha) return false;
    }
    memcpy(pAlpha, from.pAlpha, PlaneSize());
    info.nAlphaMax = from.info.nAlphaMax;
    return true;
}

void CxImage::AlphaSet(LONG x, LONG y, BYTE level)
{
    if (pAlpha && IsInside(x, y)) pAlpha[(size_t)y * head.biWidth + x] = level;
}

BYTE CxImage::AlphaGet(LONG x, LONG y) const
{
    if (pAlpha && IsInside(x, y)) return pAlpha[(size_t)y * head.biWidth + x];
    return 0;
}

BYTE* CxImage::AlphaGetPointer(LONG x, LONG y) const
{
    if (pAlpha && IsInside(x, y)) return pAlpha + (size_t)y * head.biWidth + x;
    return nullptr;
}

BYTE CxImage::AlphaGetUnchecked(LONG x, LONG y) const
{
    return pAlpha[(size_t)y * head.biWidth + x];
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
    if (!from.pSelection || head.biWidth != from.head.biWidth
        || head.biHeight != from.head.biHeight)
        return false;
    if (!pSelection) {
        pSelection = static_cast<BYTE*>(malloc(PlaneSize()));
        if (!pSelection) return false;
    }
    memcpy(pSelection, from.pSelection, PlaneSize());
    info.rSelectionBox = from.info.rSelectionBox;
    return true;
}

void CxImage::SelectionSet(LONG x, LONG y, BYTE level)
{
    if (pSelection && IsInside(x, y)) pSelection[(size_t)y * head.biWidth + x] = level;
}

BYTE CxImage::SelectionGetUnchecked(LONG x, LONG y) const
{
    return pSelection[(size_t)y * head.biWidth + x];
}
