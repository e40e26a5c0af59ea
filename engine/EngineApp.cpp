#include "engine/EngineApp.h"

#include "engine/TempFolder.h"
#include "platform/win32/Folders.h"

// Defined together so that the folder's name is constructed before the
// application object and destroyed after it.
CString g_tempFolder;

CEngineApp::CEngineApp() : CWinApp(nullptr)
{
    g_tempFolder = TempFolder();
}

CEngineApp::~CEngineApp()
{
    RemoveDirectoryA(g_tempFolder);
}

static CEngineApp theEngineApp;
