// The program's images: the banner across the main dialog and the icon
// group in its seven sizes.
#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

wxBitmap LoadBanner();
wxIconBundle LoadAppIcons();
// The icon of the group closest to `size` pixels square.
wxIcon LoadAppIcon(int size);
