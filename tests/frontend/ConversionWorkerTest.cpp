// Conversion runs through the real engine library, driven as the main window
// drives them: a job over a list control, the worker on its own thread.
#include "frontend/AppSettings.h"
#include "frontend/ConversionWorker.h"
#include "frontend/FileList.h"
#include "platform/win32/ListView.h"
#include "platform/win32/Thread.h"
#include "tests/support/PdfMaker.h"
#include "tests/ScopedEnv.h"
#include "tests/presentation/ExternalReaders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>

namespace fs = std::filesystem;

namespace {

const char* const twoPages = R"(%!PS
<< /PageSize [300 200] >> setpagedevice
/Helvetica findfont 24 scalefont setfont
20 100 moveto (First) show showpage
20 100 moveto (Second) show showpage
)";

// Records every status it is given, in order, as "row:status".
class RecordingList : public ListViewControl {
public:
    std::vector<std::string> statuses;
    std::function<void(int row, const std::string& status)> onStatus;

protected:
    void Changed(int row) override
    {
        if (row < 0)
            return;
        std::string status = Text(row, 1);
        statuses.push_back(std::to_string(row) + ":" + status);
        if (onStatus)
            onStatus(row, status);
    }
};

// The main window's side of a run: counts the end-of-run messages and
// notes the rows' statuses when the first one arrives.
class FakeMainWindow : public MessageWindow {
public:
    explicit FakeMainWindow(const ListViewControl& list) : list_(list) {}
    int doneMessages = 0;
    std::vector<std::string> rowsAtDone;

protected:
    LRESULT WindowProc(UINT msg, WPARAM, LPARAM) override
    {
        if (msg != WM_CONVERSION_DONE)
            return 0;
        if (doneMessages++ == 0)
            for (int row = 0; row < list_.RowCount(); ++row)
                rowsAtDone.push_back(list_.Text(row, 1));
        return 0;
    }

private:
    const ListViewControl& list_;
};

class ConversionWorkerTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    ScopedEnv registry{"VANTREL_REGISTRY", folder.File("registry").c_str()};
    RecordingList list;
    FakeMainWindow window{list};
    ConversionJob job;

    void SetUp() override
    {
        job.hwndMain = window.Handle();
        job.hwndList = list.Handle();
        CAppSettings* settings = CAppSettings::Instance();
        settings->GetStore()->SetStoreNames("Norvik", "Slidemint");
        settings->LoadSettings();
    }
    void TearDown() override { CAppSettings::Release(); }

    void Add(const std::string& path) { ASSERT_EQ(AddFileToList(list.Handle(), list.RowCount(), path.c_str()), kAdded); }

    // Runs the worker on its own thread, as the Convert command starts it.
    void Run()
    {
        ClearStatuses(list.Handle());
        list.statuses.clear();
        DWORD threadId = 0;
        HANDLE thread = CreateThread(nullptr, 0, ConversionWorker, &job, 0, &threadId);
        ASSERT_NE(thread, nullptr);
        ASSERT_EQ(WaitForSingleObject(thread, 600000), WAIT_OBJECT_0);
        DWORD code = 1;
        EXPECT_TRUE(GetExitCodeThread(thread, &code));
        EXPECT_EQ(code, 0u);
        CloseHandle(thread);
    }

    std::vector<std::string> Statuses() const
    {
        std::vector<std::string> rows;
        for (int row = 0; row < list.RowCount(); ++row)
            rows.push_back(list.Text(row, 1));
        return rows;
    }
};

