#include "frontend/SettingsSheet.h"

#include <wx/choice.h>
#include <wx/notebook.h>
#include <wx/sizer.h>

#include "frontend/DialogTemplate.h"
#include "frontend/ResourceIds.h"
#include "frontend/AppSettings.h"

wxDEFINE_EVENT(EVT_RESTORE_DEFAULTS, wxCommandEvent);

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
    CAppSettings* settings = CAppSettings::Instance();
    if (m_pPageRange->HasWindow())
        m_pPageRange->Save();
    if (m_pOcr->HasWindow()) {
        m_pOcr->m_bRunOcr = GetCheck(m_pOcr, IDC_RUN_OCR);
        int language = dynamic_cast<wxChoice*>(m_pOcr->FindWindow(IDC_OCR_LANGUAGE))->GetSelection();
        m_pOcr->m_nOcrLanguage = language < 0 ? 0 : language;
        settings->SetRunOCR(m_pOcr->m_bRunOcr);
        settings->SetOCRLan(m_pOcr->m_nOcrLanguage);
    }
    if (m_pOther->HasWindow()) {
        m_pOther->m_bAutoRotate = GetCheck(m_pOther, IDC_AUTO_ROTATE);
        m_pOther->m_bIncSubDir = GetCheck(m_pOther, IDC_INC_SUBDIR);
        m_pOther->m_bOverwrite = GetCheck(m_pOther, IDC_OVERWRITE);
        m_pOther->m_bOpenOutput = GetCheck(m_pOther, IDC_OPEN_OUTPUT);
        settings->SetAutoRotate(m_pOther->m_bAutoRotate);
        settings->SetIncSubDir(m_pOther->m_bIncSubDir);
        settings->SetOverwrite(m_pOther->m_bOverwrite);
        settings->SetOpenOutput(m_pOther->m_bOpenOutput);
    }
    settings->SaveSheetSettings();
    EndModal(wxID_OK);
}

void CSettingsSheet::OnRestoreDefaults(wxCommandEvent&) {
    CAppSettings::Instance()->RestoreDefaults();
    CentreOnParent();
    for (CSettingsPage* page : {static_cast<CSettingsPage*>(m_pPageRange), static_cast<CSettingsPage*>(m_pOcr),
                                static_cast<CSettingsPage*>(m_pOther)}) {
        if (page->HasWindow())
            page->OnInitDialog();
    }
}
