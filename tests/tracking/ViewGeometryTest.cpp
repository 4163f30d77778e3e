// The tracker's arithmetic with written-out rectangles and screen sizes: the
// centred view, each event's target, the view's step towards a target, and
// the zoom table.
#include <gtest/gtest.h>

#include <climits>

#include "tests/support/ViewChecks.h"
#include "tracking/ClampRectToScreen.h"
#include "tracking/ViewGeometry.h"

namespace {

TEST(CenteredViewRect, ShrinksTheWindowByTheZoomAroundTheSourceCentre) {
    ViewRect out{};
    // 1024 / 3 = 341: the offset uses 341, the width is made even.
    ASSERT_TRUE(CenteredViewRect({0, 0, 1024, 768}, {0, 0, 512, 384}, 3.0, false, {1920, 1080}, out));
    EXPECT_TRUE(SameRect({85, 64, 342, 256}, out));

    ASSERT_TRUE(CenteredViewRect({0, 0, 1024, 768}, {500, 400, 512, 384}, 3.0, true, {1920, 1080}, out));
    EXPECT_TRUE(SameRect({244, 208, 1024, 768}, out));

    // Near the bottom-right corner the view is pushed back onto the screen.
    ASSERT_TRUE(CenteredViewRect({0, 0, 1024, 768}, {1800, 1000, 512, 384}, 3.0, false, {1920, 1080}, out));
    EXPECT_TRUE(SameRect({1578, 824, 342, 256}, out));

    EXPECT_FALSE(CenteredViewRect({0, 0, 1024, 768}, {0, 0, 512, 384}, 3.0, false, {0, 0}, out));
}

TEST(EventTargets, PointerCaretAndCaretRectFromThreadInfo) {
    const ViewRect view{0, 0, 960, 540};
    EXPECT_TRUE(SameRect({760, 365, 480, 270}, MouseTarget({1000, 500}, view, true)));
    EXPECT_TRUE(SameRect({520, 230, 960, 540}, MouseTarget({1000, 500}, view, false)));
    EXPECT_TRUE(SameRect({-19, 141, 240, 135}, CaretTarget({100, 200, 2, 16}, view)));

    EXPECT_TRUE(SameRect({105, 206, 2, 20}, CaretRectFromThreadInfo({5, 6, 7, 26}, {100, 200}, {0, 0, 1280, 1024})));
    EXPECT_TRUE(
        SameRect({2025, 206, 2, 20}, CaretRectFromThreadInfo({5, 6, 7, 26}, {100, 200}, {-1920, 0, 3200, 1080})));
}

TEST(EventTargets, PositionTargetHoldsTheOriginWithinTheScreen) {
    const ViewRect view{100, 100, 320, 256};
    const ScreenSize screen{1280, 1024};
    EXPECT_TRUE(SameRect({150, 70, 320, 256}, PositionTarget(50, -30, view, screen)));
    EXPECT_TRUE(SameRect({0, 0, 320, 256}, PositionTarget(-500, -500, view, screen)));
    // The origin stops at the screen size itself, not at size minus the view.
    EXPECT_TRUE(SameRect({1280, 1024, 320, 256}, PositionTarget(5000, 5000, view, screen)));
    EXPECT_TRUE(SameRect({1280, 0, 320, 256}, PositionTarget(INT_MAX, INT_MIN, view, screen)));
}

TEST(EventTargets, FocusRectIsCutAtTheVirtualScreen) {
    EXPECT_TRUE(SameRect({10, 20, 101, 51}, FocusRectFromRECT({10, 20, 110, 70})));
    // Wider than the int range: the width saturates instead of wrapping.
    EXPECT_TRUE(SameRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, FocusRectFromRECT({INT_MIN, INT_MIN, INT_MAX, INT_MAX})));

    const VirtualScreen twoScreens{-1920, 0, 3200, 1080};
    const VirtualScreen one{0, 0, 1280, 1024};
    struct Case {
        ViewRect focus;
        VirtualScreen screen;
        ViewRect expected;
    } cases[] = {
        {{10, 20, 101, 51}, twoScreens, {1930, 20, 101, 51}},
        {{-2000, 20, 101, 51}, twoScreens, {0, 20, 101, 51}},     // left: moved, not cut
        {{10, -30, 101, 51}, one, {10, 0, 101, 51}},              // top: moved, not cut
        {{1250, 20, 101, 51}, one, {1250, 20, 31, 51}},           // right: last column 1280
        {{10, 1000, 101, 51}, one, {10, 1000, 101, 25}},          // bottom: last row 1024
        {{-32000, -32000, 160, 24}, one, {0, 0, 160, 24}},        // a minimised window
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, one, {0, 0, 1281, 1025}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "focus at " << c.focus.x << "," << c.focus.y);
        EXPECT_TRUE(SameRect(c.expected, FocusTarget(c.focus, c.screen)));
    }
}

