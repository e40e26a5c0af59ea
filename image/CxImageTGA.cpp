// TGA encoder: an 18-byte header, the colour map of 8-bit images (256 entries
// of blue, green, red), then the rows, bottom row first, unpadded. A 24-bit
// image with an alpha plane is written with 32-bit pixels.
#include "image/CxImageTGA.h"

#include <cstring>

#include "image/EncodeSink.h"

#pragma pack(push, 1)
struct TgaHeader {
    BYTE IdLength;
    BYTE CmapType;
    BYTE ImageType;
    WORD CmapIndex;
    WORD CmapLength;
    BYTE CmapEntrySize;
    WORD X_Origin;
    WORD Y_Origin;
    WORD ImageWidth;
    WORD ImageHeight;
    BYTE PixelDepth;
    BYTE ImagDesc;
};
#pragma pack(pop)
static_assert(sizeof(TgaHeader) == 18);

namespace {

const char kWriteFailed[] = "Error saving TGA file";

}  // namespace

bool CxImageTGA::Encode(CxFile* hFile)
{
    if (EncodeSafeCheck(hFile)) return false;
    if (GetBpp() < 8) {
        SetLastError("Bit depth must be 8 or 24");
        return false;
    }
    if (GetWidth() > 0xFFFF || GetHeight() > 0xFFFF) {
        SetLastError("Image too large for TGA");
        return false;
    }
    EncodeSink sink(hFile, kWriteFailed);
    if (const char* error = RunEncoder([&] { WriteTga(sink); })) {
        SetLastError(error);
        return false;
    }
    return true;
}

void CxImageTGA::WriteTga(EncodeSink& sink)
{
    bool alpha = GetBpp() == 24 && AlphaIsValid();
    TgaHeader header;
    header.IdLength = 0;
    header.CmapType = HasPalette() ? 1 : 0;
    header.ImageType = GetBpp() == 8 ? 1 : 2;  // colour-mapped, true colour
    header.CmapIndex = 0;
    header.CmapLength = GetBpp() == 8 ? 256 : 0;
    header.CmapEntrySize = GetBpp() == 8 ? 24 : 0;
    header.X_Origin = 0;
    header.Y_Origin = 0;
    header.ImageWidth = WORD(GetWidth());
    header.ImageHeight = WORD(GetHeight());
    header.PixelDepth = BYTE(alpha ? 32 : GetBpp());
    header.ImagDesc = 0;
    SwapHeader(header);
    sink.Write(&header, sizeof(header));

    if (GetBpp() == 8) WriteColourMap(sink);
    if (alpha) {
        WriteBgraRows(*this, sink, "TGA: out of memory");
        return;
    }
    size_t rowBytes = (size_t)GetBpp() / 8 * GetWidth();
    for (LONG y = 0; y < head.biHeight; y++)
        sink.Write(info.pImage + (size_t)y * info.dwEffWidth, rowBytes);
}

void CxImageTGA::WriteColourMap(EncodeSink& sink)
{
    BYTE map[256 * 3];
    for (int i = 0; i < 256; i++) {
        RGBQUAD c = GetPaletteColor(BYTE(i));
        map[i * 3] = c.rgbBlue;
        map[i * 3 + 1] = c.rgbGreen;
        map[i * 3 + 2] = c.rgbRed;
    }
    sink.Write(map, sizeof(map));
}

void CxImageTGA::SwapHeader(TgaHeader& header) const
{
    header.CmapIndex = (ntohs)(header.CmapIndex);
    header.CmapLength = (ntohs)(header.CmapLength);
    header.X_Origin = (ntohs)(header.X_Origin);
    header.Y_Origin = (ntohs)(header.Y_Origin);
    header.ImageWidth = (ntohs)(header.ImageWidth);
    header.ImageHeight = (ntohs)(header.ImageHeight);
}
