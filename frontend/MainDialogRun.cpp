// The main dialog's run control: Convert and Stop, the end of a run, the
// enable rules, and the buttons that open the other windows.
#include <sys/stat.h>

#include <climits>

#include "frontend/AboutDialog.h"
#include "frontend/DesktopShell.h"
#include "frontend/DialogTemplate.h"
#include "frontend/MainDialog.h"
#include "frontend/FileList.h"
#include "frontend/FileNames.h"
#include "frontend/OutputNaming.h"
#include "frontend/ResourceIds.h"
#include "frontend/AppSettings.h"
#include "frontend/SettingsSheet.h"
#include "platform/win32/ModuleFileName.h"

namespace {

// What a run disables; Convert/Stop, Help and About stay usable.
const int kEditingControls[] = {IDC_ADD_FILES,   IDC_ADD_FOLDER,   IDC_REMOVE,        IDC_REMOVE_ALL,
                                IDC_MOVE_UP,     IDC_MOVE_DOWN,    IDC_SAME_FOLDER,   IDC_OTHER_FOLDER,
                                IDC_OUTPUT_FOLDER, IDC_BROWSE_FOLDER, IDC_SETTINGS};

bool IsExistingFolder(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// What the button and the row in progress read once a stop is asked for:
// the file in progress finishes, and the run ends after it.
const char kStoppingCaption[] = "Stopping...";
const char kFinishingStatus[] = "Finishing";

bool AnyRowCompleted(HWND list) {
    for (int row = 0, count = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); row < count; row++)
        if (GetRowText(list, row, 1).Text() == kCompletedStatus)
            return true;
    return false;
}

// Only a folder is opened: a file typed as the output folder would open in
// its own program.
void OpenFolder(wxWindow* owner, const std::string& path) {
    if (IsExistingFolder(path))
        OpenOrSay(owner, path);
}

}  // namespace

void CMainDialog::OnConvert(wxCommandEvent&) {
    if (m_bConverting) {
        DragAcceptFiles(true);
        RequestStop();
        return;
    }
    DoDataExchange(TRUE);
    if (m_nOutputLocation == 1 && CString(m_strOutputFolder).Trim().IsEmpty()) {
        RefuseOutputFolder("Please set the output folder.");
        return;
    }
    if (m_nOutputLocation == 1 && !IsFullPath(OutputFolderPath(m_strOutputFolder))) {
        RefuseOutputFolder("Please enter the full path of the output folder.");
        return;
    }
    SaveOutputLocation();
    DragAcceptFiles(false);
    ClearStatuses(m_wndList->GetHwnd());
    m_bConverting = true;
    SetItemText(this, IDC_CONVERT, "&Stop");
    if (!StartWorker()) {
        // No worker: nothing will end the run, so end it here.
        FreeRun();
        DragAcceptFiles(true);
        EndRun();
    }
}

void CMainDialog::RefuseOutputFolder(const char* text) {
    Shell().MessageBox(this, text, "Output Location", MB_ICONERROR);
    if (wxWindow* edit = FindWindow(IDC_OUTPUT_FOLDER))
        edit->SetFocus();
}

void CMainDialog::OnConversionDone(wxCommandEvent&) {
    DragAcceptFiles(true);
    FreeRun();
    if (m_bExitAfterStop) {
        m_bConverting = false;
        Close();
        return;
    }
    OpenWhenDone();
    EndRun();
}

// Convert again; the idle pass sets the list's buttons by its rows.
void CMainDialog::EndRun() {
    m_bConverting = false;
    SetItemText(this, IDC_CONVERT, "&Convert");
    for (int id : {IDC_ADD_FILES, IDC_ADD_FOLDER, IDC_SAME_FOLDER, IDC_OTHER_FOLDER, IDC_SETTINGS})
        EnableItem(this, id, true);
    EnableOutputFolder(m_nOutputLocation == 1);
    OnIdle();
}

void CMainDialog::OpenWhenDone() {
    CAppSettings* settings = CAppSettings::Instance();
    int openOutput = 0;
    settings->GetOpenOutput(openOutput);
    // A run that saved nothing has nothing to show.
    if (!openOutput || !AnyRowCompleted(m_wndList->GetHwnd()))
        return;
    if (m_nOutputLocation == 1) {
        // The folder as the worker wrote there.
        CString folder;
        settings->GetOutputFolder(folder);
        OpenFolder(this, OutputFolderPath(folder).Text());
        return;
    }
    if (!g_bSingleSourceFolder)
        Shell().MessageBox(this,
                           "Conversion Completed. The converted file(s) saved in the same folder as the source PDF file.",
                           "Conversion Completed", MB_ICONINFORMATION);
    if (!g_strFirstSourceFolder.IsEmpty())
        OpenFolder(this, g_strFirstSourceFolder.Text());
}

BOOL CMainDialog::OnIdle() {
    if (m_bConverting) {
        for (int id : kEditingControls)
            EnableItem(this, id, false);
        if (IsStopRequested())
            ShowStopping();
        return FALSE;
    }
    const bool hasRows = m_wndList->GetRowCount() > 0;
    EnableItem(this, IDC_REMOVE_ALL, hasRows);
    EnableItem(this, IDC_CONVERT, hasRows);
    EnableItem(this, IDC_REMOVE, m_wndList->GetSelectedCount() > 0);
    UpdateMoveButtons();
    return FALSE;
}

// Stop cannot be asked twice, and the row the worker marks "Converting"
// after the stop reads that it finishes, here or at the next idle pass.
void CMainDialog::ShowStopping() {
    if (GetItemText(this, IDC_CONVERT) != kStoppingCaption)
        SetItemText(this, IDC_CONVERT, kStoppingCaption);
    EnableItem(this, IDC_CONVERT, false);
    HWND list = m_wndList->GetHwnd();
    for (int row = 0, count = m_wndList->GetRowCount(); row < count; row++)
        if (GetRowText(list, row, 1).Text() == kConvertingStatus)
            SetRowStatus(list, row, kFinishingStatus);
}

void CMainDialog::UpdateMoveButtons() {
    const int row = SingleSelectedRow(m_wndList->GetHwnd());
    EnableItem(this, IDC_MOVE_UP, row > 0);
    EnableItem(this, IDC_MOVE_DOWN, row >= 0 && row != m_wndList->GetRowCount() - 1);
}

void CMainDialog::OnSettings(wxCommandEvent&) {
    SaveOutputLocation();
    CSettingsSheet sheet(this);
    sheet.DoModal();
}

// The page beside the program, by the bytes of the program's own path: a
// folder name the toolkit's text cannot hold still leads there.
void CMainDialog::OnHelp(wxCommandEvent&) {
    char program[PATH_MAX];
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    const std::string path(program, length > 0 && length < sizeof program ? length : 0);
    OpenOrSay(this, path.substr(0, path.rfind('/') + 1) + "help/index.html");
}

void CMainDialog::OnAppAbout(wxCommandEvent&) {
    CAboutDialog about(this);
    about.DoModal();
}
