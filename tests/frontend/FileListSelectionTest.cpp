// The file list as a user works it: real clicks on the rows' rectangles,
// with Shift and Ctrl, and the arrow keys, followed by Remove and the moves;
// the rows left must be the ones the user chose.
#include <gtest/gtest.h>

#include <wx/uiaction.h>

#include <fstream>

#include "tests/support/PdfMaker.h"
#include "MainWindowFixture.h"
#include "frontend/ResourceIds.h"

namespace {

using Paths = std::vector<std::string>;

enum class Key { None, Shift, Ctrl, CtrlShift };

bool HasShift(Key key) { return key == Key::Shift || key == Key::CtrlShift; }
bool HasCtrl(Key key) { return key == Key::Ctrl || key == Key::CtrlShift; }

class FileListSelectionTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        for (const char* name : {"a.pdf", "b.pdf", "c.pdf", "d.pdf"})
            files.push_back(MakeFile(name));
        Drop(files);
        dialog->Raise();
        Settle(*pump);
    }

    // Clicks inside the row's rectangle, holding `key`.
    void ClickRow(int row, Key key = Key::None) {
        wxRect rect;
        ASSERT_TRUE(dialog->FileList().GetItemRect(row, rect));
        wxUIActionSimulator user;
        // Each click lands away from the one before, so that two clicks on
        // one row are never taken for a double click.
        const int x = clicks++ % 2 ? 80 : 20;
        user.MouseMove(dialog->FileList().ClientToScreen(rect.GetPosition() + wxPoint(x, rect.height / 2)));
        Settle(*pump);
        if (HasCtrl(key))
            user.KeyDown(WXK_CONTROL);
        if (HasShift(key))
            user.KeyDown(WXK_SHIFT);
        user.MouseClick();
        if (HasShift(key))
            user.KeyUp(WXK_SHIFT);
        if (HasCtrl(key))
            user.KeyUp(WXK_CONTROL);
        Settle(*pump);
    }

    // Clicks the empty area of the list below its last row.
    void ClickBelowTheRows() {
        CFileListCtrl& list = dialog->FileList();
        wxRect last;
        ASSERT_TRUE(list.GetItemRect(list.GetItemCount() - 1, last));
        const wxPoint below = last.GetBottomLeft() + wxPoint(40, last.height * 2);
        int flags = 0;
        ASSERT_EQ(list.HitTest(below, flags), wxNOT_FOUND) << "the point is on no row";
        ASSERT_LT(below.y, list.GetClientSize().y) << "the list must be taller than its rows";
        wxUIActionSimulator user;
        user.MouseMove(list.ClientToScreen(below));
        Settle(*pump);
        user.MouseClick();
        Settle(*pump);
    }

    // Presses a key in the list, holding the modifiers asked for.
    void Press(int keyCode, Key key = Key::None) {
        wxUIActionSimulator user;
        user.Char(keyCode, (HasShift(key) ? wxMOD_SHIFT : 0) | (HasCtrl(key) ? wxMOD_CONTROL : 0));
        Settle(*pump);
    }

    // The list holds these files, one row each, the first selected. They lie
    // in a folder with a short path, so that a screenshot shows their names.
    void ListFiles(const std::vector<const char*>& names) {
        Click(IDC_REMOVE_ALL);
        files.clear();
        for (const char* name : names) {
            files.push_back(shortFolder.File(name));
            std::ofstream(files.back()) << "%PDF-1.4\n";
        }
        Drop(files);
    }

    // The view shows the rows' texts and selection, row for row.
    void ExpectTheViewShowsTheRows() {
        EXPECT_EQ(ShownColumn(0), Column(0));
        EXPECT_EQ(ShownColumn(1), Column(1));
        EXPECT_TRUE(ViewShowsTheSelection());
        EXPECT_EQ(dialog->FileList().GetSelectedItemCount(), dialog->FileList().GetSelectedCount())
            << "the toolkit's own count of selected rows";
    }

    // The selected rows as the list holds them.
    std::vector<int> SelectedRows() {
        std::vector<int> rows;
        for (int row = 0; row < dialog->FileList().GetRowCount(); row++)
            if (dialog->FileList().Selected(row))
                rows.push_back(row);
        return rows;
    }

    Paths Rows(std::initializer_list<int> indexes) {
        Paths rows;
        for (int i : indexes)
            rows.push_back(files[size_t(i)]);
        return rows;
    }

    Paths files;
    int clicks = 0;
    ScratchFolder shortFolder;
};

