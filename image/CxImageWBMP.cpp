// WBMP encoder: type 0, fixed header 0, width and height as multi-byte
// integers, then the rows top row first, (width + 7) / 8 bytes each, most
// significant bit leftmost.
#include "image/CxImageWBMP.h"

#include "image/EncodeSink.h"

namespace {

const char kWriteFailed[] = "Error saving WBMP file";

}  // namespace

bool CxImageWBMP::Encode(CxFile* hFile)
{
    if (EncodeSafeCheck(hFile)) return false;
    if (GetBpp() != 1) {
        SetLastError("Can't save this image as WBMP");
        return false;
    }
    EncodeSink sink(hFile, kWriteFailed);
    if (const char* error = RunEncoder([&] { WriteWbmp(sink); })) {
        SetLastError(error);
        return false;
    }
    return true;
}

void CxImageWBMP::WriteWbmp(EncodeSink& sink)
{
    sink.PutC(0);  // type
    sink.PutC(0);  // fixed header
    if (!WriteMultiByteInt(sink.File(), GetWidth()) || !WriteMultiByteInt(sink.File(), GetHeight()))
        throw kWriteFailed;
    size_t rowBytes = (GetWidth() + 7) / 8;
    for (LONG y = head.biHeight - 1; y >= 0; y--)
        sink.Write(info.pImage + (size_t)y * info.dwEffWidth, rowBytes);
}

bool CxImageWBMP::WriteMultiByteInt(CxFile* hFile, DWORD value)
{
    int shift = 0;
    while (shift < 28 && (value >> (shift + 7)) != 0) shift += 7;
    for (; shift > 0; shift -= 7)
        if (!hFile->PutC(BYTE(0x80 | ((value >> shift) & 0x7F)))) return false;
    return hFile->PutC(BYTE(value & 0x7F));
}
