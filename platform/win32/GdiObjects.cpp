// Bitmaps, palettes and memory contexts of the GDI stand-in.
#include "platform/win32/GdiObjects.h"

#include <cstring>
#include <mutex>
#include <set>

#include "platform/win32/FontFamilies.h"

namespace {

// Largest pixel block a bitmap may hold.
constexpr unsigned long long kMaxBitmapBytes = 1ull << 30;

std::mutex& RegistryLock()
{
    static std::mutex lock;
    return lock;
}

std::set<const GdiObject*>& Registry()
{
    static std::set<const GdiObject*> objects;
    return objects;
}

// The 1 x 1 monochrome bitmap a fresh memory context holds.
GdiBitmap* StockBitmap()
{
    static GdiBitmap* bitmap = [] {
        auto* b = new GdiBitmap;
        b->stock = true;
        b->width = b->height = 1;
        b->bpp = 1;
        b->stride = 4;
        b->colours = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
        b->bits.assign(4, 0);
        GdiRegister(b);
        return b;
    }();
    return bitmap;
}

bool IsScreen(HDC hdc)
{
    return hdc && hdc == GetDC(nullptr);
}

int ShiftOf(WORD bpp, LONG x)
{
    return bpp == 4 ? ((x & 1) ? 0 : 4) : 7 - static_cast<int>(x % 8);
}

BYTE ReadIndex(const BYTE* row, WORD bpp, LONG x)
{
    if (bpp == 8) return row[x];
    BYTE mask = bpp == 4 ? 0x0F : 0x01;
    return static_cast<BYTE>((row[(size_t)x * bpp / 8] >> ShiftOf(bpp, x)) & mask);
}

void WriteIndex(BYTE* row, WORD bpp, LONG x, BYTE index)
{
    if (bpp == 8) {
        row[x] = index;
        return;
    }
    BYTE mask = bpp == 4 ? 0x0F : 0x01;
    BYTE& byte = row[(size_t)x * bpp / 8];
    int shift = ShiftOf(bpp, x);
    byte = static_cast<BYTE>((byte & ~(mask << shift)) | ((index & mask) << shift));
}

DWORD Stride(LONG width, WORD bpp)
{
    return static_cast<DWORD>(((unsigned long long)width * bpp + 31) / 32 * 4);
}

// The colour table GetDIBits hands out for a depth of at most 8 bits: the
// bitmap's own when it has one of that depth, else the realized palette of
// the context, else a grey ramp.
std::vector<RGBQUAD> TableFor(GdiBitmap* bitmap, GdiDc* dc, WORD bpp)
{
    size_t n = size_t(1) << bpp;
    std::vector<RGBQUAD> table;
    if (bitmap->bpp == bpp && !bitmap->colours.empty()) {
        table = bitmap->colours;
    } else if (dc && dc->palette && dc->realized) {
        for (const PALETTEENTRY& e : dc->palette->entries)
            table.push_back(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
    } else {
        for (size_t i = 0; i < n; i++) {
            BYTE level = static_cast<BYTE>(255 * i / (n - 1));
            table.push_back(RGBQUAD{level, level, level, 0});
        }
    }
    table.resize(n, RGBQUAD{0, 0, 0, 0});
    return table;
}

}  // namespace

void GdiRegister(GdiObject* object)
{
    std::lock_guard<std::mutex> hold(RegistryLock());
    Registry().insert(object);
}

void GdiUnregister(GdiObject* object)
{
    std::lock_guard<std::mutex> hold(RegistryLock());
    Registry().erase(object);
}

GdiObject* GdiLookup(const void* handle, GdiObject::Kind kind)
{
    std::lock_guard<std::mutex> hold(RegistryLock());
    auto at = Registry().find(static_cast<const GdiObject*>(handle));
    if (at == Registry().end() || (*at)->kind != kind) return nullptr;
    return const_cast<GdiObject*>(*at);
}

BYTE GdiNearestIndex(const std::vector<RGBQUAD>& table, RGBQUAD c)
{
    BYTE best = 0;
    int distance = 1 << 30;
    for (size_t i = 0; i < table.size() && i < 256; i++) {
        int db = table[i].rgbBlue - c.rgbBlue;
        int dg = table[i].rgbGreen - c.rgbGreen;
        int dr = table[i].rgbRed - c.rgbRed;
        int k = db * db + dg * dg + dr * dr;
        if (k < distance) {
            distance = k;
            best = static_cast<BYTE>(i);
        }
    }
    return best;
}

RGBQUAD GdiBitmap::Colour(LONG x, LONG y)
{
    const BYTE* row = Row(y);
    switch (bpp) {
    case 1:
    case 4:
    case 8: {
        BYTE index = ReadIndex(row, bpp, x);
        return index < colours.size() ? colours[index] : RGBQUAD{0, 0, 0, 0};
    }
    case 16: {
        WORD v = static_cast<WORD>(row[2 * x] | (row[2 * x + 1] << 8));
        auto level = [](int five) { return static_cast<BYTE>((five << 3) | (five >> 2)); };
        return RGBQUAD{level(v & 31), level((v >> 5) & 31), level((v >> 10) & 31), 0};
    }
    case 24: return RGBQUAD{row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
    default: return RGBQUAD{row[4 * x], row[4 * x + 1], row[4 * x + 2], 0};
    }
}

void GdiBitmap::Put(LONG x, LONG y, RGBQUAD c)
{
    BYTE* row = Row(y);
    switch (bpp) {
    case 1:
    case 4:
    case 8: WriteIndex(row, bpp, x, GdiNearestIndex(colours, c)); break;
    case 16: {
        WORD v = static_cast<WORD>((c.rgbBlue >> 3) | ((c.rgbGreen >> 3) << 5) | ((c.rgbRed >> 3) << 10));
        row[2 * x] = static_cast<BYTE>(v);
        row[2 * x + 1] = static_cast<BYTE>(v >> 8);
        break;
    }
    default: {
        BYTE* p = row + (size_t)x * (bpp / 8);
        p[0] = c.rgbBlue;
        p[1] = c.rgbGreen;
        p[2] = c.rgbRed;
    }
    }
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE, DWORD)
{
    if (ppvBits) *ppvBits = nullptr;
    if (!pbmi || usage != DIB_RGB_COLORS) return nullptr;
    const BITMAPINFOHEADER& h = pbmi->bmiHeader;
    WORD bpp = h.biBitCount;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == LONG(0x80000000) || h.biCompression != BI_RGB)
        return nullptr;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return nullptr;
    LONG height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    unsigned long long bytes = (unsigned long long)Stride(h.biWidth, bpp) * height;
    if (bytes > kMaxBitmapBytes) return nullptr;

    auto* bitmap = new GdiBitmap;
    bitmap->width = h.biWidth;
    bitmap->height = height;
    bitmap->bpp = bpp;
    bitmap->stride = Stride(h.biWidth, bpp);
    bitmap->topDown = h.biHeight < 0;
    if (bpp <= 8) {
        size_t n = size_t(1) << bpp;
        size_t given = h.biClrUsed && h.biClrUsed < n ? h.biClrUsed : n;
        bitmap->colours.assign(pbmi->bmiColors, pbmi->bmiColors + given);
        bitmap->colours.resize(n, RGBQUAD{0, 0, 0, 0});
    }
    bitmap->bits.assign(bytes, 0);
    GdiRegister(bitmap);
    if (ppvBits) *ppvBits = bitmap->bits.data();
    return bitmap;
}

int GetObjectA(HGDIOBJ h, int cbBuffer, LPVOID lpvObject)
{
    if (GdiBitmap* bitmap = GdiAs<GdiBitmap>(h, GdiObject::Bitmap)) {
        if (!lpvObject) return sizeof(BITMAP);
        if (cbBuffer < int(sizeof(BITMAP))) return 0;
        BITMAP record{0, bitmap->width, bitmap->height, LONG(bitmap->stride), 1, bitmap->bpp,
                      bitmap->bits.data()};
        memcpy(lpvObject, &record, sizeof(record));
        return sizeof(BITMAP);
    }
    if (GdiFont* font = GdiAs<GdiFont>(h, GdiObject::Font)) {
        if (!lpvObject) return sizeof(LOGFONTA);
        if (cbBuffer < int(sizeof(LOGFONTA))) return 0;
        memcpy(lpvObject, &font->log, sizeof(LOGFONTA));
        return sizeof(LOGFONTA);
    }
    return 0;
}

int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, BITMAPINFO* lpbmi, UINT usage)
{
    GdiBitmap* bitmap = GdiAs<GdiBitmap>(hbm, GdiObject::Bitmap);
    GdiDc* dc = GdiAs<GdiDc>(hdc, GdiObject::Dc);
    if (!bitmap || !lpbmi || usage != DIB_RGB_COLORS || (!dc && !IsScreen(hdc))) return 0;
    BITMAPINFOHEADER& h = lpbmi->bmiHeader;
    WORD bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return 0;
    if (h.biCompression != BI_RGB) return 0;

    std::vector<RGBQUAD> table;
    if (bpp <= 8) {
        table = TableFor(bitmap, dc, bpp);
        size_t n = h.biClrUsed && h.biClrUsed < table.size() ? h.biClrUsed : table.size();
        memcpy(lpbmi->bmiColors, table.data(), n * sizeof(RGBQUAD));
    }
    if (!lpvBits) return bitmap->height;
    if (start >= UINT(bitmap->height)) return 0;
    UINT lines = cLines < UINT(bitmap->height) - start ? cLines : UINT(bitmap->height) - start;

    // Line i of the copy is bitmap row start + i counted from the bottom.
    LONG width = h.biWidth < bitmap->width ? h.biWidth : bitmap->width;
    DWORD stride = Stride(h.biWidth, bpp);
    bool sameLayout = bpp == bitmap->bpp && bpp <= 8;
    for (UINT i = 0; i < lines; i++) {
        LONG y = bitmap->height - 1 - LONG(start + i);  // from the top
        UINT line = h.biHeight < 0 ? lines - 1 - i : i;
        BYTE* out = static_cast<BYTE*>(lpvBits) + (size_t)line * stride;
        memset(out, 0, stride);
        for (LONG x = 0; x < width; x++) {
            if (sameLayout) {
                WriteIndex(out, bpp, x, ReadIndex(bitmap->Row(y), bpp, x));
                continue;
            }
            RGBQUAD c = bitmap->Colour(x, y);
            if (bpp <= 8) {
                WriteIndex(out, bpp, x, GdiNearestIndex(table, c));
            } else {
                BYTE* p = out + (size_t)x * (bpp / 8);
                p[0] = c.rgbBlue;
                p[1] = c.rgbGreen;
                p[2] = c.rgbRed;
            }
        }
    }
    return int(lines);
}

