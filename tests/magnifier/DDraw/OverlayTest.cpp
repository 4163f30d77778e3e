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
        if (!OverlayManager::Create()) throw std::runtime_error("no overlay manager");
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
    // As the panel announces a setting it has written.
    void PanelSets(const wchar_t* name, DWORD value, int kind) {
        reg_.SetDword(kSettingsKey, name, value);
        magwin_.Command()->OnSettingChanged(kind, 0);
    }

    Hook::EventDispatcher hub_;
    StandInMagWin magwin_{&hub_};
};

TEST_F(OverlayManagerTest, FramesAreCapturedDrawnOnInvertedConvertedAndReadBackAfterTheFlip) {
    PatternWindow pattern;
    LoadSettings(reg_, {{L"ShowCPUUsage_", 1}});
    const int w = PatternWindow::kWidth, h = PatternWindow::kHeight;
    const bool rgb565 = ScreenDepth() == 16;
    for (std::string overlay : {DisplayFormat(), std::string("UYVY"), std::string("YUY2")}) {
        for (DWORD invert : {0u, 1u}) {
            SCOPED_TRACE(overlay + (invert ? " inverted" : ""));
            OverlayManager::Destroy();
            dd_.calls.clear();
            PanelSets(L"InvertColors", invert, 3);
            OverlayOnlyIn(overlay);
            OverlayManager& m = Shown();
            Present(m);
            ASSERT_EQ(1, dd_.Count("Flip overlay"));
            {
                // The copy: the pattern with the statistics line drawn on it in
                // blue at (10, 10), inverted when asked.
                SurfaceLock copy(*m.backupRGBSurface_, "copy", __LINE__);
                DWORD flip = invert ? RawColour(RGB(255, 255, 255)) : 0;
                EXPECT_EQ(RawColour(RGB(255, 0, 0)) ^ flip, PixelAt(copy, 20, 50));
                EXPECT_EQ(RawColour(RGB(255, 255, 255)) ^ flip, PixelAt(copy, 140, 50));
                int blue = 0;
                for (int y = 10; y < 30; ++y)
                    for (int x = 10; x < w; ++x) blue += PixelAt(copy, x, y) == (RawColour(RGB(0, 0, 255)) ^ flip);
                EXPECT_GT(blue, 20) << "no statistics line";

                // The front after the flip: the copy (but for the unused top
                // byte), or the copy converted by the converter named here.
                SurfaceLock front(*m.overlaySurface_, "front", __LINE__);
                if (overlay == DisplayFormat()) {
                    for (int y = 0; y < h; ++y)
                        for (int x = 0; x < w; ++x)
                            ASSERT_EQ(PixelAt(copy, x, y), PixelAt(front, x, y)) << x << "," << y;
                    continue;
                }
                PixelConverter convert =
                    overlay == "YUY2" ? (rgb565 ? Rgb565ToYuy2 : Rgb32ToYuy2) : (rgb565 ? Rgb565ToUyvy : Rgb32ToUyvy);
                std::vector<BYTE> expected(static_cast<size_t>(w) * 2 * h);
                convert(reinterpret_cast<DWORD*>(expected.data()), w * 2, RowOf(copy, 0), w, h, copy.desc().lPitch);
                for (int y = 0; y < h; ++y)
                    ASSERT_EQ(0, std::memcmp(&expected[y * w * 2], RowOf(front, y), w * 2)) << y;
            }
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
    int display = dd_.Find("CreateSurface overlay " + DisplayFormat());
    int uyvy = dd_.Find("CreateSurface overlay UYVY");
    EXPECT_TRUE(display >= 0 && display < uyvy && uyvy < dd_.Find("CreateSurface overlay YUY2"));
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
    mark = dd_.Mark();
    Present(m);
    EXPECT_GE(dd_.Find("RestoreAllSurfaces", mark), 0);
    EXPECT_TRUE(shownAndFlipped(mark));

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
        ADD_FAILURE() << "nothing thrown";
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
    try {
        Present(m);
        ADD_FAILURE() << "nothing thrown";
    } catch (const DirectX::Exception& e) {
        EXPECT_EQ(DDERR_SURFACEBUSY, e.result_);
        EXPECT_EQ(L"DDERR_SURFACEBUSY", e.errorName_);
        EXPECT_EQ(std::string(e.description_.begin(), e.description_.end()), e.what());
        EXPECT_EQ("overlayBackSurface_->Lock(NULL, &ddsdOverlayBack, DDLOCK_SURFACEMEMORYPTR | DDLOCK_WAIT, 0)",
                  e.expression_);
    }
    EXPECT_NO_THROW(SurfaceLock(*m.backupRGBSurface_, "the copy was left locked", __LINE__));
    EXPECT_NO_THROW(DirectX::ThrowIfFailed("a success code", 1, 0));
    try {
        DirectX::ThrowIfFailed(nullptr, E_FAIL, 0);
    } catch (const DirectX::Exception& e) {
        EXPECT_EQ("", e.expression_);
    }

    // The manager goes even when its overlay will not hide.
    dd_.FailAlways("UpdateOverlay overlay hide", DDERR_GENERIC);
    int mark = dd_.Mark();
    OverlayManager::Destroy();
    EXPECT_GE(dd_.Find("UpdateOverlay overlay hide", mark), 0);
    int back = dd_.Find("Release back", mark);
    EXPECT_TRUE(back >= 0 && back < dd_.Find("Release overlay", mark));
}

// Built for the display's format when the panel switches it on, freed when
// it switches it off, rebuilt when the display's format no longer matches.
TEST_F(OverlayManagerTest, TheLookupTableFollowsTheSettingAndTheDisplaysFormat) {
    OverlayOnlyIn("YUY2");
    OverlayManager& m = Shown();
    PanelSets(L"UseMemCache", 1, 1);
    Present(m);
    const uint8_t* first = g_yuvLookupTable.entries;
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(m.primaryFormat_, g_yuvLookupTable.format);
    Present(m);
    EXPECT_EQ(first, g_yuvLookupTable.entries) << "built again without a change";
    PanelSets(L"UseMemCache", 0, 1);
    Present(m);
    EXPECT_EQ(nullptr, g_yuvLookupTable.entries);
    PanelSets(L"UseMemCache", 1, 1);
    Present(m);
    EXPECT_NE(nullptr, g_yuvLookupTable.entries);

    ASSERT_TRUE(BuildYuvLookupTable(m.primaryFormat_ == kFormatRgb32 ? kFormatRgb565 : kFormatRgb32));
    Present(m);
    EXPECT_EQ(m.primaryFormat_, g_yuvLookupTable.format);
}

}  // namespace
