// BMP encoder. Images with an alpha plane and no palette are written as
// 32-bit pixels (blue, green, red, alpha); all others as the pixel block
// holds them: header, palette and bottom-up rows padded to 4 bytes.
#include "image/CxImageBMP.h"

#include <cstring>

#include "image/EncodeSink.h"

namespace {

const char kWriteFailed[] = "Error saving BMP file";

}  // namespace

bool CxImageBMP::Encode(CxFile* hFile)
{
    if (EncodeSafeCheck(hFile)) return false;
    EncodeSink sink(hFile, kWriteFailed);
    const char* error = RunEncoder([&] {
        if (!HasPalette() && AlphaIsValid())
            WriteAlphaForm(sink);
        else
            WriteStoredForm(sink);
    });
    if (error) {
        SetLastError(error);
        return false;
    }
    return true;
}

namespace {

void WriteFileHeader(const CxImage& image, EncodeSink& sink, DWORD fileSize, DWORD offBits)
{
    BITMAPFILEHEADER file;
    file.bfType = (image.ntohs)(0x4D42);  // "BM"
    file.bfSize = (image.ntohl)(fileSize);
    file.bfReserved1 = 0;
    file.bfReserved2 = 0;
    file.bfOffBits = (image.ntohl)(offBits);
    sink.Write(&file, sizeof(file));
}

}  // namespace

void CxImageBMP::WriteAlphaForm(EncodeSink& sink)
{
    BITMAPINFOHEADER header = head;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = GetWidth() * GetHeight() * 4;
    header.biClrUsed = 0;
    WriteFileHeader(*this, sink, header.biSizeImage + 40 + 14, 40 + 14);
    SwapHeaderByteOrder(&header);
    sink.Write(&header, sizeof(header));

    WriteBgraRows(*this, sink, "BMP: out of memory");
}

// The block's own header is brought up to date first, so the block can go out
// in one piece.
void CxImageBMP::WriteStoredForm(EncodeSink& sink)
{
    WriteFileHeader(*this, sink, GetSize() + 14, GetPaletteSize() + head.biSize + 14);
    BITMAPINFOHEADER* blockHeader = reinterpret_cast<BITMAPINFOHEADER*>(pDib);
    memcpy(blockHeader, &head, sizeof(head));
    SwapHeaderByteOrder(blockHeader);
    const char* error = RunEncoder([&] { sink.Write(pDib, GetSize()); });
    SwapHeaderByteOrder(blockHeader);
    if (error) throw error;
}
