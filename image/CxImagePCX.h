// The PCX format object: writes the image it ghosts as a run-length coded
// PCX file (version 5): 24-bit images as 3 byte planes (4 with an alpha
// plane), 8-bit images as one byte plane and a trailing palette, 4-bit and
// 1-bit images as 4 or 1 bit planes.
#pragma once

#include "image/CxImage.h"

class EncodeSink;
struct PcxHeader;

class CXIMAGE_API CxImagePCX : public CxImage {
public:
    CxImagePCX() : CxImage(CXIMAGE_FORMAT_PCX) {}

    bool Encode(CxFile* hFile);

protected:
    // Codes one value of a byte-plane line; -1 ends the line, -2 ends it
    // and adds the 0 pad byte of an odd width.
    void PackPixel(int value, int& last, int& count, EncodeSink& out);
    // Packs bit `plane` of every index into the line buffer, first pixel in
    // the most significant bit.
    void PackPlane(const BYTE* indices, DWORD width, BYTE* buffer, int plane);
    // Run-codes a packed bit-plane line.
    void PackRow(const BYTE* buffer, DWORD length, EncodeSink& out);

private:
    unsigned long long BytesPerLine() const;
    void BuildHeader(PcxHeader& header) const;
    void CodeByteLines(EncodeSink& out, int planes);
    void CodeBitLines(EncodeSink& out, DWORD bytesPerLine, int planes);
    void SwapHeader(PcxHeader& header) const;
};
