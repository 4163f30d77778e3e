// The event hub: its listener lists and pending checks on a bare object, and
// its message loop run for real on the test's thread, with a second thread or
// queued messages standing in for the hook library and the control panel.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/CpuUsageMeter.h"
#include "core/EventDispatcher.h"
#include "magnifier/ViewRect.h"
#include "tests/support/FileTimes.h"
#include "tests/support/HubLoop.h"
#include "tests/support/MessagePump.h"

using namespace Hook;

namespace {

const wchar_t kClass[] = L"KOVAXMsgWindowClass";
const wchar_t kTitle[] = L"KOVAX Worker";

// The worker window of this process. Another test program may be running
// the whole program at the same time, with a worker window of its own.
HWND FindWorker() {
    HWND window = nullptr;
    while ((window = FindWindowExW(HWND_MESSAGE, window, kClass, kTitle)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId()) return window;
    }
    return nullptr;
}

bool WorkerClassRegistered() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    return GetClassInfoExW(GetModuleHandleW(nullptr), kClass, &wc) != FALSE;
}

// ---- listeners -------------------------------------------------------------

// Writes its tag to a shared log and answers with its verdict.
struct Tagged {
    std::vector<std::string>* log;
    std::string tag;
    bool verdict;
};

bool LogTag(void* context, void*) {
    auto* t = static_cast<Tagged*>(context);
    t->log->push_back(t->tag);
    return t->verdict;
}

// A second callback, so that removal by callback can be told apart.
bool LogTagMarked(void* context, void*) {
    auto* t = static_cast<Tagged*>(context);
    t->log->push_back(t->tag + "*");
    return t->verdict;
}

// Logs, then removes a callback from a list.
struct Remover {
    EventDispatcher* hub;
    std::vector<std::string>* log;
    std::string tag;
    int kind;
    ListenerCallback target;
};

bool LogThenRemove(void* context, void*) {
    auto* r = static_cast<Remover*>(context);
    r->log->push_back(r->tag);
    r->hub->RemoveListener(r->kind, r->target);
    return true;
}

// Logs, then dispatches another kind from inside the listener.
struct Nester {
    EventDispatcher* hub;
    std::vector<std::string>* log;
    std::string tag;
    int innerKind;
};

bool LogThenDispatch(void* context, void*) {
    auto* n = static_cast<Nester*>(context);
    n->log->push_back(n->tag);
    return n->hub->Dispatch(n->innerKind, nullptr);
}

bool KeepData(void* context, void* data) {
    *static_cast<void**>(context) = data;
    return true;
}

// ---- listener lists ----------------------------------------------------------

TEST(HubListeners, CalledInSubscriptionOrderUntilOneSaysStop) {
    EventDispatcher hub;
    std::vector<std::string> log;
    Tagged a{&log, "a", true}, b{&log, "b", true}, c{&log, "c", true};
    hub.AddListener(AltWheel, LogTag, &a);
    hub.AddListener(AltWheel, LogTagMarked, &b);
    hub.AddListener(AltWheel, LogTag, &c);

    EXPECT_TRUE(hub.Dispatch(AltWheel, nullptr));
    EXPECT_EQ((std::vector<std::string>{"a", "b*", "c"}), log);

    log.clear();
    b.verdict = false;
    EXPECT_FALSE(hub.Dispatch(AltWheel, nullptr));
    EXPECT_EQ((std::vector<std::string>{"a", "b*"}), log);

    // The other lists are separate.
    log.clear();
    EXPECT_TRUE(hub.Dispatch(KeyUp, nullptr));
    EXPECT_TRUE(log.empty());

    // The payload pointer reaches the listener as it was given.
    void* seen = nullptr;
    int payload = 42;
    hub.AddListener(MouseMove, KeepData, &seen);
    EXPECT_TRUE(hub.Dispatch(MouseMove, &payload));
    EXPECT_EQ(&payload, seen);
}

TEST(HubListeners, KindsWithoutListenersGiveTrue) {
    EventDispatcher hub;
    EXPECT_TRUE(hub.Dispatch(NoEvent, nullptr));
    EXPECT_TRUE(hub.Dispatch(WindowCreated, nullptr));
    for (int kind = 0; kind < kEventKindCount; ++kind) {
        if (kind == Tick || kind == KeyDown || kind == CheckDue) continue;  // the hub listens there itself
        EXPECT_TRUE(hub.Dispatch(kind, nullptr)) << "kind " << kind;
    }
    // A list emptied again is as good as one never used.
    std::vector<std::string> log;
    Tagged no{&log, "no", false};
    hub.AddListener(WindowCreated, LogTag, &no);
    EXPECT_FALSE(hub.Dispatch(WindowCreated, nullptr));
    hub.RemoveListener(WindowCreated, LogTag);
    EXPECT_TRUE(hub.Dispatch(WindowCreated, nullptr));
}

