// The pointer's image drawn into frames: the private copy and its hotspot,
// where it lands in the frame, and the pointer position recorded in the
// frame's request.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "core/EventDispatcher.h"
#include "magnifier/CursorImage.h"
#include "magnifier/SysCursorManager.h"
#include "tests/support/Dib.h"
#include "tests/support/MessagePump.h"
#include "tests/support/Settings.h"
#include "tests/support/StandInMagWin.h"

namespace {

// The smallest rectangle holding every pixel of image that is no longer white.
RECT Drawn(const Dib& image) {
    RECT r{image.Width(), image.Height(), 0, 0};
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            if (image.At(x, y) == RGB(255, 255, 255)) continue;
            r = {std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x + 1),
                 std::max<LONG>(r.bottom, y + 1)};
        }
    }
    return r;
}

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
    Dib image(200, 200);

    SetCursorPos(321, 234);
    CURSORINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetCursorInfo(&info));
    RenderRequest request{{200, 100, 200, 200}, {0, 0, 400, 400}, {0, 0}};
    magwin.DrawOverlays(request, image.dc());
    EXPECT_EQ(info.ptScreenPos.x, request.cursor.x);
    EXPECT_EQ(info.ptScreenPos.y, request.cursor.y);

    RenderRequest none{{0, 0, 10, 10}, {0, 0, 10, 10}, {7, 7}};
    magwin.DrawOverlays(none, nullptr);
    EXPECT_EQ(7, none.cursor.x) << "no image, no overlays";
}

// The frame was captured at its own source, which the view may have left
// since; and the capture began at the source plus the virtual origin.
TEST(CursorImage, ThePointerIsPlacedByTheFramesOwnSourceAndTheVirtualOrigin) {
    // The pointer's image alone: its ring is switched off.
    RegistrySandbox reg;
    reg.SetDword(std::wstring(kSettingsKey) + L"\\HilightCursor", L"Show", 0);
    g_settings.Load();
    Hook::EventDispatcher hub;
    StandInMagWin magwin(&hub);
    magwin.origin = {-100, -50};
    ASSERT_TRUE(magwin.SetSourceRect({600, 400, 200, 200}, false));
    // The system reports the cursor that a window of the foreground thread
    // set: one of ours, which this process can copy.
    HWND under = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 200, 60, 60, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, under);
    SetCursorPos(321, 234);
    PumpFor(100);
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
    Dib image(200, 200);
    RenderRequest request{{300, 200, 200, 200}, {0, 0, 400, 400}, {0, 0}};
    magwin.DrawOverlays(request, image.dc());
    DestroyWindow(under);
    // The pointer at screen (321, 234) is at (121, 84) of an image that
    // begins at screen (200, 150); the cursor's hotspot lies on that spot.
    RECT drawn = Drawn(image);
    ASSERT_LT(drawn.left, drawn.right) << "no pointer in the frame";
    EXPECT_TRUE(drawn.left <= 121 && 121 < drawn.right && drawn.top <= 84 && 84 < drawn.bottom)
        << drawn.left << "," << drawn.top << " - " << drawn.right << "," << drawn.bottom;
    EXPECT_LE(drawn.right - drawn.left, GetSystemMetrics(SM_CXCURSOR));
}

// While the system cursors are replaced, the image is copied from the
// manager's saved original; the image's own copy is destroyed on every
// change of cursor, the manager's must survive that.
TEST(CursorImage, TheSavedOriginalIsCopiedNotTakenOver) {
    SysCursorManager manager(CopyIcon(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512))), RealCursorSystem());
    manager.HideAll();
    g_sysCursorManager = &manager;
    HCURSOR ibeam = LoadCursorW(nullptr, MAKEINTRESOURCEW(32513));
    HCURSOR saved = manager.FindOriginalCopy(ibeam);
    ASSERT_NE(nullptr, saved);

    CursorImage image;
    image.cursor_ = ibeam;
    EXPECT_TRUE(image.Capture());
    EXPECT_NE(static_cast<HICON>(saved), image.copy_);
    EXPECT_TRUE(image.Reset());
    ICONINFO info = {};
    EXPECT_TRUE(GetIconInfo(saved, &info)) << "the manager's copy was destroyed with the image's";
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);

    g_sysCursorManager = nullptr;
    manager.RestoreAll();
}

}  // namespace
