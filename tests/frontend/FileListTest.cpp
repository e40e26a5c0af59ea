#include "frontend/AppSettings.h"
#include "frontend/FileList.h"
#include "platform/win32/ListView.h"
#include "tests/support/PdfMaker.h"
#include "tests/ScopedEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Rows as "path|status", a "*" after the selected ones.
std::string Rows(const ListViewControl& list)
{
    std::string out;
    for (int row = 0; row < list.RowCount(); ++row) {
        out += list.Text(row, 0);
        if (!list.Text(row, 1).empty())
            out += "|" + list.Text(row, 1);
        out += list.Selected(row) ? "*" : "";
        out += row + 1 < list.RowCount() ? " " : "";
    }
    return out;
}

class List : public ListViewControl {};

void Select(HWND list, int row, bool on)
{
    LVITEMA item{LVIF_STATE, row, 0, on ? UINT(LVIS_SELECTED) : 0u, LVIS_SELECTED, nullptr, 0, 0, 0};
    SendMessageA(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    if (on)
        SendMessageA(list, LVM_SETSELECTIONMARK, 0, row);
}

void Fill(HWND list, std::initializer_list<const char*> paths)
{
    for (const char* path : paths)
        ASSERT_EQ(AddFileToList(list, int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)), path), kAdded) << path;
}

