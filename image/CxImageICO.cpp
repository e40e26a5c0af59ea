// ICO encoder: directory header, one 16-byte directory entry per image, then
// each image's data: a bitmap (40-byte header with doubled height, palette,
// XOR pixels, 1-bit AND mask) or, for large icons, a PNG stream.
#include "image/CxImageICO.h"

#include <cstring>

#include "image/CxMemFile.h"
#include "image/EncodeSink.h"

namespace {

const char kWriteFailed[] = "Error saving ICO file";
const char kTooLarge[] = "Image too large for ICO";

#pragma pack(push, 1)
struct IconDirEntry {
    BYTE bWidth;
    BYTE bHeight;
    BYTE bColorCount;
    BYTE bReserved;
    WORD wPlanes;
    WORD wBitCount;
    DWORD dwBytesInRes;
    DWORD dwImageOffset;
};
#pragma pack(pop)
static_assert(sizeof(IconDirEntry) == 16);

}  // namespace

struct CxImageICO::Layout {
    bool png;            // the data is a PNG stream
    bool alpha;          // 32-bit pixels from the alpha plane
    WORD bitCount;
    DWORD pixelBytes;
    DWORD maskRowBytes;
    DWORD maskBytes;
    DWORD bytesInRes;    // the image data's size
};

bool CxImageICO::Encode(CxFile* hFile, bool bAppend, int nPageCount)
{
    if (EncodeSafeCheck(hFile)) return false;
    if (GetBpp() <= 8 && !HasPalette()) return false;

    // A large icon's PNG is made before anything is written, so that a
    // failed one leaves no entry behind.
    CxMemFile png;
    bool needData = !(bAppend ? nPageCount > info.nNumFrames : nPageCount != 0);
    if (needData && (GetWidth() > 255 || GetHeight() > 255)) {
        CxImage copy(*this);
        png.Open();
        if (!copy.Encode(&png, CXIMAGE_FORMAT_PNG)) {
            SetLastError(copy.GetLastError());
            return false;
        }
    }
    EncodeSink sink(hFile, kWriteFailed);
    const char* error = RunEncoder([&] { WriteIcon(sink, bAppend, nPageCount, png); });
    if (error) {
        SetLastError(error);
        return false;
    }
    return true;
}

void CxImageICO::WriteIcon(EncodeSink& sink, bool bAppend, int nPageCount, CxMemFile& png)
{
    Layout layout;
    layout.png = GetWidth() > 255 || GetHeight() > 255;
    layout.alpha = AlphaIsValid() && !HasPalette();
    layout.bitCount = layout.alpha ? 32 : GetBpp();
    unsigned long long pixelBytes =
        layout.alpha ? (unsigned long long)GetWidth() * GetHeight() * 4 : head.biSizeImage;
    unsigned long long maskRowBytes = ((unsigned long long)GetWidth() + 31) / 32 * 4;
    unsigned long long maskBytes = maskRowBytes * GetHeight();
    // The PNG is made only when its size or data goes into the file.
    long pngSize = png.Size();
    unsigned long long bytesInRes = layout.png ? (unsigned long long)(pngSize > 0 ? pngSize : 0)
                                               : 40 + GetPaletteSize() + pixelBytes + maskBytes;
    if (bytesInRes > 0xFFFFFFFFull || (unsigned long long)m_dwImageOffset + bytesInRes > 0xFFFFFFFFull)
        throw kTooLarge;
    layout.pixelBytes = static_cast<DWORD>(pixelBytes);
    layout.maskRowBytes = static_cast<DWORD>(maskRowBytes);
    layout.maskBytes = static_cast<DWORD>(maskBytes);
    layout.bytesInRes = static_cast<DWORD>(bytesInRes);

    if (nPageCount > 0xFFFF) throw kTooLarge;
    WORD count = nPageCount > 1 ? WORD(nPageCount) : 1;
    bool header = !bAppend;
    bool entry = bAppend ? nPageCount == info.nNumFrames : nPageCount == 0;
    bool data = bAppend ? nPageCount < info.nNumFrames : nPageCount == 0;
    if (!bAppend) m_dwImageOffset = 6 + 16 * DWORD(count);

    if (header) WriteDirectoryHeader(sink, count);
    if (entry) {
        WriteEntry(sink, layout);
        m_dwImageOffset += layout.bytesInRes;
    }
    if (!data) return;
    if (layout.png)
        sink.Write(png.GetBuffer(false), layout.bytesInRes);
    else
        WriteBitmap(sink, layout);
}

