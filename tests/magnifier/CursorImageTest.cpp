// The pointer's image drawn into frames: the private copy and its hotspot,
// and the pointer position recorded in the frame's request.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/EventDispatcher.h"
#include "magnifier/CursorImage.h"
#include "tests/support/StandInMagWin.h"

namespace {

TEST(CursorImage, CopiesTheCursorAndPlacesItByItsHotspot) {
    CursorImage image;
    EXPECT_FALSE(image.Capture()) << "nothing to copy";

    image.cursor_ = LoadCursorW(nullptr, MAKEINTRESOURCEW(32513));  // I-beam
    ASSERT_TRUE(image.Capture());
    ASSERT_NE(nullptr, image.copy_);
    EXPECT_NE(static_cast<HICON>(image.cursor_), image.copy_) << "a private copy";

    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(image.copy_, &info));
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    POINT p{300, 200};
    ASSERT_TRUE(image.ApplyHotspot(p));
    EXPECT_EQ(300 - static_cast<LONG>(info.xHotspot), p.x);
    EXPECT_EQ(200 - static_cast<LONG>(info.yHotspot), p.y);

    EXPECT_TRUE(image.Reset());
    EXPECT_EQ(nullptr, image.copy_);
    EXPECT_EQ(nullptr, image.cursor_);
    EXPECT_FALSE(image.ApplyHotspot(p)) << "no copy, no hotspot";
}

TEST(CursorImage, EachFrameRecordsThePointerPosition) {
    Hook::EventDispatcher hub;
    StandInMagWin magwin(&hub);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 200);
    HGDIOBJ old = SelectObject(dc, bitmap);

    SetCursorPos(321, 234);
    CURSORINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetCursorInfo(&info));
    RenderRequest request{{200, 100, 200, 200}, {0, 0, 400, 400}, {0, 0}};
    magwin.DrawOverlays(request, dc);
    EXPECT_EQ(info.ptScreenPos.x, request.cursor.x);
    EXPECT_EQ(info.ptScreenPos.y, request.cursor.y);

    RenderRequest none{{0, 0, 10, 10}, {0, 0, 10, 10}, {7, 7}};
    magwin.DrawOverlays(none, nullptr);
    EXPECT_EQ(7, none.cursor.x) << "no image, no overlays";

    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

}  // namespace
