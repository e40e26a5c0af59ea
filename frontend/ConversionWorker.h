// The worker thread of a conversion run. It converts every row of the file
// list in order through the engine library, writes each row's status, stops
// between files when asked, and sends the main window WM_CONVERSION_DONE.
//
// The worker talks to the window only through messages: hwndList is a
// list-view control (ListViewControl or a window derived from it) and
// hwndMain any MessageWindow. A window on a toolkit's thread overrides
// MessageWindow::Deliver so that each message runs on that thread while the
// worker waits, as a sent message does.
#pragma once

#include "platform/win32/CString.h"
#include "platform/win32/Window.h"

#include <atomic>

#define WM_CONVERSION_DONE (WM_USER + 1)

// The status of the row being converted, and of a row whose presentation
// was saved.
constexpr char kConvertingStatus[] = "Converting";
constexpr char kCompletedStatus[] = "Completed";

struct ConversionJob {
    HWND hwndMain = nullptr;
    HWND hwndList = nullptr;
    // Set to TRUE by the window to stop after the file in progress.
    std::atomic<BOOL> bStop{FALSE};
};

// The folder of the last run's first source, without a trailing separator,
// and whether every source of that run lay in it. Read by the window once
// WM_CONVERSION_DONE arrives.
extern CString g_strFirstSourceFolder;
extern BOOL g_bSingleSourceFolder;

// The thread procedure; lpParameter is the ConversionJob. Returns 0.
DWORD ConversionWorker(LPVOID lpParameter);