TEST(ClampRectToScreen, MovesWithoutResizing) {
    struct Case {
        ViewRect in;
        ViewRect expected;
    } cases[] = {
        {{1900, 10, 100, 50}, {1820, 10, 100, 50}},
        {{-5, 1075, 100, 50}, {0, 1030, 100, 50}},
        {{10, 10, 2000, 50}, {-80, 10, 2000, 50}},
        {{1820, 1030, 100, 50}, {1820, 1030, 100, 50}},  // flush with the edges
        {{INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {1920 - INT_MAX, 1080 - INT_MAX, INT_MAX, INT_MAX}},
    };
    for (const Case& c : cases) {
        ViewRect r = c.in;
        ASSERT_TRUE(ClampRectToScreen(r, {1920, 1080}));
        EXPECT_TRUE(SameRect(c.expected, r)) << "from x " << c.in.x << ", y " << c.in.y;
    }
}

TEST(StepView, MovesTheViewOnlyAsFarAsTheTargetNeeds) {
    const ViewRect view{400, 300, 320, 256};
    const ScreenSize screen{1280, 1024};
    struct Case {
        const char* what;
        ViewRect target;
        int step;
        ViewRect expected;
    } cases[] = {
        {"inside", {450, 350, 40, 40}, 0, {400, 300, 320, 256}},
        {"left", {350, 350, 40, 40}, 0, {350, 300, 320, 256}},
        {"right", {700, 350, 40, 40}, 0, {420, 300, 320, 256}},
        {"top", {450, 250, 40, 40}, 0, {400, 250, 320, 256}},
        {"bottom", {450, 540, 40, 40}, 0, {400, 324, 320, 256}},
        {"bottom-right", {900, 700, 40, 40}, 0, {620, 484, 320, 256}},
        {"bottom-right, step 20", {900, 700, 40, 40}, 20, {420, 320, 320, 256}},
        {"top-left, step 20", {0, 0, 40, 40}, 20, {380, 280, 320, 256}},
        {"near, step 20", {390, 310, 40, 40}, 20, {390, 300, 320, 256}},
        {"wider, overlapping", {380, 310, 400, 40}, 0, {400, 300, 320, 256}},
        {"taller, overlapping", {500, 0, 10, 1000}, 0, {400, 300, 320, 256}},
        {"wider, apart", {900, 700, 400, 300}, 0, {900, 700, 320, 256}},
        {"wider, apart, clamped", {1200, 1000, 400, 300}, 0, {960, 768, 320, 256}},
        {"wider, apart, step 20", {900, 700, 400, 300}, 20, {420, 320, 320, 256}},
        {"minimised window", {-32000, -32000, 160, 24}, 0, {0, 0, 320, 256}},
        {"minimised window, step 20", {-32000, -32000, 160, 24}, 20, {380, 280, 320, 256}},
        {"near INT_MAX", {INT_MAX - 5, INT_MAX - 5, 100, 100}, 0, {960, 768, 320, 256}},
        {"near INT_MAX, huge step", {INT_MAX - 5, INT_MAX - 5, 100, 100}, INT_MAX, {960, 768, 320, 256}},
        {"huge, apart", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 0, {0, 0, 320, 256}},
        {"huge, overlapping", {0, 0, INT_MAX, INT_MAX}, 0, {400, 300, 320, 256}},
        {"beyond the right edge, cut", {INT_MAX, 5, 1281 - INT_MAX, 11}, 0, {960, 5, 320, 256}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ViewRect out{};
        ASSERT_TRUE(StepView(c.target, view, view, c.step, screen, out));
        EXPECT_TRUE(SameRect(c.expected, out));
    }

    ViewRect out{};
    EXPECT_FALSE(StepView({0, 0, 40, 40}, view, view, 0, {0, 0}, out));
}

TEST(StepView, FitsTheTargetToTheCurrentSourceAndCutsTheResultToTheScreen) {
    ViewRect out{};
    // After a zoom change the centred view is smaller than the current source:
    // a target inside the source leaves the centred view where it is.
    ASSERT_TRUE(StepView({100, 100, 40, 40}, {480, 384, 320, 256}, {0, 0, 1280, 1024}, 0, {1280, 1024}, out));
    EXPECT_TRUE(SameRect({480, 384, 320, 256}, out));

    // A view larger than the screen is cut to it.
    ASSERT_TRUE(StepView({100, 100, 40, 40}, {0, 0, 2000, 1500}, {0, 0, 2000, 1500}, 0, {1280, 1024}, out));
    EXPECT_TRUE(SameRect({0, 0, 1280, 1024}, out));
}

TEST(ZoomTable, LevelsConvertBothWays) {
    const struct {
        unsigned level;
        double zoom;
    } fromLevel[] = {{10, 1.0}, {15, 1.5}, {20, 2.0}, {320, 32.0}, {5, 2.0}, {0, 2.0}, {325, 2.0}, {UINT_MAX, 2.0}};
    for (const auto& c : fromLevel) EXPECT_DOUBLE_EQ(c.zoom, ZoomFromLevel(c.level)) << "level " << c.level;

    const struct {
        double zoom;
        unsigned level;
    } toLevel[] = {{1.0, 10}, {1.5, 15}, {2.3, 23}, {2.55, 25}, {3.0, 30}, {32.0, 320}};
    for (const auto& c : toLevel) EXPECT_EQ(c.level, LevelFromZoom(c.zoom)) << "zoom " << c.zoom;
}

TEST(ZoomTable, NextZoomStepsThroughTheTableAndStaysWithinIt) {
    const struct {
        double zoom;
        int relative;
        double value;
        double expected;
    } cases[] = {
        {1.0, 1, 1, 1.5},   {1.5, 1, 1, 2.0},   {2.5, 1, 1, 3.0},    {2.5, -1, -1, 2.0},  {1.0, -1, -1, 1.0},
        {32.0, 1, 1, 32.0}, {2.0, 1, 0, 1.5},   {3.0, 1, -1, 2.0},   {40.0, -1, -1, 32.0}, {0.5, 1, 1, 1.0},
        {4.0, 0, 0.25, 1.0}, {4.0, 0, 100, 32.0}, {4.0, 0, 2.55, 2.55}, {4.0, 0, 1.5, 1.5},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(c.expected, NextZoom(c.zoom, c.relative, c.value))
            << "from " << c.zoom << ", relative " << c.relative << ", value " << c.value;
    }
    EXPECT_EQ(10u, LevelFromZoom(NextZoom(4.0, 0, 0.25)));
    EXPECT_EQ(320u, LevelFromZoom(NextZoom(4.0, 0, 100)));
}

}  // namespace
