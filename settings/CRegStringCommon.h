#pragma once
// A text registry value (REG_SZ: UTF-16LE characters and one terminating NUL).
#include <vector>

#include "settings/CRegTypedBase.h"

template <class B>
class CRegStringCommon : public CRegTypedBase<typename B::StringType, B> {
public:
    using S = typename B::StringType;

    CRegStringCommon() = default;
    CRegStringCommon(const S& fullKey, const S& def) : CRegTypedBase<S, B>(fullKey, def) {}
    CRegStringCommon(const CRegStringCommon&) = default;
    CRegStringCommon& operator=(const CRegStringCommon&) = default;

    // Reads in two calls (size, then data). The text ends at the first NUL or at
    // the end of the data, whichever comes first; nothing past the data is
    // read, whatever its byte count. A value that is not REG_SZ reports
    // ERROR_INVALID_DATA, so the default stands.
    LONG QueryFromKey(HKEY key, S* target) override {
        const wchar_t* name = this->PlainString(this->valueName);
        DWORD type = REG_NONE;
        DWORD size = 0;
        LONG result = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
        if (result == ERROR_SUCCESS && type != REG_SZ) result = ERROR_INVALID_DATA;
        if (result == ERROR_SUCCESS) {
            std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
            DWORD got = size;
            result = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got);
            if (result == ERROR_SUCCESS && type != REG_SZ) result = ERROR_INVALID_DATA;
            if (result == ERROR_SUCCESS) {
                size_t count = got / sizeof(wchar_t);
                size_t length = 0;
                while (length < count && buffer[length] != L'\0') ++length;
                *target = S(buffer.data(), static_cast<int>(length));
            }
        }
        this->lastError = result;
        return result;
    }

    LONG StoreToKey(HKEY key, const S* source) override {
        DWORD bytes = static_cast<DWORD>((this->StringLength(*source) + 1) * sizeof(wchar_t));
        LONG result = RegSetValueExW(key, this->PlainString(this->valueName), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(this->PlainString(*source)), bytes);
        this->lastError = result;
        return result;
    }
};
