// The view tracker against a stand-in output on the 1280x1024 test screen:
// subscriptions, the event list, jumps and pans on ticks, zoom changes from
// this and other threads, and caret reports from real windows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "core/EventDispatcher.h"
#include "tests/support/HubLoop.h"
#include "tests/support/Settings.h"
#include "tests/support/StandInMagWin.h"
#include "tests/support/ViewChecks.h"
#include "tracking/MagTracker.h"
#include "tracking/UserEventCaretCapture.h"
#include "tracking/UserEventFocusCapture.h"
#include "tracking/UserEventMouseCapture.h"

namespace {

// A hidden popup whose client area starts at (200, 150).
class Popup {
public:
    Popup() {
        window_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 200, 150, 100, 50, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    }
    ~Popup() {
        if (window_) DestroyWindow(window_);
    }
    Popup(const Popup&) = delete;
    Popup& operator=(const Popup&) = delete;
    HWND Release() {
        HWND w = window_;
        window_ = nullptr;
        return w;
    }
    HWND window_;
};

GUITHREADINFO CaretInfo(HWND caretWindow) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    info.hwndCaret = caretWindow;
    info.rcCaret = {5, 6, 7, 26};
    return info;
}

// Output window: the whole screen; the source starts at the top-left quarter.
class TrackerTest : public ::testing::Test {
protected:
    void Configure(DWORD level, DWORD fullScreen = 1, DWORD sticky = 0) {
        LoadSettings(reg_, {{L"ZoomLevel_10", level}, {L"FullScreen", fullScreen}, {L"MagwinSticky", sticky}});
    }
    MagTracker& Make(DWORD level = 20, ViewRect source = {0, 0, 640, 512}) {
        Configure(level);
        EXPECT_TRUE(magwin_.SetWindowRect({0, 0, 1280, 1024}, false));
        EXPECT_TRUE(magwin_.SetSourceRect(source, false));
        tracker_ = std::make_unique<MagTracker>(&hub_, &magwin_);
        return *tracker_;
    }
    bool Tick(DWORD elapsed) { return MagTracker::OnTick(tracker_.get(), &elapsed); }
    ViewRect Source() const { return magwin_.SourceRect(); }
    void FocusMessage() {
        Hook::FocusMessageInfo info{0, 0};
        EXPECT_TRUE(hub_.Dispatch(Hook::FocusMessage, &info));
    }
    // Ticks while a move is pending, checking that no tick moves further than
    // step; returns the number of ticks that moved the view.
    int PanToRest(DWORD elapsed, int step) {
        int moves = 0;
        for (int i = 0; i < 200 && tracker_->NeedsUpdate(); ++i) {
            ViewRect before = Source();
            EXPECT_TRUE(Tick(elapsed));
            ViewRect after = Source();
            EXPECT_LE(std::abs(after.x - before.x), step);
            EXPECT_LE(std::abs(after.y - before.y), step);
            if (!RectEqual(before, after)) ++moves;
        }
        EXPECT_FALSE(tracker_->NeedsUpdate());
        return moves;
    }

    RegistrySandbox reg_;
    Hook::EventDispatcher hub_;
    StandInMagWin magwin_{&hub_};
    std::unique_ptr<MagTracker> tracker_;
};

// Follows the tracker's listeners: records its state when reached, so a
// listener of the tracker still running before it shows up.
struct Probe {
    const MagTracker* tracker = nullptr;
    const UserEventBase* front = nullptr;
    bool pending = false;
    int calls = 0;
};

bool Record(void* context, void*) {
    auto* probe = static_cast<Probe*>(context);
    probe->front = probe->tracker->Events().empty() ? nullptr : probe->tracker->Events().front();
    probe->pending = probe->tracker->NeedsUpdate();
    ++probe->calls;
    return true;
}

