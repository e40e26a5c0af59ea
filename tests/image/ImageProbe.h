// Test access to the image's fields, which the library keeps protected.
#pragma once

#include "image/CxImage.h"

struct ImageProbe : CxImage {
    using CxImage::CxImage;
    CXIMAGEINFO& Info() { return info; }
    BITMAPINFOHEADER& Head() { return head; }
    BYTE* Dib() const { return pDib; }
    BYTE* Alpha() const { return pAlpha; }
    BYTE* Selection() const { return pSelection; }
    CxImage**& Frames() { return ppFrames; }
    CxImage**& Layers() { return ppLayers; }
};
