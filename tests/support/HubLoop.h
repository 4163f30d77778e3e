#pragma once
// Running the hub's message loop for real on the test's thread, so that a
// fault fails the test instead of hanging it, and driving it from inside (a
// script of steps) or from a helper thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/CpuUsageMeter.h"
#include "core/EventDispatcher.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/Watchdog.h"

// Ends a loop that does not end by itself, by posting WM_QUIT to the thread
// that made it after a generous wait.
class QuitWatchdog : public Watchdog {
public:
    QuitWatchdog();

private:
    static void PostQuit(void* thread);
};

// A message-only window of the test's own on the loop's thread. Each Post
// queues a step behind whatever is already queued, so steps run inside the
// hub's loop in a known order with the messages posted to the hub.
class LoopScript {
public:
    LoopScript();
    ~LoopScript();
    LoopScript(const LoopScript&) = delete;
    LoopScript& operator=(const LoopScript&) = delete;

    bool Ready() const { return window_ != nullptr; }
    void Post(std::function<void()> step);

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    std::vector<std::function<void()>> steps_;
};

// The loop must end by itself and report every step as done.
::testing::AssertionResult RunLoop(Hook::EventDispatcher& hub);
void EndLoop(Hook::EventDispatcher& hub);

// The work runs on a helper thread once the loop is up; the helper then ends
// the loop, unless the work ends it itself. A watchdog ends it after 10 s.
::testing::AssertionResult RunLoopWith(Hook::EventDispatcher& hub, std::function<void()> work,
                                       bool workEndsLoop = false);

// Polls for up to 5 s, for work on a helper thread that waits for the loop.
bool WaitUntil(const std::function<bool()>& condition);

// The processor load is read from g_cpuUsageMeter on every tick; the tests
// want it absent (load 0) unless they put a fake there themselves.
class NoLoadMeter {
public:
    NoLoadMeter() : saved_(g_cpuUsageMeter) { g_cpuUsageMeter = nullptr; }
    ~NoLoadMeter() { g_cpuUsageMeter = saved_; }
    NoLoadMeter(const NoLoadMeter&) = delete;
    NoLoadMeter& operator=(const NoLoadMeter&) = delete;

private:
    CpuUsageMeter* saved_;
};

// Loops on the test's thread with the settings read from a private registry
// key and no load meter.
class HubLoopTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void SetMaxFrameRate(DWORD rate);

    std::unique_ptr<RegistrySandbox> sandbox_;
    NoLoadMeter meter_;
};

// The pending checks as (kind, remaining) pairs, in order.
using Seen = std::vector<std::pair<int, int>>;
Seen Pending(const Hook::EventDispatcher& hub);

// Listeners that count their calls in an int and let the dispatch go on, or
// stop it.
bool Count(void* context, void*);
bool Refuse(void* context, void*);
