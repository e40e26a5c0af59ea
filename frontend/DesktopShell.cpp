#include "frontend/DesktopShell.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/toplevel.h>

#include "frontend/DefaultOpener.h"
#include "frontend/FileNames.h"

namespace {

DesktopShell g_desktop;
DesktopShell* g_shell = &g_desktop;

long IconStyle(UINT type) {
    switch (type & 0xF0) {
    case MB_ICONERROR:
        return wxICON_ERROR;
    case MB_ICONEXCLAMATION:
        return wxICON_WARNING;
    case MB_ICONINFORMATION:
        return wxICON_INFORMATION;
    }
    return 0;
}

}  // namespace

int DesktopShell::MessageBox(wxWindow* owner, const std::string& text, const std::string& caption, UINT type) {
    wxMessageDialog box(owner, wxString::FromUTF8(text), wxString::FromUTF8(caption), wxOK | IconStyle(type));
    box.ShowModal();
    return IDOK;
}

bool DesktopShell::PickPdfFiles(wxWindow* owner, std::vector<std::string>& paths) {
    wxFileDialog picker(owner, wxFileSelectorPromptStr, wxEmptyString, wxEmptyString, "PDF Files (*.pdf)|*.pdf;*.PDF",
                        wxFD_OPEN | wxFD_MULTIPLE | wxFD_FILE_MUST_EXIST);
    if (picker.ShowModal() != wxID_OK)
        return false;
    wxArrayString chosen;
    picker.GetPaths(chosen);
    for (const wxString& path : chosen)
        paths.push_back(FileSystemName(path));
    return true;
}

bool DesktopShell::PickFolder(wxWindow* owner, const std::string& prompt, std::string& path) {
    wxDirDialog picker(owner, wxString::FromUTF8(prompt), wxEmptyString, wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (picker.ShowModal() != wxID_OK)
        return false;
    path = FileSystemName(picker.GetPath());
    return true;
}

bool DesktopShell::Open(const std::string& target) { return StartOpener(target); }

bool OpenOrSay(wxWindow* window, const std::string& target) {
    if (Shell().Open(target))
        return true;
    auto* owner = window ? dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(window)) : nullptr;
    const std::string caption = owner ? owner->GetTitle().utf8_string() : std::string();
    Shell().MessageBox(owner, "Nothing could open " + FileNameForDisplay(target).utf8_string() + ".", caption,
                       MB_ICONERROR);
    return false;
}

DesktopShell& Shell() { return *g_shell; }

DesktopShell* SetShell(DesktopShell* shell) {
    DesktopShell* old = g_shell;
    g_shell = shell ? shell : &g_desktop;
    return old;
}
