// A main dialog on the program's own loop, with the desktop replaced by a
// recording stand-in and the registry kept in a file of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <wx/weakref.h>

#include "GuiHarness.h"
#include "frontend/MainDialog.h"
#include "frontend/MessageLoop.h"

class MainWindowFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the main dialog as Run does; a test may open it again after
    // closing it, as a second start of the program.
    void OpenDialog();
    void CloseDialogNow();

    void Click(int id);
    void Drop(const std::vector<std::string>& paths);
    std::vector<std::string> Column(int column);
    // The same column as the view shows it; with each row's shown selection
    // when the view agrees with the rows' own.
    std::vector<std::string> ShownColumn(int column);
    bool ViewShowsTheSelection();
    bool IsEnabled(int id);
    // Makes a file (and its folders) below the test folder; returns its path.
    std::string MakeFile(const std::string& relative, const std::string& content = "%PDF-1.4\n");

    std::filesystem::path dir;
    RecordingShell shell;
    MessageLoop loop;
    std::unique_ptr<WxMessagePump> pump;
    wxWeakRef<CMainDialog> dialog;
};
