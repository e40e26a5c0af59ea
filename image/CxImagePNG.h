// The PNG format object: encodes the image it ghosts as one PNG stream.
#pragma once

#include "image/CxImage.h"

struct PngSession;
struct PngLayout;

class CxImagePNG : public CxImage {
public:
    CxImagePNG() : CxImage(CXIMAGE_FORMAT_PNG) {}

    bool Encode(CxFile* hFile);

private:
    const char* WritePng(CxFile* hFile, PngSession& s);
    void WriteStream(CxFile* hFile, PngSession& s);
    PngLayout ChooseLayout() const;
    void SetBackground(PngSession& s);
    void SetTransparency(PngSession& s, const PngLayout& layout);
    void SetPalette(PngSession& s, const PngLayout& layout);
    void MarkTransparentPixels();
    void BuildRow(BYTE* row, LONG y, const PngLayout& layout) const;
    void Release(PngSession& s);
};
