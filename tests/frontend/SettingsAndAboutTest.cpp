// The settings sheet and the About box, opened from the real main dialog:
// what OK and Restore Defaults write to the registry file, what a second
// start shows, the About box's links, and screenshots of each.
#include <gtest/gtest.h>

#include <cctype>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/notebook.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include "../ScopedEnv.h"
#include "MainWindowFixture.h"
#include "frontend/AboutDialog.h"
#include "frontend/AppSettings.h"
#include "frontend/DialogTemplate.h"
#include "frontend/FileNames.h"
#include "frontend/ResourceIds.h"
#include "frontend/SettingsSheet.h"
#include "frontend/SettingsStore.h"

namespace {

// The registry file as a fresh store reads it.
std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct StoredSettings {
    StoredSettings() { store.SetStoreNames("Norvik", "Slidemint"); }
    int Int(const char* key) { return store.ReadInt("Settings", key, -99); }
    std::string Text(const char* key) { return store.ReadString("Settings", key, "<missing>").Text(); }
    CSettingsStore store;
};

using SettingsAndAboutTest = MainWindowFixture;

TEST_F(SettingsAndAboutTest, OkWritesTheSheetKeysAndASecondStartShowsThem) {
    ChooseRadio(dialog, IDC_OTHER_FOLDER);
    Type(dialog, IDC_OUTPUT_FOLDER, "/srv/decks");
    InModalDialog({
        [](wxDialog* sheet) {
            ExpectScreenshotOf(sheet, "Settings", "settings-page-range");
            ChooseRadio(sheet, IDC_CUSTOM_RANGE);
            Type(sheet, IDC_PAGES, " 2-3 ");
            Type(sheet, IDC_PASSWORD, "secret");
            static_cast<CSettingsSheet*>(sheet)->Book()->SetSelection(1);
        },
        [](wxDialog* sheet) {
            ExpectScreenshotOf(sheet, "Settings", "settings-ocr");
            Toggle(sheet, IDC_RUN_OCR, false);
            // No language chosen: the sheet stores the first one, not -1.
            dynamic_cast<wxChoice*>(sheet->FindWindow(IDC_OCR_LANGUAGE))->SetSelection(wxNOT_FOUND);
            static_cast<CSettingsSheet*>(sheet)->Book()->SetSelection(2);
        },
        [](wxDialog* sheet) {
            ExpectScreenshotOf(sheet, "Settings", "settings-other");
            Toggle(sheet, IDC_INC_SUBDIR, false);
            Toggle(sheet, IDC_OVERWRITE, true);
            PostCommand(sheet, wxID_OK);
        },
    });
    Click(IDC_SETTINGS);
    ASSERT_EQ(RunUntil(*pump, [] { return wxTopLevelWindows.size() == 1; }), kConditionMet);

    StoredSettings stored;
    EXPECT_EQ(stored.Text("OutputFolder"), "/srv/decks");
    EXPECT_EQ(stored.Int("OutputLocation"), 1);
    EXPECT_EQ(stored.Int("CvtPage"), 1);
    EXPECT_EQ(stored.Text("CvtPages"), " 2-3 ") << "stored as typed";
    EXPECT_EQ(stored.Text("PDFPWD"), "secret");
    EXPECT_EQ(stored.Int("RunOCR"), 0);
    EXPECT_EQ(stored.Int("OCRLan"), 0);
    EXPECT_EQ(stored.Int("AutoRotate"), 1);
    EXPECT_EQ(stored.Int("IncSubDir"), 0);
    EXPECT_EQ(stored.Int("Overwrite"), 1);
    EXPECT_EQ(stored.Int("OpenOutput"), 1);

    CloseDialogNow();
    OpenDialog();
    EXPECT_TRUE(dynamic_cast<wxRadioButton*>(dialog->FindWindow(IDC_OTHER_FOLDER))->GetValue());
    EXPECT_EQ(GetItemText(dialog, IDC_OUTPUT_FOLDER), "/srv/decks");
    EXPECT_TRUE(IsEnabled(IDC_OUTPUT_FOLDER));
    bool shown = false;
    InModalDialog({[&](wxDialog* sheet) {
        shown = true;
        EXPECT_TRUE(dynamic_cast<wxRadioButton*>(sheet->FindWindow(IDC_CUSTOM_RANGE))->GetValue());
        EXPECT_EQ(GetItemText(sheet, IDC_PAGES), "2-3") << "shown without the blanks";
        EXPECT_TRUE(sheet->FindWindow(IDC_PAGES)->IsEnabled());
        EXPECT_EQ(GetItemText(sheet, IDC_PASSWORD), "secret");
        PostCommand(sheet, wxID_CANCEL);
    }});
    Click(IDC_SETTINGS);
    ASSERT_EQ(RunUntil(*pump, [&] { return shown && wxTopLevelWindows.size() == 1; }), kConditionMet);
}

TEST_F(SettingsAndAboutTest, RestoreDefaultsWritesAtOnceAndStaysAfterCancel) {
    CAppSettings* settings = CAppSettings::Instance();
    settings->SetCvtPage(1);
    settings->SetCvtPages("4-5");
    settings->SetOverwrite(2);  // shown unchecked
    settings->SetIncSubDir(0);
    settings->SaveSheetSettings();
    ChooseRadio(dialog, IDC_OTHER_FOLDER);
    Type(dialog, IDC_OUTPUT_FOLDER, "/srv/keep");

    InModalDialog({
        [](wxDialog* sheet) { static_cast<CSettingsSheet*>(sheet)->Book()->SetSelection(2); },
        [](wxDialog* sheet) {
            EXPECT_FALSE(IsItemChecked(sheet, IDC_OVERWRITE));
            EXPECT_FALSE(IsItemChecked(sheet, IDC_INC_SUBDIR));
            PostCommand(sheet, IDC_RESTORE_DEFAULTS);
        },
        [](wxDialog* sheet) {
            EXPECT_TRUE(IsItemChecked(sheet, IDC_INC_SUBDIR)) << "the open page shows the defaults";
            EXPECT_TRUE(IsItemChecked(sheet, IDC_AUTO_ROTATE));
            EXPECT_TRUE(IsItemChecked(sheet, IDC_OPEN_OUTPUT));
            EXPECT_FALSE(IsItemChecked(sheet, IDC_OVERWRITE));
            PostCommand(sheet, wxID_CANCEL);
        },
    });
    Click(IDC_SETTINGS);
    ASSERT_EQ(RunUntil(*pump, [] { return wxTopLevelWindows.size() == 1; }), kConditionMet);

    StoredSettings stored;
    EXPECT_EQ(stored.Int("CvtPage"), 0);
    EXPECT_EQ(stored.Text("CvtPages"), "");
    EXPECT_EQ(stored.Int("IncSubDir"), 1);
    EXPECT_EQ(stored.Int("Overwrite"), 0);
    EXPECT_EQ(stored.Text("OutputFolder"), "/srv/keep") << "the output location is no sheet key";
}

TEST_F(SettingsAndAboutTest, AboutShowsItsLinksAndStaysOpenForUpdates) {
    CAboutDialog* shownAbout = nullptr;
    InModalDialog({
        [&](wxDialog* box) {
            ExpectScreenshotOf(box, "About", "about");
            auto* about = static_cast<CAboutDialog*>(box);
            shownAbout = about;
            EXPECT_EQ(GetItemText(about, IDC_PRODUCT), "Norvik Slidemint Converter");
            EXPECT_EQ(about->m_wndSupportLink->GetLabel(), "support@norvik.example");
            EXPECT_EQ(about->m_wndSupportLink->GetTarget(), "mailto:support@norvik.example");
            EXPECT_EQ(about->m_wndSalesLink->GetLabel(), "sales@norvik.example");
            EXPECT_EQ(about->m_wndHomeLink->GetTarget(), CAboutDialog::kHomePage);
            EXPECT_TRUE(about->m_wndSalesLink->Navigate());
            EXPECT_TRUE(about->m_wndSalesLink->GetVisited());
            PostCommand(about, IDC_CHECK_UPDATES);
        },
        [&](wxDialog* box) {
            for (int i = 0; i < 200 && shell.opened.size() < 2; i++) {
                wxTheApp->Yield(true);
                wxMilliSleep(10);
            }
            EXPECT_EQ(shell.opened.size(), 2u) << "the update page opened";
            EXPECT_TRUE(box->IsModal()) << "Check for Updates leaves the box open";
            auto* about = static_cast<CAboutDialog*>(box);
            shell.openSucceeds = false;
            EXPECT_FALSE(about->m_wndHomeLink->Navigate());
            EXPECT_FALSE(about->m_wndHomeLink->GetVisited()) << "a target that did not open";
            ASSERT_EQ(shell.boxes.size(), 1u) << "a link that did not open says so";
            EXPECT_NE(shell.boxes[0].text.find(CAboutDialog::kHomePage), std::string::npos) << shell.boxes[0].text;
            EXPECT_EQ(shell.owners.back(), static_cast<wxWindow*>(about));
            PostCommand(box, wxID_OK);
        },
    });
    Click(ID_APP_ABOUT);
    ASSERT_EQ(RunUntil(*pump, [] { return wxTopLevelWindows.size() == 1; }), kConditionMet);
    ASSERT_NE(shownAbout, nullptr);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"mailto:sales@norvik.example", CAboutDialog::kUpdatePage,
                                                      CAboutDialog::kHomePage}));
}

