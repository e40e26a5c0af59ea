// PGX, PNM and Sun raster: headers and uncompressed 8-bit samples, top row
// first, as each format lays them out.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/CxFile.h"
#include "image/CxImageJAS.h"

namespace {

const char* const WRITE_FAILED = "error: cannot encode image";

bool WriteAll(CxFile* file, const void* data, size_t length)
{
    return file->Write(data, 1, length) == length;
}

void PutBe32(BYTE* at, DWORD value)
{
    at[0] = BYTE(value >> 24);
    at[1] = BYTE(value >> 16);
    at[2] = BYTE(value >> 8);
    at[3] = BYTE(value);
}

}  // namespace

// PGX: "PG ML + depth width height", a line feed, then one byte a sample
// (big-endian order, which at 8 bits changes nothing).
const char* CxImageJAS::WritePgx(CxFile* hFile)
{
    char header[64];
    int length = snprintf(header, sizeof(header), "PG ML + 8 %ld %ld\n", long(head.biWidth),
                          long(head.biHeight));
    if (!WriteAll(hFile, header, size_t(length))) return WRITE_FAILED;
    return WriteRows(hFile, size_t(head.biWidth), false);
}

// PNM: binary grey map (P5) or pixel map (P6) with maximum value 255.
const char* CxImageJAS::WritePnm(CxFile* hFile)
{
    char header[64];
    int length = snprintf(header, sizeof(header), "P%c\n%ld %ld\n255\n",
                          Components() == 1 ? '5' : '6', long(head.biWidth), long(head.biHeight));
    if (!WriteAll(hFile, header, size_t(length))) return WRITE_FAILED;
    return WriteRows(hFile, size_t(head.biWidth) * Components(), false);
}

// Sun raster: a 32-byte big-endian header, then rows padded to 16 bits;
// standard 24-bit pixels are stored blue, green, red.
const char* CxImageJAS::WriteRas(CxFile* hFile)
{
    const DWORD depth = Components() == 1 ? 8 : 24;
    const size_t rowBytes = (size_t(head.biWidth) * Components() + 1) & ~size_t(1);
    const unsigned long long dataLength = (unsigned long long)rowBytes * head.biHeight;
    if (dataLength > 0xFFFFFFFFull) return WRITE_FAILED;
    BYTE header[32];
    PutBe32(header + 0, 0x59A66A95);                // magic
    PutBe32(header + 4, DWORD(head.biWidth));       // width
    PutBe32(header + 8, DWORD(head.biHeight));      // height
    PutBe32(header + 12, depth);                    // depth
    PutBe32(header + 16, DWORD(dataLength));        // length of the image data
    PutBe32(header + 20, 1);                        // type: standard
    PutBe32(header + 24, 0);                        // colour map type: none
    PutBe32(header + 28, 0);                        // colour map length
    if (!WriteAll(hFile, header, sizeof(header))) return WRITE_FAILED;
    return WriteRows(hFile, rowBytes, true);
}

const char* CxImageJAS::WriteRows(CxFile* hFile, size_t rowBytes, bool bgr)
{
    BYTE* row = static_cast<BYTE*>(calloc(rowBytes, 1));
    if (!row) return "error : can't allocate memory";
    const char* error = nullptr;
    for (LONG top = 0; top < head.biHeight && !error; top++) {
        TopRowSamples(top, row, bgr);
        if (!WriteAll(hFile, row, rowBytes)) error = WRITE_FAILED;
    }
    free(row);
    if (!error && !hFile->Flush()) error = WRITE_FAILED;
    return error;
}
