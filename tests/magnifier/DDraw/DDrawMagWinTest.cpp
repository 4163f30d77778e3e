// The DirectDraw back end on Wine's DirectDraw through the recording wrapper:
// skipped and retried frames, display-mode changes, screen placement, pause and resume that
// fail, and the start-up question when no overlay can be had.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "core/Application.h"
#include "core/EventDispatcher.h"
#include "magnifier/DDraw/DDrawMagWin.h"
#include "magnifier/GDIMagWin.h"
#include "tests/magnifier/DDraw/DDrawFixture.h"
#include "tests/support/ChildProcess.h"
#include "tracking/MagTracker.h"

namespace {

class DDrawMagWinTest : public DDrawTest {
protected:
    void SetUp() override {
        DDrawTest::SetUp();
        SKIP_WITHOUT_DIRECTDRAW();
        magwin_ = std::make_unique<DDrawMagWin>(&hub_);
        tracker_ = std::make_unique<MagTracker>(&hub_, magwin_.get());
        // Open; no loop runs, so frames come only from the test.
        ASSERT_TRUE(magwin_->Start(tracker_.get()));
        request_ = {magwin_->SourceRect(), magwin_->WindowRect(), {0, 0}};
    }
    void TearDown() override {
        if (magwin_) magwin_->Stop();
        tracker_.reset();
        magwin_.reset();
        DDrawTest::TearDown();
    }
    static OverlayManager& Manager() { return *OverlayManager::Current(); }
    bool DrawnFrom(int mark) const { return dd_.Find("Flip overlay", mark) >= 0; }

    Hook::EventDispatcher hub_;
    std::unique_ptr<DDrawMagWin> magwin_;
    std::unique_ptr<MagTracker> tracker_;
    RenderRequest request_{};
};

TEST_F(DDrawMagWinTest, FailedFramesAreSkippedAndRetriedAndAModeChangeRebuilds) {
    EXPECT_TRUE(Manager().visible_);
    int mark = dd_.Mark();
    EXPECT_TRUE(magwin_->Render(request_));
    EXPECT_TRUE(DrawnFrom(mark));
    EXPECT_EQ(-1, dd_.Find("CreateSurface primary", mark)) << "resized without a new size";

    // A resize that fails part-way skips the frame; the next one rebuilds.
    request_.source.width -= 32;
    dd_.FailOnce("CreateSurface backup", DDERR_OUTOFVIDEOMEMORY);
    EXPECT_FALSE(magwin_->Render(request_));
    EXPECT_FALSE(Manager().HasSurfaces());
    mark = dd_.Mark();
    EXPECT_TRUE(magwin_->Render(request_));
    EXPECT_EQ(request_.source.width, Manager().width_);
    EXPECT_TRUE(DrawnFrom(mark));
    // Lost surfaces that can be neither restored nor rebuilt: skipped too.
    dd_.FailOnce("IsLost primary", DDERR_SURFACELOST);
    dd_.FailOnce("RestoreAllSurfaces", DDERR_GENERIC);
    dd_.FailOnce("CreateSurface primary", DDERR_GENERIC);
    EXPECT_FALSE(magwin_->Render(request_));

    // The bare code, and the same code carried by an exception.
    for (const char* call : {"TestCooperativeLevel", "BltFast backup"}) {
        SCOPED_TRACE(call);
        dd_.FailOnce(call, DDERR_WRONGMODE);
        int devices = dd_.Count("DirectDrawCreateEx");
        EXPECT_TRUE(magwin_->Render(request_));
        EXPECT_EQ(devices + 1, dd_.Count("DirectDrawCreateEx"));
        mark = dd_.Mark();
        EXPECT_TRUE(magwin_->Render(request_));
        EXPECT_EQ(request_.source.width, Manager().width_);
        EXPECT_GE(dd_.Find("UpdateOverlay overlay show", mark), 0);
        EXPECT_TRUE(DrawnFrom(mark));
    }

    // A rebuild that fails fails the frame; the next frame builds anew.
    dd_.FailOnce("TestCooperativeLevel", DDERR_WRONGMODE);
    dd_.FailOnce("DirectDrawCreateEx", DDERR_NODIRECTDRAWHW);
    EXPECT_FALSE(magwin_->Render(request_));
    EXPECT_EQ(nullptr, OverlayManager::Current());
    mark = dd_.Mark();
    EXPECT_TRUE(magwin_->Render(request_));
    EXPECT_TRUE(DrawnFrom(mark));
}

// A virtual screen that begins left of the primary one: the overlay is placed
// and the frame captured in screen pixels, the rectangles' origin added.
class ShiftedDDrawMagWin : public DDrawMagWin {
public:
    using DDrawMagWin::DDrawMagWin;
    POINT VirtualOrigin() const override { return {-1280, 0}; }
};

TEST_F(DDrawTest, TheOverlayIsPlacedAndCapturedInScreenPixels) {
    SKIP_WITHOUT_DIRECTDRAW();
    PatternWindow pattern;  // at screen (0, 0), virtual-screen (1280, 0)
    Hook::EventDispatcher hub;
    ShiftedDDrawMagWin magwin(&hub);
    RenderRequest request{{1280, 0, PatternWindow::kWidth, PatternWindow::kHeight}, {1600, 300, 320, 128}, {0, 0}};
    ASSERT_TRUE(magwin.Render(request));
    OverlayManager& m = *OverlayManager::Current();
    EXPECT_EQ(320, m.overlayPosition_.left);
    EXPECT_EQ(640, m.overlayPosition_.right);
    EXPECT_EQ(300, m.overlayPosition_.top);
    SurfaceLock copy(*m.backupRGBSurface_, "copy", __LINE__);
    EXPECT_EQ(RawColour(RGB(255, 0, 0)), PixelAt(copy, 20, 50));
}

TEST_F(DDrawMagWinTest, PauseAndResumeKeepOverlayFailuresToThemselvesAndAPausedFrameStaysHidden) {
    dd_.FailAlways("UpdateOverlay overlay hide", DDERR_GENERIC);
    EXPECT_TRUE(magwin_->Pause());
    EXPECT_FALSE(hub_.IsActive());
    EXPECT_FALSE(Manager().visible_);
    dd_.fault = nullptr;

    // A frame queued before the pause, of another size: resized, not shown.
    request_.source.width -= 32;
    int mark = dd_.Mark();
    EXPECT_TRUE(magwin_->Render(request_));
    EXPECT_EQ(request_.source.width, Manager().width_);
    EXPECT_EQ(-1, dd_.Find("UpdateOverlay overlay show", mark));
    EXPECT_FALSE(DrawnFrom(mark));

    dd_.FailOnce("UpdateOverlay overlay show", DDERR_GENERIC);
    EXPECT_TRUE(magwin_->Resume());
    EXPECT_TRUE(hub_.IsActive());
    mark = dd_.Mark();
    EXPECT_TRUE(magwin_->Render(request_));
    EXPECT_GE(dd_.Find("UpdateOverlay overlay show", mark), 0) << "the failed show is not tried again";
    EXPECT_TRUE(DrawnFrom(mark));

    // A pause from another thread waits for the frame in progress on the
    // render thread: the overlay is hidden after the flip, not amid the frame.
    HANDLE capturing = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    dd_.fault = [capturing](const std::string& call) -> HRESULT {
        if (call == "BltFast backup") {
            SetEvent(capturing);
            Sleep(300);
        }
        return S_OK;
    };
    mark = dd_.Mark();
    ASSERT_TRUE(magwin_->QueueRequest(request_.source, request_.window));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(capturing, 10000));
    EXPECT_TRUE(magwin_->Pause());
    int flip = dd_.Find("Flip overlay", mark);
    EXPECT_TRUE(flip >= 0 && flip < dd_.Find("UpdateOverlay overlay hide", mark));
    CloseHandle(capturing);
}

