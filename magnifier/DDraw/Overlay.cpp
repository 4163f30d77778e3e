#include "magnifier/DDraw/Overlay.h"

#include <algorithm>
#include <stdexcept>

#include "magnifier/DDraw/DirectXException.h"
#include "magnifier/DDraw/PixelConverters.h"
#include "magnifier/DDraw/SurfaceLock.h"
#include "magnifier/DDraw/YuvLookupTable.h"
#include "magnifier/MagWin.h"
#include "settings/MagSettings.h"

const wchar_t kUnknownPixelFormat[] = L"Unknow pixel format of primary surface";
const wchar_t kResetFailed[] = L"Reset failed.\n";
const char kUninitializedManager[] = "Called on an uninitialized OverlayManager. Call OverlayManager::Reset first.";

OverlayManager* OverlayManager::current_ = nullptr;

namespace {

using DirectX::SurfaceLock;
using DirectX::ThrowIfFailed;

// ddraw.h of this compiler lacks it.
constexpr DWORD kOverlayZSendToFront = 0;

CRITICAL_SECTION& ManagerLock() {
    struct Lock {
        Lock() { InitializeCriticalSection(&cs); }
        ~Lock() { DeleteCriticalSection(&cs); }
        CRITICAL_SECTION cs;
    };
    static Lock lock;
    return lock.cs;
}

// A surface's device context, released on every way out.
class SurfaceDC {
public:
    SurfaceDC(DirectX::Surface& surface, int line) : surface_(surface) {
        ThrowIfFailed("backupRGBSurface_->GetDC(&hDC)", surface_.GetDC(&dc_), line);
    }
    ~SurfaceDC() {
        if (dc_) surface_.ReleaseDC(dc_);
    }
    SurfaceDC(const SurfaceDC&) = delete;
    SurfaceDC& operator=(const SurfaceDC&) = delete;

    void Release(int line) {
        HDC dc = dc_;
        dc_ = nullptr;
        ThrowIfFailed("backupRGBSurface_->ReleaseDC(hDC)", surface_.ReleaseDC(dc), line);
    }
    HDC dc() const { return dc_; }

private:
    DirectX::Surface& surface_;
    HDC dc_ = nullptr;
};

// Black as a raw pixel of a format: Y 16, U and V 128 for the YUV formats.
DWORD BlackIn(int format) {
    if (format == kFormatYuy2) return 0x80108010;
    if (format == kFormatUyvy) return 0x10801080;
    return 0;
}

DDSURFACEDESC2 Description(DWORD flags, DWORD caps) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = flags;
    desc.ddsCaps.dwCaps = caps;
    return desc;
}

}  // namespace

OverlayManager::Guard::Guard() : ScopedLock(ManagerLock()) {}

bool OverlayManager::Create() {
    Guard guard;
    Destroy();
    try {
        current_ = new OverlayManager();
    } catch (...) {
        return false;
    }
    if (current_->Init()) return true;
    Destroy();
    return false;
}

void OverlayManager::Destroy() {
    Guard guard;
    delete current_;
    current_ = nullptr;
}

OverlayManager* OverlayManager::Current() {
    return current_;
}

OverlayManager::OverlayManager() {
    DirectX::SwitchOffDesktopComposition();
    ThrowIfFailed("DirectDrawCreateEx(0, (void**)&directDraw_, IID_IDirectDraw7, 0)",
                  DirectX::g_createDevice(&directDraw_), __LINE__);
    caps_.dwSize = sizeof(caps_);
    ThrowIfFailed("directDraw_->GetCaps(&caps_, 0)", directDraw_->GetCaps(&caps_, nullptr), __LINE__);
}

OverlayManager::~OverlayManager() {
    ReleaseSurfaces();
}

bool OverlayManager::Init() {
    try {
        ThrowIfFailed("directDraw_->SetCooperativeLevel(0, DDSCL_NORMAL)",
                      directDraw_->SetCooperativeLevel(nullptr, DDSCL_NORMAL), __LINE__);
        CreatePrimarySurface();
        CreateOverlaySurface(4, 4);
        RECT test{0, 0, 4, 4};
        ThrowIfFailed(
            "overlaySurface_->UpdateOverlay(&CRect(0,0,4,4), primarySurface_, &CRect(0,0,4,4), "
            "DDOVER_SHOW, 0)",
            overlaySurface_->UpdateOverlay(&test, primarySurface_.get(), &test, DDOVER_SHOW, nullptr), __LINE__);
        return true;
    } catch (...) {
        return false;
    }
}

