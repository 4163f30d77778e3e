// The GDI output with real windows under Wine: the window it opens, that it
// never takes the foreground, its raise check, closing while the render
// thread moves the window, and the pixels it draws, read back from the screen.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "core/EventDispatcher.h"
#include "magnifier/GDIMagWin.h"
#include "tests/support/Dib.h"
#include "tests/support/GdiObjects.h"
#include "tests/support/MessagePump.h"
#include "tests/support/Settings.h"
#include "tests/support/ViewChecks.h"
#include "tests/support/Watchdog.h"
#include "tracking/MagTracker.h"

namespace {

const wchar_t kFrontClass[] = L"KOVAXTestFront";
const wchar_t kPatternClass[] = L"KOVAXTestPattern";

// The pattern: 8-pixel checkerboard on the left 96 columns (black where the
// block indices add up to an even number), black with one white column at
// x = kLineX and one white row at y = kLineY on the rest.
constexpr int kPatternWidth = 160;
constexpr int kPatternHeight = 128;
constexpr int kCheckerWidth = 96;
constexpr int kBlock = 8;
constexpr int kLineX = 120;
constexpr int kLineY = 100;

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

COLORREF PatternAt(int x, int y) {
    if (x < kCheckerWidth) return ((x / kBlock + y / kBlock) % 2) ? kWhite : kBlack;
    return (x == kLineX || y == kLineY) ? kWhite : kBlack;
}

LRESULT CALLBACK PatternProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT all{0, 0, kPatternWidth, kPatternHeight};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        for (int by = 0; by < kPatternHeight; by += kBlock) {
            for (int bx = 0; bx < kCheckerWidth; bx += kBlock) {
                if (PatternAt(bx, by) != kWhite) continue;
                RECT block{bx, by, bx + kBlock, by + kBlock};
                FillRect(dc, &block, white);
            }
        }
        RECT column{kLineX, 0, kLineX + 1, kPatternHeight};
        FillRect(dc, &column, white);
        RECT row{kCheckerWidth, kLineY, kPatternWidth, kLineY + 1};
        FillRect(dc, &row, white);
        EndPaint(window, &ps);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
}

class TestWindows {
public:
    TestWindows() {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        wc.lpszClassName = kFrontClass;
        RegisterClassExW(&wc);
        wc.lpfnWndProc = PatternProc;
        wc.lpszClassName = kPatternClass;
        RegisterClassExW(&wc);
    }
    ~TestWindows() {
        for (HWND w : windows_) DestroyWindow(w);
        Pump();
        UnregisterClassW(kFrontClass, GetModuleHandleW(nullptr));
        UnregisterClassW(kPatternClass, GetModuleHandleW(nullptr));
    }
    TestWindows(const TestWindows&) = delete;
    TestWindows& operator=(const TestWindows&) = delete;

    // An ordinary grey application window that holds the foreground.
    HWND Front(RECT r = {300, 300, 600, 500}) {
        HWND w = CreateWindowExW(0, kFrontClass, L"front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr),
                                 nullptr);
        if (w) windows_.push_back(w);
        SetForegroundWindow(w);
        PumpFor(200);
        return w;
    }

    // The test pattern in the top-left corner of the screen, above the rest.
    HWND Pattern() {
        HWND w = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kPatternClass, L"pattern", WS_POPUP | WS_VISIBLE,
                                 0, 0, kPatternWidth, kPatternHeight, nullptr, nullptr, GetModuleHandleW(nullptr),
                                 nullptr);
        if (w) {
            windows_.push_back(w);
            UpdateWindow(w);
        }
        PumpFor(300);
        return w;
    }

private:
    std::vector<HWND> windows_;
};

// The screen's pixels in a rectangle, as COLORREFs, rows top-down.
class ScreenCapture {
public:
    ScreenCapture(int x, int y, int width, int height) : width_(width), height_(height) {
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        DWORD* bits = nullptr;
        HBITMAP bitmap = CreateTopDownDib(screen, width, height, &bits);
        if (bitmap && bits) {
            HGDIOBJ old = SelectObject(memory, bitmap);
            BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY);
            GdiFlush();
            const DWORD* p = bits;
            pixels_.resize(static_cast<size_t>(width) * height);
            for (size_t i = 0; i < pixels_.size(); ++i) {
                DWORD v = p[i];
                pixels_[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
            }
            SelectObject(memory, old);
            DeleteObject(bitmap);
        }
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
    }

