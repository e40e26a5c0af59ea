// PCX encoder. Lines go top row first, the planes of a row one after the
// other; the coded lines are gathered in a memory file and handed to the
// stream in one write.
#include "image/CxImagePCX.h"

#include <cstring>

#include "image/CxMemFile.h"
#include "image/EncodeSink.h"

#pragma pack(push, 1)
struct PcxHeader {
    BYTE Manufacturer;
    BYTE Version;
    BYTE Encoding;
    BYTE BitsPerPixel;
    WORD Xmin;
    WORD Ymin;
    WORD Xmax;
    WORD Ymax;
    WORD Hres;
    WORD Vres;
    BYTE ColorMap[16][3];
    BYTE Reserved;
    BYTE ColorPlanes;
    WORD BytesPerLine;
    WORD PaletteType;
    BYTE Filler[58];
};
#pragma pack(pop)
static_assert(sizeof(PcxHeader) == 128);

namespace {

const char kWriteFailed[] = "Error saving PCX file";

// A run of `count` bytes of `value`: a lone byte below 0xC0 stands for
// itself, anything else takes a count byte first.
void WriteRun(EncodeSink& out, BYTE value, int count)
{
    if (count > 1 || value >= 0xC0) out.PutC(BYTE(0xC0 | count));
    out.PutC(value);
}

}  // namespace

bool CxImagePCX::Encode(CxFile* hFile)
{
    if (EncodeSafeCheck(hFile)) return false;
    // The 16-bit fields must hold the image: x max, y max, bytes per line.
    if (GetWidth() - 1 > 0xFFFF || GetHeight() - 1 > 0xFFFF || BytesPerLine() > 0xFFFF) {
        SetLastError("Image too large for PCX");
        return false;
    }
    PcxHeader header;
    BuildHeader(header);
    DWORD bytesPerLine = header.BytesPerLine;
    int planes = header.ColorPlanes;
    const char* error = RunEncoder([&] {
        SwapHeader(header);
        EncodeSink(hFile, "cannot write PCX header").Write(&header, sizeof(header));

        CxMemFile coded;
        if (!coded.Open()) throw "PCX: out of memory";
        EncodeSink codedSink(&coded, kWriteFailed);
        if (GetBpp() >= 8)
            CodeByteLines(codedSink, planes);
        else
            CodeBitLines(codedSink, bytesPerLine, planes);

        EncodeSink sink(hFile, kWriteFailed);
        sink.Write(coded.GetBuffer(false), size_t(coded.Size()));
        if (GetBpp() == 8) {
            BYTE palette[1 + 256 * 3] = {12};
            for (int i = 0; i < 256; i++) {
                RGBQUAD c = GetPaletteColor(BYTE(i));
                palette[1 + i * 3] = c.rgbRed;
                palette[2 + i * 3] = c.rgbGreen;
                palette[3 + i * 3] = c.rgbBlue;
            }
            sink.Write(palette, sizeof(palette));
        }
    });
    if (error) {
        if (*error) SetLastError(error);
        return false;
    }
    return true;
}

// Bytes of one plane line, always even.
unsigned long long CxImagePCX::BytesPerLine() const
{
    unsigned long long line = GetBpp() >= 8 ? GetWidth() : (GetWidth() + 7ull) / 8;
    return line + (line & 1);
}

void CxImagePCX::BuildHeader(PcxHeader& header) const
{
    memset(&header, 0, sizeof(header));
    header.Manufacturer = 0x0A;
    header.Version = 5;
    header.Encoding = 1;
    header.BitsPerPixel = GetBpp() >= 8 ? 8 : 1;
    header.Xmax = WORD(GetWidth() - 1);
    header.Ymax = WORD(GetHeight() - 1);
    header.Hres = WORD(info.xDPI);
    header.Vres = WORD(info.yDPI);
    header.ColorPlanes = GetBpp() == 24 ? (AlphaIsValid() ? 4 : 3) : GetBpp() == 4 ? 4 : 1;
    header.BytesPerLine = WORD(BytesPerLine());
    header.PaletteType = HasPalette() ? 0 : 1;
    if (GetBpp() == 1) {
        memset(header.ColorMap[1], 255, 3);
    } else if (GetBpp() == 4) {
        for (int i = 0; i < 16; i++) {
            RGBQUAD c = GetPaletteColor(BYTE(i));
            header.ColorMap[i][0] = c.rgbRed;
            header.ColorMap[i][1] = c.rgbGreen;
            header.ColorMap[i][2] = c.rgbBlue;
        }
    }
}

