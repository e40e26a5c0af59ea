// The installed font families: the process-wide list that every conversion
// fills from the system's font enumeration, and the test the text boxes'
// font-name mapping asks.
#pragma once

#include "platform/win32/wintypes.h"

#include <string>
#include <vector>

class GlobalParams;

// Face names of every non-raster family enumerated so far; only grows.
extern std::vector<std::string> installedFontFamilies;

// 1 when the name is non-empty and equals, ignoring ASCII case, an entry of
// installedFontFamilies; else 0.
int IsFontFamilyInstalled(const char* name);

// The font enumeration's callback; lParam is the conversion's GlobalParams.
int EnumFontFamilyProc(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD fontType, LPARAM lParam);

// Registers the face's file from the installed-font list as a named display
// font, unless a font of that name is registered already. The list's file is
// taken in the Windows fonts folder, or as is when it is a full path.
// Returns 0 for a null argument or when memory runs out, else 1.
int AddInstalledFont(const char* face, GlobalParams* params);

// Makes the installed fonts known to the conversion: splits the fonts
// folder's collections, lists and registers the installed families, then
// the lines of "fontfile.map". 0 for a null object, else 1.
int RegisterWindowsFonts(GlobalParams* params);
