// The settings sheet: three pages over the settings object. OK copies the
// controls of every page that has been shown into the object and writes the
// nine sheet keys; Restore Defaults writes the defaults at once.
#pragma once

#include <array>
#include <string>

#include <wx/dialog.h>
#include <wx/panel.h>

#include "platform/win32/CString.h"
#include "platform/win32/WindowMessages.h"

class wxNotebook;
class wxBookCtrlEvent;

#define WM_RESTORE_DEFAULTS (WM_USER + 4)
wxDECLARE_EVENT(EVT_RESTORE_DEFAULTS, wxCommandEvent);

// A page gets its controls when it is first shown.
class CSettingsPage : public wxPanel {
public:
    CSettingsPage(wxWindow* parent, int templateId, int width, int height);
    bool HasWindow() const { return m_bCreated; }
    // Builds the controls if needed; then shows the settings' values.
    void EnsureWindow();
    virtual BOOL OnInitDialog() = 0;
    // Copies the controls into the settings object.
    virtual void Save() = 0;

protected:
    virtual void CreatePage() = 0;

private:
    bool m_bCreated = false;
};

class CPageRangePage : public CSettingsPage {
public:
    explicit CPageRangePage(wxWindow* parent);
    BOOL OnInitDialog() override;
    BOOL DoDataExchange(BOOL bSaveAndValidate);
    void Save() override;

    int m_nPageRange = 0;
    CString m_strPages;
    CString m_strPassword;

private:
    void CreatePage() override;
    void OnPageChoice(wxCommandEvent&);
};

class COcrSettingsPage : public CSettingsPage {
public:
    explicit COcrSettingsPage(wxWindow* parent);
    BOOL OnInitDialog() override;
    void Save() override;

    int m_bRunOcr = 0;
    int m_nOcrLanguage = 0;

private:
    void CreatePage() override;
    void OnRunOcr(wxCommandEvent&);
};

class COtherSettingsPage : public CSettingsPage {
public:
    explicit COtherSettingsPage(wxWindow* parent);
    BOOL OnInitDialog() override;
    void Save() override;

    int m_bAutoRotate = 0;
    int m_bIncSubDir = 0;
    int m_bOverwrite = 0;
    int m_bOpenOutput = 0;

private:
    void CreatePage() override;
    void OnRestoreDefaults(wxCommandEvent&);
};

// After a save of the settings that did not go through, the first time
// only: a box owned by owner that says so, naming the file and why.
void TellRefusedSave(wxWindow* owner);

class CSettingsSheet : public wxDialog {
public:
    explicit CSettingsSheet(wxWindow* parent);
    int DoModal();

    CPageRangePage* m_pPageRange;
    COcrSettingsPage* m_pOcr;
    COtherSettingsPage* m_pOther;
    wxNotebook* Book() { return m_pBook; }

private:
    std::array<CSettingsPage*, 3> Pages() const { return {m_pPageRange, m_pOcr, m_pOther}; }
    void OnOK(wxCommandEvent&);
    void OnRestoreDefaults(wxCommandEvent&);
    void OnPageChanged(wxBookCtrlEvent&);

    wxNotebook* m_pBook;
};