BOOL DeleteObject(HGDIOBJ ho)
{
    GdiObject* object = nullptr;
    for (GdiObject::Kind kind : {GdiObject::Bitmap, GdiObject::Font, GdiObject::Palette}) {
        if (!object) object = GdiLookup(ho, kind);
    }
    if (!object) return FALSE;
    if (object->stock) return TRUE;
    if (object->selections > 0) return FALSE;
    GdiUnregister(object);
    delete object;
    return TRUE;
}

HPALETTE CreatePalette(const PALETTEENTRY* entries, UINT count)
{
    if (!entries || count == 0 || count > 256) return nullptr;
    auto* palette = new GdiPalette;
    palette->entries.assign(entries, entries + count);
    GdiRegister(palette);
    return palette;
}

HPALETTE SelectPalette(HDC hdc, HPALETTE hPal, BOOL)
{
    GdiDc* dc = GdiAs<GdiDc>(hdc, GdiObject::Dc);
    GdiPalette* palette = GdiAs<GdiPalette>(hPal, GdiObject::Palette);
    if (IsScreen(hdc) && palette) return palette;  // the screen keeps no selection here
    if (!dc || !palette) return nullptr;
    GdiPalette* old = dc->palette;
    if (old) old->selections--;
    palette->selections++;
    dc->palette = palette;
    dc->realized = false;
    return old;
}

