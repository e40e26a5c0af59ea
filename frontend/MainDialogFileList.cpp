// The main dialog's file list commands: the list's rules act on the rows,
// the dialog brings the pickers and the drops.
#include "frontend/DesktopShell.h"
#include "frontend/FileList.h"
#include "frontend/FileNames.h"
#include "frontend/MainDialog.h"

namespace {

std::vector<CString> ToPaths(const std::vector<std::string>& texts) { return {texts.begin(), texts.end()}; }

}  // namespace

void CMainDialog::InitFileList() {
    ::InitFileList(m_wndList->GetHwnd(), m_wndList->GetClientSize().GetWidth());
    m_wndList->ShowColumns();
    m_wndList->SetDropTarget(new CFileDropTarget(this, nullptr));
}

void CMainDialog::OnAddFiles(wxCommandEvent&) {
    std::vector<std::string> picked;
    if (!Shell().PickPdfFiles(this, picked))
        return;
    if (!AddPickedFiles(m_wndList->GetHwnd(), ToPaths(picked)))
        Shell().MessageBox(this, kTooManyFilesText, kTooManyFilesCaption, MB_ICONEXCLAMATION);
}

void CMainDialog::OnAddFolder(wxCommandEvent&) {
    std::string folder;
    if (Shell().PickFolder(this, "Add all PDF files in the folder:", folder) && !folder.empty())
        AddFolderToList(m_wndList->GetHwnd(), folder.c_str());
}

void CMainDialog::OnDropFiles(wxDropFilesEvent& event) {
    std::vector<CString> paths;
    for (int i = 0; i < event.GetNumberOfFiles(); i++)
        paths.push_back(FileSystemName(event.GetFiles()[i]));
    AddDroppedPaths(m_wndList->GetHwnd(), paths, m_bConverting);
}

// Many rows may go: the view is built again once, not for each row.
void CMainDialog::OnRemove(wxCommandEvent&) {
    CFileListCtrl::HeldView held(*m_wndList);
    RemoveSelectedFiles(m_wndList->GetHwnd());
}

void CMainDialog::OnRemoveAll(wxCommandEvent&) { RemoveAllFiles(m_wndList->GetHwnd()); }

void CMainDialog::OnMoveUp(wxCommandEvent&) { MoveSelectedUp(m_wndList->GetHwnd()); }

void CMainDialog::OnMoveDown(wxCommandEvent&) { MoveSelectedDown(m_wndList->GetHwnd()); }
