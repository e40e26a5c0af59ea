#include "MainWindowFixture.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <wx/dataobj.h>

#include "frontend/App.h"
#include "frontend/DialogTemplate.h"

void MainWindowFixture::SetUp() {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    dir = std::filesystem::path(GUI_SCREENSHOT_DIR) / "work" / (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    setenv("VANTREL_REGISTRY", (dir / "registry").c_str(), 1);
    SetShell(&shell);
    AddMessageLoop(&loop);
    pump = std::make_unique<WxMessagePump>(loop);
    OpenDialog();
}

void MainWindowFixture::TearDown() {
    CloseDialogNow();
    pump.reset();
    RemoveMessageLoop();
    SetShell(nullptr);
}

void MainWindowFixture::OpenDialog() {
    auto* created = new CMainDialog;
    ASSERT_TRUE(created->Create());
    dialog = created;
    dialog->Show();
    Settle(*pump);
}

void MainWindowFixture::CloseDialogNow() {
    if (dialog)
        dialog->Destroy();
    if (auto* app = dynamic_cast<CVantrelApp*>(wxTheApp))
        app->FreeClosedWindows();
}

void MainWindowFixture::Click(int id) {
    PostCommand(dialog, id);
    Settle(*pump);
}

namespace {

// A file's URI as a file manager puts it in a drop: every byte but the
// unreserved ones and '/' as %XX.
std::string FileUri(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("/-._~", c)) {
            uri += char(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

}  // namespace

void MainWindowFixture::Drop(const std::vector<std::string>& paths) {
    // The names come out of the toolkit's own reading of an XDND drop's
    // text/uri-list, with its file-name decoding.
    std::string uris;
    for (const std::string& path : paths)
        uris += FileUri(path) + "\r\n";
    wxFileDataObject data;
    ASSERT_TRUE(data.SetData(uris.size() + 1, uris.c_str()));
    const wxArrayString& names = data.GetFilenames();
    ASSERT_EQ(names.size(), paths.size());
    auto* drop = new wxDropFilesEvent(MakeDropFilesEvent(names));
    drop->SetEventObject(dialog);
    dialog->GetEventHandler()->QueueEvent(drop);
    Settle(*pump);
}

std::vector<std::string> MainWindowFixture::Column(int column) {
    std::vector<std::string> rows;
    for (int row = 0; row < dialog->FileList().GetRowCount(); row++)
        rows.push_back(dialog->FileList().GetRowText(row, column));
    return rows;
}

std::vector<std::string> MainWindowFixture::ShownColumn(int column) {
    const wxListCtrl& view = dialog->FileList();
    std::vector<std::string> rows;
    for (int row = 0; row < view.GetItemCount(); row++)
        rows.push_back(view.GetItemText(row, column).utf8_string());
    return rows;
}

bool MainWindowFixture::ViewShowsTheSelection() {
    CFileListCtrl& list = dialog->FileList();
    for (int row = 0; row < list.GetItemCount(); row++) {
        bool shown = list.GetItemState(row, wxLIST_STATE_SELECTED) != 0;
        if (shown != (SendMessageA(list.GetHwnd(), LVM_GETITEMSTATE, WPARAM(row), LVIS_SELECTED) != 0))
            return false;
    }
    return true;
}

bool MainWindowFixture::IsEnabled(int id) {
    wxWindow* control = dialog->FindWindow(ToolkitId(id));
    return control && control->IsEnabled();
}

std::string MainWindowFixture::MakeFile(const std::string& relative, const std::string& content) {
    std::filesystem::path path = dir / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << content;
    return path.string();
}
