#include "settings/MagSettings.h"

#include "settings/SettingValues.h"
#include "settings/StaticInitOrder.h"

namespace {

struct HilightGroup {
    const wchar_t* name;  // subkey below Software\KOVAX
    RegStdDWORD MagSettings::*show;
    DWORD showDefault;
    HilightStyle MagSettings::*style;
    HilightStyle styleDefault;
};

// Read in this order: cursor, caret, focus.
const HilightGroup kGroups[] = {
    {L"HilightCursor", &MagSettings::HilightCursorShow, 1, &MagSettings::HilightCursorStyle,
     {1, 0xFF0000, 0x640000, 10, 0, 150, 40}},
    {L"HilightCaret", &MagSettings::HilightCaretShow, 0, &MagSettings::HilightCaretStyle,
     {3, 0x0000FF, 0x000064, 20, 1, 150, 2}},
    {L"HilightFocus", &MagSettings::HilightFocusShow, 0, &MagSettings::HilightFocusStyle,
     {1, 0x00FF00, 0x006400, 10, 0, 150, 2}},
};

struct StyleField {
    const wchar_t* suffix;
    DWORD HilightStyle::*field;
};

const StyleField kFields[] = {
    {L"\\style", &HilightStyle::style},
    {L"\\primaryColor", &HilightStyle::primaryColor},
    {L"\\secondColor", &HilightStyle::secondColor},
    {L"\\width", &HilightStyle::width},
    {L"\\borderWidth", &HilightStyle::borderWidth},
    {L"\\opacity", &HilightStyle::opacity},
    {L"\\gapWidth", &HilightStyle::gapWidth},
};

std::wstring Key(const wchar_t* name) { return std::wstring(kSettingsKey) + L"\\" + name; }

RegStdDWORD StdValue(const SettingValue& v) { return RegStdDWORD(Key(v.name), v.defaultValue); }
RegDWORD Value(const SettingValue& v) { return RegDWORD(CString(Key(v.name).c_str()), v.defaultValue); }

}  // namespace

MagSettings::MagSettings() { Load(); }

std::wstring MagSettings::LayoutKey(const std::wstring& prefix, const std::wstring& layout,
                                    const std::wstring& suffix) {
    return prefix + layout + suffix;
}

void MagSettings::Load() {
    for (const HilightGroup& group : kGroups) {
        std::wstring prefix = Key(group.name) + L"\\";
        this->*group.show = RegStdDWORD(prefix + L"Show", group.showDefault);

        // The layout names the subkey that holds the group's style values.
        RegStdString layout(prefix + L"Layout", L"Default");
        HilightStyle& style = this->*group.style;
        for (const StyleField& f : kFields) {
            RegStdDWORD field(LayoutKey(prefix, layout.Value(), f.suffix), group.styleDefault.*f.field);
            style.*f.field = field.Value();
        }
    }

    ShowCPUUsage_ = StdValue(Setting::ShowCPUUsage_);
    MaxFrameRate = StdValue(Setting::MaxFrameRate);
    ZoomLevel_10 = StdValue(Setting::ZoomLevel_10);
    FullScreen = StdValue(Setting::FullScreen);
    MagwinScale = StdValue(Setting::MagwinScale);
    DWORD scale = MagwinScale.Value();
    if (scale < kMagwinScaleMin || scale > kMagwinScaleMax) MagwinScale.Assign(kMagwinScaleDefault);
    MagwinSticky = StdValue(Setting::MagwinSticky);
    HardwareAccelerate = StdValue(Setting::HardwareAccelerate);
    SmoothImage = StdValue(Setting::SmoothImage);
    UseMemCache = Value(Setting::UseMemCache);
    HideSysCursor = Value(Setting::HideSysCursor);
    InvertColors = Value(Setting::InvertColors);
}

// Built before every other static object of the program; the compiler
// registers its destruction as an exit handler right after construction, so
// it is destroyed after every static object built later.
MagSettings g_settings KV_INIT_PRIORITY(KV_INIT_SETTINGS);
