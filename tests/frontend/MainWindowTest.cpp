// The real main dialog under an X server: rows from drops, the picker and
// folders, removal and moves with the enable rules after each step, the
// output-folder check, Escape and the close box.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <wx/app.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "MainWindowFixture.h"
#include "frontend/AppSettings.h"
#include "../ScopedEnv.h"
#include "frontend/DialogTemplate.h"
#include "frontend/FileNames.h"
#include "frontend/FileList.h"
#include "frontend/ResourceIds.h"

namespace {

using Paths = std::vector<std::string>;

class MainWindowTest : public MainWindowFixture {
protected:
    void ChooseOutput(int radioId, const std::string& folder) {
        ChooseRadio(dialog, radioId);
        Type(dialog, IDC_OUTPUT_FOLDER, folder);
        Settle(*pump);
    }
};

TEST_F(MainWindowTest, DropAddsPdfFilesAndWholeFolderTreesAndRefusesDuplicates) {
    const std::string one = MakeFile("one.pdf"), two = MakeFile("two.PDF");
    MakeFile("readme.txt");
    const std::string three = MakeFile("folder/three.pdf"), four = MakeFile("folder/sub/four.pdf");
    MakeFile("folder/notes.pdfx");
    CAppSettings::Instance()->SetIncSubDir(0);  // a dropped folder brings its sub-folders anyway

    Drop({one, two, (dir / "readme.txt").string(), (dir / "folder").string()});

    Paths rows = Column(0);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], one);
    EXPECT_EQ(rows[1], two);
    std::sort(rows.begin() + 2, rows.end());
    EXPECT_EQ(rows[2], four);
    EXPECT_EQ(rows[3], three);
    EXPECT_TRUE(dialog->FileList().Selected(0));
    EXPECT_TRUE(dialog->FileList().GetItemState(0, wxLIST_STATE_SELECTED) != 0) << "the view shows the selection";

    Drop({one, three, (dir / "folder").string()});
    EXPECT_EQ(Column(0).size(), 4u) << "paths already listed are refused";
}

TEST_F(MainWindowTest, AddFolderFollowsTheSubFolderSettingAndAddFilesTakesThePickersOrder) {
    const std::string top = MakeFile("in/top.pdf"), deep = MakeFile("in/sub/deep.pdf");
    shell.pickedFolder = (dir / "in").string();

    CAppSettings::Instance()->SetIncSubDir(0);
    Click(IDC_ADD_FOLDER);
    EXPECT_EQ(Column(0), Paths({top}));
    EXPECT_EQ(shell.prompts, Paths({"Add all PDF files in the folder:"}));

    CAppSettings::Instance()->SetIncSubDir(1);
    Click(IDC_ADD_FOLDER);
    EXPECT_EQ(Column(0), Paths({top, deep}));

    const std::string b = MakeFile("b.pdf"), a = MakeFile("a.pdf");
    shell.pickedFiles = {b, a, top};
    Click(IDC_ADD_FILES);
    EXPECT_EQ(Column(0), Paths({top, deep, b, a}));
}

TEST_F(MainWindowTest, RemoveAndMovesKeepStatusesAndTheEnableRulesFollowEachStep) {
    const std::string a = MakeFile("a.pdf"), b = MakeFile("b.pdf"), c = MakeFile("c.pdf");
    Drop({a, b, c});
    SetRowStatus(dialog->FileList().GetHwnd(), 0, "Completed");

    struct Step {
        int command;  // 0: nothing, look at the state after the drop
        Paths rows;
        bool removeAll, convert, remove, up, down;
    };
    const Step steps[] = {
        {0, {a, b, c}, true, true, true, false, true},
        {IDC_MOVE_DOWN, {b, a, c}, true, true, true, true, true},
        {IDC_MOVE_DOWN, {b, c, a}, true, true, true, true, false},
        {IDC_MOVE_DOWN, {b, c, a}, true, true, true, true, false},  // last row stays
        {IDC_MOVE_UP, {b, a, c}, true, true, true, true, true},
        {IDC_REMOVE, {b, c}, true, true, true, false, true},  // and row 0 is selected
        {IDC_REMOVE_ALL, {}, false, false, false, false, false},
    };
    for (const Step& step : steps) {
        if (step.command)
            Click(step.command);
        SCOPED_TRACE(step.command);
        EXPECT_EQ(Column(0), step.rows);
        EXPECT_EQ(ShownColumn(0), step.rows) << "the view shows each row added, moved or removed";
        EXPECT_EQ(ShownColumn(1), Column(1));
        EXPECT_TRUE(ViewShowsTheSelection());
        EXPECT_EQ(IsEnabled(IDC_REMOVE_ALL), step.removeAll);
        EXPECT_EQ(IsEnabled(IDC_CONVERT), step.convert);
        EXPECT_EQ(IsEnabled(IDC_REMOVE), step.remove);
        EXPECT_EQ(IsEnabled(IDC_MOVE_UP), step.up);
        EXPECT_EQ(IsEnabled(IDC_MOVE_DOWN), step.down);
        auto at = std::find(step.rows.begin(), step.rows.end(), a);
        if (at != step.rows.end()) {
            EXPECT_EQ(Column(1)[size_t(at - step.rows.begin())], "Completed") << "the status moves with its row";
        }
    }
}

