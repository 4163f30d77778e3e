#pragma once
// The DirectDraw 7 device and surface operations the overlay manager uses, as
// interfaces of our own with DirectDraw's arguments and results. The real
// ones call DirectDraw; tests put a wrapper in front that records the calls
// and can make any of them fail, since surface loss, display-mode changes and
// refused overlays never happen under Wine.
#include <ddraw.h>
#include <windows.h>

#include <memory>

namespace DirectX {

// One reference to a surface, released with the object.
class Surface {
public:
    virtual ~Surface() = default;
    virtual HRESULT GetPixelFormat(DDPIXELFORMAT* format) = 0;
    virtual HRESULT GetAttachedSurface(DDSCAPS2* caps, std::unique_ptr<Surface>* attached) = 0;
    virtual HRESULT Blt(RECT* dstRect, Surface* src, RECT* srcRect, DWORD flags, DDBLTFX* fx) = 0;
    virtual HRESULT BltFast(DWORD x, DWORD y, Surface* src, RECT* srcRect, DWORD flags) = 0;
    virtual HRESULT UpdateOverlay(RECT* srcRect, Surface* dst, RECT* dstRect, DWORD flags, DDOVERLAYFX* fx) = 0;
    virtual HRESULT UpdateOverlayZOrder(DWORD flags, Surface* reference) = 0;
    virtual HRESULT IsLost() = 0;
    virtual HRESULT GetDC(HDC* dc) = 0;
    virtual HRESULT ReleaseDC(HDC dc) = 0;
    virtual HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) = 0;
    virtual HRESULT Unlock(RECT* rect) = 0;
    virtual HRESULT Flip(Surface* target, DWORD flags) = 0;
};

// One reference to a DirectDraw 7 device, released with the object.
class Device {
public:
    virtual ~Device() = default;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT GetCaps(DDCAPS* driver, DDCAPS* emulation) = 0;
    virtual HRESULT CreateSurface(DDSURFACEDESC2* desc, std::unique_ptr<Surface>* surface) = 0;
    virtual HRESULT TestCooperativeLevel() = 0;
    virtual HRESULT RestoreAllSurfaces() = 0;
};

// The device of the default display driver.
HRESULT CreateDirectDrawDevice(std::unique_ptr<Device>* device);

// Where the overlay manager gets its device; a test puts its wrapper here.
extern HRESULT (*g_createDevice)(std::unique_ptr<Device>* device);

// Desktop composition keeps overlays from showing: it is switched off (for
// good) where the system has it.
void SwitchOffDesktopComposition();

}  // namespace DirectX
