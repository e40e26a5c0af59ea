#include "frontend/SettingsSheet.h"

#include <wx/notebook.h>
#include <wx/sizer.h>

#include "frontend/AppSettings.h"
#include "frontend/DesktopShell.h"

wxDEFINE_EVENT(EVT_RESTORE_DEFAULTS, wxCommandEvent);

void TellRefusedSave(wxWindow* owner) {
    std::string message;
    if (CAppSettings::Instance()->RefusalToTell(message))
        Shell().MessageBox(owner, message, "Settings Not Saved", MB_ICONEXCLAMATION);
}

CSettingsSheet::CSettingsSheet(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Settings", wxDefaultPosition, wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    m_pBook = new wxNotebook(this, wxID_ANY);
    m_pPageRange = new CPageRangePage(m_pBook);
    m_pOcr = new COcrSettingsPage(m_pBook);
    m_pOther = new COtherSettingsPage(m_pBook);
    m_pBook->AddPage(m_pPageRange, "Page Range and Password", true);
    m_pBook->AddPage(m_pOcr, "OCR Settings");
    m_pBook->AddPage(m_pOther, "Other Settings");

    auto* layout = new wxBoxSizer(wxVERTICAL);
    layout->Add(m_pBook, 1, wxEXPAND | wxALL, FromDIP(7));
    layout->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(7));
    SetSizerAndFit(layout);

    Bind(wxEVT_BUTTON, &CSettingsSheet::OnOK, this, wxID_OK);
    Bind(EVT_RESTORE_DEFAULTS, &CSettingsSheet::OnRestoreDefaults, this);
    m_pBook->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &CSettingsSheet::OnPageChanged, this);
}

int CSettingsSheet::DoModal() {
    m_pPageRange->EnsureWindow();
    CentreOnParent();
    return ShowModal();
}

void CSettingsSheet::OnPageChanged(wxBookCtrlEvent& event) {
    if (auto* page = dynamic_cast<CSettingsPage*>(m_pBook->GetPage(size_t(event.GetSelection()))))
        page->EnsureWindow();
    event.Skip();
}

// OK reads only the pages that were shown; SaveSheetSettings writes all
// nine keys, the others with the values the object already holds.
void CSettingsSheet::OnOK(wxCommandEvent&) {
    for (CSettingsPage* page : Pages()) {
        if (page->HasWindow())
            page->Save();
    }
    if (!CAppSettings::Instance()->SaveSheetSettings())
        TellRefusedSave(this);
    EndModal(wxID_OK);
}

void CSettingsSheet::OnRestoreDefaults(wxCommandEvent&) {
    if (!CAppSettings::Instance()->RestoreDefaults())
        TellRefusedSave(this);
    CentreOnParent();
    for (CSettingsPage* page : Pages()) {
        if (page->HasWindow())
            page->OnInitDialog();
    }
}
