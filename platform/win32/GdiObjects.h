// The objects behind GDI handles, shared by the bitmap and the text files of
// the stand-in. Every live object is registered, so a stale or foreign handle
// is refused instead of followed.
#pragma once

#include <vector>

#include "platform/win32/Gdi.h"

struct GdiObject {
    enum Kind { Bitmap, Font, Palette, Dc };
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    Kind kind;
    bool stock = false;   // never deleted
    int selections = 0;   // contexts it is selected into
};

struct GdiBitmap : GdiObject {
    GdiBitmap() : GdiObject(Bitmap) {}
    LONG width = 0;
    LONG height = 0;
    WORD bpp = 0;
    DWORD stride = 0;      // bytes per row, padded to 4
    bool topDown = false;  // first stored row is the top row
    std::vector<RGBQUAD> colours;
    std::vector<BYTE> bits;

    // Row y counted from the top of the picture.
    BYTE* Row(LONG y) { return bits.data() + (size_t)(topDown ? y : height - 1 - y) * stride; }
    RGBQUAD Colour(LONG x, LONG y);
    void Put(LONG x, LONG y, RGBQUAD c);
};

struct GdiFont : GdiObject {
    GdiFont() : GdiObject(Font) {}
    LOGFONTA log{};
};

struct GdiPalette : GdiObject {
    GdiPalette() : GdiObject(Palette) {}
    std::vector<PALETTEENTRY> entries;
};

struct GdiDc : GdiObject {
    GdiDc() : GdiObject(Dc) {}
    GdiBitmap* bitmap = nullptr;
    GdiFont* font = nullptr;
    GdiPalette* palette = nullptr;
    bool realized = false;
    COLORREF text = 0;
    COLORREF background = 0xFFFFFF;
    int bkMode = OPAQUE;
};

// The live object behind a handle when it has that kind, else null.
GdiObject* GdiLookup(const void* handle, GdiObject::Kind kind);
template <class T>
T* GdiAs(const void* handle, GdiObject::Kind kind)
{
    return static_cast<T*>(GdiLookup(handle, kind));
}
void GdiRegister(GdiObject* object);
void GdiUnregister(GdiObject* object);

GdiFont* GdiStockFont();
// Index of the entry nearest to the colour by squared distance.
BYTE GdiNearestIndex(const std::vector<RGBQUAD>& table, RGBQUAD c);