void OverlayManager::CreatePrimarySurface() {
    DDSURFACEDESC2 ddsd = Description(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
    ThrowIfFailed("directDraw_->CreateSurface(&ddsd, &primarySurface_, 0)",
                  directDraw_->CreateSurface(&ddsd, &primarySurface_), __LINE__);
    DDPIXELFORMAT ddpf = {};
    ddpf.dwSize = sizeof(ddpf);
    ThrowIfFailed("primarySurface_->GetPixelFormat(&ddpf)", primarySurface_->GetPixelFormat(&ddpf), __LINE__);
    primaryFormat_ = DisplayFormatOf(ddpf);
    if (primaryFormat_ == kFormatNone) throw kUnknownPixelFormat;
}

void OverlayManager::CreateOverlaySurface(int width, int height) {
    DDSURFACEDESC2 ddsd = Description(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_BACKBUFFERCOUNT | DDSD_PIXELFORMAT,
                                      DDSCAPS_OVERLAY | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY);
    ddsd.dwWidth = static_cast<DWORD>(width);
    ddsd.dwHeight = static_cast<DWORD>(height);
    ddsd.dwBackBufferCount = 1;
    // The display's own format first (no conversion), then the two YUV
    // formats that overlay hardware commonly takes.
    HRESULT overlayResult = E_FAIL;
    for (int format : {primaryFormat_, static_cast<int>(kFormatUyvy), static_cast<int>(kFormatYuy2)}) {
        ddsd.ddpfPixelFormat = PixelFormatRecord(format);
        overlayResult = directDraw_->CreateSurface(&ddsd, &overlaySurface_);
        if (SUCCEEDED(overlayResult)) {
            overlayFormat_ = format;
            break;
        }
    }
    ThrowIfFailed("overlayResult", overlayResult, __LINE__);
    width_ = width;
    height_ = height;

    DDSCAPS2 ddscaps = {};
    ddscaps.dwCaps = DDSCAPS_BACKBUFFER;
    ThrowIfFailed("overlaySurface_->GetAttachedSurface(&ddscaps, &overlayBackSurface_)",
                  overlaySurface_->GetAttachedSurface(&ddscaps, &overlayBackSurface_), __LINE__);

    // Black until the first frame; some drivers cannot fill YUV surfaces, and
    // the first frame overwrites whatever is there.
    DDBLTFX ddBltFx = {};
    ddBltFx.dwSize = sizeof(ddBltFx);
    ddBltFx.dwFillColor = BlackIn(overlayFormat_);
    overlaySurface_->Blt(nullptr, nullptr, nullptr, DDBLT_WAIT | DDBLT_COLORFILL, &ddBltFx);
    overlayBackSurface_->Blt(nullptr, nullptr, nullptr, DDBLT_WAIT | DDBLT_COLORFILL, &ddBltFx);

    // No pixel format: the copy takes the display's.
    ddsd = Description(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
    ddsd.dwWidth = static_cast<DWORD>(width);
    ddsd.dwHeight = static_cast<DWORD>(height);
    ThrowIfFailed("directDraw_->CreateSurface( &ddsd, &backupRGBSurface_, NULL)",
                  directDraw_->CreateSurface(&ddsd, &backupRGBSurface_), __LINE__);
}

void OverlayManager::ReleaseSurfaces() {
    if (visible_ && overlaySurface_ && overlaySurface_->IsLost() == DD_OK) {
        try {
            ShowOverlay(false);
        } catch (...) {
            // Released below all the same: a released overlay is not shown.
        }
    }
    // The back buffer reference first: it dies with its front.
    overlayBackSurface_.reset();
    overlaySurface_.reset();
    primarySurface_.reset();
    backupRGBSurface_.reset();
    surfacesLost_ = false;
}

void OverlayManager::Reset(int width, int height) {
    // Also whatever a Reset that failed part-way left behind.
    ReleaseSurfaces();
    try {
        ThrowIfFailed("directDraw_->SetCooperativeLevel(0, DDSCL_NORMAL)",
                      directDraw_->SetCooperativeLevel(nullptr, DDSCL_NORMAL), __LINE__);
        CreatePrimarySurface();
        CreateOverlaySurface(width, height);
    } catch (...) {
        ReleaseSurfaces();
        throw;
    }
    directDraw_->GetCaps(&caps_, nullptr);
}

bool OverlayManager::HasSurfaces() const {
    return overlaySurface_ && overlayBackSurface_ && backupRGBSurface_;
}

void OverlayManager::ShowOverlay(bool show) {
    visible_ = show;
    if (!overlaySurface_) return;
    if (show) {
        RECT source{0, 0, width_, height_};
        ThrowIfFailed(
            "overlaySurface_->UpdateOverlay(&CRect(0, 0, width_, height_), primarySurface_, "
            "overlayPosition_, DDOVER_SHOW, 0)",
            overlaySurface_->UpdateOverlay(&source, primarySurface_.get(), &overlayPosition_, DDOVER_SHOW, nullptr),
            __LINE__);
        ThrowIfFailed("overlaySurface_->UpdateOverlayZOrder(DDOVERZ_SENDTOFRONT, 0)",
                      overlaySurface_->UpdateOverlayZOrder(kOverlayZSendToFront, nullptr), __LINE__);
    } else {
        ThrowIfFailed("overlaySurface_->UpdateOverlay(0, primarySurface_, 0, DDOVER_HIDE, 0)",
                      overlaySurface_->UpdateOverlay(nullptr, primarySurface_.get(), nullptr, DDOVER_HIDE, nullptr),
                      __LINE__);
    }
}

void OverlayManager::Present(int x, int y, RenderRequest& request, MagWin& magWin) {
    if (!visible_) return;
    if (!HasSurfaces() || !primarySurface_) throw std::logic_error(kUninitializedManager);

    // The table follows the setting, and the display format it serves.
    DWORD useMemCache = g_settings.UseMemCache.Value();
    if (useMemCache != useMemCache_) {
        useMemCache_ = useMemCache;
        if (useMemCache_) {
            BuildYuvLookupTable(primaryFormat_);
        } else {
            FreeYuvLookupTable();
        }
    } else if (useMemCache_ && g_yuvLookupTable.entries && g_yuvLookupTable.format != primaryFormat_) {
        BuildYuvLookupTable(primaryFormat_);
    }

    HRESULT hr = directDraw_->TestCooperativeLevel();
    if (hr == DDERR_EXCLUSIVEMODEALREADYSET) {
        surfacesLost_ = true;
        return;
    }
    if (hr == DDERR_WRONGMODE) throw static_cast<HRESULT>(hr);
    ThrowIfFailed("hr", hr, __LINE__);

    if (surfacesLost_ || FAILED(primarySurface_->IsLost())) {
        if (FAILED(directDraw_->RestoreAllSurfaces())) {
            try {
                Reset(width_, height_);
            } catch (...) {
                throw kResetFailed;
            }
        }
        showPending_ = true;
        surfacesLost_ = false;
    }
    if (showPending_) {
        showPending_ = false;
        ShowOverlay(true);
    }

    RECT source{x, y, x + width_, y + height_};
    ThrowIfFailed(
        "backupRGBSurface_->BltFast(0, 0, primarySurface_, &CRect(x, y, x + width_, y + height_), "
        "DDBLTFAST_WAIT)",
        backupRGBSurface_->BltFast(0, 0, primarySurface_.get(), &source, DDBLTFAST_WAIT), __LINE__);
    {
        SurfaceDC dc(*backupRGBSurface_, __LINE__);
        magWin.DrawOverlays(request, dc.dc());
        dc.Release(__LINE__);
    }
    if (g_settings.InvertColors.Value()) InvertColors(primaryFormat_);
    CopyToBackBuffer();
    ThrowIfFailed("overlaySurface_->Flip(0, DDFLIP_WAIT)", overlaySurface_->Flip(nullptr, DDFLIP_WAIT), __LINE__);
}

void OverlayManager::CopyToBackBuffer() {
    if (overlayFormat_ == primaryFormat_) {
        RECT all{0, 0, width_, height_};
        ThrowIfFailed(
            "overlayBackSurface_->BltFast(0, 0, backupRGBSurface_, &CRect(0, 0, width_, height_), "
            "DDBLTFAST_WAIT)",
            overlayBackSurface_->BltFast(0, 0, backupRGBSurface_.get(), &all, DDBLTFAST_WAIT), __LINE__);
        return;
    }
    SurfaceLock backup(*backupRGBSurface_,
                       "backupRGBSurface_->Lock(NULL, &ddsdBackRGB, "
                       "DDLOCK_SURFACEMEMORYPTR | DDLOCK_WAIT, 0)",
                       __LINE__);
    SurfaceLock back(*overlayBackSurface_,
                     "overlayBackSurface_->Lock(NULL, &ddsdOverlayBack, "
                     "DDLOCK_SURFACEMEMORYPTR | DDLOCK_WAIT, 0)",
                     __LINE__);
    const DDSURFACEDESC2& from = backup.desc();
    const DDSURFACEDESC2& to = back.desc();
    PixelConverter convert = SelectConverter(primaryFormat_, overlayFormat_, useMemCache_ != 0);
    if (convert) {
        // Never past either surface, should their sizes differ.
        int width = static_cast<int>(std::min(from.dwWidth, to.dwWidth));
        int height = static_cast<int>(std::min(from.dwHeight, to.dwHeight));
        convert(static_cast<DWORD*>(to.lpSurface), to.lPitch, from.lpSurface, width, height, from.lPitch);
    }
    back.Unlock("overlayBackSurface_->Unlock(NULL)", __LINE__);
    backup.Unlock("backupRGBSurface_->Unlock(NULL)", __LINE__);
}

bool OverlayManager::InvertColors(int format) {
    if (BytesPerPixel(format) == 0) return false;
    SurfaceLock backup(*backupRGBSurface_,
                       "backupRGBSurface_->Lock(NULL, &ddsdBackRGB, "
                       "DDLOCK_SURFACEMEMORYPTR | DDLOCK_WAIT, 0)",
                       __LINE__);
    const DDSURFACEDESC2& desc = backup.desc();
    InvertPixels(desc.lpSurface, desc.lPitch, static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight), format);
    backup.Unlock("backupRGBSurface_->Unlock(NULL)", __LINE__);
    return true;
}