    bool Valid() const { return !pixels_.empty(); }
    COLORREF At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_;
    int height_;
    std::vector<COLORREF> pixels_;
};

bool IsPure(COLORREF c) { return c == kBlack || c == kWhite; }

// A grey clearly between black and white.
bool IsIntermediate(COLORREF c) {
    int g = GetGValue(c);
    return g > 24 && g < 231;
}

// Settings from a private registry key that lives as long as the test.
class GDIMagWinSettings : public ::testing::Test {
protected:
    void Configure(DWORD fullScreen, DWORD sticky, DWORD zoomLevel10 = 20, DWORD smooth = 0) {
        LoadSettings(reg_, {{L"FullScreen", fullScreen},
                            {L"MagwinSticky", sticky},
                            {L"MagwinScale", 4},
                            {L"ZoomLevel_10", zoomLevel10},
                            {L"SmoothImage", smooth}});
    }

    static bool ClassRegistered() {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        return GetClassInfoExW(GetModuleHandleW(nullptr), kMainWindowClass, &wc) != FALSE;
    }

    static bool HasKindFourAt(const Hook::EventDispatcher& hub, int remaining) {
        int found = 0;
        bool match = false;
        for (const Hook::PendingCheck& c : hub.PendingChecks()) {
            if (c.kind != Hook::CheckWindowRaise) continue;
            ++found;
            match = c.remaining == remaining;
        }
        return found == 1 && match;
    }

    static bool HasKindFour(const Hook::EventDispatcher& hub) {
        for (const Hook::PendingCheck& c : hub.PendingChecks())
            if (c.kind == Hook::CheckWindowRaise) return true;
        return false;
    }

    RegistrySandbox reg_;
};

// The output proper, which opens only on a display of 16 bits or more.
class GDIMagWinTest : public GDIMagWinSettings {
protected:
    void SetUp() override {
        int depth = ScreenDepth();
        if (depth < 16) GTEST_SKIP() << "needs a display of 16 bits or more, this one has " << depth;
    }
};

using GDIMagWinLowColour = GDIMagWinSettings;

TEST_F(GDIMagWinTest, OpensALayeredClickThroughTopmostToolWindowAndClosesIt) {
    Configure(0, 1);
    PointerAt(1270, 1014);
    Hook::EventDispatcher hub;
    GDIMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    EXPECT_FALSE(ClassRegistered());

    ASSERT_TRUE(magwin.Start(&tracker));
    PumpFor(100);
    HWND window = magwin.GetWindowHandle();
    ASSERT_TRUE(window != nullptr);
    EXPECT_TRUE(ClassRegistered());
    EXPECT_TRUE(IsWindowVisible(window));

    LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    const LONG_PTR wanted = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST;
    EXPECT_EQ(wanted, exStyle & wanted) << std::hex << exStyle;
    LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CLIPSIBLINGS);
    EXPECT_EQ(static_cast<LONG_PTR>(WS_POPUP | WS_VISIBLE), style) << std::hex << style;

    // Placed where the window rectangle says: the bottom-right corner.
    ExpectRect({960, 768, 320, 256}, magwin.WindowRect());
    RECT placed{};
    ASSERT_TRUE(GetWindowRect(window, &placed));
    EXPECT_EQ(960 + GetSystemMetrics(SM_XVIRTUALSCREEN), placed.left);
    EXPECT_EQ(768 + GetSystemMetrics(SM_YVIRTUALSCREEN), placed.top);
    EXPECT_EQ(320, placed.right - placed.left);
    EXPECT_EQ(256, placed.bottom - placed.top);

    // The first raise is scheduled on open.
    EXPECT_TRUE(HasKindFourAt(hub, GDIMagWin::kFirstRaiseDelay));

    EXPECT_TRUE(magwin.Stop());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, magwin.GetWindowHandle());
    EXPECT_FALSE(ClassRegistered());

    // Open again after a close: the class is registered anew.
    ASSERT_TRUE(magwin.Start(&tracker));
    EXPECT_TRUE(ClassRegistered());
    EXPECT_TRUE(IsWindow(magwin.GetWindowHandle()));
    EXPECT_TRUE(magwin.Stop());
    EXPECT_FALSE(ClassRegistered());
}

