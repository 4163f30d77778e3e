// The magnifier base without a back end: rectangle arithmetic, the tracker's
// centred view, the initial window placement, and the render thread with its
// one-slot queue, driven through a stand-in that records what it is asked to
// draw.
#include <gtest/gtest.h>

#include <vector>

#include "core/EventDispatcher.h"
#include "tests/support/Settings.h"
#include "tests/support/StandInMagWin.h"
#include "tests/support/ViewChecks.h"
#include "tests/support/Watchdog.h"
#include "tracking/ClampRectToScreen.h"
#include "tracking/MagTracker.h"

namespace {

// Records every frame it is asked to draw; the next frame can be held until
// the test lets it go.
class RecordingMagWin : public StandInMagWin {
public:
    explicit RecordingMagWin(Hook::EventDispatcher* hub) : StandInMagWin(hub) {
        InitializeCriticalSection(&lock_);
        rendered_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        entered_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~RecordingMagWin() override {
        SetEvent(release_);
        Stop();
        CloseHandle(rendered_);
        CloseHandle(entered_);
        CloseHandle(release_);
        DeleteCriticalSection(&lock_);
    }

    bool Render(RenderRequest& request) override {
        bool hold;
        EnterCriticalSection(&lock_);
        frames_.push_back(request);
        renderThreadId_ = GetCurrentThreadId();
        hold = holdNext_;
        holdNext_ = false;
        LeaveCriticalSection(&lock_);
        SetEvent(rendered_);
        if (hold) {
            SetEvent(entered_);
            WaitForSingleObject(release_, 10000);
        }
        return true;
    }

    void HoldNextFrame() {
        EnterCriticalSection(&lock_);
        holdNext_ = true;
        LeaveCriticalSection(&lock_);
        ResetEvent(entered_);
        ResetEvent(release_);
    }
    bool WaitHeld() { return WaitForSingleObject(entered_, 10000) == WAIT_OBJECT_0; }
    void ReleaseHeld() { SetEvent(release_); }

    // Waits until at least count frames were drawn.
    bool WaitFrames(size_t count) {
        for (int i = 0; i < 200; ++i) {
            if (FrameCount() >= count) return true;
            WaitForSingleObject(rendered_, 50);
        }
        return FrameCount() >= count;
    }
    size_t FrameCount() {
        EnterCriticalSection(&lock_);
        size_t n = frames_.size();
        LeaveCriticalSection(&lock_);
        return n;
    }
    std::vector<RenderRequest> Frames() {
        EnterCriticalSection(&lock_);
        std::vector<RenderRequest> copy = frames_;
        LeaveCriticalSection(&lock_);
        return copy;
    }
    DWORD RenderThreadId() {
        EnterCriticalSection(&lock_);
        DWORD id = renderThreadId_;
        LeaveCriticalSection(&lock_);
        return id;
    }

private:
    CRITICAL_SECTION lock_;
    std::vector<RenderRequest> frames_;
    DWORD renderThreadId_ = 0;
    bool holdNext_ = false;
    HANDLE rendered_ = nullptr;
    HANDLE entered_ = nullptr;
    HANDLE release_ = nullptr;
};

// Settings come from a private registry key that lives as long as the test.
class MagWinTest : public ::testing::Test {
protected:
    void Configure(DWORD fullScreen, DWORD zoomLevel10, DWORD scale = 4, DWORD sticky = 1) {
        LoadSettings(reg_, {{L"FullScreen", fullScreen},
                            {L"ZoomLevel_10", zoomLevel10},
                            {L"MagwinScale", scale},
                            {L"MagwinSticky", sticky}});
    }

