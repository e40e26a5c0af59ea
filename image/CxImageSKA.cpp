// SKA encoder: a 9-byte header (width, height, depth code 3, the value
// 0x01000000), a palette of 256 red-green-blue entries (black past the
// image's own), then one index byte per pixel, top row first.
#include "image/CxImageSKA.h"

#include "image/EncodeSink.h"

namespace {

const char kWriteFailed[] = "Error saving SKA file";

#pragma pack(push, 1)
struct SkaHeader {
    WORD Width;
    WORD Height;
    BYTE BppExp;
    DWORD dwUnknown;
};
#pragma pack(pop)
static_assert(sizeof(SkaHeader) == 9);

}  // namespace

bool CxImageSKA::Encode(CxFile* hFile)
{
    if (EncodeSafeCheck(hFile)) return false;
    if (GetBpp() > 8) {
        SetLastError("SKA Images must be 8 bit or less");
        return false;
    }
    if (GetWidth() > 0xFFFF || GetHeight() > 0xFFFF) {
        SetLastError("Image too large for SKA");
        return false;
    }
    EncodeSink sink(hFile, kWriteFailed);
    if (const char* error = RunEncoder([&] { WriteSka(sink); })) {
        SetLastError(error);
        return false;
    }
    return true;
}

void CxImageSKA::WriteSka(EncodeSink& sink)
{
    SkaHeader header;
    header.Width = (ntohs)(WORD(GetWidth()));
    header.Height = (ntohs)(WORD(GetHeight()));
    header.BppExp = 3;
    header.dwUnknown = (ntohl)(0x01000000);
    sink.Write(&header, sizeof(header));

    BYTE palette[256 * 3];
    for (int i = 0; i < 256; i++) {
        RGBQUAD c = GetPaletteColor(BYTE(i));  // black past the image's entries
        palette[i * 3] = c.rgbRed;
        palette[i * 3 + 1] = c.rgbGreen;
        palette[i * 3 + 2] = c.rgbBlue;
    }
    sink.Write(palette, sizeof(palette));

    EncodeBuffer row(GetWidth(), "SKA: out of memory");
    for (LONG y = head.biHeight - 1; y >= 0; y--) {
        for (LONG x = 0; x < head.biWidth; x++) row.Get()[x] = GetPixelIndexUnchecked(x, y);
        sink.Write(row.Get(), GetWidth());
    }
}
