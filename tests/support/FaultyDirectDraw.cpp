#include "tests/support/FaultyDirectDraw.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>

#include "magnifier/DDraw/DisplayDevice.h"
#include "magnifier/DDraw/PixelFormat.h"

FaultyDirectDraw* FaultyDirectDraw::current = nullptr;

namespace {

// The render thread and the test's thread both call; the fault runs outside
// the lock, so that a slow one holds up only its own thread.
HRESULT Record(const std::string& call) {
    FaultyDirectDraw* script = FaultyDirectDraw::current;
    if (!script) return S_OK;
    std::function<HRESULT(const std::string&)> fault;
    {
        std::lock_guard<std::mutex> lock(script->mutex);
        script->calls.push_back(call);
        fault = script->fault;
    }
    return fault ? fault(call) : S_OK;
}

const char* FormatName(int format) {
    static const char* const names[] = {"RGB32", "RGB565", "RGB555", "UYVY", "YUY2", "none"};
    return names[format < 0 || format > kFormatNone ? kFormatNone : format];
}

class FaultySurface : public DirectX::Surface {
public:
    FaultySurface(std::unique_ptr<DirectX::Surface> inner, std::string role)
        : inner_(std::move(inner)), role_(std::move(role)) {}
    ~FaultySurface() override { Record("Release " + role_); }

    HRESULT GetPixelFormat(DDPIXELFORMAT* format) override {
        return Pass("GetPixelFormat", [&] { return inner_->GetPixelFormat(format); });
    }
    HRESULT GetAttachedSurface(DDSCAPS2* caps, std::unique_ptr<DirectX::Surface>* attached) override {
        return Pass("GetAttachedSurface", [&] {
            std::unique_ptr<DirectX::Surface> raw;
            HRESULT hr = inner_->GetAttachedSurface(caps, &raw);
            if (SUCCEEDED(hr)) attached->reset(new FaultySurface(std::move(raw), "back"));
            return hr;
        });
    }
    HRESULT Blt(RECT* dstRect, DirectX::Surface* src, RECT* srcRect, DWORD flags, DDBLTFX* fx) override {
        char fill[32] = "";
        if ((flags & DDBLT_COLORFILL) && fx) std::snprintf(fill, sizeof(fill), " fill %08lX", fx->dwFillColor);
        return Pass(
            "Blt", [&] { return inner_->Blt(dstRect, Inner(src), srcRect, flags, fx); }, fill);
    }
    HRESULT BltFast(DWORD x, DWORD y, DirectX::Surface* src, RECT* srcRect, DWORD flags) override {
        return Pass("BltFast", [&] { return inner_->BltFast(x, y, Inner(src), srcRect, flags); });
    }
    HRESULT UpdateOverlay(RECT* srcRect, DirectX::Surface* dst, RECT* dstRect, DWORD flags, DDOVERLAYFX* fx) override {
        return Pass(
            "UpdateOverlay", [&] { return inner_->UpdateOverlay(srcRect, Inner(dst), dstRect, flags, fx); },
            (flags & DDOVER_SHOW) ? " show" : " hide");
    }
    HRESULT UpdateOverlayZOrder(DWORD flags, DirectX::Surface* reference) override {
        return Pass("UpdateOverlayZOrder", [&] { return inner_->UpdateOverlayZOrder(flags, Inner(reference)); });
    }
    HRESULT IsLost() override {
        return Pass("IsLost", [&] { return inner_->IsLost(); });
    }
    HRESULT GetDC(HDC* dc) override {
        return Pass("GetDC", [&] { return inner_->GetDC(dc); });
    }
    HRESULT ReleaseDC(HDC dc) override {
        return Pass("ReleaseDC", [&] { return inner_->ReleaseDC(dc); });
    }
    HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) override {
        return Pass("Lock", [&] { return inner_->Lock(rect, desc, flags, event); });
    }
    HRESULT Unlock(RECT* rect) override {
        return Pass("Unlock", [&] { return inner_->Unlock(rect); });
    }
    HRESULT Flip(DirectX::Surface* target, DWORD flags) override {
        return Pass("Flip", [&] { return inner_->Flip(Inner(target), flags); });
    }

private:
    template <class Call>
    HRESULT Pass(const char* op, Call call, const char* detail = "") {
        HRESULT hr = Record(std::string(op) + " " + role_ + detail);
        return hr != S_OK ? hr : call();
    }
    static DirectX::Surface* Inner(DirectX::Surface* s) {
        return s ? static_cast<FaultySurface*>(s)->inner_.get() : nullptr;
    }

