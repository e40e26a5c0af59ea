// The message loop over a fake message source: filter order and swallowing,
// idle processing once per idle period, the quit code and failed reads.
#include "frontend/MessageLoop.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <thread>

namespace {

// Messages come in bursts: the queue looks empty before the first message of
// a burst and full before the others. GetMessage answers -1 for a message
// numbered kFailedRead, and 0 with the code once the script is done.
constexpr UINT kFailedRead = 0xFFFF;

struct Arrival {
    UINT message;
    bool sameBurst = false;
    WPARAM wParam = 0;
};

class ScriptedSource : public MessageSource {
public:
    ScriptedSource(std::deque<Arrival> script, int quitCode) : script_(std::move(script)), quitCode_(quitCode) {}

    BOOL PeekMessage(MSG*) override { return !script_.empty() && script_.front().sameBurst; }

    int GetMessage(MSG* msg) override {
        if (script_.empty()) {
            *msg = MSG{nullptr, WM_QUIT, WPARAM(quitCode_), 0};
            return 0;
        }
        Arrival next = script_.front();
        script_.pop_front();
        *msg = MSG{nullptr, next.message, next.wParam, 0};
        return next.message == kFailedRead ? -1 : 1;
    }

    void TranslateAndDispatch(MSG* msg) override { log += "dispatch:" + std::to_string(msg->message) + " "; }

    std::string log;

private:
    std::deque<Arrival> script_;
    int quitCode_;
};

struct RecordingFilter : MessageFilter {
    RecordingFilter(std::string name, std::string& log, UINT swallows) : name(std::move(name)), log(log), swallows(swallows) {}
    BOOL PreTranslateMessage(MSG* msg) override {
        log += name + ":" + std::to_string(msg->message) + " ";
        return msg->message == swallows;
    }
    std::string name;
    std::string& log;
    UINT swallows;
};

struct CountingIdle : IdleHandler {
    CountingIdle(std::string name, std::string& log) : name(std::move(name)), log(log) {}
    BOOL OnIdle() override {
        log += name + " ";
        calls++;
        return TRUE;  // the loop ignores the answer
    }
    std::string name;
    std::string& log;
    int calls = 0;
};

TEST(MessageLoopTest, FiltersRunLastToFirstAndTrueSwallowsTheMessage) {
    ScriptedSource source({{WM_KEYDOWN}, {WM_CHAR}, {WM_COMMAND}}, 0);
    RecordingFilter first("first", source.log, WM_CHAR);
    RecordingFilter second("second", source.log, WM_KEYDOWN);
    MessageLoop loop;
    loop.AddMessageFilter(&first);
    loop.AddMessageFilter(nullptr);  // empty slots are passed over
    loop.AddMessageFilter(&second);

    loop.Run(source);

    EXPECT_EQ(source.log,
              "second:256 "                        // swallowed by the last filter: first never asked
              "second:258 first:258 "              // swallowed by the first filter
              "second:273 first:273 dispatch:273 ");  // nobody takes it
}

TEST(MessageLoopTest, RemovedFilterIsNoLongerAsked) {
    ScriptedSource source({{WM_KEYDOWN}}, 0);
    RecordingFilter filter("f", source.log, WM_NULL);
    MessageLoop loop;
    loop.AddMessageFilter(&filter);
    EXPECT_TRUE(loop.RemoveMessageFilter(&filter));
    EXPECT_FALSE(loop.RemoveMessageFilter(&filter));
    loop.Run(source);
    EXPECT_EQ(source.log, "dispatch:256 ");
}

TEST(MessageLoopTest, IdleRunsOncePerPeriodAndFloodMessagesDoNotRearmIt) {
    struct Case {
        const char* what;
        std::deque<Arrival> script;
        int idleRuns;
    };
    const Case cases[] = {
        {"start only", {}, 1},
        {"each ordinary message re-arms", {{WM_KEYDOWN}, {WM_TIMER}, {WM_COMMAND}}, 4},
        {"mouse move, paint, caret timer", {{WM_MOUSEMOVE}, {WM_NCMOUSEMOVE}, {WM_PAINT}, {WM_SYSTIMER}}, 1},
        {"flood then a key", {{WM_MOUSEMOVE}, {WM_PAINT}, {WM_KEYUP}}, 2},
        {"one burst is one idle period", {{WM_KEYDOWN}, {WM_KEYUP, true}, {WM_CHAR, true}}, 2},
        {"a swallowed message re-arms too", {{WM_KEYDOWN, false, VK_ESCAPE}}, 2},
    };
    for (const Case& c : cases) {
        ScriptedSource source(c.script, 0);
        std::string log;
        CountingIdle idle("idle", log);
        RecordingFilter swallowAll("f", log, WM_KEYDOWN);
        MessageLoop loop;
        loop.AddMessageFilter(&swallowAll);
        loop.AddIdleHandler(&idle);
        loop.Run(source);
        EXPECT_EQ(idle.calls, c.idleRuns) << c.what;
    }
}

TEST(MessageLoopTest, IdleHandlersRunInRegistrationOrder) {
    ScriptedSource source({}, 0);
    std::string log;
    CountingIdle a("a", log), b("b", log);
    MessageLoop loop;
    loop.AddIdleHandler(&a);
    loop.AddIdleHandler(&b);
    loop.Run(source);
    EXPECT_EQ(log, "a b ");
}

TEST(MessageLoopTest, ReturnsTheQuitCodeAndSkipsFailedReads) {
    ScriptedSource source({{kFailedRead}, {WM_COMMAND}}, 2);
    MessageLoop loop;
    EXPECT_EQ(loop.Run(source), 2);
    EXPECT_EQ(source.log, "dispatch:273 ");
}

TEST(MessageLoopTest, PushedMessagesShareTheFilterWalkAndIdleRules) {
    std::string log;
    RecordingFilter escape("f", log, WM_KEYDOWN);
    CountingIdle idle("idle", log);
    MessageLoop loop;
    loop.AddMessageFilter(&escape);
    loop.AddIdleHandler(&idle);

    loop.RunIdle();
    loop.RunIdle();  // still the same idle period
    EXPECT_EQ(idle.calls, 1);

    MSG move{nullptr, WM_MOUSEMOVE, 0, 0};
    EXPECT_FALSE(loop.PumpMessage(&move));
    loop.RunIdle();
    EXPECT_EQ(idle.calls, 1);

    MSG key{nullptr, WM_KEYDOWN, VK_ESCAPE, 0};
    EXPECT_TRUE(loop.PumpMessage(&key));
    loop.RunIdle();
    EXPECT_EQ(idle.calls, 2);
}

TEST(MessageLoopTest, EachThreadFindsOnlyItsOwnLoop) {
    MessageLoop loop;
    ASSERT_TRUE(AddMessageLoop(&loop));
    EXPECT_FALSE(AddMessageLoop(&loop));
    EXPECT_EQ(GetMessageLoop(), &loop);
    MessageLoop* seenElsewhere = &loop;
    std::thread([&] { seenElsewhere = GetMessageLoop(); }).join();
    EXPECT_EQ(seenElsewhere, nullptr);
    EXPECT_TRUE(RemoveMessageLoop());
    EXPECT_EQ(GetMessageLoop(), nullptr);
    EXPECT_FALSE(RemoveMessageLoop());
}

}  // namespace
