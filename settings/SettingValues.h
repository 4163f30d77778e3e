#pragma once
// The registry values of HKEY_CURRENT_USER\Software\KOVAX that hold one
// number, with their names and defaults. The program's settings object and
// the control panel both read them from here, so the two deliverables cannot
// disagree on a name or on what a missing value means.
#include <windows.h>

struct SettingValue {
    const wchar_t* name;
    DWORD defaultValue;
};

// The key below HKEY_CURRENT_USER.
constexpr wchar_t kSettingsKey[] = L"Software\\KOVAX";

namespace Setting {
constexpr SettingValue ShowCPUUsage_{L"ShowCPUUsage_", 0};
constexpr SettingValue MaxFrameRate{L"MaxFrameRate", 30};
constexpr SettingValue ZoomLevel_10{L"ZoomLevel_10", 20};
constexpr SettingValue FullScreen{L"FullScreen", 1};
constexpr SettingValue MagwinScale{L"MagwinScale", 4};
constexpr SettingValue MagwinSticky{L"MagwinSticky", 0};
constexpr SettingValue HardwareAccelerate{L"HardwareAccelerate", 1};
constexpr SettingValue SmoothImage{L"SmoothImage", 1};
constexpr SettingValue UseMemCache{L"UseMemCache", 0};
constexpr SettingValue HideSysCursor{L"HideSysCursor", 1};
constexpr SettingValue InvertColors{L"InvertColors", 0};
// The panel's alone: the program never reads it.
constexpr SettingValue HideMinimize{L"HideMinimize", 0};
}  // namespace Setting