    RegistrySandbox reg_;
};

TEST(ViewRectMath, IntersectionKeepsTheOverlapOrAnEmptyRectAtTheNewCorner) {
    ViewRect a{0, 0, 10, 10};
    ExpectRect({5, 5, 5, 5}, IntersectRectInPlace(a, {5, 5, 10, 10}));

    ViewRect b{0, 0, 10, 10};
    ExpectRect({20, 20, 0, 0}, IntersectRectInPlace(b, {20, 20, 5, 5}));

    // Touching edges share no pixel: the right edge of {0,0,10,10} is x = 9.
    ViewRect c{0, 0, 10, 10};
    IntersectRectInPlace(c, {10, 0, 10, 10});
    EXPECT_EQ(0, c.width);
}

TEST(ViewRectMath, ClampMovesIntoTheScreenWithoutResizing) {
    ScreenSize screen{1000, 800};
    ViewRect left{-5, -7, 100, 50};
    ASSERT_TRUE(ClampRectToScreen(left, screen));
    ExpectRect({0, 0, 100, 50}, left);

    ViewRect right{950, 790, 100, 50};
    ASSERT_TRUE(ClampRectToScreen(right, screen));
    ExpectRect({900, 750, 100, 50}, right);

    // The last pixel exactly on the screen's edge is inside.
    ViewRect flush{900, 750, 100, 50};
    ASSERT_TRUE(ClampRectToScreen(flush, screen));
    ExpectRect({900, 750, 100, 50}, flush);
}

TEST(ViewRectMath, ZoomFromLevelIsATenthWithinOneToThirtyTwo) {
    EXPECT_DOUBLE_EQ(1.5, ZoomFromLevel(15));
    EXPECT_DOUBLE_EQ(1.0, ZoomFromLevel(10));
    EXPECT_DOUBLE_EQ(32.0, ZoomFromLevel(320));
    EXPECT_DOUBLE_EQ(2.0, ZoomFromLevel(0));
    EXPECT_DOUBLE_EQ(2.0, ZoomFromLevel(9));
    EXPECT_DOUBLE_EQ(2.0, ZoomFromLevel(325));
}

TEST_F(MagWinTest, CenteredViewShrinksTheWindowByTheZoomAroundTheSourceCentre) {
    Configure(1, 30);
    Hook::EventDispatcher hub;
    RecordingMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    EXPECT_DOUBLE_EQ(3.0, tracker.Zoom());

    ASSERT_TRUE(magwin.SetWindowRect({0, 0, 1024, 768}, false));
    ASSERT_TRUE(magwin.SetSourceRect({0, 0, 512, 384}, false));
    ViewRect view{};
    ASSERT_TRUE(tracker.CenteredView(view));
    // 1024/3 = 341 is rounded up to an even width.
    ExpectRect({85, 64, 342, 256}, view);

    // Centred on a source at the top-left corner, the view is pushed back in.
    ASSERT_TRUE(magwin.SetSourceRect({0, 0, 0, 0}, false));
    ASSERT_TRUE(tracker.CenteredView(view));
    ExpectRect({0, 0, 342, 256}, view);
}

TEST_F(MagWinTest, ScreenToImageShiftsByTheSourceOrigin) {
    Configure(1, 20);
    Hook::EventDispatcher hub;
    RecordingMagWin magwin(&hub);
    ASSERT_TRUE(magwin.SetSourceRect({100, 50, 300, 200}, false));

    ViewRect r{130, 70, 40, 30};
    ExpectRect({30, 20, 40, 30}, magwin.ScreenToImage(r));
    POINT p{130, 70};
    magwin.ScreenToImage(p);
    EXPECT_EQ(30, p.x);
    EXPECT_EQ(20, p.y);

    // The capture began at the source plus the virtual screen's corner.
    magwin.origin = {-100, -40};
    POINT q{130, 70};
    magwin.ScreenToImage(q);
    EXPECT_EQ(130, q.x);
    EXPECT_EQ(60, q.y);
}

TEST_F(MagWinTest, SettingRectsNotifiesTheBackEndOnlyWhileRunningAndOnChange) {
    Configure(1, 20);
    Hook::EventDispatcher hub;
    RecordingMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);

