#pragma once
// Settings for one test: values stored below a RegistrySandbox, then read
// into g_settings, which every part of the program takes them from.
#include <windows.h>

#include <initializer_list>

#include "settings/MagSettings.h"
#include "tests/support/RegistrySandbox.h"

struct StoredSetting {
    const wchar_t* name;
    DWORD value;
};

inline void LoadSettings(RegistrySandbox& reg, std::initializer_list<StoredSetting> values) {
    for (const StoredSetting& v : values) reg.SetDword(kSettingsKey, v.name, v.value);
    g_settings.Load();
}
