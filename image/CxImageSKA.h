// The SKA format object: writes an image of 8 bits or less it ghosts as an
// SKA file (8-bit indices with a 256-entry palette).
#pragma once

#include "image/CxImage.h"

class EncodeSink;

class CXIMAGE_API CxImageSKA : public CxImage {
public:
    CxImageSKA() : CxImage(CXIMAGE_FORMAT_SKA) {}

    bool Encode(CxFile* hFile);

private:
    void WriteSka(EncodeSink& sink);
};
