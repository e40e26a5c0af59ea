// Conversion runs from the real main dialog through libCorvane.so: the
// statuses in the list, the controls during and after a run, Stop, the
// close box during a run, the end of a run, and a worker that cannot start.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <wx/app.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "../ScopedEnv.h"
#include "tests/support/OutsidePrograms.h"
#include "tests/support/PdfMaker.h"
#include "MainWindowFixture.h"
#include "frontend/AppSettings.h"
#include "frontend/DialogTemplate.h"
#include "frontend/FileList.h"
#include "frontend/ResourceIds.h"

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

const char* const kOnePage = R"(%!PS
<< /PageSize [300 200] >> setpagedevice
/Helvetica findfont 24 scalefont setfont
20 100 moveto (Slide text) show showpage
)";

class MainWindowRunTest : public MainWindowFixture {
protected:
    std::string Pdf(const std::string& name) { return MakePdf(pdfs, name, kOnePage); }

    std::string Damaged() {
        std::string path = pdfs.File("damaged.pdf");
        std::ofstream(path) << "%PDF-1.4\n1 0 obj << /Type /Catalog >> endobj\n";
        return path;
    }

    void UseOtherFolder(const std::string& typed) {
        ChooseRadio(dialog, IDC_OTHER_FOLDER);
        Type(dialog, IDC_OUTPUT_FOLDER, typed);
        Settle(*pump);
    }

    bool WaitForTheEndOfTheRun() {
        return RunUntil(*pump, [&] { return !dialog->IsConverting(); }, 180000) == kConditionMet;
    }

    ScratchFolder pdfs;
};

TEST_F(MainWindowRunTest, ConvertsTheListThroughTheEngineAndShowsEachStatus) {
    const std::string first = Pdf("first"), damaged = Damaged(), second = Pdf("second");
    const std::string out = (dir / "out").string();
    CAppSettings::Instance()->SetOpenOutput(1);
    Drop({first, damaged, second});
    SetRowStatus(dialog->FileList().GetHwnd(), 0, "Completed");  // from an earlier run
    UseOtherFolder("  " + out + " ");

    PostCommand(dialog, IDC_CONVERT);
    ASSERT_EQ(RunUntil(*pump, [&] { return dialog->IsConverting(); }), kConditionMet);
    Settle(*pump);
    EXPECT_EQ(GetItemText(dialog, IDC_CONVERT), "&Stop");
    for (int id : {IDC_ADD_FILES, IDC_ADD_FOLDER, IDC_REMOVE, IDC_REMOVE_ALL, IDC_MOVE_UP, IDC_MOVE_DOWN,
                   IDC_SAME_FOLDER, IDC_OTHER_FOLDER, IDC_OUTPUT_FOLDER, IDC_BROWSE_FOLDER, IDC_SETTINGS})
        EXPECT_FALSE(IsEnabled(id)) << id;
    for (int id : {IDC_CONVERT, IDC_HELP_BUTTON, ID_APP_ABOUT})
        EXPECT_TRUE(IsEnabled(id)) << id;
    EXPECT_FALSE(dialog->IsAcceptingDrops());
    Drop({Pdf("late")});
    EXPECT_EQ(Column(0), Texts({first, damaged, second})) << "drops wait for the end of the run";

    ASSERT_TRUE(WaitForTheEndOfTheRun());

    EXPECT_EQ(Column(1), Texts({"Completed", "Error: -2", "Completed"}));
    EXPECT_TRUE(fs::exists(out + "/first.ppt"));
    EXPECT_TRUE(fs::exists(out + "/second.ppt"));
    EXPECT_FALSE(fs::exists(out + "/damaged.ppt"));
    EXPECT_EQ(shell.opened, Texts({out})) << "the folder opens as the worker used it, without the blanks";
    EXPECT_TRUE(shell.boxes.empty());
    Settle(*pump);
    EXPECT_EQ(GetItemText(dialog, IDC_CONVERT), "&Convert");
    for (int id : {IDC_ADD_FILES, IDC_ADD_FOLDER, IDC_SAME_FOLDER, IDC_OTHER_FOLDER, IDC_OUTPUT_FOLDER,
                   IDC_BROWSE_FOLDER, IDC_SETTINGS, IDC_CONVERT, IDC_REMOVE_ALL})
        EXPECT_TRUE(IsEnabled(id)) << id;
    EXPECT_TRUE(dialog->IsAcceptingDrops());

    Pause(*pump, 600);
    ExpectScreenshotOf(dialog, "Norvik Slidemint Converter", "main-window-after-run");
}