TEST_F(TrackerTest, ConstructionReadsTheZoomAndSubscribesUntilDestroyed) {
    Configure(15);
    ASSERT_TRUE(magwin_.SetWindowRect({0, 0, 1280, 1024}, false));
    ASSERT_TRUE(magwin_.SetSourceRect({0, 0, 640, 512}, false));
    Popup popup;
    ASSERT_NE(nullptr, popup.window_);

    // The second tracker lives where the first did, so a listener the first
    // left behind would reach the second, ahead of the probe.
    alignas(MagTracker) unsigned char storage[sizeof(MagTracker)];
    auto* first = new (storage) MagTracker(&hub_, &magwin_);
    EXPECT_DOUBLE_EQ(1.5, first->Zoom());
    const int kinds[] = {Hook::MouseMove,    Hook::CaretFound,      Hook::CaretChanged, Hook::FocusMessage,
                         Hook::Tick,         Hook::WindowDestroyed, Hook::Activated,    Hook::CheckDue};
    Probe probes[8];
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(hub_.AddListener(kinds[i], Record, &probes[i]));
    first->~MagTracker();
    auto* second = new (storage) MagTracker(&hub_, &magwin_);
    for (Probe& p : probes) p.tracker = second;

    POINT pointer{1000, 800};
    GUITHREADINFO caret = CaretInfo(popup.window_);
    Hook::FocusMessageInfo focus{0, 0};
    DWORD elapsed = 1;  // step 0: the pan after the focus message ends in one tick
    Hook::ActivationInfo activation{0, 0};
    Hook::PendingCheck check{Hook::CheckZoomRepeat, 0};
    void* payloads[] = {&pointer, &caret, &caret, &focus, &elapsed, nullptr, &activation, &check};
    const bool takenIn[] = {true, true, true, true, true, false, false, false};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(testing::Message() << "event kind " << kinds[i]);
        const UserEventBase* front = second->Events().empty() ? nullptr : second->Events().front();
        bool pending = second->NeedsUpdate();
        ViewRect source = Source();
        EXPECT_TRUE(hub_.Dispatch(kinds[i], payloads[i]));
        EXPECT_EQ(1, probes[i].calls);
        EXPECT_EQ(front, probes[i].front);
        EXPECT_EQ(pending, probes[i].pending);
        const UserEventBase* frontAfter = second->Events().empty() ? nullptr : second->Events().front();
        bool changed = frontAfter != front || second->NeedsUpdate() != pending || !RectEqual(source, Source());
        EXPECT_EQ(takenIn[i], changed);
    }
    // The second tracker took the events in: mouse, caret, caret again, the
    // caret dropped on the focus message, and the tick consumed.
    ASSERT_EQ(1u, second->Events().size());
    EXPECT_EQ(kMouseEventKind, second->Events().front()->Kind());
    EXPECT_FALSE(second->NeedsUpdate());
    EXPECT_FALSE(RectEqual({0, 0, 640, 512}, Source()));
    second->~MagTracker();
}

TEST_F(TrackerTest, KeepsTheNewestEventOfEachKindNewestFirst) {
    MagTracker& t = Make();
    EXPECT_TRUE(t.Events().empty());
    UserEventBase* caret = new UserEventCaretCapture(&t, {100, 100, 2, 16});
    UserEventBase* newerMouse = new UserEventMouseCapture(&t, 20, 20);
    UserEventBase* focus = new UserEventFocusCapture({1, 2, 3, 4}, &t);
    ASSERT_TRUE(t.AddEvent(new UserEventMouseCapture(&t, 10, 10)));
    ASSERT_TRUE(t.AddEvent(caret));
    ASSERT_TRUE(t.AddEvent(newerMouse));
    ASSERT_TRUE(t.AddEvent(focus));
    std::vector<UserEventBase*> expected{focus, newerMouse, caret};
    EXPECT_EQ(expected, std::vector<UserEventBase*>(t.Events().begin(), t.Events().end()));
    EXPECT_TRUE(t.NeedsUpdate());
}

TEST_F(TrackerTest, ATickJumpsToThePointer) {
    MagTracker& t = Make();
    DWORD elapsed = 40;
    ASSERT_TRUE(hub_.Dispatch(Hook::Tick, &elapsed));
    EXPECT_TRUE(SameRect({0, 0, 640, 512}, Source()));

    const struct {
        DWORD fullScreen;
        DWORD sticky;
        POINT pointer;
        ViewRect expected;
    } cases[] = {
        {1, 0, {1000, 800}, {520, 416, 640, 512}},  // the pointer roams in half the view
        {0, 1, {1000, 800}, {520, 416, 640, 512}},
        {0, 0, {600, 500}, {280, 244, 640, 512}},  // a following window centres it
    };
    for (const auto& c : cases) {
        Configure(20, c.fullScreen, c.sticky);
        ASSERT_TRUE(magwin_.SetSourceRect({0, 0, 640, 512}, false));
        POINT p = c.pointer;
        ASSERT_TRUE(hub_.Dispatch(Hook::MouseMove, &p));
        EXPECT_TRUE(t.NeedsUpdate());
        ASSERT_TRUE(hub_.Dispatch(Hook::Tick, &elapsed));
        EXPECT_TRUE(SameRect(c.expected, Source())) << "pointer at " << p.x << "," << p.y;
        EXPECT_FALSE(t.NeedsUpdate());
    }

    // Nothing pending: a tick leaves a view that was moved by someone else.
    ASSERT_TRUE(magwin_.SetSourceRect({0, 0, 640, 512}, false));
    ASSERT_TRUE(hub_.Dispatch(Hook::Tick, &elapsed));
    EXPECT_TRUE(SameRect({0, 0, 640, 512}, Source()));
}

