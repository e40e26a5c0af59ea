// The Windows folder. Here it is a per-user folder of this program, never a
// system folder: $VANTREL_WINDOWS_DIR when set, else
// $XDG_DATA_HOME/vantrel/windows, else ~/.local/share/vantrel/windows. Its
// "fonts" folder is the program's own fonts folder.
#pragma once

#include "platform/win32/wintypes.h"

// The folder's path without a trailing "/". Returns the length written, or
// the size needed (terminator included) when the buffer is too small; 0
// when no home folder is known.
UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize);
