#pragma once
// A private registry key for one test, with HKEY_CURRENT_USER redirected to
// it for this process; the key and the redirection go away with the object.
#include <windows.h>

#include <string>
#include <vector>

class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // Raw access below the sandbox (which is what HKEY_CURRENT_USER now means).
    void SetRaw(const std::wstring& subKey, const std::wstring& name, DWORD type, const void* data, DWORD bytes);
    void SetDword(const std::wstring& subKey, const std::wstring& name, DWORD value);
    void SetText(const std::wstring& subKey, const std::wstring& name, const std::wstring& text);
    void DeleteValue(const std::wstring& subKey, const std::wstring& name);

    struct Stored {
        bool present = false;
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
        DWORD AsDword() const;
    };
    Stored Get(const std::wstring& subKey, const std::wstring& name) const;
    bool KeyExists(const std::wstring& subKey) const;
    // Number of subkeys and values directly under the sandbox.
    DWORD CountEntries() const;

    HKEY root() const { return root_; }

private:
    std::wstring path_;
    HKEY root_ = nullptr;
};