void CxImageICO::WriteDirectoryHeader(EncodeSink& sink, WORD count)
{
    WORD header[3] = {0, (ntohs)(1), (ntohs)(count)};  // idReserved, idType, idCount
    sink.Write(header, sizeof(header));
}

void CxImageICO::WriteEntry(EncodeSink& sink, const Layout& layout)
{
    IconDirEntry entry;
    entry.bWidth = layout.png ? 0 : BYTE(GetWidth());
    entry.bHeight = layout.png ? 0 : BYTE(GetHeight());
    entry.bColorCount = BYTE(GetNumColors());  // 256 colours are written as 0
    entry.bReserved = 0;
    entry.wPlanes = 0;
    entry.wBitCount = (ntohs)(layout.bitCount);
    entry.dwBytesInRes = (ntohl)(layout.bytesInRes);
    entry.dwImageOffset = (ntohl)(m_dwImageOffset);
    sink.Write(&entry, sizeof(entry));
}

void CxImageICO::WriteBitmap(EncodeSink& sink, const Layout& layout)
{
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = head.biWidth;
    header.biHeight = head.biHeight * 2;  // XOR pixels and AND mask
    header.biPlanes = 1;
    header.biBitCount = layout.bitCount;
    header.biCompression = BI_RGB;
    header.biSizeImage = layout.pixelBytes;
    SwapHeaderByteOrder(&header);
    sink.Write(&header, sizeof(header));

    WritePalette(sink);
    if (layout.alpha)
        WriteBgraRows(*this, sink, "ICO: out of memory");
    else
        sink.Write(info.pImage, layout.pixelBytes);
    WriteMask(sink, layout);
}

// The transparent entry goes out as four zero bytes; the image keeps its
// colour.
void CxImageICO::WritePalette(EncodeSink& sink)
{
    RGBQUAD* palette = GetPalette();
    if (!palette) return;
    if (!HasTransIndex()) {
        sink.Write(palette, GetPaletteSize());
        return;
    }
    BYTE index = BYTE(info.nBkgndIndex);
    RGBQUAD saved = GetPaletteColor(index);
    SetPaletteColor(index, RGBQUAD{0, 0, 0, 0});
    const char* error = RunEncoder([&] { sink.Write(palette, GetPaletteSize()); });
    SetPaletteColor(index, saved);
    if (error) throw error;
}

void CxImageICO::WriteMask(EncodeSink& sink, const Layout& layout)
{
    EncodeBuffer mask(layout.maskBytes, "ICO: out of memory");
    bool paletteAlpha = PaletteHasAlpha();
    RGBQUAD trans = GetTransColor();
    for (LONG y = 0; y < head.biHeight; y++) {
        BYTE* row = mask.Get() + (size_t)y * layout.maskRowBytes;
        for (LONG x = 0; x < head.biWidth; x++)
            if (IsTransparent(x, y, paletteAlpha, trans)) row[x >> 3] |= BYTE(0x80 >> (x & 7));
    }
    sink.Write(mask.Get(), layout.maskBytes);
}

// Transparent: alpha 0, a palette alpha of 0, or the transparent colour.
bool CxImageICO::IsTransparent(LONG x, LONG y, bool paletteAlpha, RGBQUAD trans) const
{
    if (AlphaIsValid() && AlphaGetUnchecked(x, y) == 0) return true;
    if (paletteAlpha && GetPixelColorUnchecked(x, y, true).rgbReserved == 0) return true;
    if (HasTransIndex()) {
        RGBQUAD c = GetPixelColor(x, y, false);
        if (memcmp(&c, &trans, sizeof(c)) == 0) return true;
    }
    return false;
}