TEST_F(TrackerTest, AFocusMessageDropsTheFrontCaretAndPansBackToThePointer) {
    MagTracker& t = Make();
    POINT pointer{1000, 800};
    ASSERT_TRUE(MagTracker::OnMouseMove(&t, &pointer));
    ASSERT_TRUE(Tick(40));
    ASSERT_TRUE(SameRect({520, 416, 640, 512}, Source()));
    ASSERT_TRUE(t.AddEvent(new UserEventCaretCapture(&t, {100, 100, 2, 16})));
    ASSERT_TRUE(Tick(40));
    ASSERT_TRUE(SameRect({21, 44, 640, 512}, Source()));

    FocusMessage();
    ASSERT_EQ(1u, t.Events().size());
    EXPECT_EQ(kMouseEventKind, t.Events().front()->Kind());
    ASSERT_TRUE(Tick(40));
    EXPECT_TRUE(SameRect({41, 64, 640, 512}, Source()));
    // 499 px across at 20 per tick: 24 more ticks.
    EXPECT_EQ(24, PanToRest(40, 20));
    EXPECT_TRUE(SameRect({520, 416, 640, 512}, Source()));
}

TEST_F(TrackerTest, AFocusMessageMovesNothingUnlessACaretLeadsAnotherEvent) {
    MagTracker& t = Make();
    // The caret behind the pointer: dropped without a move.
    ASSERT_TRUE(t.AddEvent(new UserEventCaretCapture(&t, {100, 100, 2, 16})));
    POINT pointer{1000, 800};
    ASSERT_TRUE(MagTracker::OnMouseMove(&t, &pointer));
    ASSERT_TRUE(Tick(40));
    ASSERT_TRUE(SameRect({520, 416, 640, 512}, Source()));
    FocusMessage();
    ASSERT_EQ(1u, t.Events().size());
    EXPECT_FALSE(t.NeedsUpdate());
    ASSERT_TRUE(magwin_.SetSourceRect({300, 300, 640, 512}, false));
    ASSERT_TRUE(Tick(40));
    EXPECT_TRUE(SameRect({300, 300, 640, 512}, Source()));

    // The caret alone: the list empties.
    ASSERT_TRUE(t.RemoveEventsOfKind(kMouseEventKind, 0));
    ASSERT_TRUE(t.AddEvent(new UserEventCaretCapture(&t, {100, 100, 2, 16})));
    ASSERT_TRUE(Tick(40));
    ViewRect atCaret = Source();
    FocusMessage();
    EXPECT_TRUE(t.Events().empty());
    EXPECT_FALSE(t.NeedsUpdate());
    ASSERT_TRUE(Tick(40));
    EXPECT_TRUE(SameRect(atCaret, Source()));
}

TEST_F(TrackerTest, AFocusedObjectIsPannedToAndALongTickJumps) {
    MagTracker& t = Make();
    t.AddFocusEvent({900, 700, 939, 719});
    ASSERT_TRUE(Tick(40));
    EXPECT_TRUE(SameRect({20, 20, 640, 512}, Source()));
    EXPECT_TRUE(t.NeedsUpdate());
    // Elapsed 1 gives step 0: all the way at once.
    ASSERT_TRUE(Tick(1));
    EXPECT_TRUE(SameRect({300, 208, 640, 512}, Source()));
    EXPECT_FALSE(t.NeedsUpdate());
}

TEST_F(TrackerTest, APanHeldByTheScreenEdgeEnds) {
    MagTracker& t = Make();
    Configure(20, 0, 0);
    // A following window centres the pointer: the target reaches past the
    // bottom-right corner, where the view has to stop.
    POINT pointer{1270, 1010};
    ASSERT_TRUE(MagTracker::OnMouseMove(&t, &pointer));
    ASSERT_TRUE(t.AddEvent(new UserEventCaretCapture(&t, {100, 100, 2, 16})));
    ASSERT_TRUE(Tick(200));
    ASSERT_TRUE(SameRect({0, 0, 640, 512}, Source()));
    FocusMessage();
    EXPECT_EQ(7, PanToRest(200, 100));
    EXPECT_TRUE(SameRect({640, 512, 640, 512}, Source()));
}

