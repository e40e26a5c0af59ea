// The About box: the product's name, version and notice lines, links to
// the home page and the two mail addresses, and "&Check for Updates".
#pragma once

#include <string>

#include <wx/dialog.h>
#include <wx/hyperlink.h>
#include <wx/generic/hyperlink.h>

#include "platform/win32/CString.h"
#include "platform/win32/wintypes.h"

// A link that opens its target on a click, or on Enter or Space while it
// has the focus, and turns purple once the target opened.
class CHyperLink : public wxGenericHyperlinkCtrl {
public:
    CHyperLink(wxWindow* parent, int id, const wxRect& rect);
    void SetTarget(const std::string& text, const std::string& target);
    const std::string& GetTarget() const { return m_strTarget; }
    bool Navigate();

private:
    void OnLink(wxHyperlinkEvent&);
    void OnKey(wxKeyEvent&);

    std::string m_strTarget;
};

class CAboutDialog : public wxDialog {
public:
    explicit CAboutDialog(wxWindow* owner);
    int DoModal();
    BOOL OnInitDialog();

    static const char* const kHomePage;
    static const char* const kSalesMail;
    static const char* const kSupportMail;
    static const char* const kUpdatePage;

    CHyperLink* m_wndHomeLink;
    CHyperLink* m_wndSupportLink;
    CHyperLink* m_wndSalesLink;
    CString m_strProduct;
    CString m_strVersion;
    CString m_strNotice;

private:
    void OnCheckForUpdates(wxCommandEvent&);
};