TEST_F(ConversionWorkerTest, ConvertsTheListIntoTheOutputFolderWithTheSettings)
{
    std::string plain = MakePdf(folder, "plain", twoPages);
    std::string locked = MakePdf(folder, "locked", twoPages, "-sOwnerPassword=owner -sUserPassword=user");
    std::string damaged = folder.File("damaged.pdf");
    std::ofstream(damaged) << "%PDF-1.4\n1 0 obj << /Type /Catalog >> endobj\n% no pages, no trailer\n";
    std::string out = folder.File("out");
    fs::create_directories(out);
    std::ofstream(out + "/plain.ppt") << "an earlier file";

    CAppSettings* settings = CAppSettings::Instance();
    settings->SetOutputLocation(1);
    settings->SetOutputFolder(CString("  " + out + "/ \t"));
    settings->SetCvtPage(1);
    settings->SetCvtPages(" 2 ");
    settings->SetPDFPWD("user");
    for (const std::string& pdf : {plain, locked, damaged})
        Add(pdf);
    Run();

    EXPECT_EQ(list.statuses, (std::vector<std::string>{"0:Converting", "0:Completed", "1:Converting", "1:Completed",
                                                        "2:Converting", "2:Error: -2"}));
    EXPECT_EQ(window.doneMessages, 1);
    EXPECT_EQ(window.rowsAtDone, (std::vector<std::string>{"Completed", "Completed", "Error: -2"}));
    EXPECT_EQ(g_strFirstSourceFolder.Text(), folder.Path());
    EXPECT_TRUE(g_bSingleSourceFolder);
    std::ifstream earlier(out + "/plain.ppt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "an earlier file");
    EXPECT_FALSE(fs::exists(out + "/damaged.ppt"));

    // Only page 2 of each, the locked one opened with the password.
    for (const std::string& deck : {out + "/plain_2.ppt", out + "/locked.ppt"}) {
        CommandResult poi = DescribeWithPoi(deck);
        ASSERT_EQ(poi.status, 0) << deck << "\n" << poi.output;
        EXPECT_NE(poi.output.find("slides 1\n"), std::string::npos) << poi.output;
        EXPECT_NE(PoiSlide(poi.output, 1).find("text \"Second"), std::string::npos) << poi.output;
    }

    // The all-pages choice ignores the range text still in the settings.
    settings->SetCvtPage(0);
    RemoveAllFiles(list.Handle());
    Add(plain);
    Run();
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Completed"}));
    CommandResult poi = DescribeWithPoi(out + "/plain_3.ppt");
    ASSERT_EQ(poi.status, 0) << poi.output;
    EXPECT_NE(poi.output.find("slides 2\n"), std::string::npos) << poi.output;
    EXPECT_NE(PoiSlide(poi.output, 1).find("text \"First"), std::string::npos) << poi.output;
}

TEST_F(ConversionWorkerTest, AStopEndsTheRunAfterTheFileInProgress)
{
    for (const char* name : {"a.pdf", "b.pdf", "c.pdf", "d.pdf"})
        Add(folder.File(name)); // missing files fail fast with -2
    list.onStatus = [this](int row, const std::string& status) {
        if (row == 1 && status == "Converting")
            job.bStop = TRUE;
    };
    Run();
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Error: -2", "Error: -2", "", ""}));
    EXPECT_EQ(window.doneMessages, 1);
}

TEST_F(ConversionWorkerTest, SourceFoldersAreComparedExactly)
{
    struct Case {
        std::vector<std::string> sources;
        std::string firstFolder;
        BOOL single;
    } cases[] = {
        {{"Docs/a.pdf", "Docs/b.pdf"}, "Docs", TRUE},
        {{"Docs/a.pdf", "docs/b.pdf"}, "Docs", FALSE},
        {{"Docs/a.pdf", "Docs/sub/b.pdf", "Docs/c.pdf"}, "Docs", FALSE},
        // Paths past 260 bytes are read whole, not cut into another folder.
        {{std::string(300, 'L') + "/a.pdf", std::string(300, 'L') + "/b.pdf"}, std::string(300, 'L'), TRUE},
    };
    for (const Case& c : cases) {
        RemoveAllFiles(list.Handle());
        for (const std::string& source : c.sources)
            Add(folder.File(source));
        Run();
        EXPECT_EQ(g_strFirstSourceFolder.Text(), folder.File(c.firstFolder));
        EXPECT_EQ(g_bSingleSourceFolder, c.single) << c.sources[1];
    }
}

// A backslash is part of a name here, and names that differ only in case
// are two files: each converts into its own presentation beside it.
TEST_F(ConversionWorkerTest, BackslashesAndLetterCaseAreOrdinaryNameParts)
{
    fs::create_directories(folder.File("edge"));
    const std::string odd = MakePdf(folder, "edge/we\\ird", twoPages);
    const std::string upper = MakePdf(folder, "edge/Case", twoPages);
    const std::string lower = MakePdf(folder, "edge/case", twoPages);
    for (const std::string& pdf : {odd, upper, lower})
        Add(pdf);
    Run();
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Completed", "Completed", "Completed"}));
    EXPECT_FALSE(fs::exists(folder.File("edge/we"))) << "no folder is made of the name's first part";
    for (const char* deck : {"edge/we\\ird.ppt", "edge/Case.ppt", "edge/case.ppt"}) {
        CommandResult poi = DescribeWithPoi(folder.File(deck));
        ASSERT_EQ(poi.status, 0) << deck << "\n" << poi.output;
        EXPECT_NE(poi.output.find("slides 2\n"), std::string::npos) << poi.output;
    }
    EXPECT_EQ(g_strFirstSourceFolder.Text(), folder.File("edge"));
    EXPECT_TRUE(g_bSingleSourceFolder) << "one folder, though a name holds a backslash";
}

// With Overwrite on, an output folder where the presentation's name is a
// link to its own source: the engine refuses, the row says so, the source
// and the link stay as they were, and the run goes on.
TEST_F(ConversionWorkerTest, AnOutputThatIsItsOwnSourceIsRefusedInItsRow)
{
    const std::string pdf = MakePdf(folder, "plain", twoPages), other = MakePdf(folder, "other", twoPages);
    const std::string out = folder.File("out");
    fs::create_directories(out);
    fs::create_symlink(pdf, out + "/plain.ppt");
    std::ifstream original(pdf, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(original), {});
    CAppSettings* settings = CAppSettings::Instance();
    settings->SetOutputLocation(1);
    settings->SetOutputFolder(CString(out));
    settings->SetOverwrite(1);
    Add(pdf);
    Add(other);
    Run();
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Error: -5", "Completed"}));
    std::ifstream kept(pdf, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), bytes);
    EXPECT_TRUE(fs::is_symlink(out + "/plain.ppt"));
    EXPECT_TRUE(fs::exists(out + "/other.ppt"));
    EXPECT_EQ(window.doneMessages, 1);
}

TEST_F(ConversionWorkerTest, AnEmptyListStillReportsTheEnd)
{
    Run();
    EXPECT_EQ(window.doneMessages, 1);
    EXPECT_TRUE(list.statuses.empty());
}

// The program reaches the engine through its library alone: the library is
// a load-time dependency, and the PDF core is not one of the program's.
TEST(FrontEndLinking, TheEngineLibraryIsLinkedAndThePdfCoreIsNot)
{
    CommandResult needed = RunCommand("readelf -d /proc/" + std::to_string(getpid()) + "/exe");
    ASSERT_EQ(needed.status, 0) << needed.output;
    EXPECT_NE(needed.output.find("[libCorvane.so]"), std::string::npos) << needed.output;
    EXPECT_EQ(needed.output.find("libpoppler"), std::string::npos) << needed.output;
}

} // namespace
