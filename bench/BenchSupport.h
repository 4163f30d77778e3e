#pragma once
// Shared by the benchmark programs: a millisecond clock, and settings of their
// own so that a benchmark never touches the user's.
#include <windows.h>

#include <string>

#include "settings/MagSettings.h"

inline double Now() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Redirects HKEY_CURRENT_USER to a scratch key for the benchmark's life and
// reloads the settings from it (full screen).
class ScratchSettings {
public:
    ScratchSettings() {
        std::wstring path = std::wstring(kBase) + L"\\" + std::to_wstring(GetCurrentProcessId());
        RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, key_);
        g_settings.Load();
        g_settings.FullScreen.Assign(1);
    }
    ~ScratchSettings() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(key_);
        RegDeleteTreeW(HKEY_CURRENT_USER, kBase);
        RegDeleteKeyW(HKEY_CURRENT_USER, kBase);
    }
    ScratchSettings(const ScratchSettings&) = delete;
    ScratchSettings& operator=(const ScratchSettings&) = delete;

private:
    static constexpr const wchar_t* kBase = L"Software\\KOVAX-Bench";
    HKEY key_ = nullptr;
};