TEST(HubListeners, RemovingACallbackDropsEveryEntryOfItWhateverTheContext) {
    EventDispatcher hub;
    std::vector<std::string> log;
    Tagged one{&log, "1", true}, two{&log, "2", true};
    hub.AddListener(KeyUp, LogTag, &one);
    hub.AddListener(KeyUp, LogTagMarked, &one);
    hub.AddListener(KeyUp, LogTag, &two);
    hub.AddListener(KeyUp, LogTag, &one);
    hub.AddListener(AltWheel, LogTag, &one);

    hub.RemoveListener(KeyUp, LogTag);
    EXPECT_TRUE(hub.Dispatch(KeyUp, nullptr));
    EXPECT_EQ((std::vector<std::string>{"1*"}), log);

    // Only that kind's list is touched.
    log.clear();
    EXPECT_TRUE(hub.Dispatch(AltWheel, nullptr));
    EXPECT_EQ((std::vector<std::string>{"1"}), log);

    // Removing what is not there is harmless.
    hub.RemoveListener(KeyUp, LogTag);
    hub.RemoveListener(AltWheel, LogTag);
    log.clear();
    EXPECT_TRUE(hub.Dispatch(KeyUp, nullptr));
    EXPECT_EQ((std::vector<std::string>{"1*"}), log);
}

TEST(HubListeners, ListenerRemovingItselfDoesNotCostTheNextOneItsTurn) {
    EventDispatcher hub;
    std::vector<std::string> log;
    Remover self{&hub, &log, "self", AltWheel, LogThenRemove};
    Tagged next{&log, "next", true};
    hub.AddListener(AltWheel, LogThenRemove, &self);
    hub.AddListener(AltWheel, LogTag, &next);

    EXPECT_TRUE(hub.Dispatch(AltWheel, nullptr));
    EXPECT_EQ((std::vector<std::string>{"self", "next"}), log);

    log.clear();
    EXPECT_TRUE(hub.Dispatch(AltWheel, nullptr));
    EXPECT_EQ((std::vector<std::string>{"next"}), log);
}

TEST(HubListeners, ListenerRemovedLaterInTheSameDispatchIsNotCalled) {
    EventDispatcher hub;
    std::vector<std::string> log;
    Remover remover{&hub, &log, "r", AltWheel, LogTag};
    Tagged keep{&log, "keep", true}, gone{&log, "gone", true}, gone2{&log, "gone2", true};
    hub.AddListener(AltWheel, LogThenRemove, &remover);
    hub.AddListener(AltWheel, LogTagMarked, &keep);
    hub.AddListener(AltWheel, LogTag, &gone);
    hub.AddListener(AltWheel, LogTag, &gone2);

    EXPECT_TRUE(hub.Dispatch(AltWheel, nullptr));
    EXPECT_EQ((std::vector<std::string>{"r", "keep*"}), log);

    log.clear();
    EXPECT_TRUE(hub.Dispatch(AltWheel, nullptr));
    EXPECT_EQ((std::vector<std::string>{"r", "keep*"}), log);

    // Adding the callback again after the dispatch brings it back.
    hub.AddListener(AltWheel, LogTag, &gone);
    hub.RemoveListener(AltWheel, LogThenRemove);
    log.clear();
    EXPECT_TRUE(hub.Dispatch(AltWheel, nullptr));
    EXPECT_EQ((std::vector<std::string>{"keep*", "gone"}), log);
}

TEST(HubListeners, RemovalInsideANestedDispatchKeepsTheOuterWalkInStep) {
    // The outer listener running now is removed from inside a dispatch of
    // another kind: the one after it must still be called.
    EventDispatcher hub;
    std::vector<std::string> log;
    Nester outer{&hub, &log, "outer", AltWheel};
    Tagged after{&log, "after", true};
    Remover inner{&hub, &log, "inner", MouseMove, LogThenDispatch};
    hub.AddListener(MouseMove, LogThenDispatch, &outer);
    hub.AddListener(MouseMove, LogTag, &after);
    hub.AddListener(AltWheel, LogThenRemove, &inner);

    EXPECT_TRUE(hub.Dispatch(MouseMove, nullptr));
    EXPECT_EQ((std::vector<std::string>{"outer", "inner", "after"}), log);

    log.clear();
    EXPECT_TRUE(hub.Dispatch(MouseMove, nullptr));
    EXPECT_EQ((std::vector<std::string>{"after"}), log);
}

// ---- the tick on a bare hub --------------------------------------------------

struct FrameLog {
    std::vector<std::string>* log;
    std::vector<ViewRect> rects;
};

bool LogFrame(void* context, void* data) {
    auto* f = static_cast<FrameLog*>(context);
    f->log->push_back("frame");
    f->rects.push_back(*static_cast<ViewRect*>(data));
    return true;
}

