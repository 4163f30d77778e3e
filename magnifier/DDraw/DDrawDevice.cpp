// The DisplayDevice interfaces on DirectDraw 7 itself.
#include <dwmapi.h>

#include <cwchar>

#include "core/ModulePath.h"
#include "magnifier/DDraw/DisplayDevice.h"

namespace DirectX {

namespace {

class DDrawSurface : public Surface {
public:
    explicit DDrawSurface(IDirectDrawSurface7* surface) : surface_(surface) {}
    ~DDrawSurface() override { surface_->Release(); }
    DDrawSurface(const DDrawSurface&) = delete;
    DDrawSurface& operator=(const DDrawSurface&) = delete;

    HRESULT GetPixelFormat(DDPIXELFORMAT* format) override { return surface_->GetPixelFormat(format); }
    HRESULT GetAttachedSurface(DDSCAPS2* caps, std::unique_ptr<Surface>* attached) override {
        IDirectDrawSurface7* raw = nullptr;
        HRESULT hr = surface_->GetAttachedSurface(caps, &raw);
        if (SUCCEEDED(hr)) attached->reset(new DDrawSurface(raw));
        return hr;
    }
    HRESULT Blt(RECT* dstRect, Surface* src, RECT* srcRect, DWORD flags, DDBLTFX* fx) override {
        return surface_->Blt(dstRect, Raw(src), srcRect, flags, fx);
    }
    HRESULT BltFast(DWORD x, DWORD y, Surface* src, RECT* srcRect, DWORD flags) override {
        return surface_->BltFast(x, y, Raw(src), srcRect, flags);
    }
    HRESULT UpdateOverlay(RECT* srcRect, Surface* dst, RECT* dstRect, DWORD flags, DDOVERLAYFX* fx) override {
        return surface_->UpdateOverlay(srcRect, Raw(dst), dstRect, flags, fx);
    }
    HRESULT UpdateOverlayZOrder(DWORD flags, Surface* reference) override {
        return surface_->UpdateOverlayZOrder(flags, Raw(reference));
    }
    HRESULT IsLost() override { return surface_->IsLost(); }
    HRESULT GetDC(HDC* dc) override { return surface_->GetDC(dc); }
    HRESULT ReleaseDC(HDC dc) override { return surface_->ReleaseDC(dc); }
    HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) override {
        return surface_->Lock(rect, desc, flags, event);
    }
    HRESULT Unlock(RECT* rect) override { return surface_->Unlock(rect); }
    HRESULT Flip(Surface* target, DWORD flags) override { return surface_->Flip(Raw(target), flags); }

private:
    static IDirectDrawSurface7* Raw(Surface* surface) {
        return surface ? static_cast<DDrawSurface*>(surface)->surface_ : nullptr;
    }

    IDirectDrawSurface7* surface_;
};

class DDrawDevice : public Device {
public:
    explicit DDrawDevice(IDirectDraw7* device) : device_(device) {}
    ~DDrawDevice() override { device_->Release(); }
    DDrawDevice(const DDrawDevice&) = delete;
    DDrawDevice& operator=(const DDrawDevice&) = delete;

    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        return device_->SetCooperativeLevel(window, flags);
    }
    HRESULT GetCaps(DDCAPS* driver, DDCAPS* emulation) override { return device_->GetCaps(driver, emulation); }
    HRESULT CreateSurface(DDSURFACEDESC2* desc, std::unique_ptr<Surface>* surface) override {
        IDirectDrawSurface7* raw = nullptr;
        HRESULT hr = device_->CreateSurface(desc, &raw, nullptr);
        if (SUCCEEDED(hr)) surface->reset(new DDrawSurface(raw));
        return hr;
    }
    HRESULT TestCooperativeLevel() override { return device_->TestCooperativeLevel(); }
    HRESULT RestoreAllSurfaces() override { return device_->RestoreAllSurfaces(); }

private:
    IDirectDraw7* device_;
};

}  // namespace

HRESULT CreateDirectDrawDevice(std::unique_ptr<Device>* device) {
    void* raw = nullptr;
    HRESULT hr = DirectDrawCreateEx(nullptr, &raw, IID_IDirectDraw7, nullptr);
    if (SUCCEEDED(hr)) device->reset(new DDrawDevice(static_cast<IDirectDraw7*>(raw)));
    return hr;
}

HRESULT (*g_createDevice)(std::unique_ptr<Device>* device) = CreateDirectDrawDevice;

void SwitchOffDesktopComposition() {
    // From the system folder only: a bare name would also find a planted copy.
    wchar_t path[MAX_PATH];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 12 >= MAX_PATH) return;
    wcscpy(path + length, L"\\dwmapi.dll");
    HMODULE dwm = LoadLibraryW(path);
    if (!dwm) return;
    using IsEnabled = HRESULT(WINAPI*)(BOOL*);
    using Enable = HRESULT(WINAPI*)(UINT);
    auto isEnabled = ModuleExport<IsEnabled>(dwm, "DwmIsCompositionEnabled");
    auto enable = ModuleExport<Enable>(dwm, "DwmEnableComposition");
    BOOL enabled = FALSE;
    if (isEnabled && enable && SUCCEEDED(isEnabled(&enabled)) && enabled) enable(DWM_EC_DISABLECOMPOSITION);
    FreeLibrary(dwm);
}

}  // namespace DirectX
