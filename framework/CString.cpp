#include "framework/CString.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "framework/AfxModule.h"

void AfxThrowMemoryException() { throw CMemoryException(); }

CString::CString(const wchar_t* text, int length) {
    if (text && length > 0) text_.assign(text, static_cast<size_t>(length));
}

int CString::ClampIndex(int index) const {
    if (index < 0) return 0;
    return index > GetLength() ? GetLength() : index;
}

int CString::ReverseFind(wchar_t ch) const {
    size_t p = text_.rfind(ch);
    return p == Storage::npos ? -1 : static_cast<int>(p);
}

CString CString::Left(int count) const {
    CString r;
    r.text_ = text_.substr(0, static_cast<size_t>(ClampIndex(count)));
    return r;
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
    first = ClampIndex(first);
    if (count < 0) count = 0;
    CString r;
    r.text_ = text_.substr(static_cast<size_t>(first), static_cast<size_t>(count));
    return r;
}

CString& CString::TrimLeft(wchar_t ch) {
    size_t n = 0;
    while (n < text_.size() && text_[n] == ch) ++n;
    text_.erase(0, n);
    return *this;
}

CString& CString::TrimRight(wchar_t ch) {
    size_t n = text_.size();
    while (n > 0 && text_[n - 1] == ch) --n;
    text_.resize(n);
    return *this;
}

CString& CString::operator+=(const CString& other) {
    text_ += other.text_;
    return *this;
}

CString& CString::operator+=(const wchar_t* other) {
    if (other) text_ += other;
    return *this;
}

CString& CString::operator+=(wchar_t ch) {
    text_ += ch;
    return *this;
}

CString operator+(const CString& a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, const wchar_t* b) {
    CString r(a);
    r += b;
    return r;
}

CString operator+(const wchar_t* a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}

bool CString::LoadFromResource(unsigned id) {
    // With a zero length LoadStringW hands out the resource's own characters,
    // which carry no terminator: no buffer size to guess.
    const wchar_t* text = nullptr;
    int length = LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) {
        text_.clear();
        return false;
    }
    text_.assign(text, static_cast<size_t>(length));
    return true;
}

void CString::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const wchar_t* format, va_list args) {
    text_.clear();
    if (!format) return;
    // _vsnwprintf is the runtime's wide formatter (%s wide); it reports a
    // result that does not fit as -1, so the buffer grows until it does.
    for (size_t capacity = 256; capacity <= (1u << 20); capacity *= 2) {
        std::vector<wchar_t, FrameworkAllocator<wchar_t>> buffer(capacity);
        va_list copy;
        va_copy(copy, args);
        int n = _vsnwprintf(buffer.data(), capacity, format, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < capacity) {
            text_.assign(buffer.data(), static_cast<size_t>(n));
            return;
        }
    }
}