// Away from the screen's centre, so that a box centred on the screen instead
// of on its owner shows.
TEST_F(SettingsAndAboutTest, TheAboutBoxIsOwnedByTheMainWindowAndCentredOnIt) {
    dialog->Move(30, 40);
    Settle(*pump);
    wxWindow* owner = nullptr;
    wxPoint boxCentre, mainCentre;
    InModalDialog({[&](wxDialog* box) {
        owner = box->GetParent();
        const wxRect boxRect = box->GetScreenRect(), mainRect = dialog->GetScreenRect();
        boxCentre = boxRect.GetPosition() + boxRect.GetSize() / 2;
        mainCentre = mainRect.GetPosition() + mainRect.GetSize() / 2;
        ExpectScreenshotOf(box, "About", "about-over-main-window-box");
        EXPECT_FALSE(ScreenshotOfScreen("about-over-main-window").empty());
        PostCommand(box, wxID_OK);
    }});
    Click(ID_APP_ABOUT);
    ASSERT_EQ(RunUntil(*pump, [] { return wxTopLevelWindows.size() == 1; }), kConditionMet);
    EXPECT_EQ(owner, static_cast<wxWindow*>(dialog));
    EXPECT_LE(std::abs(boxCentre.x - mainCentre.x), 2);
    EXPECT_LE(std::abs(boxCentre.y - mainCentre.y), 2);
}

