#pragma once
// Memory whose last byte is followed by a page that cannot be touched: a
// read or write past the end faults at once instead of passing unseen in
// padding (surface rows are padded to 8 bytes, which hides such faults).
#include <windows.h>

#include <cstddef>
#include <cstdint>

class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t bytes) : bytes_(bytes) {
        const size_t page = 4096;
        mapped_ = (bytes + page - 1) / page * page + page;
        base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, mapped_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        if (base_) VirtualProtect(base_ + mapped_ - page, page, PAGE_NOACCESS, &old);
    }
    ~GuardedBuffer() {
        if (base_) VirtualFree(base_, 0, MEM_RELEASE);
    }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    uint8_t* data() const { return base_ ? base_ + mapped_ - 4096 - bytes_ : nullptr; }

private:
    size_t bytes_;
    size_t mapped_ = 0;
    uint8_t* base_ = nullptr;
};
