#pragma once
// Checks shared by the tests of the output and the view it shows.
#include <windows.h>

#include <gtest/gtest.h>

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
inline void PointerAt(int x, int y) {
    ASSERT_TRUE(SetCursorPos(x, y));
    POINT p{};
    ASSERT_TRUE(GetCursorPos(&p));
    ASSERT_EQ(x, p.x);
    ASSERT_EQ(y, p.y);
}
