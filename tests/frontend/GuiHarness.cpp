#include "GuiHarness.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <sstream>

#include <gtest/gtest.h>

#include "frontend/DialogTemplate.h"
#include "tests/support/OutsidePrograms.h"

namespace {

class PollTimer : public wxTimer {
public:
    void Notify() override { tick(); }
    std::function<void()> tick;
};

// The toolkit's idle passes since start-up.
int g_idlePasses = 0;

void CountIdlePass(wxIdleEvent& event) {
    g_idlePasses++;
    event.Skip();
}

}  // namespace

int RunUntil(WxMessagePump& pump, const std::function<bool()>& until, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool done = false;
    PollTimer poll;
    poll.tick = [&] {
        if (done)
            return;
        if (until()) {
            done = true;
            pump.Quit(kConditionMet);
        } else if (std::chrono::steady_clock::now() > deadline) {
            done = true;
            pump.Quit(kTimedOut);
        }
    };
    poll.Start(10);
    int code = pump.Run();
    poll.Stop();
    return code;
}

void CountIdlePasses() { wxTheApp->Bind(wxEVT_IDLE, &CountIdlePass); }

void Settle(WxMessagePump& pump) {
    int ticks = 0;
    int idleAt = g_idlePasses;
    RunUntil(pump, [&] {
        if (wxTheApp->HasPendingEvents())
            idleAt = g_idlePasses;
        return ++ticks > 3 && g_idlePasses >= idleAt + 2;
    });
}

void Pause(WxMessagePump& pump, int ms) { RunUntil(pump, [] { return false; }, ms); }

void PostCommand(wxWindow* dialog, int id) {
    wxWindow* control = dialog->FindWindow(ToolkitId(id));
    auto* event = new wxCommandEvent(wxEVT_BUTTON, ToolkitId(id));
    event->SetEventObject(control);
    (control ? control : dialog)->GetEventHandler()->QueueEvent(event);
}

void ChooseRadio(wxWindow* parent, int id) {
    auto* radio = dynamic_cast<wxRadioButton*>(parent->FindWindow(id));
    radio->SetValue(true);
    auto* event = new wxCommandEvent(wxEVT_RADIOBUTTON, id);
    event->SetEventObject(radio);
    radio->GetEventHandler()->QueueEvent(event);
}

void Toggle(wxWindow* parent, int id, bool checked) {
    auto* box = dynamic_cast<wxCheckBox*>(parent->FindWindow(id));
    box->SetValue(checked);
    auto* event = new wxCommandEvent(wxEVT_CHECKBOX, id);
    event->SetEventObject(box);
    event->SetInt(checked);
    box->GetEventHandler()->QueueEvent(event);
}

void Type(wxWindow* parent, int id, const std::string& text) {
    dynamic_cast<wxTextCtrl*>(parent->FindWindow(id))->ChangeValue(wxString::FromUTF8(text));
}

void InModalDialog(const std::vector<std::function<void(wxDialog*)>>& steps) {
    auto* poll = new PollTimer;
    auto next = std::make_shared<size_t>(0);
    poll->tick = [=] {
        for (wxWindow* window : wxTopLevelWindows) {
            auto* dialog = dynamic_cast<wxDialog*>(window);
            if (!dialog || !dialog->IsModal())
                continue;
            // What the previous step queued runs first.
            wxTheApp->ProcessPendingEvents();
            steps[(*next)++](dialog);
            if (*next == steps.size()) {
                poll->Stop();
                wxTheApp->CallAfter([poll] { delete poll; });
            }
            return;
        }
    };
    poll->Start(500);
}

void ExpectScreenshotOf(wxWindow* window, const std::string& title, const std::string& name) {
    // Let the toolkit draw what the last steps changed.
    window->Refresh();
    for (int i = 0; i < 30; i++) {
        wxTheApp->Yield(true);
        wxMilliSleep(10);
    }
    std::string shot = Screenshot(title, name);
    ASSERT_FALSE(shot.empty()) << name;
    ImageFacts facts = ReadImageFacts(shot);
    EXPECT_EQ(facts.width, window->GetSize().x) << name;
    EXPECT_EQ(facts.height, window->GetSize().y) << name;
    EXPECT_GT(facts.deviation, 0.05) << name << " is blank";
}

std::string Capture(const std::string& command) {
    return RunProgram({"/bin/sh", "-c", command}, ErrorOutput::Inherited).output;
}

std::string Screenshot(const std::string& title, const std::string& name) {
    std::string ids =
        RunProgram({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"}, ErrorOutput::Discarded).output;
    std::string id = ids.substr(0, ids.find_first_of("\n "));
    if (id.empty())
        return "";
    std::string path = std::string(GUI_SCREENSHOT_DIR) + "/" + name + ".png";
    if (RunProgram({"import", "-window", id, path}, ErrorOutput::Discarded).status != 0)
        return "";
    return path;
}

std::string ScreenshotOfScreen(const std::string& name) {
    std::string path = std::string(GUI_SCREENSHOT_DIR) + "/" + name + ".png";
    if (RunProgram({"import", "-window", "root", path}, ErrorOutput::Discarded).status != 0)
        return "";
    return path;
}

ImageFacts ReadImageFacts(const std::string& path) {
    ImageFacts facts;
    std::istringstream in(
        RunProgram({"identify", "-format", "%w %h %[fx:standard_deviation]", path}, ErrorOutput::Discarded).output);
    in >> facts.width >> facts.height >> facts.deviation;
    return facts;
}
