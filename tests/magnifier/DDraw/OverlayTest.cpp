// The overlay manager on Wine's DirectDraw: frames read back from the front
// after the flip, and, through the recording wrapper, refused overlay
// formats, lost surfaces, failures between the locks and the lookup table.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/EventDispatcher.h"
#include "magnifier/DDraw/DirectXException.h"
#include "magnifier/DDraw/PixelConverters.h"
#include "magnifier/IMagCommand.h"
#include "tests/magnifier/DDraw/DDrawFixture.h"
#include "tests/support/StandInMagWin.h"

namespace {

class OverlayManagerTest : public DDrawTest {
protected:
    void SetUp() override {
        DDrawTest::SetUp();
        SKIP_WITHOUT_DIRECTDRAW();
    }
    // A manager of the pattern's size, shown away from it.
    OverlayManager& Shown() {
        EXPECT_TRUE(OverlayManager::Create());
        OverlayManager* m = OverlayManager::Current();
        m->Reset(PatternWindow::kWidth, PatternWindow::kHeight);
        m->overlayPosition_ = {600, 500, 920, 628};
        m->ShowOverlay(true);
        return *m;
    }
    void Present(OverlayManager& m) {
        RenderRequest request{{0, 0, PatternWindow::kWidth, PatternWindow::kHeight}, {600, 500, 320, 128}, {0, 0}};
        m.Present(0, 0, request, magwin_);
    }

