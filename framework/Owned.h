#pragma once
// Owners of Win32 handles. Each kind of handle is given back with the
// function that kind is released with, when its owner goes out of scope or
// when asked, so that no early return or exception leaves one behind. Header
// only, in the layer that the settings, the magnifier and the control panel
// all build on.
#include <windows.h>

// A handle released by one call of Release, keyed on that function: a null
// handle is none and is never released.
template <class H, auto Release>
class Owned {
public:
    Owned() = default;
    explicit Owned(H handle) : handle_(handle) {}
    ~Owned() { Close(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : handle_(other.Detach()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = other.Detach();
        }
        return *this;
    }

    H Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // For a call that hands the handle out through a pointer; any handle held
    // before is released first.
    H* Receive() {
        Close();
        return &handle_;
    }
    // Gives the handle up without releasing it.
    H Detach() {
        H handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    // Releases the handle now and returns what the release function returned
    // (zero when there was nothing to release), for callers that report it.
    auto Close() {
        using Result = decltype(Release(H{}));
        if (!handle_) return Result{};
        Result result = Release(handle_);
        handle_ = nullptr;
        return result;
    }

private:
    H handle_ = nullptr;
};

// Kernel objects: events, mutexes, threads.
using OwnedHandle = Owned<HANDLE, &CloseHandle>;
// Open registry keys.
using OwnedKey = Owned<HKEY, &RegCloseKey>;
// Device contexts of CreateDC and CreateCompatibleDC (not those of GetDC).
using OwnedDC = Owned<HDC, &DeleteDC>;
using OwnedBitmap = Owned<HBITMAP, &DeleteObject>;

// A device context of GetDC or GetWindowDC: given back with ReleaseDC to the
// window it came from.
class WindowDC {
public:
    WindowDC(HWND window, HDC dc) : window_(window), dc_(dc) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context for the owner's lifetime: the
// object it replaced is put back at the end, so that nothing is deleted while
// still selected. Selects nothing when either is null.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_) SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

    // Whether the object was selected.
    explicit operator bool() const { return previous_ != nullptr; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};
