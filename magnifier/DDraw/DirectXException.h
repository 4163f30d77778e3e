#pragma once
// The error convention of the DirectDraw output: every tested DirectDraw call
// goes through ThrowIfFailed, which turns a failing result into a
// DirectX::Exception carrying the code, its name and description, where the
// call was and what it was. Thrown and caught by value; nothing shows or logs
// the texts.
#include <windows.h>

#include <exception>
#include <string>

namespace DirectX {

struct Exception : std::exception {
    Exception(HRESULT result, int line, const char* expression);
    ~Exception() override = default;
    // The narrow description of the code.
    const char* what() const noexcept override { return what_.c_str(); }

    HRESULT result_;
    std::wstring errorName_;
    std::wstring description_;
    std::wstring file_;
    int line_;
    std::string expression_;

private:
    std::string what_;
};

// Returns at once for a success code (0 or more); throws otherwise.
void ThrowIfFailed(const char* expression, HRESULT result, int line);

}  // namespace DirectX