TEST(FileList, AdmissionRefusesShortNonPdfAndListedPaths)
{
    List list;
    HWND h = list.Handle();
    Fill(h, {"/c/a/report.pdf"});
    struct Case {
        const char* path;
        int expected;
    } cases[] = {
        {"PDF", kPathTooShort},
        {"", kPathTooShort},
        {"xpdf", kAdded},
        {"/c/a/notespdf", kAdded},
        {"/c/a/notes.pdfx", kNotPdf},
        {"/c/a/notes.pd", kNotPdf},
        {"/c/a/report.pdf", kAlreadyListed},
        {"/c/a/Ünïcode.pdf", kAdded},
        {"/c/a/Ünïcode.pdf", kAlreadyListed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AddFileToList(h, list.RowCount(), c.path), c.expected) << c.path;
    EXPECT_EQ(Rows(list), "/c/a/report.pdf xpdf /c/a/notespdf /c/a/Ünïcode.pdf");
}

// Names are exact here: two names that differ only in case are two files
// and both are listed. A path is refused when it is a listed path, or that
// path with other case leading to the same file (a case-insensitive mount);
// another path to a listed file is a row of its own, its deck in its folder.
TEST(FileList, APathIsRefusedOnlyWhenItIsAListedFile)
{
    ScratchFolder folder;
    std::string data = folder.File("data");
    fs::create_directories(data + "/real");
    fs::create_directories(data + "/other");
    for (const char* name : {"Case.pdf", "case.pdf", "real/deck.pdf"})
        std::ofstream(data + "/" + name) << "%PDF-1.4\n";
    fs::create_directory_symlink(data + "/real", data + "/linked");
    fs::create_directory_symlink(data + "/real", data + "/REAL"); // as a case-insensitive mount shows it
    fs::create_symlink(data + "/case.pdf", data + "/CASE.PDF");
    fs::create_hard_link(data + "/case.pdf", data + "/other/case.pdf");
    struct Case {
        std::string path;
        int expected;
    } cases[] = {
        {data + "/Case.pdf", kAdded},
        {data + "/case.pdf", kAdded},
        {data + "/case.pdf", kAlreadyListed},
        {data + "/CASE.PDF", kAlreadyListed},
        {data + "/real/deck.pdf", kAdded},
        {data + "/REAL/deck.pdf", kAlreadyListed},
        {data + "/REAL/DECK.PDF", kAdded}, // no such file: only its text could match
        {data + "/other/case.pdf", kAdded}, // a hard link to a listed file
        {data + "/linked/deck.pdf", kAdded},
        {data + "/linked/deck.pdf", kAlreadyListed},
        {data + "/linked/../real/./deck.pdf", kAdded},
        {data + "/real/DECK.pdf", kAdded},
        {data + "/real/DECK.pdf", kAlreadyListed},
    };
    List list;
    for (const Case& c : cases)
        EXPECT_EQ(AddFileToList(list.Handle(), list.RowCount(), c.path.c_str()), c.expected) << c.path;
    EXPECT_EQ(list.RowCount(), 8);
}

TEST(FileList, ColumnsAreSetUpOnce)
{
    List list;
    InitFileList(list.Handle(), 500);
    ASSERT_EQ(list.Columns().size(), 2u);
    EXPECT_EQ(list.Columns()[0].title, "Source PDF File");
    EXPECT_EQ(list.Columns()[0].width, 410);
    EXPECT_EQ(list.Columns()[1].title, "Status");
    EXPECT_EQ(list.Columns()[1].width, 90);
    EXPECT_EQ(list.Columns()[1].format, LVCFMT_CENTER);
}

TEST(FileList, RemoveTakesTheSelectedRowsAndSelectsTheFirst)
{
    struct Case {
        std::vector<int> selected;
        std::string expected;
    } cases[] = {
        {{}, "/a.pdf* /b.pdf /c.pdf /d.pdf"},
        {{1, 3}, "/a.pdf* /c.pdf"},
        {{0, 1, 2, 3}, ""},
        {{0}, "/b.pdf* /c.pdf /d.pdf"},
    };
    for (const Case& c : cases) {
        List list;
        HWND h = list.Handle();
        Fill(h, {"/a.pdf", "/b.pdf", "/c.pdf", "/d.pdf"});
        for (int row : c.selected)
            Select(h, row, true);
        RemoveSelectedFiles(h);
        EXPECT_EQ(Rows(list), c.expected);
    }
    List list;
    Fill(list.Handle(), {"/a.pdf", "/b.pdf"});
    RemoveAllFiles(list.Handle());
    EXPECT_EQ(list.RowCount(), 0);
}

TEST(FileList, MovesCarryTheStatusAndTheSelection)
{
    struct Case {
        const char* what;
        std::vector<int> selected;
        void (*move)(HWND);
        std::string expected;
    } cases[] = {
        {"up", {2}, MoveSelectedUp, "/a.pdf /c.pdf|Completed* /b.pdf|Error: -2"},
        {"down", {0}, MoveSelectedDown, "/b.pdf|Error: -2 /a.pdf* /c.pdf|Completed"},
        {"up from the top", {0}, MoveSelectedUp, "/a.pdf* /b.pdf|Error: -2 /c.pdf|Completed"},
        {"down from the bottom", {2}, MoveSelectedDown, "/a.pdf /b.pdf|Error: -2 /c.pdf|Completed*"},
        {"two selected", {0, 1}, MoveSelectedDown, "/a.pdf* /b.pdf|Error: -2* /c.pdf|Completed"},
        {"none selected", {}, MoveSelectedUp, "/a.pdf /b.pdf|Error: -2 /c.pdf|Completed"},
    };
    for (const Case& c : cases) {
        List list;
        HWND h = list.Handle();
        Fill(h, {"/a.pdf", "/b.pdf", "/c.pdf"});
        SetRowStatus(h, 1, "Error: -2");
        SetRowStatus(h, 2, "Completed");
        for (int row : c.selected)
            Select(h, row, true);
        c.move(h);
        EXPECT_EQ(Rows(list), c.expected) << c.what;
    }
}

// A path longer than the 260 bytes of a Windows buffer is kept whole when it
// is compared, moved and read back.
TEST(FileList, LongPathsAreNeverCut)
{
    std::string deep = "/" + std::string(300, 'd') + "/";
    std::string a = deep + "a.pdf", b = deep + "b.pdf";
    List list;
    HWND h = list.Handle();
    Fill(h, {a.c_str(), b.c_str()});
    EXPECT_EQ(AddFileToList(h, 2, a.c_str()), kAlreadyListed);
    Select(h, 1, true);
    MoveSelectedUp(h);
    EXPECT_EQ(GetRowText(h, 0, 0).Text(), b);
    EXPECT_EQ(GetRowText(h, 1, 0).Text(), a);
    std::string exact(259, 'x'); // fills a 260-byte buffer exactly
    exact += ".pdf";
    Fill(h, {exact.c_str()});
    EXPECT_EQ(GetRowText(h, 2, 0).Text(), exact);
}

TEST(FileList, PickedFilesMustFitThePickersBuffer)
{
    ScratchFolder scratch;
    std::string folder = scratch.Path();
    std::vector<CString> fits, tooMany;
    for (int i = 0; i < 100; ++i) { // the folder + 1 + 100 * 11 + 1 bytes
        fits.push_back(CString(folder + "/file" + std::to_string(1000 + i) + ".pdf"));
        std::ofstream(fits.back().Text()) << "%PDF-1.4\n";
    }
    for (int i = 0; i < 600; ++i) // the folder + 1 + 600 * 11 + 1 bytes
        tooMany.push_back(CString(folder + "/file" + std::to_string(1000 + i) + ".pdf"));
    List list;
    EXPECT_FALSE(AddPickedFiles(list.Handle(), tooMany));
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_TRUE(AddPickedFiles(list.Handle(), fits));
    EXPECT_EQ(list.RowCount(), 100);
    EXPECT_TRUE(list.Selected(0));
    EXPECT_EQ(list.Text(99, 0), folder + "/file1099.pdf");
    EXPECT_STREQ(kTooManyFilesText, "Too many files selected. Please select fewer files and try again.");
    EXPECT_STREQ(kTooManyFilesCaption, "Windows Limitation");
}

class FileListFolders : public ::testing::Test {
protected:
    ScratchFolder folder;
    ScopedEnv env{"VANTREL_REGISTRY", folder.File("registry").c_str()};
    std::string data = folder.File("data");

    void SetUp() override
    {
        for (const char* name : {"top.pdf", "sub/inner.pdf", "sub/readme.txt"}) {
            fs::create_directories(fs::path(data + "/" + name).parent_path());
            std::ofstream(data + "/" + name) << "x";
        }
        CAppSettings::Instance()->GetStore()->SetStoreNames("Norvik", "Slidemint");
    }
    void TearDown() override { CAppSettings::Release(); }
};

TEST_F(FileListFolders, AddFolderFollowsIncSubDirAndDropsAlwaysRecurse)
{
    struct Case {
        int incSubDir;
        std::vector<std::string> expected;
    } cases[] = {{1, {"/data/sub/inner.pdf", "/data/top.pdf"}}, {0, {"/data/top.pdf"}}};
    for (const Case& c : cases) {
        CAppSettings::Instance()->SetIncSubDir(c.incSubDir);
        List list;
        AddFolderToList(list.Handle(), data.c_str());
        // The scan keeps the folder's own order; compare the rows sorted.
        std::vector<std::string> rows;
        for (int row = 0; row < list.RowCount(); ++row)
            rows.push_back(list.Text(row, 0).substr(folder.Path().size()));
        std::sort(rows.begin(), rows.end());
        EXPECT_EQ(rows, c.expected);
        EXPECT_TRUE(list.Selected(0));
    }

    CAppSettings::Instance()->SetIncSubDir(0);
    List list;
    HWND h = list.Handle();
    std::vector<CString> dropped{CString(data), CString(""), CString(data + "/top.pdf"), CString(data + "/sub/readme.txt")};
    AddDroppedPaths(h, dropped, true);
    EXPECT_EQ(list.RowCount(), 0) << "a drop during a run is ignored";
    AddDroppedPaths(h, dropped, false);
    EXPECT_EQ(list.RowCount(), 2) << Rows(list);
    EXPECT_TRUE(list.Selected(0));
}

// A FIFO named like a PDF would hold a run up for ever: the folder scan,
// drops and the picker list regular files and links to them, nothing else.
TEST_F(FileListFolders, OnlyRegularFilesComeIn)
{
    std::string mixed = data + "/mixed";
    fs::create_directories(mixed);
    std::ofstream(mixed + "/deck.pdf") << "%PDF-1.4\n";
    ASSERT_EQ(mkfifo((mixed + "/fifo.pdf").c_str(), 0600), 0);
    int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string socketPath = mixed + "/socket.pdf";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    fs::create_symlink("/dev/null", mixed + "/device.pdf");
    fs::create_symlink(mixed + "/gone.pdf", mixed + "/dangling.pdf");
    fs::create_symlink(mixed + "/deck.pdf", mixed + "/linked.pdf");
    const std::vector<std::string> regular{mixed + "/deck.pdf", mixed + "/linked.pdf"};
    std::vector<CString> named;
    for (const char* name : {"deck.pdf", "device.pdf", "dangling.pdf", "fifo.pdf", "linked.pdf", "socket.pdf"})
        named.push_back(CString(mixed + "/" + name));

    auto rows = [](const List& list) {
        std::vector<std::string> texts;
        for (int row = 0; row < list.RowCount(); ++row)
            texts.push_back(list.Text(row, 0));
        return texts;
    };
    List folderAdded, folderDropped, filesDropped, picked;
    AddFolderToList(folderAdded.Handle(), mixed.c_str());
    EXPECT_EQ(rows(folderAdded), regular) << "Add Folder";
    AddDroppedPaths(folderDropped.Handle(), {CString(mixed)}, false);
    EXPECT_EQ(rows(folderDropped), regular) << "a dropped folder";
    AddDroppedPaths(filesDropped.Handle(), named, false);
    EXPECT_EQ(rows(filesDropped), regular) << "dropped files";
    EXPECT_TRUE(AddPickedFiles(picked.Handle(), named));
    EXPECT_EQ(rows(picked), regular) << "picked files";
    close(sock);
}

} // namespace
