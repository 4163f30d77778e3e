#pragma once
// The framework's wide string: a value type with the handful of operations the
// registry objects and the control panel use. Allocation failure raises
// CMemoryException.
#include <cstdarg>
#include <string>

#include "framework/FrameworkAllocator.h"

class CString {
public:
    using Storage = std::basic_string<wchar_t, std::char_traits<wchar_t>, FrameworkAllocator<wchar_t>>;

    CString() = default;
    CString(const wchar_t* text) : text_(text ? text : L"") {}
    CString(const wchar_t* text, int length);
    CString(const CString&) = default;
    CString& operator=(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(CString&&) noexcept = default;

    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    void Empty() { text_.clear(); }
    const wchar_t* GetString() const { return text_.c_str(); }
    operator const wchar_t*() const { return text_.c_str(); }

    // Position of the last occurrence of ch, or -1.
    int ReverseFind(wchar_t ch) const;

    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;

    CString& TrimLeft(wchar_t ch);
    CString& TrimRight(wchar_t ch);

    CString& operator+=(const CString& other);
    CString& operator+=(const wchar_t* other);
    CString& operator+=(wchar_t ch);

    // Replaces the text by string resource id of the module's own resources.
    // False, with an empty text, when the string does not exist.
    bool LoadFromResource(unsigned id);

    // printf-style formatting by the C runtime's wide rules, where %s takes a
    // wide string: the format strings come from string resources and are
    // given wide arguments. Unlike C99's swprintf, which reads %s as narrow.
    void Format(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);

    friend bool operator==(const CString& a, const CString& b) { return a.text_ == b.text_; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.text_ == (b ? b : L""); }
    friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const wchar_t* b);
    friend CString operator+(const wchar_t* a, const CString& b);

private:
    int ClampIndex(int index) const;

    Storage text_;
};
