#pragma once
// Registry value base over std::wstring. The full key is split at its last
// backslash as it stands, nothing trimmed.
#include <string>

#include "settings/CRegBaseCommon.h"

class CRegStdBase : public CRegBaseCommon<std::wstring> {
public:
    const wchar_t* PlainString(const std::wstring& text) const override { return text.c_str(); }
    size_t StringLength(const std::wstring& text) const override { return text.size(); }

protected:
    CRegStdBase() = default;
    explicit CRegStdBase(const std::wstring& fullKey, bool forceFlag = false, HKEY root = HKEY_CURRENT_USER);
    CRegStdBase(const CRegStdBase&) = default;
    CRegStdBase& operator=(const CRegStdBase&) = default;
    ~CRegStdBase() = default;
};