    std::unique_ptr<DirectX::Surface> inner_;
    std::string role_;
};

class FaultyDevice : public DirectX::Device {
public:
    explicit FaultyDevice(std::unique_ptr<DirectX::Device> inner) : inner_(std::move(inner)) {}

    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        HRESULT hr = Record("SetCooperativeLevel");
        return hr != S_OK ? hr : inner_->SetCooperativeLevel(window, flags);
    }
    HRESULT GetCaps(DDCAPS* driver, DDCAPS* emulation) override {
        HRESULT hr = Record("GetCaps");
        return hr != S_OK ? hr : inner_->GetCaps(driver, emulation);
    }
    HRESULT CreateSurface(DDSURFACEDESC2* desc, std::unique_ptr<DirectX::Surface>* surface) override {
        DWORD caps = desc->ddsCaps.dwCaps;
        std::string role = (caps & DDSCAPS_PRIMARYSURFACE) ? "primary"
                           : (caps & DDSCAPS_OVERLAY)      ? "overlay"
                                                           : "backup";
        std::string call = "CreateSurface " + role;
        if (desc->dwFlags & DDSD_PIXELFORMAT) call += std::string(" ") + FormatName(FormatOf(desc->ddpfPixelFormat));
        HRESULT hr = Record(call);
        if (hr != S_OK) return hr;
        std::unique_ptr<DirectX::Surface> raw;
        hr = inner_->CreateSurface(desc, &raw);
        if (SUCCEEDED(hr)) surface->reset(new FaultySurface(std::move(raw), role));
        return hr;
    }
    HRESULT TestCooperativeLevel() override {
        HRESULT hr = Record("TestCooperativeLevel");
        return hr != S_OK ? hr : inner_->TestCooperativeLevel();
    }
    HRESULT RestoreAllSurfaces() override {
        HRESULT hr = Record("RestoreAllSurfaces");
        return hr != S_OK ? hr : inner_->RestoreAllSurfaces();
    }

private:
    static int FormatOf(const DDPIXELFORMAT& pf) {
        for (int f = 0; f < kFormatNone; ++f) {
            DDPIXELFORMAT known = PixelFormatRecord(f);
            if (known.dwFlags == pf.dwFlags && known.dwFourCC == pf.dwFourCC &&
                known.dwRGBBitCount == pf.dwRGBBitCount && known.dwGBitMask == pf.dwGBitMask)
                return f;
        }
        return kFormatNone;
    }

    std::unique_ptr<DirectX::Device> inner_;
};

HRESULT CreateFaultyDevice(std::unique_ptr<DirectX::Device>* device) {
    HRESULT hr = Record("DirectDrawCreateEx");
    if (hr != S_OK) return hr;
    std::unique_ptr<DirectX::Device> inner;
    hr = DirectX::CreateDirectDrawDevice(&inner);
    if (SUCCEEDED(hr)) device->reset(new FaultyDevice(std::move(inner)));
    return hr;
}

}  // namespace

FaultyDirectDraw::FaultyDirectDraw() {
    current = this;
    DirectX::g_createDevice = CreateFaultyDevice;
}

FaultyDirectDraw::~FaultyDirectDraw() {
    DirectX::g_createDevice = DirectX::CreateDirectDrawDevice;
    current = nullptr;
}

void FaultyDirectDraw::FailOnce(const std::string& call, HRESULT result) {
    auto previous = fault;
    auto spent = std::make_shared<bool>(false);
    fault = [=](const std::string& c) {
        if (!*spent && c == call) {
            *spent = true;
            return result;
        }
        return previous ? previous(c) : S_OK;
    };
}

void FaultyDirectDraw::FailAlways(const std::string& call, HRESULT result) {
    auto previous = fault;
    fault = [=](const std::string& c) { return c == call ? result : previous ? previous(c) : S_OK; };
}

int FaultyDirectDraw::Count(const std::string& call) const {
    std::lock_guard<std::mutex> lock(mutex);
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

int FaultyDirectDraw::Find(const std::string& call, int from) const {
    std::lock_guard<std::mutex> lock(mutex);
    for (size_t i = static_cast<size_t>(from); i < calls.size(); ++i)
        if (calls[i] == call) return static_cast<int>(i);
    return -1;
}
