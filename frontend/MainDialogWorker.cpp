// The main dialog's side of the worker thread: starting it, asking it to
// stop, taking its end-of-run message on the UI thread, and freeing the run.
#include "frontend/MainDialog.h"
#include "frontend/UiThreadCall.h"

CMainDialog::ThreadStarter CMainDialog::s_pfnCreateThread = &CreateThread;

bool CMainDialog::StartWorker() {
    m_pJob = new ConversionJob;
    m_pJob->hwndMain = Handle();
    m_pJob->hwndList = m_wndList->GetHwnd();
    DWORD threadId = 0;
    m_hWorker = s_pfnCreateThread(nullptr, 0, ConversionWorker, m_pJob, 0, &threadId);
    return m_hWorker != nullptr;
}

void CMainDialog::RequestStop() {
    if (!m_pJob)
        return;
    m_pJob->bStop = TRUE;
    ShowStopping();
}

bool CMainDialog::IsStopRequested() const { return m_pJob && m_pJob->bStop; }

void CMainDialog::FreeRun() {
    if (m_hWorker)
        CloseHandle(m_hWorker);
    m_hWorker = nullptr;
    delete m_pJob;
    m_pJob = nullptr;
}

LRESULT CMainDialog::Deliver(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallOnUiThread([&] { return MessageWindow::Deliver(msg, wParam, lParam); });
}

LRESULT CMainDialog::WindowProc(UINT msg, WPARAM, LPARAM) {
    if (msg == WM_CONVERSION_DONE) {
        wxCommandEvent done(EVT_CONVERSION_DONE, GetId());
        done.SetEventObject(this);
        ProcessWindowEvent(done);
    }
    return 0;
}