TEST_F(FileListSelectionTest, APlainClickSelectsOnlyTheClickedRow) {
    ASSERT_EQ(SelectedRows(), std::vector<int>({0})) << "the first row is selected after the drop";
    ClickRow(2);
    EXPECT_EQ(SelectedRows(), std::vector<int>({2}));
    EXPECT_EQ(dialog->FileList().GetSelectionMark(), 2);
    EXPECT_TRUE(ViewShowsTheSelection());
    EXPECT_TRUE(IsEnabled(IDC_MOVE_UP));
    EXPECT_TRUE(IsEnabled(IDC_MOVE_DOWN));
    ExpectScreenshotOf(dialog, "Norvik Slidemint Converter", "file-list-after-a-plain-click");

    Click(IDC_MOVE_UP);
    EXPECT_EQ(Column(0), Rows({0, 2, 1, 3}));
    ClickRow(3);
    EXPECT_EQ(SelectedRows(), std::vector<int>({3}));
    Click(IDC_REMOVE);
    EXPECT_EQ(Column(0), Rows({0, 2, 1}));
    EXPECT_EQ(SelectedRows(), std::vector<int>({0}));
}

TEST_F(FileListSelectionTest, ShiftClickSelectsTheRangeFromTheClickedRow) {
    ClickRow(1);
    ClickRow(3, Key::Shift);
    EXPECT_EQ(SelectedRows(), std::vector<int>({1, 2, 3}));
    ClickRow(0, Key::Shift);
    EXPECT_EQ(SelectedRows(), std::vector<int>({0, 1})) << "the range starts again at the row clicked first";
    EXPECT_TRUE(ViewShowsTheSelection());
    ExpectScreenshotOf(dialog, "Norvik Slidemint Converter", "file-list-after-shift-clicks");
    EXPECT_FALSE(IsEnabled(IDC_MOVE_UP)) << "moves need exactly one selected row";
    Click(IDC_REMOVE);
    EXPECT_EQ(Column(0), Rows({2, 3}));
}

TEST_F(FileListSelectionTest, ShiftClickRightAfterADropStartsAtTheFirstRow) {
    ClickRow(2, Key::Shift);
    EXPECT_EQ(SelectedRows(), std::vector<int>({0, 1, 2}));
    Click(IDC_REMOVE);
    EXPECT_EQ(Column(0), Rows({3}));
}

TEST_F(FileListSelectionTest, CtrlClickAddsAndTakesAwayOneRow) {
    ClickRow(1);
    ClickRow(3, Key::Ctrl);
    EXPECT_EQ(SelectedRows(), std::vector<int>({1, 3}));
    ClickRow(1, Key::Ctrl);
    EXPECT_EQ(SelectedRows(), std::vector<int>({3}));
    Click(IDC_REMOVE);
    EXPECT_EQ(Column(0), Rows({0, 1, 2}));
}

TEST_F(FileListSelectionTest, ArrowKeysMoveTheSelectionAndShiftExtendsIt) {
    ClickRow(0);
    Press(WXK_DOWN);
    EXPECT_EQ(SelectedRows(), std::vector<int>({1}));
    EXPECT_EQ(dialog->FileList().GetSelectionMark(), 1);
    Press(WXK_DOWN, Key::Shift);
    EXPECT_EQ(SelectedRows(), std::vector<int>({1, 2}));
    Press(WXK_UP);
    EXPECT_EQ(SelectedRows(), std::vector<int>({1}));
    EXPECT_TRUE(ViewShowsTheSelection());
    Click(IDC_MOVE_DOWN);
    EXPECT_EQ(Column(0), Rows({0, 2, 1, 3}));
    EXPECT_EQ(SelectedRows(), std::vector<int>({2}));
}

