#include "tests/support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {
std::atomic<int> g_sandboxCount{0};
const wchar_t kBase[] = L"Software\\KOVAX-Tests";
}  // namespace

RegistrySandbox::RegistrySandbox() {
    path_ = std::wstring(kBase) + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(g_sandboxCount++);
    LONG r = RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_, nullptr);
    if (r != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot create the test key, error " << r;
        return;
    }
    r = RegOverridePredefKey(HKEY_CURRENT_USER, root_);
    if (r != ERROR_SUCCESS) ADD_FAILURE() << "RegOverridePredefKey failed, error " << r;
}

RegistrySandbox::~RegistrySandbox() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (root_) RegCloseKey(root_);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, kBase);  // fails while other tests still use it
}

void RegistrySandbox::SetRaw(const std::wstring& subKey, const std::wstring& name, DWORD type, const void* data,
                             DWORD bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(root_, subKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes));
    RegCloseKey(key);
}

void RegistrySandbox::SetDword(const std::wstring& subKey, const std::wstring& name, DWORD value) {
    SetRaw(subKey, name, REG_DWORD, &value, sizeof(value));
}

void RegistrySandbox::SetText(const std::wstring& subKey, const std::wstring& name, const std::wstring& text) {
    SetRaw(subKey, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void RegistrySandbox::DeleteValue(const std::wstring& subKey, const std::wstring& name) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(root_, subKey.c_str(), 0, KEY_WRITE, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueW(key, name.c_str()));
    RegCloseKey(key);
}

RegistrySandbox::Stored RegistrySandbox::Get(const std::wstring& subKey, const std::wstring& name) const {
    Stored s;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return s;
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &s.type, nullptr, &size) == ERROR_SUCCESS) {
        s.data.resize(size);
        if (RegQueryValueExW(key, name.c_str(), nullptr, &s.type, s.data.data(), &size) == ERROR_SUCCESS) {
            s.present = true;
            s.data.resize(size);
        }
    }
    RegCloseKey(key);
    return s;
}

DWORD RegistrySandbox::Stored::AsDword() const {
    DWORD v = 0xDEADBEEF;
    if (data.size() == sizeof(v)) memcpy(&v, data.data(), sizeof(v));
    return v;
}

bool RegistrySandbox::KeyExists(const std::wstring& subKey) const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

DWORD RegistrySandbox::CountEntries() const {
    DWORD subKeys = 0, values = 0;
    RegQueryInfoKeyW(root_, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    return subKeys + values;
}