    // Stopped: stored, nobody told.
    ASSERT_TRUE(magwin.SetSourceRect({10, 20, 30, 40}, true));
    ASSERT_TRUE(magwin.SetWindowRect({1, 2, 3, 4}, true));
    ExpectRect({10, 20, 30, 40}, magwin.SourceRect());
    ExpectRect({1, 2, 3, 4}, magwin.WindowRect());
    EXPECT_EQ(0, magwin.sourceChanges);
    EXPECT_EQ(0, magwin.windowChanges);

    ASSERT_TRUE(magwin.Start(&tracker));
    int sources = magwin.sourceChanges;
    int windows = magwin.windowChanges;
    ViewRect current = magwin.SourceRect();
    EXPECT_TRUE(magwin.SetSourceRect(current, true));
    EXPECT_EQ(sources, magwin.sourceChanges);

    ViewRect moved{current.x + 8, current.y + 8, current.width, current.height};
    EXPECT_TRUE(magwin.SetSourceRect(moved, true));
    EXPECT_EQ(sources + 1, magwin.sourceChanges);
    moved.x += 8;
    EXPECT_TRUE(magwin.SetSourceRect(moved, false));
    EXPECT_EQ(sources + 1, magwin.sourceChanges);
    ExpectRect(moved, magwin.SourceRect());

