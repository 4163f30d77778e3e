#pragma once
// Checks shared by the tests of the output and the view it shows.
#include <gtest/gtest.h>
#include <windows.h>

#include "magnifier/ViewRect.h"

inline void ExpectRect(const ViewRect& expected, const ViewRect& actual) {
    EXPECT_EQ(expected.x, actual.x);
    EXPECT_EQ(expected.y, actual.y);
    EXPECT_EQ(expected.width, actual.width);
    EXPECT_EQ(expected.height, actual.height);
}

// For EXPECT_TRUE, with both rectangles in the message.
inline ::testing::AssertionResult SameRect(const ViewRect& expected, const ViewRect& actual) {
    if (RectEqual(expected, actual)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected {" << expected.x << "," << expected.y << "," << expected.width
                                         << "," << expected.height << "}, got {" << actual.x << "," << actual.y << ","
                                         << actual.width << "," << actual.height << "}";
}

// Moves the pointer and makes sure it got there.
// Right after a Wine session starts the first move can be lost: it is made
// again until it shows, for up to 5 s. The X server's reports of earlier
// moves are taken in first (a peek that removes nothing), so that none of them
// puts the pointer back once it has been seen here.
inline void PointerAt(int x, int y) {
    POINT p{};
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(SetCursorPos(x, y));
        Sleep(10);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
        ASSERT_TRUE(GetCursorPos(&p));
        if (p.x == x && p.y == y) return;
    }
    ASSERT_EQ(x, p.x);
    ASSERT_EQ(y, p.y);
}

// Bits per pixel of the display.
inline int ScreenDepth() {
    HDC screen = GetDC(nullptr);
    int depth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return depth;
}