TEST(HubTick, TickRaisesAnEmptyFrameBeforeTheOtherTickListeners) {
    NoLoadMeter meter;
    EventDispatcher hub;
    std::vector<std::string> log;
    FrameLog frames{&log, {}};
    Tagged tick{&log, "tick", true};
    // The test's tick listener is subscribed before the frame listener: the
    // frame still comes first, from the hub's own tick listener.
    hub.AddListener(Tick, LogTag, &tick);
    hub.AddListener(Frame, LogFrame, &frames);

    DWORD elapsed = 0;
    EXPECT_TRUE(hub.Dispatch(Tick, &elapsed));
    EXPECT_TRUE(hub.Dispatch(Tick, &elapsed));
    EXPECT_EQ((std::vector<std::string>{"frame", "tick", "frame", "tick"}), log);
    ASSERT_EQ(2u, frames.rects.size());
    for (const ViewRect& r : frames.rects) {
        EXPECT_EQ(0, r.x);
        EXPECT_EQ(0, r.y);
        EXPECT_EQ(0, r.width);
        EXPECT_EQ(0, r.height);
    }
}

// ---- pending checks ----------------------------------------------------------

struct CheckLog {
    explicit CheckLog(EventDispatcher* owner) : hub(owner) {}
    EventDispatcher* hub;
    Seen seen;
    bool pointedIntoTheList = true;
    int stopOn = -1;       // answer false for this kind
    int reArmKind = -1;    // schedule this kind again when it falls due, once
    int reArmDelay = 0;
    int armKind = -1;      // schedule this kind on the first dispatch, once
    int armDelay = 0;
};

bool OnCheckDue(void* context, void* data) {
    auto* c = static_cast<CheckLog*>(context);
    auto* check = static_cast<PendingCheck*>(data);
    bool inList = false;
    for (const PendingCheck& p : c->hub->PendingChecks()) inList = inList || &p == check;
    c->pointedIntoTheList = c->pointedIntoTheList && inList;
    c->seen.push_back({check->kind, check->remaining});
    if (c->armKind >= 0) {
        c->hub->ScheduleCheck(c->armKind, c->armDelay);
        c->armKind = -1;
    }
    if (check->kind == c->reArmKind) {
        c->hub->ScheduleCheck(c->reArmKind, c->reArmDelay);
        c->reArmKind = -1;
    }
    return check->kind != c->stopOn;
}

TEST(HubChecks, SchedulingAppendsOnceAndReArmsThePendingOne) {
    EventDispatcher hub;
    EXPECT_TRUE(hub.ScheduleCheck(CheckFocusCaret, 100));
    EXPECT_TRUE(hub.ScheduleCheck(CheckCaretPosition, 50));
    EXPECT_TRUE(hub.ScheduleCheck(CheckFocusCaret, 30));
    EXPECT_EQ((Seen{{CheckFocusCaret, 30}, {CheckCaretPosition, 50}}), Pending(hub));
    EXPECT_TRUE(hub.ScheduleCheck(CheckCaretPosition, 500));
    EXPECT_TRUE(hub.ScheduleCheck(CheckZoomRepeat, 7));
    EXPECT_EQ((Seen{{CheckFocusCaret, 30}, {CheckCaretPosition, 500}, {CheckZoomRepeat, 7}}), Pending(hub));
}

TEST(HubChecks, DueChecksAreRaisedInOrderAndDropped) {
    EventDispatcher hub;
    CheckLog log{&hub};
    hub.AddListener(CheckDue, OnCheckDue, &log);
    hub.ScheduleCheck(CheckFocusCaret, 100);
    hub.ScheduleCheck(CheckCaretPosition, 30);
    hub.ScheduleCheck(CheckActivation, 50);
    hub.ScheduleCheck(CheckZoomRepeat, 60);

    hub.TickChecks(20);
    EXPECT_TRUE(log.seen.empty());
    EXPECT_EQ((Seen{{CheckFocusCaret, 80}, {CheckCaretPosition, 10}, {CheckActivation, 30}, {CheckZoomRepeat, 40}}),
              Pending(hub));

    hub.TickChecks(30);  // 10 - 30 is due, 30 - 30 is due as well
    EXPECT_EQ((Seen{{CheckCaretPosition, -20}, {CheckActivation, 0}}), log.seen);
    EXPECT_TRUE(log.pointedIntoTheList);
    EXPECT_EQ((Seen{{CheckFocusCaret, 50}, {CheckZoomRepeat, 10}}), Pending(hub));

    // Without listeners due checks just go.
    hub.RemoveListener(CheckDue, OnCheckDue);
    hub.TickChecks(10);
    EXPECT_EQ((Seen{{CheckFocusCaret, 40}}), Pending(hub));
    EXPECT_EQ(2u, log.seen.size());
}

TEST(HubChecks, ListenerSchedulingTheDueKindAgainKeepsTheCheck) {
    EventDispatcher hub;
    CheckLog log{&hub};
    log.reArmKind = CheckCaretPosition;
    log.reArmDelay = 200;
    hub.AddListener(CheckDue, OnCheckDue, &log);
    hub.ScheduleCheck(CheckCaretPosition, 40);
    hub.ScheduleCheck(CheckActivation, 45);

    hub.TickChecks(50);
    EXPECT_EQ((Seen{{CheckCaretPosition, -10}, {CheckActivation, -5}}), log.seen);
    // Re-armed with the full delay: not counted down again in this pass.
    EXPECT_EQ((Seen{{CheckCaretPosition, 200}}), Pending(hub));

    hub.TickChecks(199);
    EXPECT_EQ(2u, log.seen.size());
    hub.TickChecks(1);
    EXPECT_EQ((Seen{{CheckCaretPosition, -10}, {CheckActivation, -5}, {CheckCaretPosition, 0}}), log.seen);
    EXPECT_TRUE(Pending(hub).empty());
}