TEST_F(FileListSelectionTest, ShiftKeysRightAfterADropStartAtTheFirstRow) {
    dialog->FileList().SetFocus();
    Settle(*pump);
    Press(WXK_DOWN, Key::Shift);
    EXPECT_EQ(SelectedRows(), std::vector<int>({0, 1}));
    EXPECT_TRUE(ViewShowsTheSelection());
}

TEST_F(FileListSelectionTest, AfterAMoveTheArrowKeysGoOnFromTheMovedRow) {
    ClickRow(1);
    Click(IDC_MOVE_DOWN);
    ASSERT_EQ(Column(0), Rows({0, 2, 1, 3}));
    dialog->FileList().SetFocus();
    Settle(*pump);
    Press(WXK_DOWN);
    EXPECT_EQ(SelectedRows(), std::vector<int>({3}));
    Click(IDC_REMOVE);
    EXPECT_EQ(Column(0), Rows({0, 2, 1}));
}

// One step of a user's: a click on a row or a key, with modifiers.
struct Step {
    enum { ClickOn, Press, ClickBelow } kind;
    int target;  // the row clicked, or the key pressed
    Key key;
};

Step At(int row, Key key = Key::None) { return {Step::ClickOn, row, key}; }
Step KeyPress(int keyCode, Key key = Key::None) { return {Step::Press, keyCode, key}; }
Step BelowTheRows() { return {Step::ClickBelow, -1, Key::None}; }

class FileListSixRowsTest : public FileListSelectionTest {
protected:
    void SetUp() override {
        FileListSelectionTest::SetUp();
        ListFiles({"a.pdf", "b.pdf", "c.pdf", "d.pdf", "e.pdf", "f.pdf"});
        dialog->FileList().SetFocus();
        Settle(*pump);
    }

    void Do(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            if (step.kind == Step::ClickOn)
                ClickRow(step.target, step.key);
            else if (step.kind == Step::ClickBelow)
                ClickBelowTheRows();
            else
                Press(step.target, step.key);
        }
    }
};

