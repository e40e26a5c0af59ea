#include "image/EncodeSink.h"

#include <cstring>

#include "image/CxImage.h"

void WriteBgraRows(const CxImage& image, EncodeSink& sink, const char* noMemory)
{
    size_t rowBytes = (size_t)image.GetWidth() * 4;
    EncodeBuffer row(rowBytes, noMemory);
    for (LONG y = 0; y < LONG(image.GetHeight()); y++) {
        BYTE* out = row.Get();
        for (LONG x = 0; x < LONG(image.GetWidth()); x++, out += 4) {
            memcpy(out, image.GetPixelPointerUnchecked(x, y), 3);
            out[3] = image.AlphaGetUnchecked(x, y);
        }
        sink.Write(row.Get(), rowBytes);
    }
}