TEST(HubChecks, CheckArmedDuringAPassStartsCountingOnTheNextOne) {
    EventDispatcher hub;
    CheckLog log{&hub};
    log.armKind = CheckWindowRaise;
    log.armDelay = 5;
    hub.AddListener(CheckDue, OnCheckDue, &log);
    hub.ScheduleCheck(CheckFocusCaret, 10);
    hub.ScheduleCheck(CheckZoomRepeat, 300);

    hub.TickChecks(100);
    EXPECT_EQ((Seen{{CheckFocusCaret, -90}}), log.seen);
    EXPECT_EQ((Seen{{CheckZoomRepeat, 200}, {CheckWindowRaise, 5}}), Pending(hub));

    hub.TickChecks(5);
    EXPECT_EQ((Seen{{CheckFocusCaret, -90}, {CheckWindowRaise, 0}}), log.seen);
    EXPECT_EQ((Seen{{CheckZoomRepeat, 195}}), Pending(hub));
}

TEST(HubChecks, AFailingCheckDoesNotDropTheOthersDueInTheSameTick) {
    EventDispatcher hub;
    CheckLog log{&hub};
    log.stopOn = CheckCaretPosition;
    hub.AddListener(CheckDue, OnCheckDue, &log);
    hub.ScheduleCheck(CheckFocusCaret, 10);
    hub.ScheduleCheck(CheckCaretPosition, 20);
    hub.ScheduleCheck(CheckActivation, 30);
    hub.ScheduleCheck(CheckZoomRepeat, 500);
    hub.ScheduleCheck(CheckWindowRaise, 40);

    hub.TickChecks(100);
    EXPECT_EQ((Seen{{CheckFocusCaret, -90}, {CheckCaretPosition, -80}, {CheckActivation, -70}, {CheckWindowRaise, -60}}),
              log.seen);
    EXPECT_EQ((Seen{{CheckZoomRepeat, 400}}), Pending(hub));

    // A check re-armed by the listener that fails stays armed.
    log.seen.clear();
    log.reArmKind = CheckCaretPosition;
    log.reArmDelay = 70;
    hub.ScheduleCheck(CheckCaretPosition, 1);
    hub.ScheduleCheck(CheckFocusCaret, 1);
    hub.TickChecks(1);
    EXPECT_EQ((Seen{{CheckCaretPosition, 0}, {CheckFocusCaret, 0}}), log.seen);
    EXPECT_EQ((Seen{{CheckZoomRepeat, 399}, {CheckCaretPosition, 70}}), Pending(hub));
}

TEST(HubTick, TickCountsThePendingChecksDown) {
    NoLoadMeter meter;
    EventDispatcher hub;
    CheckLog log{&hub};
    hub.AddListener(CheckDue, OnCheckDue, &log);
    hub.ScheduleCheck(CheckCaretPosition, 40);

    DWORD elapsed = 30;
    EXPECT_TRUE(hub.Dispatch(Tick, &elapsed));
    EXPECT_EQ((Seen{{CheckCaretPosition, 10}}), Pending(hub));
    EXPECT_TRUE(log.seen.empty());
    elapsed = 15;
    EXPECT_TRUE(hub.Dispatch(Tick, &elapsed));
    EXPECT_EQ((Seen{{CheckCaretPosition, -5}}), log.seen);
    EXPECT_TRUE(Pending(hub).empty());
}

// ---- the keyboard hook -------------------------------------------------------

bool Swallow(void*, void* data) {
    static_cast<KeyEventInfo*>(data)->passOn = false;
    return true;
}

TEST(HubKeys, AListenerSwallowsTheReleaseAsWellAsThePress) {
    EventDispatcher hub;
    hub.AddListener(KeyDown, Swallow, nullptr);
    hub.AddListener(KeyUp, Swallow, nullptr);
    KBDLLHOOKSTRUCT record = {};
    record.vkCode = VK_F13;
    bool passOn = true;
    EXPECT_TRUE(hub.OnKeyboard(record, passOn, WM_KEYDOWN));
    EXPECT_FALSE(passOn);
    passOn = true;
    EXPECT_TRUE(hub.OnKeyboard(record, passOn, WM_KEYUP));
    EXPECT_FALSE(passOn) << "a release the listener swallowed went on to the program";
}

// ---- the message loop ------------------------------------------------------

struct Posted {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Another thread, as the hook library would be: waits for the worker window,
// posts its messages, optionally waits for a signal, pauses, then ends the
// loop with WM_DESTROY, posted or sent.
class Remote {
public:
    Remote(std::vector<Posted> posts, DWORD pauseMs, bool sendDestroy, HANDLE startSignal = nullptr)
        : posts_(std::move(posts)), pauseMs_(pauseMs), send_(sendDestroy), signal_(startSignal) {
        thread_ = CreateThread(nullptr, 0, Main, this, 0, nullptr);
    }
    ~Remote() { Join(); }
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;

