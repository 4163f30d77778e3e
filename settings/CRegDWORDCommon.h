#pragma once
// A 32-bit registry value (REG_DWORD, 4 bytes, little-endian).
#include "settings/CRegTypedBase.h"

template <class B>
class CRegDWORDCommon : public CRegTypedBase<DWORD, B> {
public:
    using typename B::StringType;

    CRegDWORDCommon() = default;
    CRegDWORDCommon(const StringType& fullKey, DWORD def) : CRegTypedBase<DWORD, B>(fullKey, def) {}
    CRegDWORDCommon(const CRegDWORDCommon&) = default;
    CRegDWORDCommon& operator=(const CRegDWORDCommon&) = default;

    // Only a REG_DWORD of exactly 4 bytes counts. Text, binary data or a
    // number of another size leaves *target alone and reports
    // ERROR_INVALID_DATA, so the default stands.
    LONG QueryFromKey(HKEY key, DWORD* target) override {
        DWORD type = REG_NONE;
        DWORD data = 0;
        DWORD size = sizeof(data);
        LONG result = RegQueryValueExW(key, this->PlainString(this->valueName), nullptr, &type,
                                       reinterpret_cast<BYTE*>(&data), &size);
        if (result == ERROR_SUCCESS && (type != REG_DWORD || size != sizeof(data))) result = ERROR_INVALID_DATA;
        if (result == ERROR_SUCCESS) *target = data;
        this->lastError = result;
        return result;
    }

    LONG StoreToKey(HKEY key, const DWORD* source) override {
        LONG result = RegSetValueExW(key, this->PlainString(this->valueName), 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(source), sizeof(DWORD));
        this->lastError = result;
        return result;
    }
};
