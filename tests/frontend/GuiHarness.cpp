#include "GuiHarness.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <sstream>

#include "frontend/DialogTemplate.h"

namespace {

class PollTimer : public wxTimer {
public:
    void Notify() override { tick(); }
    std::function<void()> tick;
};

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

void Settle(WxMessagePump& pump) {
    int ticks = 0;
    RunUntil(pump, [&] { return ++ticks > 3; });
}

void Pause(WxMessagePump& pump, int ms) { RunUntil(pump, [] { return false; }, ms); }

void PostCommand(wxWindow* dialog, int id) {
    wxWindow* control = dialog->FindWindow(ToolkitId(id));
    auto* event = new wxCommandEvent(wxEVT_BUTTON, ToolkitId(id));
    event->SetEventObject(control);
    (control ? control : dialog)->GetEventHandler()->QueueEvent(event);
}

void WhenModalShows(const std::function<void(wxDialog*)>& action) {
    auto shownAt = std::make_shared<std::chrono::steady_clock::time_point>();
    auto* poll = new PollTimer;
    poll->tick = [=] {
        for (wxWindow* window : wxTopLevelWindows) {
            auto* dialog = wxDynamicCast(window, wxDialog);
            if (!dialog || !dialog->IsModal())
                continue;
            auto now = std::chrono::steady_clock::now();
            if (*shownAt == std::chrono::steady_clock::time_point())
                *shownAt = now;
            if (now - *shownAt < std::chrono::milliseconds(400))
                return;  // let it draw
            poll->Stop();
            action(dialog);
            wxTheApp->CallAfter([poll] { delete poll; });
            return;
        }
    };
    poll->Start(20);
}

std::string Capture(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

std::string Screenshot(const std::string& title, const std::string& name) {
    std::string id = Capture("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null | head -1");
    while (!id.empty() && (id.back() == '\n' || id.back() == ' '))
        id.pop_back();
    if (id.empty())
        return "";
    std::string path = std::string(GUI_SCREENSHOT_DIR) + "/" + name + ".png";
    if (system(("import -window " + id + " '" + path + "' 2>/dev/null").c_str()) != 0)
        return "";
    return path;
}

ImageFacts ReadImageFacts(const std::string& path) {
    ImageFacts facts;
    std::istringstream in(Capture("identify -format '%w %h %[fx:standard_deviation]' '" + path + "' 2>/dev/null"));
    in >> facts.width >> facts.height >> facts.deviation;
    return facts;
}
