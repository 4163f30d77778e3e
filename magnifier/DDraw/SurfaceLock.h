#pragma once
// A surface locked for its memory while the object lives, unlocked on every
// way out, so that a failure between two locks never leaves one locked. The
// lock, and an unlock asked for by Unlock, throw DirectX::Exception with the
// call's text and line.
#include <ddraw.h>
#include <windows.h>

#include "magnifier/DDraw/DirectXException.h"
#include "magnifier/DDraw/DisplayDevice.h"

namespace DirectX {

class SurfaceLock {
public:
    SurfaceLock(Surface& surface, const char* text, int line) : surface_(surface) {
        desc_.dwSize = sizeof(desc_);
        ThrowIfFailed(text, surface_.Lock(nullptr, &desc_, DDLOCK_SURFACEMEMORYPTR | DDLOCK_WAIT, nullptr), line);
        locked_ = true;
    }
    ~SurfaceLock() {
        if (locked_) surface_.Unlock(nullptr);
    }
    SurfaceLock(const SurfaceLock&) = delete;
    SurfaceLock& operator=(const SurfaceLock&) = delete;

    void Unlock(const char* text, int line) {
        locked_ = false;
        ThrowIfFailed(text, surface_.Unlock(nullptr), line);
    }
    const DDSURFACEDESC2& desc() const { return desc_; }

private:
    Surface& surface_;
    DDSURFACEDESC2 desc_{};
    bool locked_ = false;
};

}  // namespace DirectX