TEST_F(MainWindowTest, MovesActOnlyOnExactlyOneSelectedRow) {
    const std::string a = MakeFile("a.pdf"), b = MakeFile("b.pdf"), c = MakeFile("c.pdf");
    Drop({a, b, c});
    // Ctrl+click row 1 as a user does: rows 0 and 1 are then selected.
    wxRect rect;
    dialog->FileList().GetItemRect(1, rect);
    wxUIActionSimulator mouse;
    mouse.MouseMove(dialog->FileList().ClientToScreen(rect.GetPosition() + wxPoint(20, rect.height / 2)));
    mouse.KeyDown(WXK_CONTROL);
    mouse.MouseClick();
    mouse.KeyUp(WXK_CONTROL);
    Settle(*pump);
    ASSERT_EQ(dialog->FileList().GetSelectedCount(), 2);
    EXPECT_FALSE(IsEnabled(IDC_MOVE_UP));
    EXPECT_FALSE(IsEnabled(IDC_MOVE_DOWN));
    Click(IDC_MOVE_UP);
    Click(IDC_MOVE_DOWN);
    EXPECT_EQ(Column(0), Paths({a, b, c}));
    Click(IDC_REMOVE);
    EXPECT_EQ(Column(0), Paths({c}));
}

TEST_F(MainWindowTest, ConvertWithTheOtherFolderChosenAndNoFolderAsksForOne) {
    Drop({MakeFile("a.pdf")});
    ChooseOutput(IDC_OTHER_FOLDER, "   ");
    EXPECT_TRUE(IsEnabled(IDC_OUTPUT_FOLDER));
    EXPECT_TRUE(IsEnabled(IDC_BROWSE_FOLDER));

    Click(IDC_CONVERT);

    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].text, "Please set the output folder.");
    EXPECT_EQ(shell.boxes[0].caption, "Output Location");
    EXPECT_EQ(shell.boxes[0].type, UINT(MB_ICONERROR));
    EXPECT_FALSE(dialog->IsConverting());
    EXPECT_EQ(GetItemText(dialog, IDC_CONVERT), "&Convert");
    EXPECT_TRUE(IsEnabled(IDC_ADD_FILES));

    ChooseOutput(IDC_SAME_FOLDER, "");
    EXPECT_FALSE(IsEnabled(IDC_OUTPUT_FOLDER));
    EXPECT_FALSE(IsEnabled(IDC_BROWSE_FOLDER));
}

TEST_F(MainWindowTest, ARelativeOutputFolderIsRefusedWithAMessage) {
    Drop({MakeFile("a.pdf")});
    for (const char* typed : {"slides", "./slides", " ../out ", "~nobody/out", "slides/~"}) {
        shell.boxes.clear();
        ChooseOutput(IDC_OTHER_FOLDER, typed);
        Click(IDC_CONVERT);
        ASSERT_EQ(shell.boxes.size(), 1u) << typed;
        EXPECT_EQ(shell.boxes[0].text, "Please enter the full path of the output folder.") << typed;
        EXPECT_EQ(shell.boxes[0].caption, "Output Location");
        EXPECT_EQ(shell.boxes[0].type, UINT(MB_ICONERROR));
        EXPECT_FALSE(dialog->IsConverting()) << typed;
        EXPECT_EQ(GetItemText(dialog, IDC_CONVERT), "&Convert");
    }
    EXPECT_FALSE(std::filesystem::exists("slides"));
    EXPECT_FALSE(std::filesystem::exists("~nobody"));
}

