#include "settings/MagSettings.h"

#include "settings/StaticInitOrder.h"

namespace {

const wchar_t kRoot[] = L"Software\\KOVAX\\";

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

std::wstring Key(const wchar_t* name) { return std::wstring(kRoot) + name; }

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

    ShowCPUUsage_ = RegStdDWORD(Key(L"ShowCPUUsage_"), 0);
    MaxFrameRate = RegStdDWORD(Key(L"MaxFrameRate"), 30);
    ZoomLevel_10 = RegStdDWORD(Key(L"ZoomLevel_10"), 20);
    FullScreen = RegStdDWORD(Key(L"FullScreen"), 1);
    MagwinScale = RegStdDWORD(Key(L"MagwinScale"), kMagwinScaleDefault);
    DWORD scale = MagwinScale.Value();
    if (scale < kMagwinScaleMin || scale > kMagwinScaleMax) MagwinScale.Assign(kMagwinScaleDefault);
    MagwinSticky = RegStdDWORD(Key(L"MagwinSticky"), 0);
    HardwareAccelerate = RegStdDWORD(Key(L"HardwareAccelerate"), 1);
    SmoothImage = RegStdDWORD(Key(L"SmoothImage"), 1);
    UseMemCache = RegDWORD(CString(Key(L"UseMemCache").c_str()), 0);
    HideSysCursor = RegDWORD(CString(Key(L"HideSysCursor").c_str()), 1);
    InvertColors = RegDWORD(CString(Key(L"InvertColors").c_str()), 0);
}

// Built before every other static object of the program; the compiler
// registers its destruction as an exit handler right after construction, so
// it is destroyed after every static object built later.
MagSettings g_settings KV_INIT_PRIORITY(KV_INIT_SETTINGS);
