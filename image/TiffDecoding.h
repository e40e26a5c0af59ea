// What the two files of the TIFF decoder share: the page description the
// band loop works from, and working buffers that are zeroed, freed on every
// path and refused past the image library's size cap.
#pragma once

#include <tiffio.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "image/CxImageTIF.h"

struct TiffBufferFree {
    void operator()(void* p) const { free(p); }
};
typedef std::unique_ptr<BYTE, TiffBufferFree> TiffBuffer;

inline TiffBuffer AllocateTiffBuffer(unsigned long long bytes)
{
    if (bytes == 0 || bytes > CxImage::CXIMAGE_MAX_MEMORY) return nullptr;
    return TiffBuffer(static_cast<BYTE*>(calloc(size_t(bytes), 1)));
}

// What the band loop needs to know about the page.
struct CxImageTIF::Reader {
    DWORD width = 0, height = 0;
    WORD samples = 1, bits = 1, photometric = 0;
    DWORD rowsPerStrip = 0;
    bool tiled = false;
    DWORD tileWidth = 0, tileLength = 0;
    std::vector<RGBQUAD> widePalette;    // palette of 9 to 24-bit indices
    std::vector<BYTE> rowZ;              // leading zero bits per image row (16-bit strips)
    bool recreated = false;              // 3+ samples: rebuilt at 24 bits

    bool Sixteen() const { return bits == 16 && photometric != PHOTOMETRIC_PALETTE; }
    bool WideIndex() const { return photometric == PHOTOMETRIC_PALETTE && bits > 8; }
};
