#include "panel/PanelSettings.h"

#include "framework/CString.h"
#include "settings/CRegBase.h"
#include "settings/CRegDWORDCommon.h"

namespace {

using PanelValue = CRegDWORDCommon<CRegBase>;

CString KeyOf(const wchar_t* name) { return CString(L"Software\\KOVAX\\") + name; }

}  // namespace

DWORD ReadPanelSetting(const wchar_t* name, DWORD defaultValue) {
    PanelValue value(KeyOf(name), defaultValue);
    return value.Value();
}

void WritePanelSetting(const wchar_t* name, DWORD defaultValue, DWORD value) {
    // A fresh object has read nothing, so Assign writes whatever it is given.
    PanelValue stored(KeyOf(name), defaultValue);
    stored.Assign(value);
}