// Runs ask() while a thread of its own answers the message box titled "KOVAX"
// that this process shows; returns the box's text, empty when none came. A box
// still waiting after 15 s is ended by WM_QUIT: the test fails, not hangs.
std::wstring AnswerQuestion(int answer, const std::function<void()>& ask) {
    std::atomic<bool> done{false};
    std::wstring text;
    std::thread answerer([&, asker = GetCurrentThreadId()] {
        for (DWORD waited = 0; !done; waited += 50) {
            if (HWND box = WaitForProcessWindow(nullptr, L"#32770", L"KOVAX", GetCurrentProcessId(), 50)) {
                wchar_t buffer[512] = L"";
                GetDlgItemTextW(box, 0xFFFF, buffer, 512);
                text = buffer;
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
                return;
            }
            if (waited == 15000) PostThreadMessageW(asker, WM_QUIT, 0, 0);
        }
    });
    ask();
    done = true;
    answerer.join();
    return text;
}

// On an 8-bit display the real DirectDraw refuses; elsewhere the wrapper does.
TEST_F(DDrawTest, WithoutAnOverlayTheUserIsAskedNoEndsAndYesFallsBackToTheWindow) {
    if (!NoDirectDraw()) dd_.FailAlways("DirectDrawCreateEx", DDERR_NODIRECTDRAWHW);
    Hook::EventDispatcher hub;
    std::unique_ptr<MagWin> output;
    auto create = [&] {
        output.reset();
        output.reset(CreateOutput(&hub));
    };
    std::wstring text = AnswerQuestion(IDNO, create);
    EXPECT_EQ(nullptr, output);
    EXPECT_NE(std::wstring::npos, text.find(L"Would you like to use software simulation mode instead?"))
        << std::string(text.begin(), text.end());
    // The output that failed left no listener behind on the hub.
    EXPECT_TRUE(hub.Dispatch(Hook::Frame, nullptr));

    EXPECT_NE(L"", AnswerQuestion(IDYES, create));
    EXPECT_NE(nullptr, dynamic_cast<GDIMagWin*>(output.get()));
    LoadSettings(reg_, {{L"HardwareAccelerate", 0}});
    EXPECT_EQ(L"", AnswerQuestion(IDNO, create)) << "asked";
    EXPECT_NE(nullptr, dynamic_cast<GDIMagWin*>(output.get()));
}

TEST_F(DDrawTest, TheDisplaysDepthDecidesThePrimaryFormat) {
    const int depth = ScreenDepth();
    if (depth < 16) {
        EXPECT_FALSE(OverlayManager::Create());
        OverlayManager device;
        ASSERT_EQ(DD_OK, device.directDraw_->SetCooperativeLevel(nullptr, DDSCL_NORMAL));
        try {
            device.CreatePrimarySurface();
            FAIL() << "an 8-bit primary accepted";
        } catch (const wchar_t* text) {
            EXPECT_STREQ(kUnknownPixelFormat, text);
        }
        return;
    }
    ASSERT_TRUE(OverlayManager::Create());
    EXPECT_EQ(depth == 16 ? kFormatRgb565 : kFormatRgb32, OverlayManager::Current()->primaryFormat_);
}

}  // namespace