    ViewRect window = magwin.WindowRect();
    EXPECT_TRUE(magwin.SetWindowRect(window, true));
    EXPECT_EQ(windows, magwin.windowChanges);
    window.y += 1;
    EXPECT_TRUE(magwin.SetWindowRect(window, true));
    EXPECT_EQ(windows + 1, magwin.windowChanges);
    EXPECT_TRUE(magwin.Stop());
}

TEST_F(MagWinTest, WindowRectAroundCentresAScaledWindowOnThePrimaryScreen) {
    Configure(0, 20, 4);
    Hook::EventDispatcher hub;
    RecordingMagWin magwin(&hub);
    int cx = GetSystemMetrics(SM_CXSCREEN);
    int cy = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_EQ(1280, cx);
    ASSERT_EQ(1024, cy);

    ViewRect out{};
    ASSERT_TRUE(magwin.WindowRectAround({600, 500, 100, 100}, out));
    ExpectRect({490, 422, 320, 256}, out);

    ASSERT_TRUE(magwin.WindowRectAround({0, 0, 10, 10}, out));
    ExpectRect({0, 0, 320, 256}, out);

    ASSERT_TRUE(magwin.WindowRectAround({1200, 1000, 40, 20}, out));
    ExpectRect({cx - 320, cy - 256, 320, 256}, out);
}

TEST_F(MagWinTest, InitialRectsInWindowModeFollowThePointer) {
    Configure(0, 20, 4);
    Hook::EventDispatcher hub;
    RecordingMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    int cx = GetSystemMetrics(SM_CXSCREEN);
    int cy = GetSystemMetrics(SM_CYSCREEN);

    PointerAt(5, 5);
    ASSERT_TRUE(magwin.Start(&tracker));
    ExpectRect({0, 0, cx / 4, cy / 4}, magwin.WindowRect());
    ViewRect source = magwin.SourceRect();
    EXPECT_EQ(cx / 8, source.width);
    EXPECT_EQ(cy / 8, source.height);
    // Computed silently on open.
    EXPECT_EQ(0, magwin.windowChanges);

    // Recomputed while running, the back end hears of the move.
    PointerAt(640, 512);
    ASSERT_TRUE(magwin.ComputeInitialRects(true));
    ExpectRect({640 - cx / 8, 512 - cy / 8, cx / 4, cy / 4}, magwin.WindowRect());
    EXPECT_EQ(1, magwin.windowChanges);
    EXPECT_TRUE(magwin.Stop());
}

TEST_F(MagWinTest, InitialRectsInFullScreenCoverThePrimaryScreen) {
    Configure(1, 20);
    Hook::EventDispatcher hub;
    RecordingMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    int cx = GetSystemMetrics(SM_CXSCREEN);
    int cy = GetSystemMetrics(SM_CYSCREEN);

    PointerAt(700, 300);
    ASSERT_TRUE(magwin.Start(&tracker));
    ExpectRect({-GetSystemMetrics(SM_XVIRTUALSCREEN), -GetSystemMetrics(SM_YVIRTUALSCREEN), cx, cy},
               magwin.WindowRect());
    ViewRect source = magwin.SourceRect();
    EXPECT_EQ(cx / 2, source.width);
    EXPECT_EQ(cy / 2, source.height);
    EXPECT_TRUE(magwin.Stop());
}

// A monitor left of and above the primary one: the rectangles count from
// the virtual screen's corner, and the output still lands on the primary.
TEST_F(MagWinTest, WithTheVirtualScreenStartingLeftAndAboveTheOutputStaysOnThePrimary) {
    Configure(1, 20, 4);
    Hook::EventDispatcher hub;
    RecordingMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    magwin.origin = {-1280, -200};
    int cx = GetSystemMetrics(SM_CXSCREEN);
    int cy = GetSystemMetrics(SM_CYSCREEN);

    ASSERT_TRUE(magwin.Start(&tracker));
    ExpectRect({1280, 200, cx, cy}, magwin.WindowRect());
    ASSERT_TRUE(magwin.Stop());

    // Window mode: centred on the pointer, kept on the primary screen.
    Configure(0, 20, 4);
    PointerAt(5, 5);
    ASSERT_TRUE(magwin.ComputeInitialRects(false));
    ExpectRect({1280, 200, cx / 4, cy / 4}, magwin.WindowRect());
    ViewRect around{};
    ASSERT_TRUE(magwin.WindowRectAround({0, 0, 10, 10}, around));
    ExpectRect({1280, 200, cx / 4, cy / 4}, around);
}

// The tracker computes a view from the current rectangles under the view
// lock; the render thread's full-screen switch must not change them meanwhile.
TEST_F(MagWinTest, TheFullScreenSwitchWaitsForAViewBeingComputed) {
    Configure(0, 20, 4);
    Hook::EventDispatcher hub;
    RecordingMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    PointerAt(5, 5);
    ASSERT_TRUE(magwin.Start(&tracker));
    // A first frame: the render thread has taken note of the setting.
    ASSERT_TRUE(magwin.QueueRequest(magwin.SourceRect(), magwin.WindowRect()));
    ASSERT_TRUE(magwin.WaitFrames(1));
    ViewRect window = magwin.WindowRect();
    {
        MagWin::ViewLock computing(magwin);
        g_settings.FullScreen.Assign(1);
        ASSERT_TRUE(magwin.QueueRequest(magwin.SourceRect(), window));
        // Long enough for the render thread to reach the switch many times over.
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 500 && SameRect(window, magwin.WindowRect())) Sleep(5);
        EXPECT_TRUE(SameRect(window, magwin.WindowRect())) << "changed while the view was being computed";
    }
    ASSERT_TRUE(magwin.WaitFrames(2));
    ExpectRect({-GetSystemMetrics(SM_XVIRTUALSCREEN), -GetSystemMetrics(SM_YVIRTUALSCREEN),
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
               magwin.WindowRect());
    EXPECT_TRUE(magwin.Stop());
}

TEST_F(MagWinTest, StartAndStopAreOneShot) {
    Configure(1, 20);
    Hook::EventDispatcher hub;
    RecordingMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);

    EXPECT_FALSE(magwin.Start(nullptr));
    EXPECT_FALSE(magwin.IsRunning());
    EXPECT_FALSE(magwin.Stop());

    ASSERT_TRUE(magwin.Start(&tracker));
    EXPECT_TRUE(magwin.IsRunning());
    EXPECT_EQ(&tracker, magwin.Tracker());
    EXPECT_FALSE(magwin.Start(&tracker));

    // Open started a thread of its own that serves the queue.
    ASSERT_TRUE(magwin.QueueRequest({1, 2, 3, 4}, magwin.WindowRect()));
    ASSERT_TRUE(magwin.WaitFrames(1));
    EXPECT_NE(0u, magwin.RenderThreadId());
    EXPECT_NE(GetCurrentThreadId(), magwin.RenderThreadId());

