// The WBMP format object: writes a 1-bit image it ghosts as a wireless
// bitmap (type 0).
#pragma once

#include "image/CxImage.h"

class EncodeSink;

class CXIMAGE_API CxImageWBMP : public CxImage {
public:
    CxImageWBMP() : CxImage(CXIMAGE_FORMAT_WBMP) {}

    bool Encode(CxFile* hFile);

protected:
    // Big-endian groups of 7 bits, 0x80 on all but the last byte; returns
    // whether every byte was written.
    bool WriteMultiByteInt(CxFile* hFile, DWORD value);

private:
    void WriteWbmp(EncodeSink& sink);
};
