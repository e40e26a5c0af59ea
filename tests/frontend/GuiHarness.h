// What the window tests share: a desktop stand-in that records message
// boxes and opened targets and answers the pickers from a script, a run of
// the program's own event loop until a condition holds, posted commands,
// and screenshots taken from the X server by ImageMagick.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <wx/dialog.h>

#include "frontend/DesktopShell.h"
#include "frontend/MessagePump.h"

struct ShownBox {
    std::string text, caption;
    UINT type;
};

class RecordingShell : public DesktopShell {
public:
    int MessageBox(wxWindow* owner, const std::string& text, const std::string& caption, UINT type) override {
        owners.push_back(owner);
        boxes.push_back({text, caption, type});
        return IDOK;
    }
    bool PickPdfFiles(wxWindow* owner, std::vector<std::string>& paths) override {
        owners.push_back(owner);
        paths = pickedFiles;
        return !pickedFiles.empty();
    }
    bool PickFolder(wxWindow* owner, const std::string& prompt, std::string& path) override {
        owners.push_back(owner);
        prompts.push_back(prompt);
        path = pickedFolder;
        return !pickedFolder.empty();
    }
    bool Open(const std::string& target) override {
        opened.push_back(target);
        return openSucceeds;
    }

    std::vector<ShownBox> boxes;
    std::vector<wxWindow*> owners;  // of every box and picker, in order
    std::vector<std::string> opened, prompts, pickedFiles;
    std::string pickedFolder;
    bool openSucceeds = true;
};

// Codes the test loop ends with when it did not end by PostQuitMessage.
constexpr int kConditionMet = -1000, kTimedOut = -1001;

// Runs the pump's event loop until `until` holds (checked every 10 ms) or
// the time is up; returns the loop's code.
int RunUntil(WxMessagePump& pump, const std::function<bool()>& until, int timeoutMs = 5000);
// Lets the loop dispatch what is queued and go idle twice.
// Counts the toolkit's idle passes for Settle; called once at start-up.
void CountIdlePasses();
// Runs the loop until what was queued is handled and the idle handlers have
// run after it, however slow the machine.
void Settle(WxMessagePump& pump);
// Runs the loop for a while, so that windows draw what changed.
void Pause(WxMessagePump& pump, int ms);

// Queues a button's command as a click delivers it.
void PostCommand(wxWindow* dialog, int id);

// A user's choice in a dialog: a radio button, a check box, typed text.
// The radio and check box tell their window, as a click does.
void ChooseRadio(wxWindow* parent, int id);
void Toggle(wxWindow* parent, int id, bool checked);
void Type(wxWindow* parent, int id, const std::string& text);

// Runs the steps one by one on the modal dialog that shows next, each some
// time after the one before, so that the dialog draws in between.
void InModalDialog(const std::vector<std::function<void(wxDialog*)>>& steps);

// Checks a screenshot: it exists, has the window's size and is not blank.
void ExpectScreenshotOf(wxWindow* window, const std::string& title, const std::string& name);

// Saves the top-level window titled `title` as PNG with ImageMagick's
// import, by the X server's own copy of it. Returns the path, or "".
std::string Screenshot(const std::string& title, const std::string& name);

// Saves the whole screen as PNG, to show where windows stand.
std::string ScreenshotOfScreen(const std::string& name);

struct ImageFacts {
    int width = 0, height = 0;
    double deviation = 0;  // 0 for a blank image
};
// Size and spread of the pixels, as ImageMagick's identify reads them.
ImageFacts ReadImageFacts(const std::string& path);

// Runs a shell command line and returns its standard output; each path in
// it goes through ShellQuote.
std::string Capture(const std::string& command);
