#pragma once
// The hardware-overlay output: OverlayManager owns the DirectDraw device and
// every surface of the path. Each frame it captures the source rectangle
// from the primary surface into a system-memory copy in the display's
// format, lets the frame overlays draw into the copy, inverts it when asked,
// copies or converts it into the overlay's back buffer and flips; the overlay
// hardware stretches it onto the window rectangle.
//
// One instance at a time, the current one. The render thread presents
// through it while the main and panel threads open, pause and resume: every
// use of the current manager, and its replacement, holds a Guard.
#include <ddraw.h>
#include <windows.h>

#include <memory>

#include "core/ScopedLock.h"
#include "magnifier/DDraw/DisplayDevice.h"
#include "magnifier/DDraw/PixelFormat.h"

class MagWin;
struct RenderRequest;

class OverlayManager {
public:
    // Serialises the threads that use the current manager. Recursive.
    class Guard : ScopedLock {
    public:
        Guard();
    };

    // Replaces the current manager by a new one and tests an overlay; true
    // when both work. A manager that fails its test is destroyed at once.
    // Never throws.
    static bool Create();
    static void Destroy();
    static OverlayManager* Current();

    // The device and its capabilities (throws).
    OverlayManager();
    // Hides the overlay, releases the surfaces and the device; never throws.
    ~OverlayManager();
    OverlayManager(const OverlayManager&) = delete;
    OverlayManager& operator=(const OverlayManager&) = delete;

    // Normal cooperative level, primary surface and a 4 x 4 test overlay shown
    // at the top-left corner; false on any failure.
    bool Init();
    // New surfaces of a new size (throws). Whatever a failed Reset made is
    // released again; neither shows the overlay nor moves it.
    void Reset(int width, int height);
    // Shows the overlay at overlayPosition_ in front, or hides it (throws).
    void ShowOverlay(bool show);
    // Draws one frame captured at screen position (x, y) (throws).
    void Present(int x, int y, RenderRequest& request, MagWin& magWin);
    void CreatePrimarySurface();
    void CreateOverlaySurface(int width, int height);
    // Hides a shown overlay that is not lost, then releases every surface.
    void ReleaseSurfaces();
    // Inverts the backup surface in place; false for a format it cannot.
    bool InvertColors(int format);
    // Overlay, back buffer and backup surface all exist.
    bool HasSurfaces() const;

    std::unique_ptr<DirectX::Device> directDraw_;
    DDCAPS caps_{};
    std::unique_ptr<DirectX::Surface> primarySurface_;
    std::unique_ptr<DirectX::Surface> overlaySurface_;
    // Belongs to the overlay's flip chain: released before the overlay.
    std::unique_ptr<DirectX::Surface> overlayBackSurface_;
    std::unique_ptr<DirectX::Surface> backupRGBSurface_;
    int width_ = 0;
    int height_ = 0;
    RECT overlayPosition_{};  // screen pixels
    bool visible_ = false;
    bool showPending_ = false;
    DWORD useMemCache_ = 0;
    bool surfacesLost_ = false;
    int overlayFormat_ = kFormatNone;
    int primaryFormat_ = kFormatNone;

private:
    void CopyToBackBuffer();

    static OverlayManager* current_;
};

// Thrown as a pointer to this text when the display format is not one of
// RGB32, RGB565 and RGB555.
extern const wchar_t kUnknownPixelFormat[];
// Thrown as a pointer to this text when lost surfaces can be neither
// restored nor rebuilt.
extern const wchar_t kResetFailed[];
extern const char kUninitializedManager[];
