// Bridges to the GDI layer: an image from a bitmap handle, and text drawn
// into an image with an installed font.
#include <cstring>

#include "image/CxImage.h"
#include "platform/win32/FontFamilies.h"
#include "platform/win32/Gdi.h"

bool CxImage::CreateFromHBITMAP(HBITMAP hbmp, HPALETTE hpal)
{
    if (!Destroy() || !hbmp) return false;
    BITMAP bm;
    if (GetObjectA(hbmp, sizeof(bm), &bm) != sizeof(bm)) return false;
    if (!Create(DWORD(bm.bmWidth), DWORD(bm.bmHeight), bm.bmBitsPixel, 0)) return false;

    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    if (hpal) {
        SelectPalette(screen, hpal, FALSE);
        RealizePalette(screen);
    }
    // The block starts with its BITMAPINFOHEADER and palette, so it serves as
    // the BITMAPINFO that receives the colour table.
    int lines = GetDIBits(screen, hbmp, 0, DWORD(head.biHeight), info.pImage, reinterpret_cast<BITMAPINFO*>(pDib),
                          DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines == 0) {
        SetLastError("GetDIBits failed");
        return false;
    }
    return true;
}

namespace {

// The GDI objects DrawString makes, released on every path.
struct TextContext {
    HDC memory = nullptr;
    HFONT font = nullptr;
    HGDIOBJ oldFont = nullptr;
    HBITMAP section = nullptr;
    HGDIOBJ oldBitmap = nullptr;

    ~TextContext()
    {
        if (oldFont) SelectObject(memory, oldFont);
        if (font) DeleteObject(font);
        if (oldBitmap) SelectObject(memory, oldBitmap);
        if (section) DeleteObject(section);
        if (memory) DeleteDC(memory);
    }
};

}  // namespace

LONG CxImage::DrawString(HDC hdc, LONG x, LONG y, const char* text, RGBQUAD color, const char* font, LONG lSize,
                         LONG lWeight, BYTE bItalic, BYTE bUnderline, bool bSetAlpha)
{
    if (!pDib) return 1;
    if (!text) text = "";

    TextContext tc;
    HDC screen = hdc ? nullptr : GetDC(nullptr);
    if (!hdc && !screen) return 0;
    tc.memory = CreateCompatibleDC(hdc ? hdc : screen);
    if (screen) ReleaseDC(nullptr, screen);
    if (!tc.memory) return 0;

    LOGFONTA log;
    memset(&log, 0, sizeof(log));
    if (font) strncpy(log.lfFaceName, font, LF_FACESIZE - 1);
    log.lfHeight = lSize;
    log.lfWeight = lWeight;
    log.lfItalic = bItalic;
    log.lfUnderline = bUnderline;
    tc.font = CreateFontIndirectA(&log);
    tc.oldFont = SelectObject(tc.memory, tc.font ? tc.font : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(tc.memory, RGB(255, 255, 255));
    SetBkColor(tc.memory, RGB(0, 0, 0));
    SetBkMode(tc.memory, OPAQUE);

    // Measure, and leave room on the right for an italic overhang.
    RECT pos{0, 0, 0, 0};
    DrawTextA(tc.memory, text, -1, &pos, DT_CALCRECT);
    pos.right += pos.bottom;
    LONG width = pos.right;
    LONG height = pos.bottom;
    if (width <= 0 || height <= 0) return 1;

    BITMAPINFO bmi;
    memset(&bmi, 0, sizeof(bmi));
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    tc.section = CreateDIBSection(tc.memory, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!tc.section) return 0;
    tc.oldBitmap = SelectObject(tc.memory, tc.section);
    memset(bits, 0, (size_t)height * (((24 * (size_t)width) + 31) / 32 * 4));
    DrawTextA(tc.memory, text, -1, &pos, 0);

    CxImage mask;
    SelectObject(tc.memory, tc.oldBitmap);  // a bitmap is read while no context holds it
    tc.oldBitmap = nullptr;
    if (!mask.CreateFromHBITMAP(tc.section)) return 1;

    // Text rows count upward from the target row.
    long long baseRow = (long long)head.biHeight - y - 1;
    for (LONG iy = 0; iy < height; iy++) {
        for (LONG ix = 0; ix < width; ix++) {
            long long tx = (long long)x + ix;
            long long ty = baseRow + iy;
            if (tx < 0 || ty < 0 || tx >= head.biWidth || ty >= head.biHeight) continue;
            if (mask.GetPixelColor(ix, iy, true).rgbBlue) SetPixelColor(LONG(tx), LONG(ty), color, bSetAlpha);
        }
    }
    return 1;
}
