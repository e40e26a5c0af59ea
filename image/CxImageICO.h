// The ICO format object: writes the image it ghosts as a Windows icon. Large
// icons (a side above 255 pixels) hold a PNG stream instead of a bitmap.
//
// Encode(file, false, 0) writes a complete one-image icon. A multi-image icon
// is written by one object over several calls: Encode(file, false, n) writes
// the directory header for n images; then, with bAppend true, each image's
// directory entry is written while nPageCount equals the image's frame count,
// its data while nPageCount is below it. m_dwImageOffset carries the next
// data offset from call to call.
#pragma once

#include "image/CxImage.h"

class EncodeSink;
class CxMemFile;

class CXIMAGE_API CxImageICO : public CxImage {
public:
    CxImageICO() : CxImage(CXIMAGE_FORMAT_ICO), m_dwImageOffset(0) {}

    bool Encode(CxFile* hFile, bool bAppend = false, int nPageCount = 0);

protected:
    DWORD m_dwImageOffset;  // file offset of the next image's data

private:
    struct Layout;
    void WriteIcon(EncodeSink& sink, bool bAppend, int nPageCount, CxMemFile& png);
    void WriteDirectoryHeader(EncodeSink& sink, WORD count);
    void WriteEntry(EncodeSink& sink, const Layout& layout);
    void WriteBitmap(EncodeSink& sink, const Layout& layout);
    void WritePalette(EncodeSink& sink);
    void WriteMask(EncodeSink& sink, const Layout& layout);
    bool IsTransparent(LONG x, LONG y, bool paletteAlpha, RGBQUAD trans) const;
};
