// The BMP format object: writes the image it ghosts as a Windows bitmap file.
#pragma once

#include "image/CxImage.h"

class EncodeSink;

class CXIMAGE_API CxImageBMP : public CxImage {
public:
    CxImageBMP() : CxImage(CXIMAGE_FORMAT_BMP) {}

    bool Encode(CxFile* hFile);

private:
    void WriteAlphaForm(EncodeSink& sink);
    void WriteStoredForm(EncodeSink& sink);
};