// One line per plane: red, green, blue (and alpha) of 24-bit images, the
// indices of 8-bit ones; an odd width ends with the pad byte.
void CxImagePCX::CodeByteLines(EncodeSink& out, int planes)
{
    int end = (GetWidth() & 1) ? -2 : -1;
    for (LONG y = head.biHeight - 1; y >= 0; y--) {
        for (int plane = 0; plane < planes; plane++) {
            int last = 0, count = 0;
            for (LONG x = 0; x < head.biWidth; x++) {
                int value;
                if (GetBpp() == 8) {
                    value = GetPixelIndexUnchecked(x, y);
                } else if (plane == 3) {
                    value = AlphaGetUnchecked(x, y);
                } else {
                    RGBQUAD c = GetPixelColorUnchecked(x, y, false);
                    value = plane == 0 ? c.rgbRed : plane == 1 ? c.rgbGreen : c.rgbBlue;
                }
                PackPixel(value, last, count, out);
            }
            PackPixel(end, last, count, out);
        }
    }
}

// A 1-bit image whose entry 0 is the brighter colour is inverted, so that
// set bits mean the brighter colour, as the header's map (black, white) says.
void CxImagePCX::CodeBitLines(EncodeSink& out, DWORD bytesPerLine, int planes)
{
    EncodeBuffer indices(GetWidth(), "PCX: out of memory");
    EncodeBuffer line(bytesPerLine, "PCX: out of memory");
    RGBQUAD c0 = GetPaletteColor(0), c1 = GetPaletteColor(1);
    bool invert = GetBpp() == 1 && CompareColors(&c0, &c1) > 0;
    for (LONG y = head.biHeight - 1; y >= 0; y--) {
        for (LONG x = 0; x < head.biWidth; x++) {
            BYTE index = GetPixelIndexUnchecked(x, y);
            indices.Get()[x] = invert ? BYTE(1 - index) : index;
        }
        for (int plane = 0; plane < planes; plane++) {
            memset(line.Get(), 0, bytesPerLine);
            PackPlane(indices.Get(), GetWidth(), line.Get(), plane);
            PackRow(line.Get(), bytesPerLine, out);
        }
    }
}

void CxImagePCX::PackPixel(int value, int& last, int& count, EncodeSink& out)
{
    if (value != last && count != 0) {
        WriteRun(out, BYTE(last), count);
        count = 0;
    }
    if (count == 63) {
        WriteRun(out, BYTE(last), count);
        count = 0;
    }
    if (value == -2) out.PutC(0);
    last = value & 0xFF;
    count++;
}

void CxImagePCX::PackPlane(const BYTE* indices, DWORD width, BYTE* buffer, int plane)
{
    for (DWORD x = 0; x < width; x++) {
        BYTE bit = BYTE(0x80 >> (x & 7));
        if ((x & 7) == 0) buffer[x >> 3] = 0;
        if (indices[x] & (1 << plane)) buffer[x >> 3] |= bit;
    }
}

void CxImagePCX::PackRow(const BYTE* buffer, DWORD length, EncodeSink& out)
{
    if (length == 0) return;
    BYTE value = buffer[0];
    int count = 1;
    for (DWORD i = 1; i < length; i++) {
        if (buffer[i] == value && count < 63) {
            count++;
            continue;
        }
        WriteRun(out, value, count);
        value = buffer[i];
        count = 1;
    }
    WriteRun(out, value, count);
}

void CxImagePCX::SwapHeader(PcxHeader& header) const
{
    header.Xmin = (ntohs)(header.Xmin);
    header.Ymin = (ntohs)(header.Ymin);
    header.Xmax = (ntohs)(header.Xmax);
    header.Ymax = (ntohs)(header.Ymax);
    header.Hres = (ntohs)(header.Hres);
    header.Vres = (ntohs)(header.Vres);
    header.BytesPerLine = (ntohs)(header.BytesPerLine);
    header.PaletteType = (ntohs)(header.PaletteType);
}