TEST_F(SettingsAndAboutTest, HelpOpensThePageBesideTheProgram) {
    Click(IDC_HELP_BUTTON);
    RunUntil(*pump, [&] { return !shell.opened.empty(); });
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_NE(shell.opened[0].find("/help/index.html"), std::string::npos);
    // The page that ships beside the program explains every status a row
    // can show.
    std::ifstream page(SHIPPED_HELP_PAGE);
    ASSERT_TRUE(page) << SHIPPED_HELP_PAGE;
    const std::string text((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
    for (const char* status : {"(empty)", "Converting", "Completed", "Error: -2", "Error: -3", "Error: -4", "Error: -5"})
        EXPECT_NE(text.find(status), std::string::npos) << status;
    // And what a user could not guess: where -3 also comes from, and where
    // the decks go when the output folder cannot be made.
    std::string words;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)) || (!words.empty() && words.back() != ' '))
            words += std::isspace(static_cast<unsigned char>(c)) ? ' ' : c;
    for (const char* phrase : {"temporary folder the conversion works in could not be made",
                               "cannot be created, for example because you may not write where it would be, each "
                               "presentation is saved in the folder of its PDF file instead"})
        EXPECT_NE(words.find(phrase), std::string::npos) << phrase;
}

// The desktop's own opener, looked up on PATH, with the boxes recorded.
class DesktopOpenerShell : public RecordingShell {
public:
    bool Open(const std::string& target) override {
        opened.push_back(target);
        return DesktopShell::Open(target);
    }
};

