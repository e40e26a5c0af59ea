// Start-up of the desktop program: the toolkit's application object, the
// program's entry point and the run of the main dialog.
#pragma once

#include <wx/app.h>

#include "platform/win32/wintypes.h"

class CVantrelApp : public wxApp {
public:
    // The program takes no command-line arguments.
    bool OnInit() override { return true; }
    // Frees the windows destroyed since the last idle time.
    void FreeClosedWindows() { DeletePendingObjects(); }
};

int WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
int Run(LPSTR lpCmdLine, int nCmdShow);

// Brings the toolkit up over argc/argv and runs WinMain; reports in one
// line when there is no display to open a window on.
int VantrelMain(int argc, char** argv);