TEST_F(MainWindowRunTest, SameFolderRunsOverTwoFoldersTellTheUserAndOpenTheFirstFolder) {
    fs::create_directories(pdfs.File("other"));
    const std::string a = Pdf("a"), b = MakePdf(pdfs, "other/b", kOnePage);
    CAppSettings::Instance()->SetOpenOutput(1);
    Drop({a, b});
    PostCommand(dialog, IDC_CONVERT);
    ASSERT_EQ(RunUntil(*pump, [&] { return dialog->IsConverting(); }), kConditionMet);
    ASSERT_TRUE(WaitForTheEndOfTheRun());

    EXPECT_EQ(Column(1), Texts({"Completed", "Completed"}));
    EXPECT_TRUE(fs::exists(pdfs.File("a.ppt")));
    EXPECT_TRUE(fs::exists(pdfs.File("other/b.ppt")));
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].text,
              "Conversion Completed. The converted file(s) saved in the same folder as the source PDF file.");
    EXPECT_EQ(shell.boxes[0].caption, "Conversion Completed");
    EXPECT_EQ(shell.boxes[0].type, UINT(MB_ICONINFORMATION));
    EXPECT_EQ(shell.opened, Texts({pdfs.Path()}));
}

TEST_F(MainWindowRunTest, StopEndsTheRunAfterTheFileInProgress) {
    Drop({Pdf("one"), Pdf("two"), Pdf("three")});
    CAppSettings::Instance()->SetOpenOutput(0);
    // Stop is queued right behind Convert, before the worker's first status.
    PostCommand(dialog, IDC_CONVERT);
    PostCommand(dialog, IDC_CONVERT);
    ASSERT_EQ(RunUntil(*pump, [&] { return dialog->IsConverting(); }), kConditionMet);
    ASSERT_TRUE(WaitForTheEndOfTheRun());
    EXPECT_EQ(Column(1), Texts({"Completed", "", ""}));
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(MainWindowRunTest, TheCloseBoxDuringARunStopsAfterTheFileAndEndsWithCode2) {
    Drop({Pdf("one"), Pdf("two")});
    PostCommand(dialog, IDC_CONVERT);
    wxTheApp->CallAfter([this] { dialog->Close(); });
    EXPECT_EQ(RunUntil(*pump, [] { return false; }, 180000), 2);
    CloseDialogNow();
    EXPECT_FALSE(dialog);
    EXPECT_TRUE(fs::exists(pdfs.File("one.ppt")));
    EXPECT_FALSE(fs::exists(pdfs.File("two.ppt")));
}

// How soon the window must answer a close: at once, with room for a busy
// machine and more under the sanitizers; and pages of text enough for the
// engine to take several times as long over the file.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kAtOnceMs = 5000, kLongFilePages = 80;
#else
constexpr int kAtOnceMs = 1000, kLongFilePages = 400;
#endif

std::string LongFile() {
    return "%!PS\n<< /PageSize [600 400] >> setpagedevice\n/Helvetica findfont 9 scalefont setfont\n1 1 " +
           std::to_string(kLongFilePages) +
           " {\n  pop\n"
           "  0 1 34 { 10 mul 380 exch sub 20 exch moveto"
           " (A line of slide text that the engine reads, places and writes.) show } for\n"
           "  showpage\n} for\n";
}

// The X server's id of the top-level window with the program's title.
std::string ProgramWindowId() {
    std::string id = Capture("xdotool search --onlyvisible --name '^Norvik Slidemint Converter$' 2>/dev/null | head -1");
    while (!id.empty() && (id.back() == '\n' || id.back() == ' '))
        id.pop_back();
    return id;
}

// A run over a file the engine takes a while over, then one more file.
class MainWindowLongRunTest : public MainWindowRunTest {
protected:
    void StartTheLongFile() {
        const std::string longFile = MakePdf(pdfs, "long", LongFile()), next = Pdf("next");
        CAppSettings::Instance()->SetOpenOutput(0);
        Drop({longFile, next});
        PostCommand(dialog, IDC_CONVERT);
        ASSERT_EQ(RunUntil(*pump, [&] { return Column(1)[0] == "Converting"; }, 60000), kConditionMet);
        window = ProgramWindowId();
        ASSERT_FALSE(window.empty());
    }

    // The close box, as the window manager sends it.
    void CloseBox() { ASSERT_EQ(RunProgram({CLOSE_WINDOW_TOOL, window}).status, 0); }

    void ExpectTheStopShownAtOnce() {
        EXPECT_EQ(RunUntil(*pump, [&] {
            return GetItemText(dialog, IDC_CONVERT) == "Stopping..." && !IsEnabled(IDC_CONVERT) &&
                   Column(1)[0] == "Finishing";
        }, kAtOnceMs), kConditionMet);
        EXPECT_EQ(Column(1), Texts({"Finishing", ""})) << "the long file is still converting";
        EXPECT_TRUE(dialog->IsShown());
    }

    // The program ends with the close box's code once the long file is
    // done, without starting the next, and leaves the whole deck alone.
    void ExpectTheProgramToEndAfterTheLongFile() {
        bool nextStarted = false;
        const int code = RunUntil(*pump, [&] {
            if (dialog && dialog->FileList().GetRowCount() == 2 && !Column(1)[1].empty())
                nextStarted = true;
            return false;
        }, 300000);
        EXPECT_EQ(code, 2) << "the program ends when the file is done";
        EXPECT_FALSE(nextStarted);
        CloseDialogNow();
        EXPECT_FALSE(dialog);
        Texts written;
        for (const auto& entry : fs::directory_iterator(pdfs.Path()))
            if (entry.path().extension() != ".pdf" && entry.path().extension() != ".ps")
                written.push_back(entry.path().filename().string());
        EXPECT_EQ(written, Texts({"long.ppt"})) << "the whole deck, and no temporary copy beside it";
    }

    std::string window;
};

// A close during a long file shows at once that the run ends after it; a
// second close is taken too, and the program ends when the file is done.
TEST_F(MainWindowLongRunTest, TheCloseBoxShowsTheStopAtOnceAndTheProgramEndsAfterTheFile) {
    StartTheLongFile();
    CloseBox();
    ExpectTheStopShownAtOnce();
    ExpectScreenshotOf(dialog, "Norvik Slidemint Converter", "main-window-stopping");
    CloseBox();
    ExpectTheProgramToEndAfterTheLongFile();
}

// Stop, clicked, shows the same at once and cannot be pressed again; a
// close after it still ends the program once the file is done.
TEST_F(MainWindowLongRunTest, StopShowsAtOnceAndACloseAfterItStillEndsTheProgram) {
    StartTheLongFile();
    wxWindow* button = dialog->FindWindow(IDC_CONVERT);
    wxUIActionSimulator user;
    user.MouseMove(button->GetScreenRect().GetPosition() + button->GetSize() / 2);
    Settle(*pump);
    user.MouseClick();
    ExpectTheStopShownAtOnce();
    CloseBox();
    ExpectTheProgramToEndAfterTheLongFile();
}

TEST_F(MainWindowRunTest, ALeadingTildeInTheOutputFolderIsTheHomeFolder) {
    ScratchFolder home;
    ScopedEnv homeVariable("HOME", home.Path().c_str());
    CAppSettings::Instance()->SetOpenOutput(1);
    Drop({Pdf("deck")});
    UseOtherFolder(" ~/slides ");
    PostCommand(dialog, IDC_CONVERT);
    ASSERT_EQ(RunUntil(*pump, [&] { return dialog->IsConverting(); }), kConditionMet);
    ASSERT_TRUE(WaitForTheEndOfTheRun());
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_EQ(Column(1), Texts({"Completed"}));
    EXPECT_TRUE(fs::exists(home.File("slides/deck.ppt")));
    EXPECT_FALSE(fs::exists("~")) << "no folder named ~ where the program started";
    EXPECT_EQ(shell.opened, Texts({home.File("slides")}));
    EXPECT_EQ(GetItemText(dialog, IDC_OUTPUT_FOLDER), " ~/slides ") << "the folder stays as typed";
}

// Whether the view shows the row without scrolling.
bool RowIsInView(CFileListCtrl& view, int row) {
    const long top = view.GetTopItem();
    return row >= top && row < top + view.GetCountPerPage();
}

TEST_F(MainWindowRunTest, TheRowBeingConvertedScrollsIntoView) {
    Texts files;
    for (int i = 0; i < 40; i++) {
        files.push_back(pdfs.File("damaged" + std::to_string(100 + i) + ".pdf"));
        std::ofstream(files.back()) << "%PDF-1.4\n";
    }
    Drop(files);
    CFileListCtrl& view = dialog->FileList();
    ASSERT_LT(view.GetCountPerPage(), 40) << "the list must be longer than the view";
    ASSERT_TRUE(RowIsInView(view, 0));

    int seen = 0, hidden = 0;
    PostCommand(dialog, IDC_CONVERT);
    ASSERT_EQ(RunUntil(*pump, [&] { return dialog->IsConverting(); }), kConditionMet);
    RunUntil(*pump, [&] {
        const Texts statuses = Column(1);
        for (int row = 0; row < int(statuses.size()); row++)
            if (statuses[size_t(row)] == "Converting") {
                seen++;
                hidden += RowIsInView(view, row) ? 0 : 1;
            }
        return !dialog->IsConverting();
    }, 180000);
    ASSERT_FALSE(dialog->IsConverting());
    EXPECT_EQ(hidden, 0) << "of " << seen << " rows seen converting";
    EXPECT_EQ(Column(1).back(), "Error: -2");
    EXPECT_TRUE(RowIsInView(view, 39)) << "the last row converted is in view";
    EXPECT_GT(view.GetTopItem(), 0);
}

HANDLE NoThread(LPSECURITY_ATTRIBUTES, size_t, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD) { return nullptr; }

TEST_F(MainWindowRunTest, AWorkerThatCannotStartLeavesTheDialogIdleAndEnabled) {
    Drop({Pdf("one")});
    CMainDialog::ThreadStarter real = CMainDialog::s_pfnCreateThread;
    CMainDialog::s_pfnCreateThread = &NoThread;
    Click(IDC_CONVERT);
    CMainDialog::s_pfnCreateThread = real;

    EXPECT_FALSE(dialog->IsConverting());
    EXPECT_EQ(GetItemText(dialog, IDC_CONVERT), "&Convert");
    for (int id : {IDC_ADD_FILES, IDC_ADD_FOLDER, IDC_SETTINGS, IDC_CONVERT, IDC_SAME_FOLDER})
        EXPECT_TRUE(IsEnabled(id)) << id;
    EXPECT_TRUE(dialog->IsAcceptingDrops());

    // And the close box ends the program at once.
    wxTheApp->CallAfter([this] { dialog->Close(); });
    EXPECT_EQ(RunUntil(*pump, [] { return false; }), 2);
}

// Names need not be UTF-8. A Latin-1 name dropped, in a dropped folder, or
// in a folder picked for Add Folder is listed with its exact bytes, shown
// with its letters, and converts to a deck under the same bytes.
TEST_F(MainWindowRunTest, Latin1NamesComeInShowAndConvertThroughEveryWay) {
    const std::string made = Pdf("made");
    fs::create_directories(pdfs.File("d\xE9p\xF4t"));
    fs::create_directories(pdfs.File("pick\xE9"));
    struct Name {
        std::string bytes, shown;
    } const names[] = {
        {pdfs.File("caf\xE9.pdf"), pdfs.File("café.pdf")},
        {pdfs.File("d\xE9p\xF4t/r\xE9sum\xE9.pdf"), pdfs.File("dépôt/résumé.pdf")},
        {pdfs.File("pick\xE9/na\xEFve.pdf"), pdfs.File("pické/naïve.pdf")},
    };
    for (const Name& name : names)
        fs::copy_file(made, name.bytes);
    CAppSettings::Instance()->SetOpenOutput(0);

    Drop({names[0].bytes, pdfs.File("d\xE9p\xF4t")});
    shell.pickedFolder = pdfs.File("pick\xE9");
    Click(IDC_ADD_FOLDER);

    Texts bytes, shown, decks;
    for (const Name& name : names) {
        bytes.push_back(name.bytes);
        shown.push_back(name.shown);
        decks.push_back(name.bytes.substr(0, name.bytes.size() - 4) + ".ppt");
    }
    ASSERT_EQ(Column(0), bytes);
    EXPECT_EQ(ShownColumn(0), shown);
    ExpectScreenshotOf(dialog, "Norvik Slidemint Converter", "file-list-with-latin-1-names");

    PostCommand(dialog, IDC_CONVERT);
    ASSERT_EQ(RunUntil(*pump, [&] { return dialog->IsConverting(); }), kConditionMet);
    ASSERT_TRUE(WaitForTheEndOfTheRun());
    EXPECT_EQ(Column(1), Texts({"Completed", "Completed", "Completed"}));
    for (const std::string& deck : decks)
        EXPECT_TRUE(fs::is_regular_file(deck)) << deck;
}

// A Latin-1 output folder picked with the browse button stays its bytes
// through the edit field: the decks go there and that folder opens.
TEST_F(MainWindowRunTest, ALatin1OutputFolderFromThePickerIsUsedByItsBytes) {
    const std::string out = pdfs.File("sortie-\xE9t\xE9");
    CAppSettings::Instance()->SetOpenOutput(1);
    Drop({Pdf("deck")});
    ChooseRadio(dialog, IDC_OTHER_FOLDER);
    Settle(*pump);
    shell.pickedFolder = out;
    Click(IDC_BROWSE_FOLDER);
    PostCommand(dialog, IDC_CONVERT);
    ASSERT_EQ(RunUntil(*pump, [&] { return dialog->IsConverting(); }), kConditionMet);
    ASSERT_TRUE(WaitForTheEndOfTheRun());
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_EQ(Column(1), Texts({"Completed"}));
    EXPECT_TRUE(fs::is_regular_file(out + "/deck.ppt"));
    EXPECT_EQ(shell.opened, Texts({out}));
}

// The output folder opens at the end of a run only when it is a folder and
// something was saved: a file typed as the folder is never opened.
TEST_F(MainWindowRunTest, OnlyAnExistingFolderOpensAndOnlyAfterSomethingWasSaved) {
    const std::string notAFolder = pdfs.File("notes.txt");
    std::ofstream(notAFolder) << "a file, not a folder\n";
    CAppSettings::Instance()->SetOpenOutput(1);
    struct Case {
        const char* what;
        std::vector<std::string> sources;
        std::string typed;  // empty: the same-folder choice
        Texts statuses, opened;
    } cases[] = {
        {"a file as the output folder", {Pdf("one")}, notAFolder, {"Error: -5"}, {}},
        {"nothing completed, other folder", {Damaged()}, (dir / "out").string(), {"Error: -2"}, {}},
        {"nothing completed, same folder", {Damaged()}, "", {"Error: -2"}, {}},
        {"a deck saved", {Pdf("two")}, (dir / "out").string(), {"Completed"}, {(dir / "out").string()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Click(IDC_REMOVE_ALL);
        shell.opened.clear();
        Drop(c.sources);
        if (c.typed.empty())
            ChooseRadio(dialog, IDC_SAME_FOLDER);
        else
            UseOtherFolder(c.typed);
        Settle(*pump);
        PostCommand(dialog, IDC_CONVERT);
        ASSERT_EQ(RunUntil(*pump, [&] { return dialog->IsConverting(); }), kConditionMet);
        ASSERT_TRUE(WaitForTheEndOfTheRun());
        EXPECT_EQ(Column(1), c.statuses);
        EXPECT_EQ(shell.opened, c.opened);
    }
}

}  // namespace
