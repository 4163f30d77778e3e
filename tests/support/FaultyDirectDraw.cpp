#include "tests/support/FaultyDirectDraw.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "magnifier/DDraw/DisplayDevice.h"
#include "magnifier/DDraw/PixelFormat.h"

namespace {

FaultyDirectDraw* g_script = nullptr;

HRESULT Record(const std::string& call) {
    if (!g_script) return S_OK;
    std::function<HRESULT(const std::string&)> fault;
    {
        std::lock_guard<std::mutex> lock(g_script->mutex);
        g_script->calls.push_back(call);
        fault = g_script->fault;
    }
    return fault ? fault(call) : S_OK;
}

// Records the call, then fails it or passes it on: the body of a method.
#define PASS(text, call)       \
    HRESULT hr = Record(text); \
    return hr != S_OK ? hr : inner_->call

class FaultySurface : public DirectX::Surface {
public:
    FaultySurface(std::unique_ptr<DirectX::Surface> inner, std::string role)
        : inner_(std::move(inner)), role_(std::move(role)) {}
    ~FaultySurface() override { Record("Release " + role_); }

    HRESULT GetPixelFormat(DDPIXELFORMAT* f) override { PASS(Op("GetPixelFormat"), GetPixelFormat(f)); }
    HRESULT GetAttachedSurface(DDSCAPS2* caps, std::unique_ptr<DirectX::Surface>* attached) override {
        std::unique_ptr<DirectX::Surface> raw;
        HRESULT hr = Record(Op("GetAttachedSurface"));
        if (hr == S_OK) hr = inner_->GetAttachedSurface(caps, &raw);
        if (SUCCEEDED(hr)) attached->reset(new FaultySurface(std::move(raw), "back"));
        return hr;
    }
    HRESULT Blt(RECT* to, DirectX::Surface* src, RECT* from, DWORD flags, DDBLTFX* fx) override {
        char fill[24] = "";
        if (flags & DDBLT_COLORFILL) std::snprintf(fill, sizeof(fill), " fill %08lX", fx->dwFillColor);
        PASS(Op("Blt") + fill, Blt(to, Inner(src), from, flags, fx));
    }
    HRESULT BltFast(DWORD x, DWORD y, DirectX::Surface* src, RECT* from, DWORD flags) override {
        PASS(Op("BltFast"), BltFast(x, y, Inner(src), from, flags));
    }
    HRESULT UpdateOverlay(RECT* from, DirectX::Surface* dst, RECT* to, DWORD flags, DDOVERLAYFX* fx) override {
        PASS(Op("UpdateOverlay") + (flags & DDOVER_SHOW ? " show" : " hide"),
             UpdateOverlay(from, Inner(dst), to, flags, fx));
    }
    HRESULT UpdateOverlayZOrder(DWORD flags, DirectX::Surface* s) override {
        PASS(Op("UpdateOverlayZOrder"), UpdateOverlayZOrder(flags, Inner(s)));
    }
    HRESULT IsLost() override { PASS(Op("IsLost"), IsLost()); }
    HRESULT GetDC(HDC* dc) override { PASS(Op("GetDC"), GetDC(dc)); }
    HRESULT ReleaseDC(HDC dc) override { PASS(Op("ReleaseDC"), ReleaseDC(dc)); }
    HRESULT Lock(RECT* r, DDSURFACEDESC2* d, DWORD flags, HANDLE e) override { PASS(Op("Lock"), Lock(r, d, flags, e)); }
    HRESULT Unlock(RECT* r) override { PASS(Op("Unlock"), Unlock(r)); }
    HRESULT Flip(DirectX::Surface* s, DWORD flags) override { PASS(Op("Flip"), Flip(Inner(s), flags)); }

private:
    std::string Op(const char* op) const { return std::string(op) + " " + role_; }
    static DirectX::Surface* Inner(DirectX::Surface* s) {
        return s ? static_cast<FaultySurface*>(s)->inner_.get() : nullptr;
    }

    std::unique_ptr<DirectX::Surface> inner_;
    std::string role_;
};

class FaultyDevice : public DirectX::Device {
public:
    explicit FaultyDevice(std::unique_ptr<DirectX::Device> inner) : inner_(std::move(inner)) {}

    HRESULT SetCooperativeLevel(HWND w, DWORD flags) override {
        PASS("SetCooperativeLevel", SetCooperativeLevel(w, flags));
    }
    HRESULT GetCaps(DDCAPS* a, DDCAPS* b) override { PASS("GetCaps", GetCaps(a, b)); }
    HRESULT TestCooperativeLevel() override { PASS("TestCooperativeLevel", TestCooperativeLevel()); }
    HRESULT RestoreAllSurfaces() override { PASS("RestoreAllSurfaces", RestoreAllSurfaces()); }
    HRESULT CreateSurface(DDSURFACEDESC2* desc, std::unique_ptr<DirectX::Surface>* surface) override {
        DWORD caps = desc->ddsCaps.dwCaps;
        std::string role = caps & DDSCAPS_PRIMARYSURFACE ? "primary" : caps & DDSCAPS_OVERLAY ? "overlay" : "backup";
        std::string call = "CreateSurface " + role;
        const DDPIXELFORMAT& pf = desc->ddpfPixelFormat;
        if (pf.dwFlags & DDPF_FOURCC) call.append(" ").append(reinterpret_cast<const char*>(&pf.dwFourCC), 4);
        static const char* const kRgb[] = {" RGB32", " RGB565", " RGB555"};
        int rgb = DisplayFormatOf(pf);
        if ((desc->dwFlags & DDSD_PIXELFORMAT) && rgb < 3) call += kRgb[rgb];
        std::unique_ptr<DirectX::Surface> raw;
        HRESULT hr = Record(call);
        if (hr == S_OK) hr = inner_->CreateSurface(desc, &raw);
        if (SUCCEEDED(hr)) surface->reset(new FaultySurface(std::move(raw), role));
        return hr;
    }

private:
    std::unique_ptr<DirectX::Device> inner_;
};

HRESULT CreateFaultyDevice(std::unique_ptr<DirectX::Device>* device) {
    std::unique_ptr<DirectX::Device> inner;
    HRESULT hr = Record("DirectDrawCreateEx");
    if (hr == S_OK) hr = DirectX::CreateDirectDrawDevice(&inner);
    if (SUCCEEDED(hr)) device->reset(new FaultyDevice(std::move(inner)));
    return hr;
}

}  // namespace

FaultyDirectDraw::FaultyDirectDraw() {
    g_script = this;
    DirectX::g_createDevice = CreateFaultyDevice;
}

FaultyDirectDraw::~FaultyDirectDraw() {
    DirectX::g_createDevice = DirectX::CreateDirectDrawDevice;
    g_script = nullptr;
}

void FaultyDirectDraw::Fail(const std::string& call, HRESULT result, bool once) {
    auto previous = fault;
    auto spent = std::make_shared<bool>(false);
    fault = [=](const std::string& c) {
        if (c == call && !*spent) {
            *spent = once;
            return result;
        }
        return previous ? previous(c) : S_OK;
    };
}

int FaultyDirectDraw::Count(const std::string& call) const {
    std::lock_guard<std::mutex> lock(mutex);
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

int FaultyDirectDraw::Find(const std::string& call, int from) const {
    std::lock_guard<std::mutex> lock(mutex);
    auto found = std::find(calls.begin() + std::min<size_t>(from, calls.size()), calls.end(), call);
    return found == calls.end() ? -1 : static_cast<int>(found - calls.begin());
}