    Hook::EventDispatcher hub_;
    StandInMagWin magwin_{&hub_};
};

// The converter each display and overlay format must use, named here rather
// than asked of the code under test.
PixelConverter Expected(int display, const std::string& overlay) {
    bool yuy2 = overlay == "YUY2";
    if (display == 16) return yuy2 ? Rgb565ToYuy2 : Rgb565ToUyvy;
    return yuy2 ? Rgb32ToYuy2 : Rgb32ToUyvy;
}

TEST_F(OverlayManagerTest, FramesAreCapturedDrawnOnInvertedConvertedAndReadBackAfterTheFlip) {
    PatternWindow pattern;
    PointerAt(1000, 900);  // the pointer's image stays out of the frame
    SetSetting(L"ShowCPUUsage_", 1);
    const int w = PatternWindow::kWidth, h = PatternWindow::kHeight;
    for (std::string overlay : {std::string(DisplayFormat()), std::string("UYVY"), std::string("YUY2")}) {
        for (DWORD invert : {0u, 1u}) {
            SCOPED_TRACE(overlay + (invert ? " inverted" : ""));
            reg_.SetDword(kSettingsKey, L"InvertColors", invert);
            magwin_.Command()->OnSettingChanged(3, 0);  // as the panel announces it
            OverlayOnlyIn(overlay);
            OverlayManager& m = Shown();
            Present(m);
            ASSERT_EQ(1, dd_.Count("Flip overlay"));

            {
                // The copy: the pattern, the statistics line drawn on it in blue
                // at (10, 10), all inverted when asked.
                SurfaceBits copy(*m.backupRGBSurface_);
                ASSERT_TRUE(copy.ok());
                DWORD flip = invert ? RawColour(RGB(255, 255, 255)) : 0;
                EXPECT_EQ(RawColour(RGB(255, 0, 0)) ^ flip, copy.At(20, 50));
                EXPECT_EQ(RawColour(RGB(255, 255, 255)) ^ flip, copy.At(140, 50));
                int blue = 0;
                for (int y = 10; y < 30; ++y)
                    for (int x = 10; x < w; ++x) blue += copy.At(x, y) == (RawColour(RGB(0, 0, 255)) ^ flip);
                EXPECT_GT(blue, 20) << "no statistics line";

                // The front after the flip: the copy itself (but the unused
                // top byte) or its conversion.
                SurfaceBits front(*m.overlaySurface_);
                ASSERT_TRUE(front.ok());
                if (overlay == DisplayFormat()) {
                    for (int y = 0; y < h; ++y)
                        for (int x = 0; x < w; ++x) ASSERT_EQ(copy.At(x, y), front.At(x, y)) << x << "," << y;
                } else {
                    std::vector<BYTE> expected(static_cast<size_t>(w) * 2 * h);
                    Expected(ScreenDepth(), overlay)(reinterpret_cast<DWORD*>(expected.data()), w * 2, copy.Row(0), w,
                                                     h, copy.desc().lPitch);
                    for (int y = 0; y < h; ++y)
                        ASSERT_EQ(0, std::memcmp(&expected[y * w * 2], front.Row(y), w * 2)) << y;
                }
                if (overlay == "YUY2" && !invert && ScreenDepth() == 32) {
                    const BYTE red[4] = {0x52, 0x5A, 0x52, 0xF0};
                    EXPECT_EQ(0, std::memcmp(red, front.Row(50) + 8, 4));
                }
            }
            OverlayManager::Destroy();
            dd_.calls.clear();
        }
    }
}

// The display's format first, then UYVY, then YUY2; the overlay is filled
// with black of its own format, and a fill that fails does not matter.
TEST_F(OverlayManagerTest, RefusedOverlayFormatsFallBackInOrderAndAManagerWithoutAnyIsGone) {
    OverlayOnlyIn("YUY2");
    dd_.FailAlways("Blt overlay fill 80108010", DDERR_UNSUPPORTED);
    ASSERT_TRUE(OverlayManager::Create());
    EXPECT_EQ(kFormatYuy2, OverlayManager::Current()->overlayFormat_);
    int display = dd_.Find(std::string("CreateSurface overlay ") + DisplayFormat());
    int uyvy = dd_.Find("CreateSurface overlay UYVY");
    int yuy2 = dd_.Find("CreateSurface overlay YUY2");
    EXPECT_TRUE(display >= 0 && display < uyvy && uyvy < yuy2);
    EXPECT_EQ(1, dd_.Count("Blt back fill 80108010"));

    OverlayOnlyIn("UYVY");
    ASSERT_TRUE(OverlayManager::Create());
    EXPECT_EQ(1, dd_.Count("Blt overlay fill 10801080"));

    OverlayOnlyIn("none");
    EXPECT_FALSE(OverlayManager::Create());
    EXPECT_EQ(nullptr, OverlayManager::Current());
}

TEST_F(OverlayManagerTest, LostSurfacesAreRestoredOrRebuiltAndShownAgain) {
    OverlayManager& m = Shown();
    auto shownAndFlipped = [this](int from) {
        return dd_.Find("UpdateOverlay overlay show", from) >= 0 && dd_.Find("Flip overlay", from) >= 0;
    };

    // Another program holds exclusive mode: frames are skipped until it ends.
    dd_.FailOnce("TestCooperativeLevel", DDERR_EXCLUSIVEMODEALREADYSET);
    int mark = dd_.Mark();
    Present(m);
    EXPECT_EQ(-1, dd_.Find("Flip overlay", mark));
    EXPECT_TRUE(m.surfacesLost_);
    mark = dd_.Mark();
    Present(m);
    EXPECT_GE(dd_.Find("RestoreAllSurfaces", mark), 0);
    EXPECT_TRUE(shownAndFlipped(mark));
    EXPECT_FALSE(m.surfacesLost_);

    // Lost, and restoring fails: rebuilt.
    dd_.FailOnce("IsLost primary", DDERR_SURFACELOST);
    dd_.FailOnce("RestoreAllSurfaces", DDERR_GENERIC);
    mark = dd_.Mark();
    Present(m);
    EXPECT_GE(dd_.Find("CreateSurface primary", mark), 0);
    EXPECT_TRUE(shownAndFlipped(mark));

    // The rebuild fails part-way: everything made is released again.
    dd_.FailOnce("IsLost primary", DDERR_SURFACELOST);
    dd_.FailOnce("RestoreAllSurfaces", DDERR_GENERIC);
    dd_.FailOnce("CreateSurface backup", DDERR_OUTOFVIDEOMEMORY);
    try {
        Present(m);
        FAIL() << "nothing thrown";
    } catch (const wchar_t* text) {
        EXPECT_STREQ(kResetFailed, text);
    }
    EXPECT_FALSE(m.primarySurface_ || m.overlaySurface_ || m.overlayBackSurface_ || m.backupRGBSurface_);
    m.visible_ = true;
    EXPECT_THROW(Present(m), std::logic_error);
}

// Converting into a YUV overlay locks the copy, then the back buffer.
TEST_F(OverlayManagerTest, AFailureBetweenTheLocksLeavesNoSurfaceLockedAndReleaseNeverThrowsBackBufferFirst) {
    OverlayOnlyIn("YUY2");
    OverlayManager& m = Shown();
    dd_.FailOnce("Lock back", DDERR_SURFACEBUSY);
    EXPECT_THROW(Present(m), DirectX::Exception);
    EXPECT_TRUE(SurfaceBits(*m.backupRGBSurface_).ok()) << "the copy was left locked";

    // The manager goes even when its overlay will not hide.
    dd_.FailAlways("UpdateOverlay overlay hide", DDERR_GENERIC);
    int mark = dd_.Mark();
    OverlayManager::Destroy();
    EXPECT_GE(dd_.Find("UpdateOverlay overlay hide", mark), 0);
    int back = dd_.Find("Release back", mark);
    EXPECT_TRUE(back >= 0 && back < dd_.Find("Release overlay", mark));
}

// The table is built for the display's format when the panel switches it on,
// freed when it switches it off, and rebuilt when the display's format no
// longer matches it.
TEST_F(OverlayManagerTest, TheLookupTableFollowsTheSettingAndTheDisplaysFormat) {
    OverlayOnlyIn("YUY2");
    OverlayManager& m = Shown();
    auto memCache = [this](DWORD on) {
        reg_.SetDword(kSettingsKey, L"UseMemCache", on);
        magwin_.Command()->OnSettingChanged(1, 0);
    };
    memCache(1);
    Present(m);
    const uint8_t* first = g_yuvLookupTable.entries;
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(m.primaryFormat_, g_yuvLookupTable.format);
    Present(m);
    EXPECT_EQ(first, g_yuvLookupTable.entries) << "built again without a change";
    memCache(0);
    Present(m);
    EXPECT_EQ(nullptr, g_yuvLookupTable.entries);
    memCache(1);
    Present(m);
    EXPECT_NE(nullptr, g_yuvLookupTable.entries);

    ASSERT_TRUE(BuildYuvLookupTable(m.primaryFormat_ == kFormatRgb32 ? kFormatRgb565 : kFormatRgb32));
    Present(m);
    EXPECT_EQ(m.primaryFormat_, g_yuvLookupTable.format);
}

}  // namespace
