// The engine library's application object. Its only work is the per-load
// temporary folder: made when the library loads, removed when it unloads.
// A load also removes what loads whose process is gone left behind.
#pragma once

#include "platform/win32/CString.h"
#include "platform/win32/WinApp.h"

// This load's temporary folder, with a trailing "/".
extern CString g_tempFolder;

class CEngineApp : public CWinApp {
public:
    CEngineApp();
    ~CEngineApp() override;
};