TEST_F(GDIMagWinTest, NeverTakesTheForeground) {
    Configure(0, 1);
    PointerAt(1270, 1014);
    TestWindows windows;
    HWND front = windows.Front();
    ASSERT_TRUE(front != nullptr);
    ASSERT_EQ(front, GetForegroundWindow());

    Hook::EventDispatcher hub;
    GDIMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    ASSERT_TRUE(magwin.Start(&tracker));
    PumpFor(200);
    EXPECT_EQ(front, GetForegroundWindow()) << "after open";

    EXPECT_TRUE(magwin.Pause());
    PumpFor(200);
    EXPECT_FALSE(IsWindowVisible(magwin.GetWindowHandle()));
    EXPECT_FALSE(hub.IsActive());
    EXPECT_TRUE(magwin.Resume());
    PumpFor(200);
    EXPECT_TRUE(IsWindowVisible(magwin.GetWindowHandle()));
    EXPECT_TRUE(hub.IsActive());
    EXPECT_EQ(front, GetForegroundWindow()) << "after pause and resume";

    EXPECT_TRUE(GDIMagWin::OnActivated(&magwin, nullptr));
    Hook::PendingCheck raise{Hook::CheckWindowRaise, 0};
    EXPECT_TRUE(GDIMagWin::OnCheckDue(&magwin, &raise));
    PumpFor(200);
    EXPECT_EQ(front, GetForegroundWindow()) << "after the re-raise";
    EXPECT_TRUE(magwin.Stop());
    EXPECT_EQ(front, GetForegroundWindow()) << "after close";
}

TEST_F(GDIMagWinTest, TheRaiseCheckRearmsItselfOnlyWhileOpen) {
    Configure(0, 1);
    PointerAt(1270, 1014);
    Hook::EventDispatcher hub;
    GDIMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    ASSERT_TRUE(magwin.Start(&tracker));

    // Another kind is none of its business.
    Hook::PendingCheck other{Hook::CheckZoomRepeat, 0};
    EXPECT_TRUE(GDIMagWin::OnCheckDue(&magwin, &other));
    EXPECT_TRUE(HasKindFourAt(hub, GDIMagWin::kFirstRaiseDelay));

    Hook::PendingCheck raise{Hook::CheckWindowRaise, 0};
    EXPECT_TRUE(GDIMagWin::OnCheckDue(&magwin, &raise));
    EXPECT_TRUE(HasKindFourAt(hub, GDIMagWin::kRaiseInterval));
    EXPECT_EQ(500, GDIMagWin::kRaiseInterval);

    // Through the hub's countdown: falls due and comes back.
    hub.TickChecks(GDIMagWin::kRaiseInterval);
    EXPECT_TRUE(HasKindFourAt(hub, GDIMagWin::kRaiseInterval));

    EXPECT_TRUE(magwin.Stop());
    hub.TickChecks(GDIMagWin::kRaiseInterval);
    EXPECT_FALSE(HasKindFour(hub));
    EXPECT_TRUE(GDIMagWin::OnCheckDue(&magwin, &raise));
    EXPECT_FALSE(HasKindFour(hub));
}

// Runs only on a display started at 8 bits per pixel.
TEST_F(GDIMagWinLowColour, RefusedOnAnEightBitDisplay) {
    int depth = ScreenDepth();
    if (depth != 8) GTEST_SKIP() << "the display has " << depth << " bits per pixel";

    Configure(0, 1);
    Hook::EventDispatcher hub;
    GDIMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    EXPECT_FALSE(magwin.Start(&tracker));
    EXPECT_FALSE(magwin.IsRunning());
    EXPECT_EQ(nullptr, magwin.GetWindowHandle());
    EXPECT_FALSE(ClassRegistered());
}

