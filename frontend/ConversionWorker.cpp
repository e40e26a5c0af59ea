#include "frontend/ConversionWorker.h"

#include "engine/Corvane.h"
#include "frontend/AppSettings.h"
#include "frontend/FileList.h"
#include "frontend/OutputNaming.h"
#include "platform/win32/ListView.h"

#include <string>

CString g_strFirstSourceFolder;
BOOL g_bSingleSourceFolder = FALSE;

namespace {

// What the run takes from the settings when it starts.
struct RunSettings {
    bool otherFolder = false;
    CString outputFolder;
    bool customRange = false;
    CString pageRange;
    CString password;
    BOOL overwrite = FALSE;
};

RunSettings TakeSettings()
{
    RunSettings run;
    CAppSettings* settings = CAppSettings::Instance();
    if (!settings)
        return run;
    int location = 0, page = 0, overwrite = 0;
    settings->GetOutputLocation(location);
    settings->GetOutputFolder(run.outputFolder);
    settings->GetCvtPage(page);
    settings->GetCvtPages(run.pageRange);
    settings->GetPDFPWD(run.password);
    settings->GetOverwrite(overwrite);
    run.otherFolder = location == 1;
    run.outputFolder = OutputFolderPath(run.outputFolder);
    run.customRange = page == 1;
    run.pageRange.Trim();
    run.overwrite = overwrite == 1;
    return run;
}

// The text before the path's last separator; empty when it has none.
CString SourceFolder(const CString& path)
{
    size_t separator = path.Text().rfind('/');
    return separator == std::string::npos ? CString() : CString(path.Text().substr(0, separator));
}

void NoteSourceFolder(int row, const CString& folder)
{
    if (row == 0) {
        g_strFirstSourceFolder = folder;
        g_bSingleSourceFolder = TRUE;
    } else if (g_bSingleSourceFolder && !(folder == g_strFirstSourceFolder)) {
        g_bSingleSourceFolder = FALSE;
    }
}

void ConvertRow(const RunSettings& run, HWND list, int row)
{
    // In view before it reads "Converting", so a row never shows that
    // status out of sight.
    EnsureRowVisible(list, row);
    SetRowStatus(list, row, kConvertingStatus);
    CString source = GetRowText(list, row, 0);
    CString folder = SourceFolder(source);
    NoteSourceFolder(row, folder);
    CString output = MakeOutputPath(run.otherFolder ? run.outputFolder : folder, source, "ppt", run.overwrite);
    int result = Corvane(source, output, run.password);
    std::string status = result == 0 ? kCompletedStatus : "Error: " + std::to_string(result);
    SetRowStatus(list, row, status.c_str());
}

} // namespace

DWORD ConversionWorker(LPVOID lpParameter)
{
    auto* job = static_cast<ConversionJob*>(lpParameter);
    RunSettings run = TakeSettings();
    int count = int(SendMessageA(job->hwndList, LVM_GETITEMCOUNT, 0, 0));
    CorvaneSetup(run.customRange ? run.pageRange : "");
    for (int row = 0; row < count; ++row) {
        ConvertRow(run, job->hwndList, row);
        if (job->bStop)
            break;
    }
    SendMessageA(job->hwndMain, WM_CONVERSION_DONE, 0, 0);
    return 0;
}
