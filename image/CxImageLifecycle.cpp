// Construction, the pixel block's life, copies, transfers and ghosts.
#include <cstdlib>
#include <cstring>

#include "image/CxImage.h"

CxImage::CxImage(DWORD imagetype)
{
    Startup(imagetype);
}

CxImage::CxImage(const CxImage& src, bool copypixels, bool copyselection, bool copyalpha)
{
    Startup(src.info.dwType);
    Copy(src, copypixels, copyselection, copyalpha);
}

CxImage::~CxImage()
{
    DestroyFrames();
    Destroy();
}

CxImage& CxImage::operator=(const CxImage& src)
{
    if (this != &src) Copy(src, true, true, true);
    return *this;
}

void CxImage::Startup(DWORD imagetype)
{
    pDib = pSelection = pAlpha = nullptr;
    ppLayers = ppFrames = nullptr;
    memset(&head, 0, sizeof(head));
    memset(&info, 0, sizeof(info));
    info.dwType = imagetype;
    info.fQuality = 90.0f;
    info.nAlphaMax = 255;
    info.nBkgndIndex = -1;
    info.bEnabled = true;
    SetXDPI(96);
    SetYDPI(96);
    info.bLittleEndianHost = true;
}

bool CxImage::Destroy()
{
    if (info.pGhost) return false;
    if (ppLayers) {
        for (LONG n = 0; n < info.nNumLayers; n++) delete ppLayers[n];
        delete[] ppLayers;
        ppLayers = nullptr;
        info.nNumLayers = 0;
    }
    free(pSelection);
    pSelection = nullptr;
    free(pAlpha);
    pAlpha = nullptr;
    free(pDib);
    pDib = nullptr;
    info.pImage = nullptr;
    return true;
}

bool CxImage::DestroyFrames()
{
    if (info.pGhost) return false;
    if (!ppFrames) return true;
    for (LONG n = 0; n < info.nNumFrames; n++) delete ppFrames[n];
    delete[] ppFrames;
    ppFrames = nullptr;
    info.nNumFrames = 0;
    return true;
}

// The block size is worked out in 64 bits, so no request wraps into a small
// block; the header fields are set only for a block that fits.
BYTE* CxImage::Create(DWORD dwWidth, DWORD dwHeight, DWORD wBpp, DWORD imagetype)
{
    if (!Destroy()) return nullptr;
    if (dwWidth == 0 || dwHeight == 0) {
        SetLastError("CxImage::Create : width and height must be greater than zero");
        return nullptr;
    }
    DWORD bpp = wBpp <= 1 ? 1 : wBpp <= 4 ? 4 : wBpp <= 8 ? 8 : 24;
    unsigned long long effWidth = ((unsigned long long)dwWidth * bpp + 31) / 32 * 4;
    unsigned long long sizeImage = effWidth * dwHeight;
    if (sizeImage > CXIMAGE_MAX_MEMORY || dwWidth > 0x7FFFFFFF || dwHeight > 0x7FFFFFFF) {
        SetLastError("CXIMAGE_MAX_MEMORY exceeded");
        return nullptr;
    }

    head.biClrUsed = bpp == 1 ? 2 : bpp == 4 ? 16 : bpp == 8 ? 256 : 0;
    info.dwEffWidth = static_cast<DWORD>(effWidth);
    head.biBitCount = static_cast<WORD>(bpp);
    info.dwType = imagetype;
    head.biSize = sizeof(BITMAPINFOHEADER);
    head.biWidth = static_cast<LONG>(dwWidth);
    head.biHeight = static_cast<LONG>(dwHeight);
    head.biPlanes = 1;
    head.biCompression = BI_RGB;
    head.biSizeImage = static_cast<DWORD>(sizeImage);

    // Palette and rows start zeroed.
    pDib = static_cast<BYTE*>(calloc(GetSize(), 1));
    if (!pDib) {
        SetLastError("CxImage::Create can't allocate memory");
        return nullptr;
    }
    memcpy(pDib, &head, sizeof(BITMAPINFOHEADER));
    info.pImage = GetBits(0);
    return pDib;
}