UINT RealizePalette(HDC hdc)
{
    GdiDc* dc = GdiAs<GdiDc>(hdc, GdiObject::Dc);
    if (!dc) return IsScreen(hdc) ? 0 : GDI_ERROR;
    if (!dc->palette) return 0;
    dc->realized = true;
    return UINT(dc->palette->entries.size());
}

HDC CreateCompatibleDC(HDC hdc)
{
    if (hdc && !IsScreen(hdc) && !GdiAs<GdiDc>(hdc, GdiObject::Dc)) return nullptr;
    auto* dc = new GdiDc;
    dc->bitmap = StockBitmap();
    dc->font = GdiStockFont();
    GdiRegister(dc);
    return dc;
}

BOOL DeleteDC(HDC hdc)
{
    GdiDc* dc = GdiAs<GdiDc>(hdc, GdiObject::Dc);
    if (!dc) return FALSE;
    if (dc->bitmap) dc->bitmap->selections--;
    if (dc->font) dc->font->selections--;
    if (dc->palette) dc->palette->selections--;
    GdiUnregister(dc);
    delete dc;
    return TRUE;
}

// Selecting a bitmap or font returns the one it replaces; a palette goes
// through SelectPalette.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h)
{
    GdiDc* dc = GdiAs<GdiDc>(hdc, GdiObject::Dc);
    if (!dc) return nullptr;
    if (GdiBitmap* bitmap = GdiAs<GdiBitmap>(h, GdiObject::Bitmap)) {
        // A bitmap lives in one context at a time.
        if (bitmap->selections > 0 && !bitmap->stock && dc->bitmap != bitmap) return nullptr;
        GdiBitmap* old = dc->bitmap;
        old->selections--;
        bitmap->selections++;
        dc->bitmap = bitmap;
        return old;
    }
    if (GdiFont* font = GdiAs<GdiFont>(h, GdiObject::Font)) {
        GdiFont* old = dc->font;
        old->selections--;
        font->selections++;
        dc->font = font;
        return old;
    }
    return nullptr;
}

HGDIOBJ GetStockObject(int i)
{
    return i == DEFAULT_GUI_FONT ? GdiStockFont() : nullptr;
}

namespace {

// Replaces one of the context's colours; the old one, or CLR_INVALID.
COLORREF SwapColour(HDC hdc, COLORREF GdiDc::*field, COLORREF color)
{
    GdiDc* dc = GdiAs<GdiDc>(hdc, GdiObject::Dc);
    if (!dc) return 0xFFFFFFFF;
    COLORREF old = dc->*field;
    dc->*field = color & 0xFFFFFF;
    return old;
}

}  // namespace

COLORREF SetTextColor(HDC hdc, COLORREF color)
{
    return SwapColour(hdc, &GdiDc::text, color);
}

COLORREF SetBkColor(HDC hdc, COLORREF color)
{
    return SwapColour(hdc, &GdiDc::background, color);
}

int SetBkMode(HDC hdc, int mode)
{
    GdiDc* dc = GdiAs<GdiDc>(hdc, GdiObject::Dc);
    if (!dc || (mode != OPAQUE && mode != TRANSPARENT)) return 0;
    int old = dc->bkMode;
    dc->bkMode = mode;
    return old;
}
