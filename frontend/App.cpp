#include "frontend/App.h"

#include <cstdio>
#include <cstdlib>

#include "frontend/MainDialog.h"
#include "frontend/MessageLoop.h"
#include "frontend/MessagePump.h"
#include "platform/win32/Mutex.h"

int WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
    // The engine initialises COM on the thread that calls it, and the
    // toolkit brings its own controls; what is left of start-up is the
    // mutex, created and never tested.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "NORVIK_MINTDECK");
    int code = Run(lpCmdLine, nCmdShow);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return code;
}

int Run(LPSTR, int nCmdShow) {
    MessageLoop loop;
    AddMessageLoop(&loop);
    WxMessagePump pump(loop);
    auto* dialog = new CMainDialog;
    if (!dialog->Create()) {
        dialog->Destroy();
        RemoveMessageLoop();
        return 0;
    }
    dialog->Show(nCmdShow != 0);
    int code = pump.Run();
    RemoveMessageLoop();
    // The dialog went with CloseDialog; the toolkit frees it now, and the
    // settings with it.
    if (auto* app = dynamic_cast<CVantrelApp*>(wxTheApp))
        app->FreeClosedWindows();
    return code;
}

int VantrelMain(int argc, char** argv) {
    wxApp::SetInstance(new CVantrelApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "vantrel: cannot open a window: no display (run it as: xvfb-run -a %s)\n", argv[0]);
        return 1;
    }
    int code = 1;
    if (wxTheApp->CallOnInit()) {
        // The window's close box ends the loop, not the last window going.
        wxTheApp->SetExitOnFrameDelete(false);
        code = WinMain(nullptr, nullptr, nullptr, 1);
        wxTheApp->OnExit();
    }
    wxEntryCleanup();
    return code;
}