// Moves the window on the render thread slowly enough that the main thread
// is already closing when the move is made.
class SlowMoveMagWin : public GDIMagWin {
public:
    explicit SlowMoveMagWin(Hook::EventDispatcher* hub) : GDIMagWin(hub), mainThread_(GetCurrentThreadId()) {
        moving_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~SlowMoveMagWin() override { CloseHandle(moving_); }

    bool OnWindowChanged() override {
        if (GetCurrentThreadId() != mainThread_) {
            SetEvent(moving_);
            Sleep(100);
        }
        return GDIMagWin::OnWindowChanged();
    }

    bool WaitMoving() { return WaitForSingleObject(moving_, 10000) == WAIT_OBJECT_0; }

private:
    DWORD mainThread_;
    HANDLE moving_ = nullptr;
};

TEST_F(GDIMagWinTest, StopReturnsWhileTheRenderThreadMovesTheWindow) {
    Configure(0, 0);
    PointerAt(5, 5);
    Hook::EventDispatcher hub;
    SlowMoveMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    ASSERT_TRUE(magwin.Start(&tracker));
    PumpFor(100);
    ExpectRect({0, 0, 320, 256}, magwin.WindowRect());

    // A source far from the window: the render thread moves the window to it.
    ASSERT_TRUE(magwin.QueueRequest({900, 700, 160, 128}, magwin.WindowRect()));
    ASSERT_TRUE(magwin.WaitMoving());
    {
        // Joins the render thread without pumping messages.
        StepDeadline deadline("Stop during a window move", 10000);
        EXPECT_TRUE(magwin.Stop());
    }
    ExpectRect({820, 636, 320, 256}, magwin.WindowRect());
    PumpFor(100);
}

// The GDI output with its seams: the capture can be made to fail, the
// virtual screen to begin elsewhere, and giving up is recorded instead of
// ending the test program.
class SeamedGDIMagWin : public GDIMagWin {
public:
    enum class Capture { kReal, kBroken, kDenied };

    explicit SeamedGDIMagWin(Hook::EventDispatcher* hub) : GDIMagWin(hub) {}
    // Stopped here, while the overrides the render thread calls still exist.
    ~SeamedGDIMagWin() override { Stop(); }

    POINT VirtualOrigin() const override {
        ++originAsks;
        return origin;
    }
    bool Render(RenderRequest& request) override {
        bool drawn = GDIMagWin::Render(request);
        ++frames;
        return drawn;
    }
    bool GaveUp() const { return gaveUpAt != 0; }

    POINT origin = GDIMagWin::VirtualOrigin();
    mutable std::atomic<int> originAsks{0};
    std::atomic<Capture> capture{Capture::kReal};
    std::atomic<int> frames{0};  // served, drawn or not
    std::atomic<DWORD> gaveUpAt{0};

protected:
    bool CaptureScreen(HDC target, HDC display, POINT at, int width, int height) override {
        switch (capture.load()) {
            case Capture::kBroken:
                return false;  // and sets no error of its own
            case Capture::kDenied:
                SetLastError(ERROR_ACCESS_DENIED);
                return false;
            default:
                return GDIMagWin::CaptureScreen(target, display, at, width, height);
        }
    }
    void GiveUpRendering() override { gaveUpAt = GetTickCount() | 1; }
};

// An output of type T with its hub and tracker, opened at once.
template <class T>
struct OpenedOutput {
    OpenedOutput() : magwin(&hub), tracker(&hub, &magwin) { opened = magwin.Start(&tracker); }
    // Closed while the tracker still exists.
    ~OpenedOutput() { magwin.Stop(); }
    Hook::EventDispatcher hub;
    T magwin;
    MagTracker tracker;
    bool opened = false;
};

TEST_F(GDIMagWinTest, StrayCloseAndSystemCommandsLeaveTheOutputUp) {
    Configure(0, 1);
    PointerAt(1270, 1014);
    OpenedOutput<GDIMagWin> output;
    ASSERT_TRUE(output.opened);
    HWND window = output.magwin.GetWindowHandle();
    PostMessageW(window, WM_CLOSE, 0, 0);
    for (WPARAM command : {SC_CLOSE, SC_MINIMIZE}) PostMessageW(window, WM_SYSCOMMAND, command, 0);
    PumpFor(100);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(output.magwin.Stop());
}

// Queues frames one after another until done() holds; false after ms.
template <class Done>
bool DrawFramesUntil(SeamedGDIMagWin& magwin, Done done, DWORD ms = 10000) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        int before = magwin.frames;
        if (!magwin.QueueRequest(magwin.SourceRect(), magwin.WindowRect())) return false;
        for (int i = 0; i < 200 && magwin.frames == before; ++i) Sleep(1);
        Pump();
    }
    return true;
}

