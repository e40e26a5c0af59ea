// The program's only top-level window: the file list, the output location,
// the buttons that open the settings sheet, the About box and the help
// page, and Convert, which runs the list on a worker thread and reads Stop
// while the run lasts. A Stop, or a close during a run, shows at once that
// the run ends after the file in progress. It is the UI thread's message filter and idle
// handler.
#pragma once

#include <wx/dialog.h>

#include "frontend/ConversionWorker.h"
#include "frontend/FileListCtrl.h"
#include "frontend/MessageLoop.h"
#include "platform/win32/CString.h"
#include "platform/win32/Thread.h"

// WM_CONVERSION_DONE, as the toolkit's event that the dialog's table routes.
wxDECLARE_EVENT(EVT_CONVERSION_DONE, wxCommandEvent);

class CMainDialog : public wxDialog, public MessageWindow, public MessageFilter, public IdleHandler {
public:
    // How the dialog starts its worker; tests replace it.
    using ThreadStarter = HANDLE (*)(LPSECURITY_ATTRIBUTES, size_t, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);
    static ThreadStarter s_pfnCreateThread;

    CMainDialog();
    ~CMainDialog() override;

    // Creates the window from the template and runs OnInitDialog.
    bool Create();

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnIdle() override;

    BOOL OnInitDialog();
    BOOL DoDataExchange(BOOL bSaveAndValidate, int nCtlID = -1);
    void SaveOutputLocation();
    void CloseDialog(int nVal);
    void InitFileList();

    bool IsConverting() const { return m_bConverting; }
    bool IsAcceptingDrops() const { return m_bAcceptFiles; }
    CFileListCtrl& FileList() { return *m_wndList; }

    // The worker's messages run on the UI thread while it waits.
    LRESULT Deliver(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Command handlers
    void OnOK(wxCommandEvent&);
    void OnCancel(wxCommandEvent&);
    void OnClose(wxCloseEvent&);
    void OnAddFiles(wxCommandEvent&);
    void OnAddFolder(wxCommandEvent&);
    void OnRemove(wxCommandEvent&);
    void OnRemoveAll(wxCommandEvent&);
    void OnMoveUp(wxCommandEvent&);
    void OnMoveDown(wxCommandEvent&);
    void OnSettings(wxCommandEvent&);
    void OnBrowseOutputFolder(wxCommandEvent&);
    void OnConvert(wxCommandEvent&);
    void OnHelp(wxCommandEvent&);
    void OnAppAbout(wxCommandEvent&);
    void OnOutputLocation(wxCommandEvent&);
    void OnDropFiles(wxDropFilesEvent&);
    void OnConversionDone(wxCommandEvent&);

    void DoCancel(int nId);
    void RefuseOutputFolder(const char* text);
    void DragAcceptFiles(bool accept) { m_bAcceptFiles = accept; }
    void RequestStop();
    bool IsStopRequested() const;
    void ShowStopping();
    bool StartWorker();
    void EnableOutputFolder(bool enable);
    void UpdateMoveButtons();
    void OpenWhenDone();
    void EndRun();
    void FreeRun();

    ConversionJob* m_pJob = nullptr;
    int m_nOutputLocation = 1;
    CString m_strOutputFolder;
    bool m_bConverting = false;
    CFileListCtrl* m_wndList = nullptr;
    HANDLE m_hWorker = nullptr;
    bool m_bExitAfterStop = false;
    bool m_bAcceptFiles = true;

    wxDECLARE_EVENT_TABLE();
};

// Posts the quit message: the active event loop ends with `code`.
void PostQuitMessage(int code);