TEST_F(TrackerTest, SetZoomStoresTheLevelAndRecentresOnTheOldCentre) {
    MagTracker& t = Make(20, {320, 256, 640, 512});
    ASSERT_TRUE(t.SetZoom(0, 4.0));
    EXPECT_DOUBLE_EQ(4.0, t.Zoom());
    EXPECT_EQ(40u, reg_.Get(kSettingsKey, L"ZoomLevel_10").AsDword());
    ASSERT_EQ(1u, t.Events().size());
    EXPECT_EQ(kPositionEventKind, t.Events().front()->Kind());
    ASSERT_TRUE(Tick(40));
    EXPECT_TRUE(SameRect({480, 384, 320, 256}, Source()));

    // With an event to follow, no new one: the front one is redone at the new size.
    ASSERT_TRUE(t.SetZoom(1, 1));
    EXPECT_EQ(1u, t.Events().size());
    EXPECT_TRUE(t.NeedsUpdate());
    ASSERT_TRUE(Tick(40));
    EXPECT_TRUE(SameRect({512, 410, 256, 204}, Source()));

    const struct {
        int relative;
        double value;
        DWORD level;
    } steps[] = {{1, 1, 60}, {-1, -1, 50}, {1, 0, 40}, {0, 0.25, 10}, {0, 100, 320}, {0, 2.55, 25}};
    for (const auto& s : steps) {
        ASSERT_TRUE(t.SetZoom(s.relative, s.value));
        EXPECT_EQ(s.level, reg_.Get(kSettingsKey, L"ZoomLevel_10").AsDword()) << s.relative << ", " << s.value;
    }
}

struct ZoomCall {
    MagTracker* tracker;
    bool handedOver = false;
};

DWORD WINAPI ZoomFromWorker(LPVOID parameter) {
    auto* call = static_cast<ZoomCall*>(parameter);
    call->handedOver = call->tracker->SetZoom(0, 4.0);
    return 0;
}

bool RunWorker(LPTHREAD_START_ROUTINE routine, ZoomCall& call) {
    HANDLE thread = CreateThread(nullptr, 0, routine, &call, 0, nullptr);
    if (!thread) return false;
    bool ok = WaitForSingleObject(thread, 15000) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return ok;
}

TEST_F(TrackerTest, SetZoomFromAnotherThreadNeedsTheHubsLoop) {
    MagTracker& t = Make();
    ZoomCall call{&t};
    ASSERT_TRUE(RunWorker(ZoomFromWorker, call));
    // Queued for a loop to come, which never runs here.
    EXPECT_TRUE(call.handedOver);
    EXPECT_DOUBLE_EQ(2.0, t.Zoom());
    EXPECT_TRUE(t.Events().empty());
    EXPECT_EQ(20u, reg_.Get(kSettingsKey, L"ZoomLevel_10").AsDword());
}

TEST_F(TrackerTest, SetZoomFromAnotherThreadIsAppliedByTheHubsLoop) {
    MagTracker& t = Make(20, {320, 256, 640, 512});
    // The loop ends once the zoom shows or the wait gives up.
    bool handedOver = false;
    ASSERT_TRUE(RunLoopWith(hub_, [&] {
        handedOver = t.SetZoom(0, 4.0);
        WaitUntil([&] { return t.Zoom() == 4.0; });
    }));

    EXPECT_TRUE(handedOver);
    EXPECT_DOUBLE_EQ(4.0, t.Zoom());
    EXPECT_EQ(40u, reg_.Get(kSettingsKey, L"ZoomLevel_10").AsDword());
    // The position event was added on this thread; its tick recentres.
    ASSERT_EQ(1u, t.Events().size());
    ASSERT_TRUE(Tick(40));
    EXPECT_TRUE(SameRect({480, 384, 320, 256}, Source()));
}

TEST_F(TrackerTest, ACaretIsTakenInScreenCoordinatesOfItsWindowsClientArea) {
    MagTracker& t = Make();
    Popup popup;
    ASSERT_NE(nullptr, popup.window_);
    POINT origin{0, 0};
    ASSERT_TRUE(ClientToScreen(popup.window_, &origin));
    ASSERT_EQ(200, origin.x);
    ASSERT_EQ(150, origin.y);

    GUITHREADINFO info = CaretInfo(popup.window_);
    ASSERT_TRUE(hub_.Dispatch(Hook::CaretFound, &info));
    ASSERT_EQ(1u, t.Events().size());
    const auto* caret = static_cast<const UserEventCaretCapture*>(t.Events().front());
    ASSERT_EQ(kCaretEventKind, caret->Kind());
    EXPECT_TRUE(SameRect({205, 156, 2, 20}, caret->Caret()));

    // A caret window that is gone by now: dropped, the chain goes on.
    HWND gone = popup.Release();
    ASSERT_TRUE(DestroyWindow(gone));
    GUITHREADINFO stale = CaretInfo(gone);
    stale.rcCaret = {50, 60, 52, 76};
    EXPECT_TRUE(MagTracker::OnCaret(&t, &stale));
    ASSERT_EQ(1u, t.Events().size());
    EXPECT_TRUE(SameRect({205, 156, 2, 20}, static_cast<const UserEventCaretCapture*>(t.Events().front())->Caret()));
    GUITHREADINFO none = CaretInfo(nullptr);
    EXPECT_TRUE(MagTracker::OnCaret(&t, &none));
    EXPECT_EQ(1u, t.Events().size());
}

}  // namespace