TEST_F(GDIMagWinTest, AFailedFrameIsSkippedAndOnlyFailuresLastingTwoSecondsGiveUp) {
    Configure(0, 1);
    PointerAt(1270, 1014);
    OpenedOutput<SeamedGDIMagWin> output;
    ASSERT_TRUE(output.opened);
    SeamedGDIMagWin& magwin = output.magwin;

    magwin.capture = SeamedGDIMagWin::Capture::kBroken;
    ASSERT_TRUE(DrawFramesUntil(magwin, [&] { return magwin.frames > 0; }));
    magwin.capture = SeamedGDIMagWin::Capture::kReal;
    int failed = magwin.frames;
    EXPECT_TRUE(DrawFramesUntil(magwin, [&] { return magwin.frames > failed + 3; })) << "no frame after a failed one";

    // A secure desktop in front (access denied) may last: it is no failure.
    magwin.capture = SeamedGDIMagWin::Capture::kDenied;
    DWORD denied = GetTickCount();
    DrawFramesUntil(magwin, [&] { return GetTickCount() - denied > MagWin::kGiveUpAfterMs + 500; });
    EXPECT_FALSE(magwin.GaveUp()) << "gave up behind a secure desktop";

    // A failure right after those, with no error of its own, is one.
    magwin.capture = SeamedGDIMagWin::Capture::kBroken;
    DWORD broken = GetTickCount();
    ASSERT_TRUE(DrawFramesUntil(magwin, [&] { return magwin.GaveUp(); }, 15000)) << "frames kept failing";
    EXPECT_GE(magwin.gaveUpAt - broken, MagWin::kGiveUpAfterMs);
}

TEST_F(GDIMagWinTest, DrawingFramesLeavesNoGdiObjectsBehind) {
    Configure(0, 1);
    PointerAt(1270, 1014);
    OpenedOutput<SeamedGDIMagWin> output;
    ASSERT_TRUE(output.opened);
    SeamedGDIMagWin& magwin = output.magwin;
    // The first frames set up what GDI keeps for the process's lifetime.
    ASSERT_TRUE(DrawFramesUntil(magwin, [&] { return magwin.frames >= 20; }));
    int before = LiveGdiObjects();
    ASSERT_GT(before, 0);
    ASSERT_TRUE(DrawFramesUntil(magwin, [&] { return magwin.frames >= 320; }, 60000));
    EXPECT_EQ(before, LiveGdiObjects()) << "over 300 frames";
}

// Each ask for the virtual screen's origin is a system call that costs from a
// tenth of a millisecond to over one under Wine: the window's move, the
// capture, the marks and the pointer's image of one frame share one answer.
TEST_F(GDIMagWinTest, AFrameAsksWhereTheVirtualScreenBeginsOnce) {
    Configure(0, 0);
    PointerAt(640, 512);
    OpenedOutput<SeamedGDIMagWin> output;
    ASSERT_TRUE(output.opened);
    SeamedGDIMagWin& magwin = output.magwin;
    ViewRect source = magwin.SourceRect();
    int asked = magwin.originAsks;
    int served = magwin.frames;
    std::vector<int> windowX;
    for (int i = 0; i < 6; ++i) {
        // Sources apart: the window follows each one.
        source.x = i % 2 ? 200 : 700;
        ASSERT_TRUE(magwin.QueueRequest(source, magwin.WindowRect()));
        for (int wait = 0; wait < 2000 && magwin.frames == served + i; ++wait) Sleep(1);
        Pump();
        windowX.push_back(magwin.WindowRect().x);
    }
    ASSERT_EQ(served + 6, magwin.frames);
    EXPECT_NE(windowX[0], windowX[1]) << "the window did not move: the case proves less";
    EXPECT_EQ(6, magwin.originAsks - asked);
}

DWORD WINAPI PauseOutput(LPVOID magwin) {
    static_cast<MagWin*>(magwin)->Pause();
    return 0;
}