    EXPECT_TRUE(magwin.Stop());
    EXPECT_FALSE(magwin.IsRunning());
    EXPECT_FALSE(magwin.Stop());
}

TEST_F(MagWinTest, FramesQueuedDuringASlowFrameCollapseToTheNewest) {
    Configure(1, 20);
    Hook::EventDispatcher hub;
    RecordingMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    ASSERT_TRUE(magwin.Start(&tracker));
    ViewRect window = magwin.WindowRect();

    magwin.HoldNextFrame();
    ASSERT_TRUE(magwin.QueueRequest({1, 0, 10, 10}, window));
    ASSERT_TRUE(magwin.WaitHeld());
    ASSERT_TRUE(magwin.QueueRequest({2, 0, 10, 10}, window));
    ASSERT_TRUE(magwin.QueueRequest({3, 0, 10, 10}, window));
    ASSERT_TRUE(magwin.QueueRequest({4, 0, 10, 10}, window));
    magwin.ReleaseHeld();
    ASSERT_TRUE(magwin.WaitFrames(2));

    // A marker frame after the burst: whatever was drawn before it is final.
    ASSERT_TRUE(magwin.QueueRequest({5, 0, 10, 10}, window));
    ASSERT_TRUE(magwin.WaitFrames(3));
    std::vector<RenderRequest> frames = magwin.Frames();
    ASSERT_EQ(3u, frames.size());
    EXPECT_EQ(1, frames[0].source.x);
    EXPECT_EQ(4, frames[1].source.x);
    EXPECT_EQ(5, frames[2].source.x);
    // Each frame is served with the window as it is when drawn.
    ExpectRect(window, frames[1].window);
    EXPECT_TRUE(magwin.Stop());
}

TEST_F(MagWinTest, StopReturnsWhileTheRenderThreadIdles) {
    Configure(1, 20);
    Hook::EventDispatcher hub;
    RecordingMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    ASSERT_TRUE(magwin.Start(&tracker));
    ASSERT_TRUE(magwin.QueueRequest({0, 0, 10, 10}, magwin.WindowRect()));
    ASSERT_TRUE(magwin.WaitFrames(1));
    {
        StepDeadline deadline("Stop with an idle render thread", 10000);
        EXPECT_TRUE(magwin.Stop());
    }
    EXPECT_FALSE(magwin.IsRunning());
}

TEST_F(MagWinTest, ARequestQueuedWhileStoppedIsTheFirstFrameAfterRestart) {
    Configure(1, 20);
    Hook::EventDispatcher hub;
    RecordingMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    ASSERT_TRUE(magwin.Start(&tracker));
    ASSERT_TRUE(magwin.Stop());
    EXPECT_EQ(0u, magwin.FrameCount());

    ASSERT_TRUE(magwin.QueueRequest({77, 66, 10, 10}, magwin.WindowRect()));
    ASSERT_TRUE(magwin.Start(&tracker));
    ASSERT_TRUE(magwin.WaitFrames(1));
    std::vector<RenderRequest> frames = magwin.Frames();
    EXPECT_EQ(77, frames[0].source.x);
    EXPECT_EQ(66, frames[0].source.y);
    EXPECT_TRUE(magwin.Stop());
}

TEST_F(MagWinTest, TheHubsFrameEventQueuesTheCurrentView) {
    Configure(1, 20);
    Hook::EventDispatcher hub;
    RecordingMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    ASSERT_TRUE(magwin.Start(&tracker));
    ViewRect source{40, 30, 640, 512};
    ASSERT_TRUE(magwin.SetSourceRect(source, false));

    ViewRect none{0, 0, 0, 0};
    ASSERT_TRUE(hub.Dispatch(Hook::Frame, &none));
    ASSERT_TRUE(magwin.WaitFrames(1));
    ExpectRect(source, magwin.Frames()[0].source);
    EXPECT_TRUE(magwin.Stop());
}

}  // namespace
