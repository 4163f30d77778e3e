// The settings object against the real registry (HKEY_CURRENT_USER
// redirected to a private key).
#include <gtest/gtest.h>

#include "settings/MagSettings.h"
#include "tests/support/RegistrySandbox.h"

namespace {

void ExpectStyle(const HilightStyle& s, DWORD style, DWORD primary, DWORD second, DWORD width, DWORD border,
                 DWORD opacity, DWORD gap) {
    EXPECT_EQ(style, s.style);
    EXPECT_EQ(primary, s.primaryColor);
    EXPECT_EQ(second, s.secondColor);
    EXPECT_EQ(width, s.width);
    EXPECT_EQ(border, s.borderWidth);
    EXPECT_EQ(opacity, s.opacity);
    EXPECT_EQ(gap, s.gapWidth);
}

// Captured by a static object of ordinary priority: the settings must already
// be built when it runs.
struct SeenAtStaticInit {
    DWORD scaleDefault = g_settings.MagwinScale.defaultValue;
    std::wstring rateName = g_settings.MaxFrameRate.valueName;
} g_seenAtStaticInit;

TEST(MagSettings, IsBuiltBeforeOtherStaticObjects) {
    EXPECT_EQ(4u, g_seenAtStaticInit.scaleDefault);
    EXPECT_EQ(L"MaxFrameRate", g_seenAtStaticInit.rateName);
}

TEST(MagSettings, NoKeyAtAllGivesEveryDefaultAndWritesNothing) {
    RegistrySandbox reg;
    MagSettings s;
    ExpectStyle(s.HilightCursorStyle, 1, 0xFF0000, 0x640000, 10, 0, 150, 40);
    ExpectStyle(s.HilightCaretStyle, 3, 0x0000FF, 0x000064, 20, 1, 150, 2);
    ExpectStyle(s.HilightFocusStyle, 1, 0x00FF00, 0x006400, 10, 0, 150, 2);

    struct Expected {
        const char* name;
        DWORD value;
        std::wstring key;
    } numbers[] = {
        {"HilightCursorShow", s.HilightCursorShow.Value(), s.HilightCursorShow.subKey},
        {"HilightFocusShow", s.HilightFocusShow.Value(), s.HilightFocusShow.subKey},
        {"HilightCaretShow", s.HilightCaretShow.Value(), s.HilightCaretShow.subKey},
        {"ZoomLevel_10", s.ZoomLevel_10.Value(), s.ZoomLevel_10.subKey},
        {"FullScreen", s.FullScreen.Value(), s.FullScreen.subKey},
        {"MagwinScale", s.MagwinScale.Value(), s.MagwinScale.subKey},
        {"MagwinSticky", s.MagwinSticky.Value(), s.MagwinSticky.subKey},
        {"HardwareAccelerate", s.HardwareAccelerate.Value(), s.HardwareAccelerate.subKey},
        {"SmoothImage", s.SmoothImage.Value(), s.SmoothImage.subKey},
        {"ShowCPUUsage_", s.ShowCPUUsage_.Value(), s.ShowCPUUsage_.subKey},
        {"MaxFrameRate", s.MaxFrameRate.Value(), s.MaxFrameRate.subKey},
        {"UseMemCache", s.UseMemCache.Value(), s.UseMemCache.subKey.GetString()},
        {"HideSysCursor", s.HideSysCursor.Value(), s.HideSysCursor.subKey.GetString()},
        {"InvertColors", s.InvertColors.Value(), s.InvertColors.subKey.GetString()},
    };
    const DWORD defaults[] = {1, 0, 0, 20, 1, 4, 0, 1, 1, 0, 30, 0, 1, 0};
    const wchar_t* keys[] = {L"Software\\KOVAX\\HilightCursor", L"Software\\KOVAX\\HilightFocus",
                             L"Software\\KOVAX\\HilightCaret"};
    for (size_t i = 0; i < sizeof(defaults) / sizeof(defaults[0]); ++i) {
        SCOPED_TRACE(numbers[i].name);
        EXPECT_EQ(defaults[i], numbers[i].value);
        EXPECT_EQ(i < 3 ? std::wstring(keys[i]) : std::wstring(L"Software\\KOVAX"), numbers[i].key);
    }
    EXPECT_EQ(0u, reg.CountEntries()) << "construction and reads write nothing";
}

TEST(MagSettings, EachValueIsReadUnderItsOwnName) {
    RegistrySandbox reg;
    const wchar_t* names[] = {L"ZoomLevel_10",       L"FullScreen",    L"MagwinScale",   L"MagwinSticky",
                              L"HardwareAccelerate", L"SmoothImage",   L"ShowCPUUsage_", L"MaxFrameRate",
                              L"UseMemCache",        L"HideSysCursor", L"InvertColors"};
    DWORD stored = 5;  // within MagwinScale's range
    for (const wchar_t* name : names) reg.SetDword(L"Software\\KOVAX", name, stored++);
    MagSettings s;
    const DWORD read[] = {s.ZoomLevel_10.Value(),  s.FullScreen.Value(),         s.MagwinScale.Value(),
                          s.MagwinSticky.Value(),  s.HardwareAccelerate.Value(), s.SmoothImage.Value(),
                          s.ShowCPUUsage_.Value(), s.MaxFrameRate.Value(),       s.UseMemCache.Value(),
                          s.HideSysCursor.Value(), s.InvertColors.Value()};
    for (DWORD i = 0; i < sizeof(read) / sizeof(read[0]); ++i) EXPECT_EQ(5 + i, read[i]) << names[i];
}

TEST(MagSettings, OnlyStylesAndScaleAreReadAtStart) {
    RegistrySandbox reg;
    reg.SetDword(L"Software\\KOVAX", L"MaxFrameRate", 50);
    reg.SetDword(L"Software\\KOVAX\\HilightCursor", L"Show", 0);
    MagSettings s;
    EXPECT_TRUE(s.MagwinScale.read);
    EXPECT_FALSE(s.MaxFrameRate.read);
    EXPECT_FALSE(s.HilightCursorShow.read);

    reg.SetDword(L"Software\\KOVAX", L"MaxFrameRate", 55);
    EXPECT_EQ(55u, s.MaxFrameRate.Value()) << "read on first use, not at start";
    EXPECT_EQ(0u, s.HilightCursorShow.Value());

    reg.SetDword(L"Software\\KOVAX\\HilightCursor\\Default", L"width", 77);
    EXPECT_EQ(10u, s.HilightCursorStyle.width) << "styles are read once, at start";
}

TEST(MagSettings, StylesComeFromTheSubkeyThatLayoutNames) {
    RegistrySandbox reg;
    // Cursor: default layout subkey with one value.
    reg.SetDword(L"Software\\KOVAX\\HilightCursor\\Default", L"gapWidth", 12);
    // Caret: a layout that names a subkey holding only some of the values.
    reg.SetText(L"Software\\KOVAX\\HilightCaret", L"Layout", L"Large");
    reg.SetDword(L"Software\\KOVAX\\HilightCaret\\Large", L"width", 33);
    reg.SetDword(L"Software\\KOVAX\\HilightCaret\\Large", L"opacity", 99);
    reg.SetDword(L"Software\\KOVAX\\HilightCaret\\Default", L"width", 5);  // not the layout in use
    // Focus: a layout that names a missing subkey.
    reg.SetText(L"Software\\KOVAX\\HilightFocus", L"Layout", L"Missing");
    reg.SetDword(L"Software\\KOVAX\\HilightFocus\\Default", L"style", 2);

    MagSettings s;
    ExpectStyle(s.HilightCursorStyle, 1, 0xFF0000, 0x640000, 10, 0, 150, 12);
    ExpectStyle(s.HilightCaretStyle, 3, 0x0000FF, 0x000064, 33, 1, 99, 2);
    ExpectStyle(s.HilightFocusStyle, 1, 0x00FF00, 0x006400, 10, 0, 150, 2);
}

TEST(MagSettings, LayoutMayReachADeeperSubkey) {
    RegistrySandbox reg;
    reg.SetText(L"Software\\KOVAX\\HilightFocus", L"Layout", L"Themes\\Dark");
    reg.SetDword(L"Software\\KOVAX\\HilightFocus\\Themes\\Dark", L"primaryColor", 0x123456);
    MagSettings s;
    EXPECT_EQ(0x123456u, s.HilightFocusStyle.primaryColor);
    EXPECT_EQ(L"Software\\KOVAX\\HilightCursor\\Default\\style",
              MagSettings::LayoutKey(L"Software\\KOVAX\\HilightCursor\\", L"Default", L"\\style"));
}

TEST(MagSettings, MagwinScaleOutOfRangeIsCorrectedToFour) {
    struct Case {
        DWORD stored;
        DWORD expected;
    } cases[] = {{0, 4}, {1, 4}, {21, 4}, {0xFFFFFFFF, 4}, {2, 2}, {20, 20}, {7, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        RegistrySandbox reg;
        reg.SetDword(L"Software\\KOVAX", L"MagwinScale", c.stored);
        MagSettings s;
        EXPECT_EQ(c.expected, s.MagwinScale.Value());
        EXPECT_EQ(c.expected, reg.Get(L"Software\\KOVAX", L"MagwinScale").AsDword());
    }
}

}  // namespace