// A ghost refuses to be copied into: its data belong to its source.
void CxImage::Copy(const CxImage& src, bool copypixels, bool copyselection, bool copyalpha)
{
    if (&src == this) return;
    if (src.info.pGhost) {
        if (!info.pGhost) {
            DestroyFrames();
            Destroy();
        }
        Ghost(&src);
        return;
    }
    if (info.pGhost) return;

    // The frame and layer counts keep describing this image's own arrays.
    LONG numFrames = info.nNumFrames;
    LONG numLayers = info.nNumLayers;
    info = src.info;
    info.nNumFrames = numFrames;
    info.nNumLayers = numLayers;
    head = src.head;
    if (!Create(src.GetWidth(), src.GetHeight(), src.GetBpp(), src.GetType())) return;

    if (copypixels && src.pDib)
        memcpy(pDib, src.pDib, GetSize() < src.GetSize() ? GetSize() : src.GetSize());
    else
        SetPalette(src.GetPalette(), 256);

    size_t planeSize = PlaneSize();
    if (copyselection && src.pSelection) {
        pSelection = static_cast<BYTE*>(malloc(planeSize));
        if (pSelection) memcpy(pSelection, src.pSelection, planeSize);
    }
    if (copyalpha && src.pAlpha) {
        pAlpha = static_cast<BYTE*>(malloc(planeSize));
        if (pAlpha) memcpy(pAlpha, src.pAlpha, planeSize);
    }
}

void CxImage::CopyInfo(const CxImage& src)
{
    if (pDib == nullptr) info = src.info;
}

bool CxImage::Transfer(CxImage& from, bool bTransferFrames)
{
    if (&from == this) return true;
    if (!Destroy()) return false;
    if (bTransferFrames) DestroyFrames();

    LONG ownFrames = info.nNumFrames;
    LONG fromFrames = from.info.nNumFrames;
    head = from.head;
    info = from.info;
    pDib = from.pDib;
    pSelection = from.pSelection;
    pAlpha = from.pAlpha;
    ppLayers = from.ppLayers;

    memset(&from.head, 0, sizeof(from.head));
    memset(&from.info, 0, sizeof(from.info));
    from.pDib = from.pSelection = from.pAlpha = nullptr;
    from.ppLayers = nullptr;

    // Each frame count stays with the array it describes.
    if (bTransferFrames) {
        ppFrames = from.ppFrames;
        from.ppFrames = nullptr;
    } else {
        info.nNumFrames = ownFrames;
        from.info.nNumFrames = fromFrames;
    }
    return true;
}

void CxImage::Ghost(const CxImage* src)
{
    if (!src || src == this) return;
    if (!info.pGhost) {
        DestroyFrames();
        Destroy();
    }
    head = src->head;
    info = src->info;
    pDib = src->pDib;
    pSelection = src->pSelection;
    pAlpha = src->pAlpha;
    ppLayers = src->ppLayers;
    ppFrames = src->ppFrames;
    info.pGhost = const_cast<CxImage*>(src);
}

bool CxImage::CreateFromArray(const BYTE* pArray, DWORD dwWidth, DWORD dwHeight,
                              DWORD dwBitsperpixel, DWORD dwBytesperline, bool bFlipImage)
{
    if (!pArray) return false;
    if (dwBitsperpixel != 1 && dwBitsperpixel != 4 && dwBitsperpixel != 8
        && dwBitsperpixel != 24 && dwBitsperpixel != 32)
        return false;
    if (!Create(dwWidth, dwHeight, dwBitsperpixel, 0)) return false;
    if (dwBitsperpixel < 24) SetGrayPalette();
    if (dwBitsperpixel == 32 && !AlphaCreate()) {
        SetLastError("CxImage::CreateFromArray can't allocate memory");
        return false;
    }

    // A 32-bit source row holds at most dwBytesperline / 4 whole pixels.
    DWORD pixels32 = dwBytesperline / 4 < dwWidth ? dwBytesperline / 4 : dwWidth;
    DWORD rowBytes = dwBytesperline < info.dwEffWidth ? dwBytesperline : info.dwEffWidth;
    for (DWORD r = 0; r < dwHeight; r++) {
        const BYTE* src = pArray + (size_t)r * dwBytesperline;
        DWORD row = bFlipImage ? dwHeight - 1 - r : r;
        BYTE* dst = info.pImage + (size_t)row * info.dwEffWidth;
        if (dwBitsperpixel == 32) {
            for (DWORD x = 0; x < pixels32; x++, src += 4, dst += 3) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
                AlphaSet(static_cast<LONG>(x), static_cast<LONG>(row), src[3]);
            }
        } else {
            memcpy(dst, src, rowBytes);
        }
    }
    return true;
}
