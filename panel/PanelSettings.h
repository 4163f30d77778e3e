#pragma once
// The panel's own registry values under HKEY_CURRENT_USER\Software\KOVAX,
// read and written through short-lived value objects of the settings store,
// so a value of the wrong type or size reads as its default there as here.
#include <windows.h>

#include "settings/SettingValues.h"

DWORD ReadPanelSetting(const SettingValue& setting);
// Always writes, whatever is stored.
void WritePanelSetting(const SettingValue& setting, DWORD value);
