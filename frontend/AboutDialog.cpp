#include "frontend/AboutDialog.h"

#include <wx/statbmp.h>

#include "frontend/DesktopShell.h"
#include "frontend/DialogTemplate.h"
#include "frontend/ResourceIds.h"
#include "frontend/Resources.h"

const char* const CAboutDialog::kHomePage = "https://slidemint.norvik.example/";
const char* const CAboutDialog::kSalesMail = "mailto:sales@norvik.example";
const char* const CAboutDialog::kSupportMail = "mailto:support@norvik.example";
const char* const CAboutDialog::kUpdatePage = "https://slidemint.norvik.example/vantrel.html?ref=update";

namespace {

constexpr int kWidth = 236, kHeight = 126;
constexpr size_t kMailPrefix = 7;  // "mailto:"

const ControlSpec kAboutControls[] = {
    {IDC_PRODUCT, ControlKind::Static, nullptr, 48, 10, 180, 10},
    {IDC_VERSION, ControlKind::Static, nullptr, 48, 23, 180, 9},
    {IDC_NOTICE, ControlKind::Static, nullptr, 48, 35, 180, 18},
    {-1, ControlKind::Static, "Email:", 48, 70, 28, 9},
    {-1, ControlKind::EtchedLine, nullptr, 7, 98, 222, 1},
    {IDC_CHECK_UPDATES, ControlKind::Button, "&Check for Updates", 7, 105, 80, 14},
    {wxID_OK, ControlKind::DefaultButton, "&OK", 179, 105, 50, 14},
};

}  // namespace

CHyperLink::CHyperLink(wxWindow* parent, int id, const wxRect& rect)
    : wxGenericHyperlinkCtrl(parent, id, " ", " ", rect.GetPosition(), rect.GetSize(), wxHL_ALIGN_LEFT) {
    SetNormalColour(wxColour(0, 0, 255));
    SetVisitedColour(wxColour(128, 0, 128));
    SetHoverColour(wxColour(0, 0, 255));
    Bind(wxEVT_HYPERLINK, &CHyperLink::OnLink, this);
    Bind(wxEVT_KEY_DOWN, &CHyperLink::OnKey, this);
}

void CHyperLink::SetTarget(const std::string& text, const std::string& target) {
    m_strTarget = target;
    SetLabel(wxString::FromUTF8(text));
    SetURL(wxString::FromUTF8(target));
    SetToolTip(wxString::FromUTF8(target));
}

// A target that cannot be opened leaves the link unvisited, and the box
// says so.
bool CHyperLink::Navigate() {
    if (!OpenOrSay(this, m_strTarget))
        return false;
    SetVisited(true);
    Refresh();
    return true;
}

void CHyperLink::OnLink(wxHyperlinkEvent&) { Navigate(); }

void CHyperLink::OnKey(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER || key == WXK_SPACE)
        Navigate();
    else
        event.Skip();
}

CAboutDialog::CAboutDialog(wxWindow* owner)
    : wxDialog(owner, IDD_ABOUTBOX, "About", wxDefaultPosition, wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    SetClientSize(ConvertDialogToPixels(wxSize(kWidth, kHeight)));
    new wxStaticBitmap(this, wxID_ANY, wxBitmap(LoadAppIcon(FromDIP(32))), DialogRect(this, 10, 10, 21, 20).GetPosition());
    CreateControls(this, kAboutControls);
    m_wndHomeLink = new CHyperLink(this, IDC_HOME_LINK, DialogRect(this, 48, 56, 180, 10));
    m_wndSalesLink = new CHyperLink(this, IDC_SALES_LINK, DialogRect(this, 78, 70, 150, 10));
    m_wndSupportLink = new CHyperLink(this, IDC_SUPPORT_LINK, DialogRect(this, 78, 82, 150, 10));
    Bind(wxEVT_BUTTON, &CAboutDialog::OnCheckForUpdates, this, IDC_CHECK_UPDATES);
    OnInitDialog();
}

int CAboutDialog::DoModal() { return ShowModal() == wxID_OK ? IDOK : IDCANCEL; }

BOOL CAboutDialog::OnInitDialog() {
    CentreOnParent();
    m_wndHomeLink->SetTarget(kHomePage, kHomePage);
    m_wndSupportLink->SetTarget(std::string(kSupportMail).substr(kMailPrefix), kSupportMail);
    m_wndSalesLink->SetTarget(std::string(kSalesMail).substr(kMailPrefix), kSalesMail);
    m_strProduct = "Norvik Slidemint Converter";
    m_strVersion = "Version 1.0";
    m_strNotice = "Converts PDF files into presentations. Copyright (C) 2026 Norvik.";
    SetItemText(this, IDC_PRODUCT, wxString::FromUTF8(m_strProduct));
    SetItemText(this, IDC_VERSION, wxString::FromUTF8(m_strVersion));
    SetItemText(this, IDC_NOTICE, wxString::FromUTF8(m_strNotice));
    return TRUE;
}

void CAboutDialog::OnCheckForUpdates(wxCommandEvent&) { OpenOrSay(this, kUpdatePage); }
