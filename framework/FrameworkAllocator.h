#pragma once
// Allocator of the framework's containers: a failed allocation raises
// CMemoryException rather than std::bad_alloc.
#include <cstddef>
#include <new>

#include "framework/CMemoryException.h"

template <class T>
struct FrameworkAllocator {
    using value_type = T;

    FrameworkAllocator() noexcept = default;
    template <class U>
    FrameworkAllocator(const FrameworkAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) AfxThrowMemoryException();
        void* p = ::operator new(n * sizeof(T), std::nothrow);
        if (!p) AfxThrowMemoryException();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) noexcept { ::operator delete(p); }

    template <class U>
    bool operator==(const FrameworkAllocator<U>&) const noexcept { return true; }
    template <class U>
    bool operator!=(const FrameworkAllocator<U>&) const noexcept { return false; }
};