// Folders on PATH may be named in any encoding: Help reaches the opener
// wherever on PATH it lies, and with no opener at all the window says so,
// naming the page.
TEST_F(SettingsAndAboutTest, HelpReachesTheOpenerWhateverPathHoldsAndSaysWhenThereIsNone) {
    const std::string latin1 = (dir / "bin-caf\xE9").string(), utf8 = (dir / "bin-na\xC3\xAFve").string();
    const std::string seen = (dir / "seen").string();
    for (const std::string& folder : {latin1, utf8})
        std::filesystem::create_directories(folder);
    struct Case {
        const char* what;
        std::string path, opener;  // PATH, and the folder holding the stand-in; "" for none
    } const cases[] = {
        {"the opener in a Latin-1 folder", utf8 + ":" + latin1, latin1},
        {"the opener in a UTF-8 folder", latin1 + ":" + utf8, utf8},
        {"the opener after both", latin1 + ":" + utf8 + ":" + (dir / "plain").string(), (dir / "plain").string()},
        {"no opener at all", latin1 + ":" + utf8, ""},
    };
    DesktopOpenerShell desktop;
    SetShell(&desktop);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& folder : {latin1, utf8, (dir / "plain").string()})
            std::filesystem::remove(folder + "/xdg-open");
        std::filesystem::remove(seen);
        desktop.boxes.clear();
        desktop.owners.clear();
        if (!c.opener.empty()) {
            // Writes down the bytes it was given; PATH holds no mv.
            std::filesystem::create_directories(c.opener);
            std::ofstream(c.opener + "/xdg-open") << "#!/bin/sh\nprintf '%s' \"$1\" > '" << seen << ".part' && exec /bin/mv '"
                                                  << seen << ".part' '" << seen << "'\n";
            std::filesystem::permissions(c.opener + "/xdg-open", std::filesystem::perms::owner_all);
        }
        ScopedEnv path("PATH", c.path.c_str());
        Click(IDC_HELP_BUTTON);
        ASSERT_EQ(desktop.opened.size(), 1u);
        const std::string page = desktop.opened[0];
        desktop.opened.clear();
        if (c.opener.empty()) {
            ASSERT_EQ(desktop.boxes.size(), 1u) << "nothing opened, and the window says so";
            EXPECT_EQ(desktop.boxes[0].text, "Nothing could open " + FileNameForDisplay(page).utf8_string() + ".");
            EXPECT_EQ(desktop.boxes[0].caption, "Norvik Slidemint Converter");
            EXPECT_EQ(desktop.boxes[0].type, UINT(MB_ICONERROR));
            EXPECT_EQ(desktop.owners, std::vector<wxWindow*>({dialog.get()}));
            continue;
        }
        EXPECT_TRUE(desktop.boxes.empty());
        ASSERT_EQ(RunUntil(*pump, [&] { return std::filesystem::exists(seen); }, 30000), kConditionMet);
        std::ifstream in(seen, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), page);
    }
    SetShell(&shell);
}

// A settings file of another program's: the first refused save (the output
// location's, as the sheet opens) tells the user, in a box owned by the main
// window that names the file and why; OK's save is refused as well and not
// told again. The file stays as it was; the program goes on with the values
// chosen.
TEST_F(SettingsAndAboutTest, ARefusedSaveIsToldOnceAndTheForeignFileStays) {
    const std::string file = (dir / "registry").string();
    const std::string foreign = "[Settings]\nOverwrite=1\n";
    std::ofstream(file, std::ios::binary) << foreign;
    CloseDialogNow();
    OpenDialog();
    ASSERT_TRUE(shell.boxes.empty()) << "a start that saves nothing tells nothing";
    wxWindow* sheetShown = nullptr;
    // OK is clicked as a user clicks it: the pointer moved onto the button,
    // then pressed.
    wxUIActionSimulator user;
    auto okWithPassword = [&](const char* password) {
        InModalDialog({[&, password](wxDialog* sheet) {
                           sheetShown = sheet;
                           Type(sheet, IDC_PASSWORD, password);
                       },
                       [&](wxDialog* sheet) {
                           wxWindow* ok = sheet->FindWindow(wxID_OK);
                           user.MouseMove(ok->GetScreenRect().GetPosition() + ok->GetSize() / 2);
                       },
                       [&](wxDialog*) { user.MouseClick(); }});
        Click(IDC_SETTINGS);
        ASSERT_EQ(RunUntil(*pump, [] { return wxTopLevelWindows.size() == 1; }), kConditionMet);
    };
    okWithPassword("first");
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].caption, "Settings Not Saved");
    EXPECT_NE(shell.boxes[0].text.find(file), std::string::npos) << shell.boxes[0].text;
    EXPECT_NE(shell.boxes[0].text.find("not a settings file of this version of the program"), std::string::npos)
        << shell.boxes[0].text;
    ASSERT_EQ(shell.owners.size(), 1u);
    EXPECT_EQ(shell.owners[0], static_cast<wxWindow*>(dialog)) << "owned by the window";
    EXPECT_NE(sheetShown, nullptr);
    EXPECT_EQ(ReadFileText(file), foreign);
    CString password;
    CAppSettings::Instance()->GetPDFPWD(password);
    EXPECT_EQ(password.Text(), "first") << "the values stay in memory";

    okWithPassword("second");
    EXPECT_EQ(shell.boxes.size(), 1u) << "told once";
    EXPECT_EQ(ReadFileText(file), foreign);

    // The box as the desktop shows it, over the main window.
    std::string shot;
    wxTimer closer;
    closer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        shot = Screenshot("Settings Not Saved", "settings-not-saved");
        Capture("xdotool search --onlyvisible --name '^Settings Not Saved$' windowfocus --sync key Return 2>&1");
    });
    closer.StartOnce(1500);
    DesktopShell().MessageBox(dialog, shell.boxes[0].text, shell.boxes[0].caption, shell.boxes[0].type);
    ASSERT_FALSE(shot.empty());
    EXPECT_GT(ReadImageFacts(shot).deviation, 0.05) << "not blank";
}

}  // namespace
