// The marks in a captured frame: how the registry's styles reach them, the
// order in which they and the pointer are drawn, where they land while the
// view pans, and that no style or target can crash or stall GDI+. Frames are
// drawn into a 32-bit DIB by the real DrawOverlays, at the real pointer.
#include <gtest/gtest.h>

#include <vector>

#include "core/EventDispatcher.h"
#include "tests/support/Dib.h"
#include "tests/support/MessagePump.h"
#include "tests/support/Settings.h"
#include "tests/support/StandInMagWin.h"
#include "tests/support/ViewChecks.h"
#include "tracking/highlight/HilightInstances.h"
#include "tracking/highlight/HilightObject.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);

// An opaque style of one colour, without border.
HilightStyle Opaque(DWORD style, COLORREF colour, DWORD width, DWORD gap) {
    return {style, colour, 0, width, 0, 255, gap};
}

class FrameOverlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* group : {L"HilightCursor", L"HilightFocus", L"HilightCaret"})
            reg_.SetDword(std::wstring(kSettingsKey) + L"\\" + group, L"Show", 1);
        g_settings.Load();
        PointerAt(200, 150);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
    // The system reports a pointer image only once a window under the pointer
    // has set one: a window of ours with the arrow, for all the cases.
    static void SetUpTestSuite() {
        window_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        PumpFor(50);
    }
    static void TearDownTestSuite() { DestroyWindow(window_); }

    // A frame of the 400 x 300 pixels at source, with the pointer at the
    // screen position p.
    void Draw(const ViewRect& source, POINT p, Dib& dib) {
        PointerAt(p.x, p.y);
        RenderRequest request{source, {0, 0, 800, 600}, {0, 0}};
        magwin_.DrawOverlays(request, dib.dc());
    }

    static HWND window_;
    RegistrySandbox reg_;
    Hook::EventDispatcher hub_;
    StandInMagWin magwin_{&hub_};
};

HWND FrameOverlayTest::window_ = nullptr;

// A mark's style as it was set, in the order of a style record's fields.
std::vector<LONGLONG> Styled(const Hilight::HilightObject* mark) {
    const Hilight::HilightParams& p = mark->Params();
    return {p.style, p.primaryColor, p.secondColor, p.width, p.borderWidth, p.opacity, p.gapWidth};
}

