#pragma once
// Common part of a registry value object: where the value lives, the outcome of
// the last registry call and the caching flags. S is the string type of the
// key strings (the framework's CString or std::wstring).
//
// The flags and the last error are atomic words: the render thread and the
// control panel's thread read settings while the main thread loads or assigns
// them, and no reader may see a torn value.
#include <windows.h>

#include <atomic>

template <class S>
class CRegBaseCommon {
public:
    using StringType = S;

    virtual const wchar_t* PlainString(const S& text) const = 0;
    virtual size_t StringLength(const S& text) const = 0;
    // The system's message text for lastError, or an empty text when it has none.
    virtual S ErrorText() const;

    HKEY rootKey = HKEY_CURRENT_USER;
    S valueName;
    S subKey;
    std::atomic<LONG> lastError{ERROR_SUCCESS};
    std::atomic<bool> read{false};
    bool force = false;
    std::atomic<bool> exists{false};

protected:
    CRegBaseCommon() = default;
    CRegBaseCommon(const CRegBaseCommon& other) { *this = other; }
    CRegBaseCommon& operator=(const CRegBaseCommon& other) {
        rootKey = other.rootKey;
        valueName = other.valueName;
        subKey = other.subKey;
        lastError = other.lastError.load();
        read = other.read.load();
        force = other.force;
        exists = other.exists.load();
        return *this;
    }
    // Objects are always destroyed as their own type: no virtual destructor.
    ~CRegBaseCommon() = default;
};

template <class S>
S CRegBaseCommon<S>::ErrorText() const {
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
        static_cast<DWORD>(lastError.load()), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    if (length == 0 || !text) return S();
    S result(text);
    LocalFree(text);
    return result;
}
