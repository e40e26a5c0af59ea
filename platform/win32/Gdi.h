// Device-independent bitmaps, fonts and memory device contexts: the GDI calls
// the image library makes. A bitmap is our own object holding its rows in DIB
// layout (bottom-up, rows padded to 4 bytes) and its colour table; text is
// drawn with an installed face that fontconfig matches and FreeType
// rasterises. Screen contexts come from GetDC (FontFamilies.h).
#pragma once

#include "platform/win32/wintypes.h"

struct GdiObject;
typedef GdiObject* HGDIOBJ;
typedef GdiObject* HBITMAP;
typedef GdiObject* HFONT;
typedef GdiObject* HPALETTE;
typedef DWORD COLORREF;

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))

#define DIB_RGB_COLORS 0
#define TRANSPARENT 1
#define OPAQUE 2
#define DEFAULT_GUI_FONT 17
#define GDI_ERROR 0xFFFFFFFFu

#define FW_NORMAL 400
#define FW_BOLD 700

#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_SINGLELINE 0x00000020
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400

// Bitmaps. A DIB section is a bitmap of 1, 4, 8, 16, 24 or 32 bits per pixel
// (16 bits as 5-5-5) whose colour table (up to 8 bits) comes from the
// BITMAPINFO; a negative biHeight makes its rows top-down. *ppvBits gets the
// first byte of its rows, zeroed.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection,
                         DWORD offset);
// Fills a BITMAP record (cbBuffer >= sizeof(BITMAP)) or a LOGFONTA record.
int GetObjectA(HGDIOBJ h, int cbBuffer, LPVOID lpvObject);
// Copies lines of the bitmap, bottom row first, into lpvBits in the depth
// the header asks for (1, 4, 8, 24 or 32 bits) and fills the colour table of
// lpbmi. With null lpvBits only the header and colour table are filled.
// Returns the lines copied, 0 on failure.
int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, BITMAPINFO* lpbmi, UINT usage);
BOOL DeleteObject(HGDIOBJ ho);

// Palettes.
HPALETTE CreatePalette(const PALETTEENTRY* entries, UINT count);
HPALETTE SelectPalette(HDC hdc, HPALETTE hPal, BOOL bForceBkgd);
UINT RealizePalette(HDC hdc);

// Memory contexts and what is selected into them.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
HGDIOBJ GetStockObject(int i);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF SetBkColor(HDC hdc, COLORREF color);
int SetBkMode(HDC hdc, int mode);

// Fonts and text. lfHeight < 0 asks for a character height (em) of
// -lfHeight pixels, lfHeight > 0 for a cell (ascent + descent) of lfHeight
// pixels, 0 for the default size. DrawTextA breaks lines at "\n" unless
// DT_SINGLELINE; with DT_CALCRECT it only sets the rectangle's right and
// bottom. Returns the height of the text, 0 on failure.
HFONT CreateFontIndirectA(const LOGFONTA* lplf);
int DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, RECT* lprc, UINT format);
