// The file list as a user works it: real clicks on the rows' rectangles,
// with Shift and Ctrl, and the arrow keys, followed by Remove and the moves;
// the rows left must be the ones the user chose.
#include <gtest/gtest.h>

#include <wx/uiaction.h>

#include "MainWindowFixture.h"
#include "frontend/ResourceIds.h"

namespace {

using Paths = std::vector<std::string>;

enum class Key { None, Shift, Ctrl };

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
        user.MouseMove(dialog->FileList().ClientToScreen(rect.GetPosition() + wxPoint(20, rect.height / 2)));
        Settle(*pump);
        const int modifier = key == Key::Shift ? WXK_SHIFT : key == Key::Ctrl ? WXK_CONTROL : 0;
        if (modifier)
            user.KeyDown(modifier);
        user.MouseClick();
        if (modifier)
            user.KeyUp(modifier);
        Settle(*pump);
    }

    // Presses an arrow key in the list, holding Shift when asked.
    void Press(int keyCode, Key key = Key::None) {
        wxUIActionSimulator user;
        user.Char(keyCode, key == Key::Shift ? wxMOD_SHIFT : wxMOD_NONE);
        Settle(*pump);
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

}  // namespace
