// The screen's device context and the enumeration of installed font
// families over fontconfig.
#pragma once

#include "platform/win32/wintypes.h"

typedef int (*FONTENUMPROCA)(const LOGFONTA* lpelf, const TEXTMETRICA* lpntm, DWORD FontType, LPARAM lParam);

// The screen's context for a null window; other windows have none here.
HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hDC);

// With a null family: calls the procedure once per installed family, with
// the family's face name in lfFaceName and its font type (TRUETYPE_FONTTYPE
// for TrueType and OpenType, RASTER_FONTTYPE for bitmap fonts). The families
// are fontconfig's, followed by the common names that fontconfig serves with
// a metric-compatible family (Arial where Liberation Sans is installed).
// With a family name: only that family. Stops when the procedure returns 0;
// returns the procedure's last result, or 1 when it was not called.
int EnumFontFamiliesA(HDC hdc, LPCSTR lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam);