// The panel's thread pauses while the main thread may be busy or waiting for
// something else: the call must not wait for the window's thread.
TEST_F(GDIMagWinTest, PauseFromAnotherThreadDoesNotWaitForTheWindowsThread) {
    Configure(0, 1);
    PointerAt(1270, 1014);
    OpenedOutput<GDIMagWin> output;
    ASSERT_TRUE(output.opened);
    HANDLE thread = CreateThread(nullptr, 0, PauseOutput, &output.magwin, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    // This thread owns the window and pumps nothing meanwhile.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000)) << "waited for the window's thread";
    PumpFor(200);  // carries the hiding out (and frees a call that waited)
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_FALSE(IsWindowVisible(output.magwin.GetWindowHandle()));
}

// Whether the screen shows the first blocks of the pattern, doubled, where
// the output's window is.
bool ShowsPattern(const SeamedGDIMagWin& magwin) {
    ViewRect window = magwin.WindowRect();
    ScreenCapture shot(window.x + magwin.origin.x, window.y + magwin.origin.y, 32, 16);
    return shot.Valid() && shot.At(8, 8) == PatternAt(4, 4) && shot.At(24, 8) == PatternAt(12, 4);
}

// An X server maps each new window on top of the others, above our topmost
// one, while the window manager's own order still has ours first.
TEST_F(GDIMagWinTest, TheRaiseBringsItBackAboveAWindowOpenedAndActivatedAfterIt) {
    Configure(0, 1);
    PointerAt(1270, 1014);
    TestWindows windows;
    ASSERT_TRUE(windows.Pattern() != nullptr);
    OpenedOutput<SeamedGDIMagWin> output;
    ASSERT_TRUE(output.opened);
    SeamedGDIMagWin& magwin = output.magwin;
    ASSERT_TRUE(magwin.SetSourceRect({0, 0, kPatternWidth, kPatternHeight}, true));
    ASSERT_TRUE(DrawFramesUntil(magwin, [&] { return ShowsPattern(magwin); })) << "before the other window";

    HWND front = windows.Front({900, 700, 1280, 1024});
    ASSERT_EQ(front, GetForegroundWindow());
    ASSERT_EQ(RGB(128, 128, 128), ScreenCapture(1100, 900, 1, 1).At(0, 0))
        << "the new window does not cover the output: nothing to prove";

    output.hub.TickChecks(GDIMagWin::kFirstRaiseDelay);  // the first re-raise falls due
    EXPECT_TRUE(DrawFramesUntil(magwin, [&] { return ShowsPattern(magwin); })) << "still covered";
    EXPECT_EQ(front, GetForegroundWindow()) << "the re-raise took the foreground";
}

// Draws frames of the pattern in the top-left corner into a window in the
// bottom-right corner, at zoom 2.
class GDIMagWinPixels : public GDIMagWinTest {
protected:
    // Returns the magnifier window's pixels once a frame shows the pattern;
    // with movedOrigin, the virtual screen begins there instead.
    void Magnify(DWORD smooth, ScreenCapture& out, const POINT* movedOrigin = nullptr) {
        Configure(0, 1, 20, smooth);
        PointerAt(1270, 1014);
        TestWindows windows;
        ASSERT_TRUE(windows.Pattern() != nullptr);
        ScreenCapture source(0, 0, kPatternWidth, kPatternHeight);
        ASSERT_TRUE(source.Valid());
        ASSERT_EQ(PatternAt(4, 4), source.At(4, 4)) << "pattern not on screen";
        ASSERT_EQ(PatternAt(12, 4), source.At(12, 4)) << "pattern not on screen";
        ASSERT_EQ(kWhite, source.At(kLineX, 10)) << "pattern not on screen";

        Hook::EventDispatcher hub;
        SeamedGDIMagWin magwin(&hub);
        if (movedOrigin) magwin.origin = *movedOrigin;
        POINT origin = magwin.origin;
        MagTracker tracker(&hub, &magwin);
        ASSERT_TRUE(magwin.Start(&tracker));
        ViewRect window = magwin.WindowRect();
        ExpectRect({960 - origin.x, 768 - origin.y, 320, 256}, window);
        // The pattern, at the primary screen's corner.
        ViewRect pattern{-origin.x, -origin.y, kPatternWidth, kPatternHeight};
        if (!movedOrigin) ExpectRect(pattern, magwin.SourceRect());
        ASSERT_TRUE(magwin.SetSourceRect(pattern, true));

        // Frames until the first block shows, for at most a few seconds.
        int sx = window.x + origin.x;
        int sy = window.y + origin.y;
        for (int attempt = 0; attempt < 20; ++attempt) {
            ASSERT_TRUE(magwin.QueueRequest(magwin.SourceRect(), magwin.WindowRect()));
            PumpFor(300);
            out = ScreenCapture(sx, sy, window.width, window.height);
            ASSERT_TRUE(out.Valid());
            if (out.At(8, 8) == PatternAt(4, 4) && out.At(24, 8) == PatternAt(12, 4)) break;
        }
        EXPECT_TRUE(magwin.Stop());
    }
};

// Every 8-pixel block of the checkerboard is a 16-pixel block in the output;
// its interior has the block's colour whatever the filter.
void ExpectCheckerInteriors(const ScreenCapture& shot) {
    int wrong = 0;
    for (int by = 0; by < kPatternHeight / kBlock; ++by) {
        for (int bx = 0; bx < kCheckerWidth / kBlock; ++bx) {
            COLORREF want = PatternAt(bx * kBlock, by * kBlock);
            for (int dy = 4; dy < 12; dy += 3) {
                for (int dx = 4; dx < 12; dx += 3) {
                    if (shot.At(bx * 16 + dx, by * 16 + dy) != want) ++wrong;
                }
            }
        }
    }
    EXPECT_EQ(0, wrong) << "pixels inside the doubled checkerboard blocks with the wrong colour";
}

TEST_F(GDIMagWinPixels, WithoutSmoothingEachPixelBecomesAHardTwoByTwoBlock) {
    ScreenCapture shot(0, 0, 1, 1);
    Magnify(0, shot);
    if (HasFatalFailure()) return;
    ASSERT_EQ(320, shot.Width());
    ExpectCheckerInteriors(shot);

    // Nothing but pure black and white anywhere: no filtering.
    int mixed = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x)
            if (!IsPure(shot.At(x, y))) ++mixed;
    EXPECT_EQ(0, mixed) << "pixels that are neither black nor white";

    // The one-pixel column is exactly two columns wide, the row two rows high.
    int y = 2 * 20;
    int whiteColumns = 0;
    int first = -1;
    for (int x = 2 * kCheckerWidth; x < shot.Width(); ++x) {
        if (shot.At(x, y) == kWhite) {
            if (first < 0) first = x;
            ++whiteColumns;
        }
    }
    EXPECT_EQ(2, whiteColumns);
    EXPECT_NEAR(2 * kLineX, first, 1);
    if (first >= 0) {
        for (int yy = 0; yy < shot.Height(); ++yy) {
            EXPECT_EQ(kWhite, shot.At(first, yy)) << "row " << yy;
            EXPECT_EQ(kWhite, shot.At(first + 1, yy)) << "row " << yy;
        }
    }
    int x = 2 * (kCheckerWidth + 8);
    int whiteRows = 0;
    for (int yy = 0; yy < shot.Height(); ++yy)
        if (shot.At(x, yy) == kWhite) ++whiteRows;
    EXPECT_EQ(2, whiteRows);

    // A doubled checkerboard edge: the two output columns on either side are
    // pure and different.
    COLORREF left = shot.At(15, 8);
    COLORREF right = shot.At(16, 8);
    EXPECT_TRUE(IsPure(left));
    EXPECT_TRUE(IsPure(right));
    EXPECT_NE(left, right);
}

