// The WMF format object: metafiles are not written, so encoding always
// refuses.
#pragma once

#include "image/CxImage.h"

class CXIMAGE_API CxImageWMF : public CxImage {
public:
    CxImageWMF() : CxImage(CXIMAGE_FORMAT_WMF) {}

    bool Encode(CxFile* hFile);
};
