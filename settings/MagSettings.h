#pragma once
// The program's whole configuration: one registry value object per setting
// under HKEY_CURRENT_USER\Software\KOVAX, plus the three highlight styles,
// which are read once at start. Built before every other static object and
// used by the main, render and panel threads without a lock: every number is
// one atomic word.
#include <string>

#include "settings/CRegBase.h"
#include "settings/CRegDWORDCommon.h"
#include "settings/CRegStdBase.h"
#include "settings/CRegStringCommon.h"
#include "settings/HilightStyle.h"
#include "settings/SettingValues.h"

using RegStdDWORD = CRegDWORDCommon<CRegStdBase>;
using RegDWORD = CRegDWORDCommon<CRegBase>;
using RegStdString = CRegStringCommon<CRegStdBase>;

class MagSettings {
public:
    MagSettings();
    ~MagSettings() = default;
    MagSettings(const MagSettings&) = delete;
    MagSettings& operator=(const MagSettings&) = delete;

    // Gives every member its key and default, reads the highlight styles and
    // MagwinScale, and corrects MagwinScale when it is out of range.
    void Load();

    static std::wstring LayoutKey(const std::wstring& prefix, const std::wstring& layout, const std::wstring& suffix);

    RegStdDWORD HilightCursorShow;
    HilightStyle HilightCursorStyle{};
    RegStdDWORD HilightFocusShow;
    HilightStyle HilightFocusStyle{};
    RegStdDWORD HilightCaretShow;
    HilightStyle HilightCaretStyle{};
    RegStdDWORD ZoomLevel_10;
    RegStdDWORD FullScreen;
    RegStdDWORD MagwinScale;
    RegStdDWORD MagwinSticky;
    RegStdDWORD HardwareAccelerate;
    RegStdDWORD SmoothImage;
    RegStdDWORD ShowCPUUsage_;
    RegStdDWORD MaxFrameRate;
    RegDWORD UseMemCache;
    RegDWORD HideSysCursor;
    RegDWORD InvertColors;
};

// Window-mode scale limits; anything outside is replaced by the default.
constexpr DWORD kMagwinScaleMin = 2;
constexpr DWORD kMagwinScaleMax = 20;
constexpr DWORD kMagwinScaleDefault = Setting::MagwinScale.defaultValue;

extern MagSettings g_settings;
