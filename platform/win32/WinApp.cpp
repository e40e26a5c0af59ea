#include "platform/win32/WinApp.h"

static CWinApp* theApp = nullptr;

CWinApp::CWinApp(LPCSTR lpszAppName) : appName_(lpszAppName ? lpszAppName : "")
{
    theApp = this;
}

CWinApp::~CWinApp()
{
    if (theApp == this)
        theApp = nullptr;
}

CWinApp* AfxGetApp()
{
    return theApp;
}