    // Waits for the thread; true when it found the window and did its part.
    bool Join() {
        if (thread_) {
            WaitForSingleObject(thread_, 60000);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        return done_;
    }

private:
    static DWORD WINAPI Main(LPVOID param) {
        auto* self = static_cast<Remote*>(param);
        HWND window = nullptr;
        for (int i = 0; i < 1000 && !window; ++i) {
            window = FindWorker();
            if (!window) Sleep(10);
        }
        if (!window) return 1;
        for (const Posted& p : self->posts_) PostMessageW(window, p.message, p.wParam, p.lParam);
        if (self->signal_ && WaitForSingleObject(self->signal_, 10000) != WAIT_OBJECT_0) return 1;
        Sleep(self->pauseMs_);
        if (self->send_) {
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(window, WM_DESTROY, 0, 0, SMTO_NORMAL, 10000, &result)) return 1;
        } else if (!PostMessageW(window, WM_DESTROY, 0, 0)) {
            return 1;
        }
        self->done_ = true;
        return 0;
    }

    std::vector<Posted> posts_;
    DWORD pauseMs_;
    bool send_;
    HANDLE signal_;
    HANDLE thread_ = nullptr;
    std::atomic<bool> done_{false};
};

// Runs loops on the test's thread with the settings read from a private
// registry key and no load meter.
using HubLoop = HubLoopTest;

using Events = std::vector<std::tuple<int, uintptr_t, uintptr_t>>;

bool RecordFocus(void* context, void* data) {
    auto* info = static_cast<FocusMessageInfo*>(data);
    static_cast<Events*>(context)->emplace_back(FocusMessage, static_cast<uintptr_t>(info->lParam),
                                                static_cast<uintptr_t>(info->wParam));
    return true;
}

bool RecordCreated(void* context, void* data) {
    static_cast<Events*>(context)->emplace_back(WindowCreated, reinterpret_cast<uintptr_t>(data), 0);
    return true;
}

bool RecordDestroyed(void* context, void* data) {
    static_cast<Events*>(context)->emplace_back(WindowDestroyed, reinterpret_cast<uintptr_t>(data), 0);
    return true;
}

bool RecordActivated(void* context, void*) {
    static_cast<Events*>(context)->emplace_back(Activated, 0, 0);
    return true;
}

TEST_F(HubLoop, WorkerWindowAndClassExistOnlyWhileTheLoopRuns) {
    EventDispatcher hub;
    EXPECT_FALSE(WorkerClassRegistered());
    for (int run = 0; run < 2; ++run) {  // the same hub may run its loop again
        LoopScript script;
        ASSERT_TRUE(script.Ready());
        HWND found = nullptr;
        HWND own = nullptr;
        bool classInside = false;
        script.Post([&] {
            found = FindWorker();
            own = hub.Window();
            classInside = WorkerClassRegistered();
            EndLoop(hub);
        });
        ASSERT_TRUE(RunLoop(hub)) << "run " << run;
        EXPECT_NE(nullptr, found);
        EXPECT_EQ(own, found);
        EXPECT_TRUE(classInside);

        EXPECT_FALSE(TakeStrayQuit()) << "run " << run;
        EXPECT_FALSE(WorkerClassRegistered());
        EXPECT_EQ(nullptr, FindWorker());
        EXPECT_FALSE(IsWindow(found));
    }
}

struct TickFrameLog {
    std::vector<std::string> log;
    std::vector<ViewRect> rects;
    int stopAfter;
};

bool LogFrameRect(void* context, void* data) {
    auto* t = static_cast<TickFrameLog*>(context);
    t->log.push_back("frame");
    t->rects.push_back(*static_cast<ViewRect*>(data));
    return true;
}

bool LogTickUntil(void* context, void*) {
    auto* t = static_cast<TickFrameLog*>(context);
    t->log.push_back("tick");
    return --t->stopAfter > 0;
}

TEST_F(HubLoop, TimerTicksRaiseFramesUntilATickListenerSaysStop) {
    EventDispatcher hub;
    TickFrameLog t{{}, {}, 3};
    hub.AddListener(Tick, LogTickUntil, &t);
    hub.AddListener(Frame, LogFrameRect, &t);

    ASSERT_TRUE(RunLoop(hub));
    EXPECT_EQ((std::vector<std::string>{"frame", "tick", "frame", "tick", "frame", "tick"}), t.log);
    for (const ViewRect& r : t.rects) {
        EXPECT_EQ(0, r.x);
        EXPECT_EQ(0, r.y);
        EXPECT_EQ(0, r.width);
        EXPECT_EQ(0, r.height);
    }
    EXPECT_FALSE(TakeStrayQuit());
    EXPECT_FALSE(WorkerClassRegistered());
}

TEST_F(HubLoop, HookLibraryMessagesBecomeEvents) {
    EventDispatcher hub;
    Events events;
    hub.AddListener(FocusMessage, RecordFocus, &events);
    hub.AddListener(WindowCreated, RecordCreated, &events);
    hub.AddListener(WindowDestroyed, RecordDestroyed, &events);
    hub.AddListener(Activated, RecordActivated, &events);

    // Values that use the whole width of the parameters.
    const WPARAM focusW = ~static_cast<WPARAM>(0) - 0x10;
    const LPARAM focusL = -7;
    const WPARAM created = static_cast<WPARAM>(sizeof(WPARAM) == 8 ? 0x0000123456789ABCull : 0x89ABCDEFu);
    const WPARAM destroyed = created + 0x40;
    UINT setFocus = RegisterWindowMessageW(L"Message.SetFocus");
    UINT activate = RegisterWindowMessageW(L"Message.Activate");
    UINT createWnd = RegisterWindowMessageW(L"Message.CreateWnd");
    UINT destroyWnd = RegisterWindowMessageW(L"Message.DestroyWnd");

    Remote remote({{setFocus, focusW, focusL},
                   {activate, 0x5005, 0x6006},
                   {createWnd, created, 11},
                   {destroyWnd, destroyed, 12},
                   {setFocus, 0, 0}},
                  0, false);
    ASSERT_TRUE(RunLoop(hub));
    EXPECT_TRUE(remote.Join());

    Events expected{{FocusMessage, static_cast<uintptr_t>(focusL), static_cast<uintptr_t>(focusW)},
                    {WindowCreated, static_cast<uintptr_t>(created), 0},
                    {WindowDestroyed, static_cast<uintptr_t>(destroyed), 0},
                    {FocusMessage, 0, 0}};
    EXPECT_EQ(expected, events);
    EXPECT_FALSE(TakeStrayQuit());
}

TEST_F(HubLoop, ListenerSayingStopOnAHookMessageEndsTheLoop) {
    const struct {
        int kind;
        const wchar_t* message;
    } cases[] = {
        {FocusMessage, L"Message.SetFocus"},
        {WindowCreated, L"Message.CreateWnd"},
        {WindowDestroyed, L"Message.DestroyWnd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        EventDispatcher hub;
        int calls = 0;
        hub.AddListener(c.kind, Refuse, &calls);
        LoopScript script;
        UINT message = RegisterWindowMessageW(c.message);
        script.Post([&] { PostMessageW(hub.Window(), message, 1, 2); });

        ASSERT_TRUE(RunLoop(hub));
        EXPECT_EQ(1, calls);
        EXPECT_FALSE(TakeStrayQuit());
        EXPECT_FALSE(WorkerClassRegistered());
    }
}

TEST_F(HubLoop, PausedHubRaisesNothingYetEndsOnSentDestroy) {
    EventDispatcher hub;
    int raised = 0;
    for (int kind : {Tick, Frame, FocusMessage, WindowCreated, WindowDestroyed, Activated, CheckDue})
        hub.AddListener(kind, Count, &raised);
    hub.ScheduleCheck(CheckFocusCaret, 1);
    hub.SetActive(false);

    std::vector<Posted> posts;
    for (int i = 0; i < 4; ++i) posts.push_back({hub.RegisteredMessage(i), 0x100u + i, 0x200 + i});
    // Long enough for the 30 per second timer to have come round several times.
    Remote remote(posts, 300, true);
    ASSERT_TRUE(RunLoop(hub));
    EXPECT_TRUE(remote.Join());
    EXPECT_EQ(0, raised);
    EXPECT_EQ(1u, hub.PendingChecks().size());
    EXPECT_FALSE(TakeStrayQuit());
}

void TypeKey(WORD vk) {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = vk;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

// Once the loop is over nobody answers the hook: every key on the desktop
// would wait for it.
TEST_F(HubLoop, TheKeyboardHookIsGoneOnceTheLoopEnds) {
    EventDispatcher hub;
    int keys = 0;
    hub.AddListener(KeyDown, Count, &keys);
    LoopScript script;
    script.Post([&] {
        TypeKey(VK_F24);
        PumpUntil([&] { return keys > 0; });
        EndLoop(hub);
    });
    ASSERT_TRUE(RunLoop(hub));
    ASSERT_EQ(1, keys) << "the hook did not see the key typed while the loop ran";
    TypeKey(VK_F24);
    PumpFor(200);
    EXPECT_EQ(1, keys);
}

TEST_F(HubLoop, ResumingInsideTheLoopRaisesEventsAgain) {
    EventDispatcher hub;
    Events events;
    hub.AddListener(WindowCreated, RecordCreated, &events);
    LoopScript script;
    script.Post([&] {
        hub.SetActive(false);
        PostMessageW(hub.Window(), hub.RegisteredMessage(2), 1, 0);
        script.Post([&] { hub.SetActive(true); });
        PostMessageW(hub.Window(), hub.RegisteredMessage(2), 2, 0);
        EndLoop(hub);
    });
    ASSERT_TRUE(RunLoop(hub));
    EXPECT_EQ((Events{{WindowCreated, 2, 0}}), events);
    EXPECT_TRUE(hub.IsActive());
}

// ---- tasks handed over to the loop's thread -----------------------------------

// What the handed-over tasks did: their numbers in the order they ran (written
// on the loop's thread only, read after the loop), and whether each found
// itself on that thread with the window and the frame timer up.
struct TaskLog {
    TaskLog(EventDispatcher* h, int end) : hub(h), endAfter(end) {}
    EventDispatcher* hub;
    int endAfter;  // the task that makes this many ends the loop; 0: none
    DWORD loopThread = GetCurrentThreadId();
    std::vector<int> ran;
    std::atomic<int> count{0};
    bool served = true;
};

void LogTask(void* context, int number, double) {
    auto* log = static_cast<TaskLog*>(context);
    log->ran.push_back(number);
    if (GetCurrentThreadId() != log->loopThread || !log->hub->Window() || !log->hub->TimerInterval()) {
        log->served = false;
    }
    if (++log->count == log->endAfter) EndLoop(*log->hub);
}

// A thread that hands tasks first .. first + count - 1 over, in this order,
// once start (if any) is set.
struct HandOver {
    TaskLog* log;
    int first;
    int count;
    HANDLE start = nullptr;
    HANDLE thread = nullptr;
    int refused = 0;
};

DWORD WINAPI HandOverTasks(LPVOID parameter) {
    auto* h = static_cast<HandOver*>(parameter);
    if (h->start) WaitForSingleObject(h->start, 10000);
    for (int k = 0; k < h->count; ++k) {
        if (!h->log->hub->RunOnMainThread(LogTask, h->log, h->first + k, 0.0)) ++h->refused;
    }
    return 0;
}

bool Join(HANDLE thread) {
    bool ended = WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ended;
}

// The control panel comes up before the loop: its first commands wait for it.
TEST_F(HubLoop, TasksHandedOverBeforeTheLoopRunOnceItServes) {
    EventDispatcher hub;
    TaskLog log{&hub, 3};
    HandOver early{&log, 0, 3};
    HANDLE thread = CreateThread(nullptr, 0, HandOverTasks, &early, 0, nullptr);
    ASSERT_TRUE(thread && Join(thread));
    EXPECT_EQ(0, early.refused);
    EXPECT_TRUE(log.ran.empty());

    ASSERT_TRUE(RunLoop(hub)) << "ran " << log.count << " of the 3 tasks";
    EXPECT_EQ((std::vector<int>{0, 1, 2}), log.ran);
    EXPECT_TRUE(log.served) << "a task ran before the window and the timer were up, or on another thread";

    // Once the loop has ended nothing would run them: refused.
    HandOver late{&log, 3, 1};
    thread = CreateThread(nullptr, 0, HandOverTasks, &late, 0, nullptr);
    ASSERT_TRUE(thread && Join(thread));
    EXPECT_EQ(1, late.refused);
}

TEST_F(HubLoop, TasksFromSeveralThreadsAtOnceEachRunOnceInTheirOrder) {
    EventDispatcher hub;
    TaskLog log{&hub, 0};
    constexpr int kThreads = 4, kEach = 250;
    HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<HandOver> senders;
    for (int t = 0; t < kThreads; ++t) senders.push_back({&log, t * kEach, kEach, start});
    bool joined = true;
    ASSERT_TRUE(RunLoopWith(hub, [&] {
        for (HandOver& h : senders) h.thread = CreateThread(nullptr, 0, HandOverTasks, &h, 0, nullptr);
        SetEvent(start);
        for (HandOver& h : senders) joined = h.thread && Join(h.thread) && joined;
        WaitUntil([&] { return log.count >= kThreads * kEach; });
    }));
    CloseHandle(start);
    ASSERT_TRUE(joined);

    for (const HandOver& h : senders) EXPECT_EQ(0, h.refused);
    EXPECT_EQ(kThreads * kEach, static_cast<int>(log.ran.size()));
    EXPECT_TRUE(log.served);
    // Each number once, and each sender's numbers in the order it handed them over.
    std::vector<int> next(kThreads);
    for (int t = 0; t < kThreads; ++t) next[t] = t * kEach;
    for (int number : log.ran) {
        int t = number / kEach;
        ASSERT_TRUE(t >= 0 && t < kThreads && number == next[t]) << "task " << number << " out of turn";
        ++next[t];
    }
}

// ---- the frame timer inside the loop ------------------------------------------

using HubFrameTimer = HubLoop;

TEST_F(HubFrameTimer, ZeroMaxFrameRateStartsNoTimer) {
    SetMaxFrameRate(0);
    EventDispatcher hub;
    int ticks = 0;
    hub.AddListener(Tick, Count, &ticks);
    Remote remote({}, 500, false);
    ASSERT_TRUE(RunLoop(hub));
    EXPECT_TRUE(remote.Join());
    EXPECT_EQ(0, ticks);
    EXPECT_FALSE(TakeStrayQuit());
}

struct RateProbe {
    EventDispatcher* hub;
    unsigned rate;
};

bool NoteRateAndStop(void* context, void*) {
    auto* p = static_cast<RateProbe*>(context);
    p->rate = p->hub->Rate();
    return false;
}

TEST_F(HubFrameTimer, StartRateIsMaxFrameRateButAtLeastThree) {
    const struct {
        DWORD max;
        unsigned rate;
    } cases[] = {{1, 3}, {2, 3}, {3, 3}, {25, 25}, {200, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.max);
        SetMaxFrameRate(c.max);
        EventDispatcher hub;
        RateProbe probe{&hub, 0};
        hub.AddListener(Tick, NoteRateAndStop, &probe);  // the first tick ends the loop
        ASSERT_TRUE(RunLoop(hub));
        EXPECT_EQ(c.rate, probe.rate);
        EXPECT_FALSE(TakeStrayQuit());
    }
}

TEST_F(HubFrameTimer, SetFrameRateKeepsTheRateWithinItsBounds) {
    SetMaxFrameRate(30);
    EventDispatcher hub;
    std::vector<std::pair<bool, unsigned>> results;
    std::vector<unsigned> intervals;
    LoopScript script;
    script.Post([&] {
        for (unsigned rate : {500u, 1u, 12u, 31u, 30u, 3u}) {
            bool ok = hub.SetFrameRate(rate);
            results.push_back({ok, hub.Rate()});
            intervals.push_back(hub.TimerInterval());
        }
        EndLoop(hub);
    });
    ASSERT_TRUE(RunLoop(hub));
    std::vector<std::pair<bool, unsigned>> expected{{true, 30}, {true, 3}, {true, 12},
                                                    {true, 30}, {true, 30}, {true, 3}};
    EXPECT_EQ(expected, results);
    // The period follows the rate actually set, not the one asked for.
    EXPECT_EQ((std::vector<unsigned>{33, 333, 83, 33, 33, 333}), intervals);
}

struct Stopper {
    EventDispatcher* hub;
    HANDLE firstTick;
    int ticks;
    bool stopped;
};

bool StopTimerOnFirstTick(void* context, void*) {
    auto* s = static_cast<Stopper*>(context);
    if (++s->ticks == 1) {
        s->stopped = s->hub->SetFrameRate(0);
        SetEvent(s->firstTick);
    }
    return true;
}

TEST_F(HubFrameTimer, RateZeroStopsTheTicks) {
    EventDispatcher hub;
    HANDLE firstTick = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Stopper stopper{&hub, firstTick, 0, false};
    hub.AddListener(Tick, StopTimerOnFirstTick, &stopper);
    {
        // Half a second after the first tick: room for many more at 30 per second.
        Remote remote({}, 500, false, firstTick);
        ASSERT_TRUE(RunLoop(hub));
        EXPECT_TRUE(remote.Join());
    }
    CloseHandle(firstTick);
    EXPECT_TRUE(stopper.stopped);
    EXPECT_EQ(1, stopper.ticks);
}

// A processor whose load the test sets: every reading adds 100 units of time,
// of which 100 - g_load idle, and a tick count a second on, so each reading
// is a fresh one.
int g_load = 0;
uint64_t g_idle = 0;
uint64_t g_total = 0;
DWORD g_ticks = 1000;

BOOL LoadedSystemTimes(FILETIME* idle, FILETIME* kernel, FILETIME* user) {
    g_idle += static_cast<uint64_t>(100 - g_load);
    g_total += 100;
    *idle = ToFileTime(g_idle);
    *kernel = ToFileTime(g_total);
    *user = ToFileTime(0);
    return TRUE;
}

DWORD LoadedTickCount() { return g_ticks += 1000; }

TEST_F(HubFrameTimer, LoadOnTheTicksStepsTheRunningRate) {
    SetMaxFrameRate(30);
    EventDispatcher hub;
    hub.SetActive(false);  // only the ticks raised below count
    CpuUsageMeter meter(CpuUsageMeter::Clock{LoadedSystemTimes, LoadedTickCount});
    int frames = 0;
    hub.AddListener(Frame, Count, &frames);
    TickFrameLog resumed{{}, {}, 1};
    std::vector<unsigned> rates;
    LoopScript script;
    script.Post([&] {
        auto tick = [&](int load, DWORD elapsed) {
            g_load = load;
            hub.Dispatch(Tick, &elapsed);
            rates.push_back(hub.Rate());
        };
        g_cpuUsageMeter = &meter;
        rates.push_back(hub.Rate());
        tick(80, 400);  // 900 of 1000 ms at high load
        tick(80, 100);  // a full second: one step down
        tick(5, 1);     // from 0 straight under: one step up
        tick(5, 999);   // 1 ms left
        tick(5, 5000);  // already at MaxFrameRate
        g_cpuUsageMeter = nullptr;
        // The timer that was restarted at the new rates still runs.
        hub.AddListener(Tick, LogTickUntil, &resumed);
        hub.SetActive(true);
    });
    ASSERT_TRUE(RunLoop(hub));
    EXPECT_EQ((std::vector<unsigned>{30, 30, 29, 30, 30, 30}), rates);
    EXPECT_EQ(std::vector<std::string>{"tick"}, resumed.log);
    EXPECT_EQ(6, frames);
    EXPECT_FALSE(TakeStrayQuit());
}

}  // namespace