// Removing several selected rows at once, however they were chosen, leaves
// a list that clicks and keys go on working on: the toolkit's assertions
// fail the test, and its crash would end it.
TEST_F(FileListSixRowsTest, ClicksAndKeysGoOnWorkingAfterRemovingSeveralRows) {
    struct Case {
        const char* what;
        std::vector<const char*> names;
        std::vector<Step> selection;
        std::vector<int> left;  // indexes into the files listed
    } cases[] = {
        {"a Shift range", {"a.pdf", "b.pdf", "c.pdf", "d.pdf", "e.pdf", "f.pdf"}, {At(0), At(4, Key::Shift)}, {5}},
        {"Ctrl clicks", {"a.pdf", "b.pdf", "c.pdf"}, {At(0), At(2, Key::Ctrl)}, {1}},
        {"keys alone",
         {"a.pdf", "b.pdf", "c.pdf", "d.pdf", "e.pdf", "f.pdf"},
         {KeyPress(WXK_DOWN), KeyPress(WXK_DOWN), KeyPress(WXK_DOWN), KeyPress(WXK_DOWN),
          KeyPress(WXK_UP, Key::Shift), KeyPress(WXK_UP, Key::Shift), KeyPress(WXK_UP, Key::Shift),
          KeyPress(WXK_UP, Key::Shift)},
         {5}},
        {"rows from the bottom", {"a.pdf", "b.pdf", "c.pdf", "d.pdf", "e.pdf", "f.pdf"}, {At(5), At(3, Key::Shift)},
         {0, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ListFiles(c.names);
        dialog->FileList().SetFocus();
        Settle(*pump);
        Do(c.selection);
        Click(IDC_REMOVE);
        Paths left;
        for (int i : c.left)
            left.push_back(files[size_t(i)]);
        ASSERT_EQ(Column(0), left);
        ExpectTheViewShowsTheRows();

        ClickRow(0);
        EXPECT_EQ(SelectedRows(), std::vector<int>({0}));
        ExpectTheViewShowsTheRows();
        if (c.what == std::string("a Shift range"))
            ExpectScreenshotOf(dialog, "Norvik Slidemint Converter", "file-list-after-removing-a-range-and-a-click");
        ClickRow(int(left.size()) - 1, Key::Ctrl);
        Press(WXK_HOME, Key::Shift);
        Press(WXK_END);
        EXPECT_EQ(SelectedRows(), std::vector<int>({int(left.size()) - 1}));
        ExpectTheViewShowsTheRows();
        Click(IDC_REMOVE);
        EXPECT_EQ(Column(0).size(), left.size() - 1);
        ExpectTheViewShowsTheRows();
    }
}

// A move deletes the selected row it copied: clicks after it still work,
// at the top and the bottom of the list.
TEST_F(FileListSixRowsTest, ClicksWorkAfterMovesAtEitherEnd) {
    ClickRow(5);
    Click(IDC_MOVE_UP);
    ClickRow(0);
    EXPECT_EQ(SelectedRows(), std::vector<int>({0}));
    Click(IDC_MOVE_DOWN);
    ClickRow(5, Key::Shift);
    EXPECT_EQ(SelectedRows(), std::vector<int>({1, 2, 3, 4, 5}));
    EXPECT_EQ(Column(0), Rows({1, 0, 2, 3, 5, 4}));
    ExpectTheViewShowsTheRows();
}

// Removing rows keeps the view where the user had scrolled it.
TEST_F(FileListSelectionTest, RemovingRowsKeepsTheScrollPosition) {
    std::vector<std::string> names;
    for (int i = 0; i < 60; i++)
        names.push_back("doc" + std::to_string(100 + i) + ".pdf");
    Click(IDC_REMOVE_ALL);
    files.clear();
    for (const std::string& name : names)
        files.push_back(MakeFile(name));
    Drop(files);
    CFileListCtrl& view = dialog->FileList();
    ASSERT_LT(view.GetCountPerPage(), 40);
    view.EnsureVisible(40);
    Settle(*pump);
    const long top = view.GetTopItem();
    ASSERT_GT(top, 10);
    ClickRow(int(top) + 2);
    ClickRow(int(top) + 4, Key::Shift);
    Click(IDC_REMOVE);
    EXPECT_EQ(Column(0).size(), 57u);
    EXPECT_EQ(view.GetTopItem(), top);
    ExpectTheViewShowsTheRows();
}

// Clicks and keys as a Windows list view takes them: the mark is the row
// last clicked or moved to, selected or not, and ranges start there.
TEST_F(FileListSixRowsTest, SelectionFollowsTheMarkAsTheWindowsListDoes) {
    struct Case {
        const char* what;
        std::vector<Step> steps;
        std::vector<int> selected;
        int mark;
    } cases[] = {
        {"a range starts at the row Ctrl-clicked off",
         {At(0), At(2, Key::Shift), At(5, Key::Ctrl), At(1, Key::Ctrl), At(4, Key::Shift)},
         {1, 2, 3, 4},
         1},
        {"a row Ctrl-clicked twice is the mark",
         {At(2), At(4, Key::Ctrl), At(4, Key::Ctrl), At(5, Key::Shift)},
         {4, 5},
         4},
        {"Ctrl+Shift adds a range", {At(1), At(3, Key::Ctrl), At(5, Key::CtrlShift)}, {1, 3, 4, 5}, 3},
        {"a range from the mark with nothing selected", {At(1), At(1, Key::Ctrl), At(3, Key::Shift)}, {1, 2, 3}, 1},
        {"Space selects the current row", {At(1), KeyPress(WXK_SPACE)}, {1}, 1},
        {"Space selects the current row off", {At(1), At(1, Key::Ctrl), KeyPress(WXK_SPACE)}, {1}, 1},
        {"Ctrl+Space toggles", {At(1), KeyPress(WXK_SPACE, Key::Ctrl)}, {}, 1},
        {"Shift keys from the mark", {At(2), At(4, Key::Ctrl), At(4, Key::Ctrl), KeyPress(WXK_DOWN, Key::Shift)},
         {4, 5},
         4},
        // A plain key selects the row it reaches alone, whatever was
        // selected before, and makes it the mark.
        {"Home after Ctrl+Space",
         {At(3), At(4, Key::CtrlShift), KeyPress(WXK_SPACE, Key::Ctrl), KeyPress(WXK_HOME)},
         {0},
         0},
        {"End after Ctrl+Space", {At(3), At(4, Key::CtrlShift), KeyPress(WXK_SPACE, Key::Ctrl), KeyPress(WXK_END)}, {5}, 5},
        {"Page Up after Ctrl+Space",
         {At(3), At(4, Key::CtrlShift), KeyPress(WXK_SPACE, Key::Ctrl), KeyPress(WXK_PAGEUP)},
         {0},
         0},
        {"Page Down after Ctrl+Space",
         {At(1), At(2, Key::CtrlShift), KeyPress(WXK_SPACE, Key::Ctrl), KeyPress(WXK_PAGEDOWN)},
         {5},
         5},
        {"Down after Ctrl+Space",
         {At(1), At(2, Key::CtrlShift), KeyPress(WXK_SPACE, Key::Ctrl), KeyPress(WXK_DOWN)},
         {3},
         3},
        {"Up after Ctrl+Space", {At(3), At(4, Key::CtrlShift), KeyPress(WXK_SPACE, Key::Ctrl), KeyPress(WXK_UP)}, {3}, 3},
        {"Down after Ctrl clicks", {At(0), At(2, Key::Ctrl), At(4, Key::Ctrl), KeyPress(WXK_DOWN)}, {5}, 5},
        // A click on no row clears the selection and leaves the mark.
        {"a click below the rows", {At(1), At(3, Key::Shift), BelowTheRows()}, {}, 1},
        {"a range after a click below the rows",
         {At(1), At(3, Key::Shift), BelowTheRows(), At(5, Key::Shift)},
         {1, 2, 3, 4, 5},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClickRow(0);
        Do(c.steps);
        EXPECT_EQ(SelectedRows(), c.selected);
        EXPECT_EQ(dialog->FileList().GetSelectionMark(), c.mark);
        ExpectTheViewShowsTheRows();
    }
}

// With exactly one row selected, that row moves, wherever the mark stands,
// and becomes the mark.
TEST_F(FileListSixRowsTest, TheOneSelectedRowMovesWhereverTheMarkIs) {
    ClickRow(2);
    ClickRow(4, Key::Ctrl);
    ClickRow(4, Key::Ctrl);
    ASSERT_EQ(SelectedRows(), std::vector<int>({2}));
    ASSERT_EQ(dialog->FileList().GetSelectionMark(), 4);
    EXPECT_TRUE(IsEnabled(IDC_MOVE_UP));
    EXPECT_TRUE(IsEnabled(IDC_MOVE_DOWN));
    Click(IDC_MOVE_UP);
    EXPECT_EQ(Column(0), Rows({0, 2, 1, 3, 4, 5}));
    EXPECT_EQ(SelectedRows(), std::vector<int>({1}));
    EXPECT_EQ(dialog->FileList().GetSelectionMark(), 1);
    ClickRow(3, Key::Shift);
    EXPECT_EQ(SelectedRows(), std::vector<int>({1, 2, 3}));
    ExpectTheViewShowsTheRows();
}

}  // namespace
