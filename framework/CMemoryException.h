#pragma once
// The framework's out-of-memory exception. Framework classes raise it instead of
// std::bad_alloc so that the few places that recover from exhaustion (the
// DirectDraw output, the accessibility filter) catch one type.
#include <exception>

class CMemoryException : public std::exception {
public:
    const char* what() const noexcept override { return "out of memory"; }
};

[[noreturn]] void AfxThrowMemoryException();
