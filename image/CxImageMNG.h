// The MNG format object: writes the 24-bit image it ghosts as a one-frame
// MNG stream through libmng, the pixel data compressed by zlib.
#pragma once

#include "image/CxImage.h"

class CxFile;

// What libmng hands back to the callbacks as its user data.
struct MngStream {
    CxFile* file;
    BYTE* image;   // copy of the pixel rows, owned by the format object
    int width;
    int height;
    int rowBytes;
    WORD bitCount;
};

class CxImageMNG : public CxImage {
public:
    CxImageMNG();
    ~CxImageMNG() override;

    bool Encode(CxFile* hFile);

protected:
    // Puts the frame's DEFI, IHDR, IDAT and IEND; the text of a failure, or
    // null.
    const char* WritePNG(void* handle);

    void* hmng;  // the libmng handle, null until initialised
    MngStream mnginfo;
};
