#include "frontend/MainDialog.h"

#include <wx/display.h>
#include <wx/radiobut.h>
#include <wx/statbmp.h>

#include "frontend/DesktopShell.h"
#include "frontend/DialogTemplate.h"
#include "frontend/FileNames.h"
#include "frontend/ResourceIds.h"
#include "frontend/Resources.h"
#include "frontend/AppSettings.h"
#include "frontend/SettingsSheet.h"

wxDEFINE_EVENT(EVT_CONVERSION_DONE, wxCommandEvent);

namespace {

constexpr int kDialogWidth = 412, kDialogHeight = 307;

// IDD_MAIN: the controls after the banner and the list, in tab order.
const ControlSpec kMainControls[] = {
    {IDC_ADD_FILES, ControlKind::Button, "Add &PDF Files", 332, 54, 73, 14},
    {IDC_ADD_FOLDER, ControlKind::Button, "Add &Folder", 332, 71, 73, 14},
    {IDC_REMOVE, ControlKind::Button, "Rem&ove", 332, 88, 73, 14},
    {IDC_REMOVE_ALL, ControlKind::Button, "Remo&ve All", 332, 105, 73, 14},
    {IDC_MOVE_UP, ControlKind::Button, "Move &Up", 332, 122, 73, 14},
    {IDC_MOVE_DOWN, ControlKind::Button, "Move &Down", 332, 139, 73, 14},
    {IDC_HELP_BUTTON, ControlKind::Button, "&Help", 332, 218, 73, 14},
    {ID_APP_ABOUT, ControlKind::Button, "&About", 332, 235, 73, 14},
    {-1, ControlKind::EtchedLine, nullptr, 7, 256, 398, 1},
    {-1, ControlKind::Static, "Output Location:", 7, 262, 172, 8},
    {IDC_SAME_FOLDER, ControlKind::RadioFirst, "Save in the sa&me folder as the source PDF file", 7, 274, 224, 10},
    {IDC_OTHER_FOLDER, ControlKind::Radio, "Save in a&nother folder:", 7, 287, 99, 10},
    {IDC_OUTPUT_FOLDER, ControlKind::Edit, nullptr, 109, 285, 190, 14},
    {IDC_BROWSE_FOLDER, ControlKind::Button, "...", 305, 285, 17, 14},
    {IDC_SETTINGS, ControlKind::Button, "Se&ttings", 332, 266, 73, 14},
    {IDC_CONVERT, ControlKind::DefaultButton, "&Convert", 332, 285, 73, 14},
};

// The banner keeps its proportions at the height of its control and is
// cut at the dialog's right edge, as a bitmap wider than its dialog is.
wxStaticBitmap* CreateBanner(wxWindow* parent) {
    wxRect r = DialogRect(parent, 0, 0, 567, 51);
    wxImage image = LoadBanner().ConvertToImage();
    int width = image.GetWidth() * r.height / image.GetHeight();
    image.Rescale(width, r.height, wxIMAGE_QUALITY_HIGH);
    return new wxStaticBitmap(parent, wxID_ANY, wxBitmap(image), r.GetPosition(), wxSize(width, r.height));
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CMainDialog, wxDialog)
    EVT_BUTTON(wxID_OK, CMainDialog::OnOK)
    EVT_BUTTON(wxID_CANCEL, CMainDialog::OnCancel)
    EVT_CLOSE(CMainDialog::OnClose)
    EVT_BUTTON(IDC_ADD_FILES, CMainDialog::OnAddFiles)
    EVT_BUTTON(IDC_ADD_FOLDER, CMainDialog::OnAddFolder)
    EVT_BUTTON(IDC_REMOVE, CMainDialog::OnRemove)
    EVT_BUTTON(IDC_REMOVE_ALL, CMainDialog::OnRemoveAll)
    EVT_BUTTON(IDC_MOVE_UP, CMainDialog::OnMoveUp)
    EVT_BUTTON(IDC_MOVE_DOWN, CMainDialog::OnMoveDown)
    EVT_BUTTON(IDC_SETTINGS, CMainDialog::OnSettings)
    EVT_BUTTON(IDC_BROWSE_FOLDER, CMainDialog::OnBrowseOutputFolder)
    EVT_BUTTON(IDC_CONVERT, CMainDialog::OnConvert)
    EVT_BUTTON(IDC_HELP_BUTTON, CMainDialog::OnHelp)
    EVT_BUTTON(ToolkitId(ID_APP_ABOUT), CMainDialog::OnAppAbout)
    EVT_RADIOBUTTON(IDC_SAME_FOLDER, CMainDialog::OnOutputLocation)
    EVT_RADIOBUTTON(IDC_OTHER_FOLDER, CMainDialog::OnOutputLocation)
    EVT_DROP_FILES(CMainDialog::OnDropFiles)
    EVT_COMMAND(wxID_ANY, EVT_CONVERSION_DONE, CMainDialog::OnConversionDone)
wxEND_EVENT_TABLE()
// clang-format on

CMainDialog::CMainDialog() = default;

CMainDialog::~CMainDialog() {
    if (MessageLoop* loop = GetMessageLoop()) {
        loop->RemoveMessageFilter(this);
        loop->RemoveIdleHandler(this);
    }
    CAppSettings::Release();
}

bool CMainDialog::Create() {
    // Caption, system menu and minimise box; no resizing, as the template.
    if (!wxDialog::Create(nullptr, IDD_MAIN, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                          wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX))
        return false;
    SetClientSize(ConvertDialogToPixels(wxSize(kDialogWidth, kDialogHeight)));
    CreateBanner(this);
    m_wndList = new CFileListCtrl(this, IDC_FILE_LIST, DialogRect(this, 7, 54, 315, 195));
    CreateControls(this, kMainControls);
    SetDropTarget(new CFileDropTarget(this, &m_bAcceptFiles));
    return OnInitDialog();
}

BOOL CMainDialog::OnInitDialog() {
    CentreOnScreen();
    SetIcons(LoadAppIcons());
    SetTitle("Norvik Slidemint Converter");
    if (MessageLoop* loop = GetMessageLoop()) {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
    }
    InitFileList();

    CAppSettings* settings = CAppSettings::Instance();
    settings->GetStore()->SetStoreNames("Norvik", "Slidemint");
    settings->LoadSettings();
    settings->GetOutputLocation(m_nOutputLocation);
    if (m_nOutputLocation != 1)
        m_nOutputLocation = 0;
    EnableOutputFolder(m_nOutputLocation == 1);
    settings->GetOutputFolder(m_strOutputFolder);
    DoDataExchange(FALSE);
    return TRUE;
}

BOOL CMainDialog::DoDataExchange(BOOL bSaveAndValidate, int nCtlID) {
    const bool all = nCtlID == -1;
    if (all || nCtlID == IDC_SAME_FOLDER) {
        if (bSaveAndValidate)
            m_nOutputLocation = GetRadioIndex(this, {IDC_SAME_FOLDER, IDC_OTHER_FOLDER});
        else
            SetRadioIndex(this, {IDC_SAME_FOLDER, IDC_OTHER_FOLDER}, m_nOutputLocation);
    }
    if (all || nCtlID == IDC_OUTPUT_FOLDER) {
        if (bSaveAndValidate)
            m_strOutputFolder = FileSystemName(GetItemText(this, IDC_OUTPUT_FOLDER));
        else
            SetItemText(this, IDC_OUTPUT_FOLDER, FileNameAsToolkitText(m_strOutputFolder.Text()));
    }
    return TRUE;
}

void CMainDialog::SaveOutputLocation() {
    DoDataExchange(TRUE);
    CAppSettings* settings = CAppSettings::Instance();
    settings->SetOutputLocation(m_nOutputLocation);
    settings->SetOutputFolder(m_strOutputFolder);
    if (!settings->SaveOutputSettings())
        TellRefusedSave(this);
}

void CMainDialog::CloseDialog(int nVal) {
    Destroy();
    PostQuitMessage(nVal);
}

BOOL CMainDialog::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE)
        return TRUE;
    // The toolkit gives Tab, arrows, mnemonics and Enter their dialog
    // meaning itself; what is left goes to the list, which declines.
    return m_wndList ? m_wndList->PreTranslateMessage(pMsg) : FALSE;
}

