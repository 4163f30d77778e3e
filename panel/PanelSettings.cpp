#include "panel/PanelSettings.h"

#include "framework/CString.h"
#include "settings/CRegBase.h"
#include "settings/CRegDWORDCommon.h"

namespace {

using PanelValue = CRegDWORDCommon<CRegBase>;

CString KeyOf(const wchar_t* name) { return CString(kSettingsKey) + L"\\" + name; }

}  // namespace

DWORD ReadPanelSetting(const SettingValue& setting) {
    PanelValue value(KeyOf(setting.name), setting.defaultValue);
    return value.Value();
}

void WritePanelSetting(const SettingValue& setting, DWORD value) {
    // A fresh object has read nothing, so Assign writes whatever it is given.
    PanelValue stored(KeyOf(setting.name), setting.defaultValue);
    stored.Assign(value);
}
