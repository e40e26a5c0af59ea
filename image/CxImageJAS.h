// The JPEG 2000 family format object: writes the image it ghosts as JP2 or a
// bare JPEG 2000 codestream (JPC) through OpenJPEG, or as PGX, PNM or Sun
// raster (RAS) in those formats' own layouts. An image without a palette
// gives three components (red, green, blue); an image with the identity grey
// palette gives one grey component. Other palettes are refused.
#pragma once

#include "image/CxImage.h"

class CxFile;

class CxImageJAS : public CxImage {
public:
    CxImageJAS() : CxImage(0) {}

    // imagetype: CXIMAGE_FORMAT_JP2, _JPC, _PGX, _PNM or _RAS.
    bool Encode(CxFile* hFile, DWORD imagetype);

protected:
    int Components() const { return head.biClrUsed ? 1 : 3; }
    // Row `top` counted from the top of the picture: grey levels, or
    // red-green-blue triples (blue-green-red with bgr).
    void TopRowSamples(LONG top, BYTE* out, bool bgr = false) const;

    const char* EncodeJpeg2000(CxFile* hFile, DWORD imagetype, const char* options);
    const char* WritePgx(CxFile* hFile);
    const char* WritePnm(CxFile* hFile);
    const char* WriteRas(CxFile* hFile);
    // Writes every row, each padded with zero bytes to rowBytes.
    const char* WriteRows(CxFile* hFile, size_t rowBytes, bool bgr);
};
