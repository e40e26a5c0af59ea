// The information record every image carries: geometry helpers, format id,
// resolution, transparency, codec options and the last error text.
#pragma once

#include "image/ImageFormats.h"
#include "platform/win32/wintypes.h"

class CxImage;

struct CXIMAGEINFO {
    DWORD dwEffWidth;        // bytes per pixel row, padded to 4
    BYTE* pImage;            // first byte of row 0 inside the pixel block
    CxImage* pGhost;         // image whose data this one borrows, or null
    CxImage* pParent;        // owner of a layer image
    DWORD dwType;            // format id
    char szLastError[256];   // text of the last failure
    LONG nProgress;          // percent of a long operation
    LONG nEscape;            // non-zero asks a long loop to stop
    LONG nBkgndIndex;        // transparent palette index, -1 = none
    RGBQUAD nBkgndColor;     // transparent colour
    float fQuality;          // quality of the lossy encoders
    BYTE nJpegScale;
    LONG nFrame;             // frame (page) to read or write
    LONG nNumFrames;         // length of ppFrames
    DWORD dwFrameDelay;      // delay of an animation frame
    LONG xDPI;
    LONG yDPI;
    RECT rSelectionBox;      // bounding box of the selection
    BYTE nAlphaMax;          // global alpha maximum
    bool bAlphaPaletteEnabled;  // the fourth palette byte is alpha
    bool bEnabled;
    LONG xOffset;            // position of a frame on a larger canvas
    LONG yOffset;
    DWORD dwCodecOpt[CMAX_IMAGE_FORMATS];  // one option word per format slot
    RGBQUAD last_c;          // colour of the last nearest-index search
    BYTE last_c_index;       // its result
    bool last_c_isvalid;
    LONG nNumLayers;         // length of ppLayers
    DWORD dwFlags;
    BYTE dispmeth;           // disposal method of an animation frame
    bool bGetAllFrames;
    bool bLittleEndianHost;  // byte-order helpers change nothing
};
