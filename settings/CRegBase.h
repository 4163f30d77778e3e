#pragma once
// Registry value base over the framework's CString. Always under
// HKEY_CURRENT_USER, never forced; stray backslashes around the split point
// are trimmed, so "\Software\KOVAX\\HideSysCursor" names the same value as
// "Software\KOVAX\HideSysCursor".
#include "framework/CString.h"
#include "settings/CRegBaseCommon.h"

class CRegBase : public CRegBaseCommon<CString> {
public:
    const wchar_t* PlainString(const CString& text) const override { return text.GetString(); }
    size_t StringLength(const CString& text) const override { return static_cast<size_t>(text.GetLength()); }

protected:
    CRegBase() = default;
    explicit CRegBase(const CString& fullKey);
    CRegBase(const CRegBase&) = default;
    CRegBase& operator=(const CRegBase&) = default;
    ~CRegBase() = default;
};
