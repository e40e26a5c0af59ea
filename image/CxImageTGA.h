// The TGA format object: writes the image it ghosts as an uncompressed
// Truevision TGA file (colour-mapped at 8 bits, true colour at 24 or 32).
#pragma once

#include "image/CxImage.h"

class EncodeSink;
struct TgaHeader;

class CXIMAGE_API CxImageTGA : public CxImage {
public:
    CxImageTGA() : CxImage(CXIMAGE_FORMAT_TGA) {}

    bool Encode(CxFile* hFile);

private:
    void WriteTga(EncodeSink& sink);
    void WriteColourMap(EncodeSink& sink);
    void SwapHeader(TgaHeader& header) const;
};
