#include "engine/EngineApp.h"

#include "engine/LoadLeftovers.h"
#include "engine/TempFolder.h"
#include "platform/win32/Folders.h"

// Defined together so that the folder's name is constructed before the
// application object and destroyed after it.
CString g_tempFolder;

CEngineApp::CEngineApp() : CWinApp(nullptr)
{
    g_tempFolder = TempFolder();
    RemoveDeadLoadsLeftovers(TemporaryPath().Text());
}

CEngineApp::~CEngineApp()
{
    UnmarkLoadFolder(g_tempFolder.Text());
    RemoveDirectoryA(g_tempFolder);
}

static CEngineApp theEngineApp;
