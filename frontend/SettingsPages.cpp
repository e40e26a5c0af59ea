// The settings sheet's three pages: their templates, what they show on
// initialisation and how their controls answer clicks.
#include <wx/choice.h>

#include "frontend/DialogTemplate.h"
#include "frontend/ResourceIds.h"
#include "frontend/AppSettings.h"
#include "frontend/SettingsSheet.h"

namespace {

const ControlSpec kPageRangeControls[] = {
    {-1, ControlKind::GroupBox, "Page Range to Be Converted", 6, 6, 296, 60},
    {IDC_ALL_PAGES, ControlKind::RadioFirst, "All pag&es", 12, 18, 55, 10},
    {IDC_CUSTOM_RANGE, ControlKind::Radio, "&Custom range:", 12, 33, 64, 10},
    {IDC_PAGES, ControlKind::Edit, nullptr, 86, 31, 109, 14},
    {-1, ControlKind::Static,
     "Enter page numbers and/or page ranges separated by commas. For example: 1, 3, 5-12.", 13, 48, 286, 16},
    {-1, ControlKind::GroupBox, "PDF Password", 6, 72, 296, 51},
    {-1, ControlKind::Static, "&PDF open password:", 12, 85, 73, 8},
    {IDC_PASSWORD, ControlKind::Edit, nullptr, 86, 83, 109, 14},
    {-1, ControlKind::Static,
     "If the PDF file is protected with a document open password (also known as a user password), please enter "
     "the password.",
     13, 101, 288, 17},
};

const ControlSpec kOcrControls[] = {
    {IDC_RUN_OCR, ControlKind::Check, "&Run OCR if needed", 9, 9, 84, 10},
    {-1, ControlKind::Static, "&Language profile:", 21, 22, 69, 8},
    {IDC_OCR_LANGUAGE, ControlKind::DropList, nullptr, 21, 35, 69, 118},
};

const char* const kOcrLanguages[] = {"English", "German", "French", "Italian", "Spanish"};

const ControlSpec kOtherControls[] = {
    {IDC_AUTO_ROTATE, ControlKind::Check, "A&uto rotate pages based on text orientation", 9, 9, 188, 10},
    {IDC_INC_SUBDIR, ControlKind::Check, "&When adding a folder, include PDF files that are in the sub-folders", 9,
     24, 284, 10},
    {IDC_OVERWRITE, ControlKind::Check, "&Overwrite existing file", 9, 39, 108, 10},
    {IDC_OPEN_OUTPUT, ControlKind::Check, "Au&tomatically open the output folder when the conversion is complete", 9,
     54, 288, 10},
    {IDC_RESTORE_DEFAULTS, ControlKind::Button, "&Restore Defaults", 9, 72, 100, 14},
};

// A check box shows a value outside 0-2 unchecked and stores it as 0.
void ExchangeCheck(wxWindow* page, int id, int& value) {
    if (value < 0 || value > 2)
        value = 0;
    CheckItem(page, id, value != 0);
}

}  // namespace

CSettingsPage::CSettingsPage(wxWindow* parent, int templateId, int width, int height)
    : wxPanel(parent, templateId) {
    SetMinSize(ConvertDialogToPixels(wxSize(width, height)));
}

void CSettingsPage::EnsureWindow() {
    if (m_bCreated)
        return;
    CreatePage();
    m_bCreated = true;
    OnInitDialog();
}

// ---- Page Range and Password ----

CPageRangePage::CPageRangePage(wxWindow* parent) : CSettingsPage(parent, IDD_PAGE_RANGE, 308, 230) {}

void CPageRangePage::CreatePage() {
    CreateControls(this, kPageRangeControls);
    Bind(wxEVT_RADIOBUTTON, &CPageRangePage::OnPageChoice, this, IDC_ALL_PAGES);
    Bind(wxEVT_RADIOBUTTON, &CPageRangePage::OnPageChoice, this, IDC_CUSTOM_RANGE);
}

BOOL CPageRangePage::OnInitDialog() {
    CAppSettings* settings = CAppSettings::Instance();
    settings->GetCvtPage(m_nPageRange);
    if (m_nPageRange < 0 || m_nPageRange > 1)
        m_nPageRange = 0;
    settings->GetCvtPages(m_strPages);
    m_strPages.Trim();
    settings->GetPDFPWD(m_strPassword);
    DoDataExchange(FALSE);
    EnableItem(this, IDC_PAGES, m_nPageRange != 0);
    return TRUE;
}

BOOL CPageRangePage::DoDataExchange(BOOL bSaveAndValidate) {
    if (bSaveAndValidate) {
        m_nPageRange = GetRadioIndex(this, {IDC_ALL_PAGES, IDC_CUSTOM_RANGE});
        m_strPages = GetItemText(this, IDC_PAGES).utf8_string();
        m_strPassword = GetItemText(this, IDC_PASSWORD).utf8_string();
    } else {
        SetRadioIndex(this, {IDC_ALL_PAGES, IDC_CUSTOM_RANGE}, m_nPageRange);
        SetItemText(this, IDC_PAGES, wxString::FromUTF8(m_strPages));
        SetItemText(this, IDC_PASSWORD, wxString::FromUTF8(m_strPassword));
    }
    return TRUE;
}