void CMainDialog::OnOK(wxCommandEvent&) { CloseDialog(IDOK); }

void CMainDialog::OnCancel(wxCommandEvent&) { DoCancel(IDCANCEL); }

// The close box, the window menu's Close and Alt+F4 arrive as Cancel.
void CMainDialog::OnClose(wxCloseEvent&) { DoCancel(IDCANCEL); }

void CMainDialog::DoCancel(int nId) {
    if (m_bConverting && m_hWorker) {
        DragAcceptFiles(true);
        RequestStop();
        m_bExitAfterStop = true;
        return;
    }
    CloseDialog(nId);
}

void CMainDialog::OnOutputLocation(wxCommandEvent&) {
    DoDataExchange(TRUE, IDC_SAME_FOLDER);
    if (m_nOutputLocation != 1)
        m_nOutputLocation = 0;
    EnableOutputFolder(m_nOutputLocation == 1);
}

void CMainDialog::EnableOutputFolder(bool enable) {
    EnableItem(this, IDC_OUTPUT_FOLDER, enable);
    EnableItem(this, IDC_BROWSE_FOLDER, enable);
}

void CMainDialog::OnBrowseOutputFolder(wxCommandEvent&) {
    std::string path;
    if (!Shell().PickFolder(this, "Select folder:", path) || path.empty())
        return;
    m_strOutputFolder = path;
    DoDataExchange(FALSE);
}