TEST_F(GDIMagWinPixels, WithSmoothingEdgesGetIntermediateGreys) {
    ScreenCapture shot(0, 0, 1, 1);
    Magnify(1, shot);
    if (HasFatalFailure()) return;
    ASSERT_EQ(320, shot.Width());
    ExpectCheckerInteriors(shot);

    // Along a row through the checkerboard and the white column.
    int y = 2 * 20;
    int greys = 0;
    for (int x = 0; x < shot.Width(); ++x)
        if (IsIntermediate(shot.At(x, y))) ++greys;
    EXPECT_GT(greys, 0) << "no interpolated pixel along a row of black/white edges";

    // Around the one-pixel column in particular.
    int nearLine = 0;
    for (int x = 2 * kLineX - 3; x <= 2 * kLineX + 4; ++x)
        if (IsIntermediate(shot.At(x, y))) ++nearLine;
    EXPECT_GT(nearLine, 0) << "the one-pixel white column has no grey neighbour";
}

// A monitor left of and above the primary one: captured at the source plus
// the virtual screen's corner, drawn over the whole window, placed on the
// primary screen where the window rectangle says.
TEST_F(GDIMagWinPixels, WithTheVirtualScreenStartingLeftAndAboveThePictureFillsTheWindow) {
    ScreenCapture shot(0, 0, 1, 1);
    POINT origin{-160, -128};
    Magnify(0, shot, &origin);
    if (HasFatalFailure()) return;
    ExpectCheckerInteriors(shot);
}

}  // namespace