void CPageRangePage::OnPageChoice(wxCommandEvent&) {
    m_nPageRange = GetRadioIndex(this, {IDC_ALL_PAGES, IDC_CUSTOM_RANGE});
    EnableItem(this, IDC_PAGES, m_nPageRange != 0);
}

void CPageRangePage::Save() {
    DoDataExchange(TRUE);
    CAppSettings* settings = CAppSettings::Instance();
    settings->SetCvtPage(m_nPageRange);
    settings->SetCvtPages(m_strPages);
    settings->SetPDFPWD(m_strPassword);
}

// ---- OCR Settings ----

COcrSettingsPage::COcrSettingsPage(wxWindow* parent) : CSettingsPage(parent, IDD_OCR_SETTINGS, 308, 200) {}

void COcrSettingsPage::CreatePage() {
    CreateControls(this, kOcrControls);
    Bind(wxEVT_CHECKBOX, &COcrSettingsPage::OnRunOcr, this, IDC_RUN_OCR);
}

BOOL COcrSettingsPage::OnInitDialog() {
    auto* languages = dynamic_cast<wxChoice*>(FindWindow(IDC_OCR_LANGUAGE));
    languages->Clear();
    for (const char* language : kOcrLanguages)
        languages->Append(language);
    CAppSettings* settings = CAppSettings::Instance();
    settings->GetRunOCR(m_bRunOcr);
    settings->GetOCRLan(m_nOcrLanguage);
    if (m_nOcrLanguage < 0 || m_nOcrLanguage > 4)
        m_nOcrLanguage = 0;
    languages->SetSelection(m_nOcrLanguage);
    languages->Enable(m_bRunOcr != 0);
    ExchangeCheck(this, IDC_RUN_OCR, m_bRunOcr);
    return TRUE;
}

void COcrSettingsPage::Save() {
    m_bRunOcr = GetCheck(this, IDC_RUN_OCR);
    int language = dynamic_cast<wxChoice*>(FindWindow(IDC_OCR_LANGUAGE))->GetSelection();
    m_nOcrLanguage = language < 0 ? 0 : language;
    CAppSettings* settings = CAppSettings::Instance();
    settings->SetRunOCR(m_bRunOcr);
    settings->SetOCRLan(m_nOcrLanguage);
}

void COcrSettingsPage::OnRunOcr(wxCommandEvent&) {
    m_bRunOcr = GetCheck(this, IDC_RUN_OCR);
    EnableItem(this, IDC_OCR_LANGUAGE, m_bRunOcr == 1);
}

// ---- Other Settings ----

COtherSettingsPage::COtherSettingsPage(wxWindow* parent) : CSettingsPage(parent, IDD_OTHER_SETTINGS, 308, 200) {}

void COtherSettingsPage::CreatePage() {
    CreateControls(this, kOtherControls);
    Bind(wxEVT_BUTTON, &COtherSettingsPage::OnRestoreDefaults, this, IDC_RESTORE_DEFAULTS);
}

BOOL COtherSettingsPage::OnInitDialog() {
    CAppSettings* settings = CAppSettings::Instance();
    int autoRotate = 0, incSubDir = 0, overwrite = 0, openOutput = 0;
    settings->GetAutoRotate(autoRotate);
    settings->GetIncSubDir(incSubDir);
    settings->GetOverwrite(overwrite);
    settings->GetOpenOutput(openOutput);
    m_bAutoRotate = autoRotate != 0;
    m_bIncSubDir = incSubDir != 0;
    m_bOverwrite = overwrite == 1;
    m_bOpenOutput = openOutput != 0;
    ExchangeCheck(this, IDC_AUTO_ROTATE, m_bAutoRotate);
    ExchangeCheck(this, IDC_INC_SUBDIR, m_bIncSubDir);
    ExchangeCheck(this, IDC_OVERWRITE, m_bOverwrite);
    ExchangeCheck(this, IDC_OPEN_OUTPUT, m_bOpenOutput);
    return TRUE;
}

void COtherSettingsPage::Save() {
    m_bAutoRotate = GetCheck(this, IDC_AUTO_ROTATE);
    m_bIncSubDir = GetCheck(this, IDC_INC_SUBDIR);
    m_bOverwrite = GetCheck(this, IDC_OVERWRITE);
    m_bOpenOutput = GetCheck(this, IDC_OPEN_OUTPUT);
    CAppSettings* settings = CAppSettings::Instance();
    settings->SetAutoRotate(m_bAutoRotate);
    settings->SetIncSubDir(m_bIncSubDir);
    settings->SetOverwrite(m_bOverwrite);
    settings->SetOpenOutput(m_bOpenOutput);
}

void COtherSettingsPage::OnRestoreDefaults(wxCommandEvent&) {
    wxCommandEvent restore(EVT_RESTORE_DEFAULTS);
    GetParent()->GetEventHandler()->ProcessEvent(restore);
}
