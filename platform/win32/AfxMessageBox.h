// The framework's message box. Here it shows its text through a hook that
// the desktop program sets; with no hook it writes the text to standard
// error and answers IDOK.
#pragma once

#include "platform/win32/WindowMessages.h"

using AfxMessageBoxHook = int (*)(LPCSTR text, UINT type, UINT helpId);

// Returns the hook it replaces; null restores the default.
AfxMessageBoxHook SetAfxMessageBoxHook(AfxMessageBoxHook hook);

int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);