TEST_F(FrameOverlayTest, StylesAreClampedToWhatTheMarksCanPaint) {
    // Sensible styles arrive exactly as written.
    HilightStyle ring{1, 0xFF0000, 0x640000, 10, 0, 150, 40};
    HilightStyle focus{2, 0x00FF00, 0x006400, 300, 7, 90, 2};
    HilightStyle caret{3, 0x0000FF, 0x000064, 20, 1, 150, 2};
    magwin_.ConfigureHilights(ring, focus, caret);
    EXPECT_EQ((std::vector<LONGLONG>{1, 0xFF0000, 0x640000, 10, 0, 150, 40}), Styled(g_cursorHilight));
    EXPECT_EQ((std::vector<LONGLONG>{2, 0x00FF00, 0x006400, 300, 7, 90, 2}), Styled(g_focusHilight));
    EXPECT_EQ((std::vector<LONGLONG>{3, 0x0000FF, 0x000064, 20, 1, 150, 2}), Styled(g_caretHilight));

    // Styles above each kind's range, and a negative one, become its maximum.
    magwin_.ConfigureHilights({40, 0, 0, 0, 0, 0, 0}, {3, 0, 0, 0, 0, 0, 0}, {0xFFFFFFFF, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(33, g_cursorHilight->Params().style);
    EXPECT_EQ(2, g_focusHilight->Params().style);
    EXPECT_EQ(3, g_caretHilight->Params().style);

    // Style 0 is 1; colours are capped; the opacity is the low byte; lengths
    // keep their sign within the bound.
    HilightStyle wild{0, 0x01000000, 0xFFFFFFFF, 50000, 0xFFFFFFFF, 0x1FF, 0x80000000};
    magwin_.ConfigureHilights(wild, wild, wild);
    for (const Hilight::HilightObject* mark : {g_cursorHilight, g_focusHilight, g_caretHilight})
        EXPECT_EQ((std::vector<LONGLONG>{1, 0xFFFFFF, 0xFFFFFF, 2048, -1, 255, -2048}), Styled(mark));
}

TEST_F(FrameOverlayTest, NoStyleOrTargetCrashesThePaint) {
    Dib dib(400, 300);
    // Lengths that crash GDI+ unbounded, both ways, with targets far outside.
    for (DWORD length : {50000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFF0000u}) {
        for (DWORD style : {1u, 2u, 3u}) {
            HilightStyle s{style, 0xFF, 0xFF00, length, length, 150, length};
            magwin_.ConfigureHilights(s, s, s);
            magwin_.SetFocusRect({-0x7FFFFFFF, -0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF});
            magwin_.SetCaretRect({-0x10000000, 150, 0x10000000, 160});
            Draw({0, 0, 400, 300}, {200, 150}, dib);
        }
    }
}

// Counts the pixels in a box that are pure black or white: the pointer's image.
int CursorPixels(const Dib& dib, int x, int y) {
    int n = 0;
    for (int dy = 0; dy < 16; ++dy)
        for (int dx = 0; dx < 10; ++dx) {
            COLORREF c = dib.At(x + dx, y + dy);
            if (c == RGB(0, 0, 0) || c == kWhite) ++n;
        }
    return n;
}

TEST_F(FrameOverlayTest, RingThenFocusThenCaretThenThePointerAndNoPointerNorRingWhileItIsHidden) {
    // A red disc of radius 60 around the pointer, a green box 20 pixels
    // around the focus and blue triangles at the caret, all opaque.
    magwin_.ConfigureHilights(Opaque(2, kRed, 60, 0), Opaque(2, kGreen, 0, 20), Opaque(3, kBlue, 30, 0));
    magwin_.SetFocusRect({180, 130, 240, 170});  // box 160..260 x 110..190
    magwin_.SetCaretRect({200, 140, 202, 160});  // triangles 110..140 and 160..190
    Dib dib(400, 300);
    Draw({0, 0, 400, 300}, {200, 150}, dib);

    EXPECT_EQ(kRed, dib.At(200, 95)) << "ring alone";
    EXPECT_EQ(kGreen, dib.At(170, 150)) << "focus over the ring";
    EXPECT_EQ(kBlue, dib.At(201, 125)) << "caret over focus and ring";
    EXPECT_EQ(kWhite, dib.At(300, 250)) << "nothing";
    EXPECT_GT(CursorPixels(dib, 200, 150), 10) << "the pointer over the marks";

    // Hidden by its application: the box and caret stay, the rest goes.
    Dib hidden(400, 300);
    ShowCursor(FALSE);
    Draw({0, 0, 400, 300}, {200, 150}, hidden);
    ShowCursor(TRUE);
    EXPECT_EQ(kWhite, hidden.At(200, 95)) << "no ring";
    EXPECT_EQ(0, CursorPixels(hidden, 200, 150)) << "no pointer over the box";
}

TEST_F(FrameOverlayTest, MarksSitWhereTheFrameWasCapturedWhileTheViewMovesOn) {
    // A red ring of radii 21 to 30, a green frame 5 to 15 outside the focus.
    magwin_.ConfigureHilights(Opaque(1, kRed, 10, 20), Opaque(1, kGreen, 10, 5), Opaque(3, kBlue, 10, 0));
    magwin_.SetCaretRect({0, 0, 0, 0});
    // The virtual screen begins at (-50, -20): the frame's source at
    // (100, 100) begins at screen (50, 80). The view has already moved on.
    magwin_.origin = {-50, -20};
    magwin_.SetFocusRect({250, 180, 350, 230});
    ASSERT_TRUE(magwin_.SetSourceRect({150, 100, 400, 300}, false));
    Dib dib(400, 300);
    Draw({100, 100, 400, 300}, {200, 160}, dib);

    // Pointer at image (150, 80): the ring's band 25 above it.
    EXPECT_EQ(kRed, dib.At(150, 55));
    EXPECT_EQ(kWhite, dib.At(100, 55)) << "drawn against the live source";
    // Focus at image (200, 100)-(300, 150): the band 10 to its left.
    EXPECT_EQ(kGreen, dib.At(190, 125));
    EXPECT_EQ(kWhite, dib.At(140, 125)) << "drawn against the live source";
}

}  // namespace