TEST_F(MainWindowTest, PickersAndMessageBoxesAreOwnedByTheMainWindow) {
    shell.pickedFiles = {MakeFile("a.pdf")};
    Click(IDC_ADD_FILES);
    shell.pickedFolder = dir.string();
    Click(IDC_ADD_FOLDER);
    dialog->FindWindow(IDC_BROWSE_FOLDER)->Enable();
    Click(IDC_BROWSE_FOLDER);
    ChooseOutput(IDC_OTHER_FOLDER, "");
    Click(IDC_CONVERT);
    ASSERT_EQ(shell.owners.size(), 4u);
    for (wxWindow* owner : shell.owners)
        EXPECT_EQ(owner, static_cast<wxWindow*>(dialog));
}

TEST_F(MainWindowTest, BrowseFillsTheFolderAndKeepsTheRadioChoice) {
    ChooseOutput(IDC_SAME_FOLDER, "");
    shell.pickedFolder = (dir / "out").string();
    dialog->FindWindow(IDC_BROWSE_FOLDER)->Enable();  // picking while the same-folder choice is on
    Click(IDC_BROWSE_FOLDER);
    EXPECT_EQ(shell.prompts, Paths({"Select folder:"}));
    EXPECT_EQ(FileSystemName(GetItemText(dialog, IDC_OUTPUT_FOLDER)), shell.pickedFolder)
        << "byte for byte, whatever the locale";
    EXPECT_TRUE(dynamic_cast<wxRadioButton*>(dialog->FindWindow(IDC_SAME_FOLDER))->GetValue());
}

// Records what reaches the loop's filters before the dialog's own.
struct KeyWitness : MessageFilter {
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE)
            escapes++;
        return FALSE;
    }
    int escapes = 0;
};

TEST_F(MainWindowTest, EscapeIsSwallowedAndTheCloseBoxEndsTheLoopWithCode2) {
    KeyWitness witness;
    loop.AddMessageFilter(&witness);  // walked before the dialog, registered earlier
    wxUIActionSimulator keyboard;
    keyboard.MouseMove(dialog->GetScreenRect().GetPosition() + wxPoint(40, 200));
    dialog->Raise();
    dialog->FindWindow(IDC_ADD_FILES)->SetFocus();
    Settle(*pump);
    keyboard.Char(WXK_ESCAPE);
    int code = RunUntil(*pump, [&] { return false; }, 700);
    EXPECT_EQ(code, kTimedOut) << "Escape must not end the program";
    EXPECT_GE(witness.escapes, 1) << "the key never reached the loop";
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->IsShown());
    loop.RemoveMessageFilter(&witness);

    wxTheApp->CallAfter([this] { dialog->Close(); });
    EXPECT_EQ(RunUntil(*pump, [] { return false; }), 2);
    CloseDialogNow();
    EXPECT_FALSE(dialog);
}

// The desktop's own pickers and opener hand names over as the file system
// has them: a name that is not UTF-8 goes through the toolkit's text and
// comes back byte for byte, and reaches the program that opens it so.
TEST_F(MainWindowTest, NamesThatAreNotUtf8CrossTheToolkitByteForByte) {
    const std::string names[] = {"/tmp/caf\xE9.pdf", "/tmp/d\xE9p\xF4t/x.pdf", "/tmp/ascii.pdf", "/tmp/na\xC3\xAFve.pdf",
                                 "/tmp/\x80\xFF"};
    for (const std::string& name : names)
        EXPECT_EQ(FileSystemName(FileNameAsToolkitText(name)), name);
    EXPECT_EQ(FileNameForDisplay("/tmp/caf\xE9.pdf").utf8_string(), "/tmp/café.pdf");
    EXPECT_EQ(FileNameForDisplay("/tmp/na\xC3\xAFve.pdf").utf8_string(), "/tmp/naïve.pdf");
    EXPECT_EQ(FileNameForDisplay("x\x80y\x81").utf8_string(), "x\xE2\x82\xACy\xC2\x81") << "Windows-1252: 0x80 is the euro sign";

    // A stand-in for xdg-open writes down the bytes it was given.
    const std::string bin = (dir / "bin").string(), seen = (dir / "seen").string();
    const std::string folder = (dir / "d\xE9p\xF4t").string();
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(folder);
    std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nprintf '%s' \"$1\" > '" << seen << ".part' && mv '" << seen
                                     << ".part' '" << seen << "'\n";
    std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
    ScopedEnv path("PATH", (bin + ":" + std::getenv("PATH")).c_str());
    DesktopShell desktop;
    EXPECT_TRUE(desktop.Open(folder));
    ASSERT_EQ(RunUntil(*pump, [&] { return std::filesystem::exists(seen); }, 30000), kConditionMet);
    std::ifstream in(seen, std::ios::binary);
    const std::string given((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(given, folder);
}

}  // namespace
