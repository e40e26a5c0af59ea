// The RAW format object: camera raw files are read-only here, so encoding
// always refuses.
#pragma once

#include "image/CxImage.h"

class CXIMAGE_API CxImageRAW : public CxImage {
public:
    CxImageRAW() : CxImage(CXIMAGE_FORMAT_RAW) {}

    bool Encode(CxFile* hFile);
};
