// Measures Remove on the main window's file list as the toolkit shows it:
// 4000 rows, all selected, or the top or bottom half, removed at once (the
// view built again once) and row by row. Needs an X server:
//   xvfb-run -a FileListRemoveBenchmark
// Prints the seconds of each, so that a Remove that re-lays out the view for
// each row shows at once.
#include <chrono>
#include <cstdio>
#include <string>

#include <wx/app.h>
#include <wx/frame.h>

#include "frontend/FileList.h"
#include "frontend/FileListCtrl.h"

namespace {

const int kRows = 4000;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Fill(HWND list, int first, int last) {
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (int row = 0; row < kRows; row++) {
        std::string path = "/home/user/documents/report" + std::to_string(10000 + row) + ".pdf";
        LVITEMA item{LVIF_TEXT, row, 0, 0, 0, path.data(), 0, 0, 0};
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    for (int row = first; row <= last; row++) {
        LVITEMA item{LVIF_STATE, row, 0, LVIS_SELECTED, LVIS_SELECTED, nullptr, 0, 0, 0};
        SendMessageA(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    }
}

double TimeRemove(CFileListCtrl& view, bool atOnce) {
    const auto start = std::chrono::steady_clock::now();
    if (atOnce) {
        CFileListCtrl::HeldView held(view);
        RemoveSelectedFiles(view.GetHwnd());
    } else {
        RemoveSelectedFiles(view.GetHwnd());
    }
    wxTheApp->Yield();
    return SecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "no display: run under xvfb-run -a\n");
        return 1;
    }
    wxTheApp->CallOnInit();
    auto* frame = new wxFrame(nullptr, wxID_ANY, "bench", wxDefaultPosition, wxSize(640, 480));
    auto* view = new CFileListCtrl(frame, wxID_ANY, wxRect(0, 0, 630, 390));
    InitFileList(view->GetHwnd(), 600);
    view->ShowColumns();
    frame->Show();
    wxTheApp->Yield();

    struct Selection {
        const char* name;
        int first, last;
    } const selections[] = {{"all rows", 0, kRows - 1}, {"top half", 0, kRows / 2 - 1},
                            {"bottom half", kRows / 2, kRows - 1}};
    std::printf("%12s %12s %12s\n", "selected", "at once s", "row by row s");
    for (const Selection& selection : selections) {
        Fill(view->GetHwnd(), selection.first, selection.last);
        view->EnsureVisible(kRows - 1);
        wxTheApp->Yield();
        const double atOnce = TimeRemove(*view, true);
        Fill(view->GetHwnd(), selection.first, selection.last);
        view->EnsureVisible(kRows - 1);
        wxTheApp->Yield();
        const double rowByRow = TimeRemove(*view, false);
        std::printf("%12s %12.3f %12.3f\n", selection.name, atOnce, rowByRow);
    }
    frame->Destroy();
    wxEntryCleanup();
    return 0;
}
