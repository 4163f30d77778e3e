#include "magnifier/MagWin.h"

#include "core/CpuUsageMeter.h"
#include "core/CrashGuard.h"
#include "core/EventDispatcher.h"
#include "core/ModulePath.h"
#include "core/ScopedLock.h"
#include "magnifier/CMagCommand.h"
#include "settings/MagSettings.h"
#include "tracking/ClampRectToScreen.h"
#include "tracking/MagTracker.h"

MagWin::ViewLock::ViewLock(const MagWin& owner) : lock_(owner.rectLock_) {
    EnterCriticalSection(&lock_);
}
MagWin::ViewLock::~ViewLock() {
    LeaveCriticalSection(&lock_);
}

MagWin::MagWin(Hook::EventDispatcher* hub) : hub_(hub) {
    InitializeCriticalSection(&rectLock_);
    cursorImage_.mutex_ = OwnedHandle(CreateMutexW(nullptr, FALSE, nullptr));
    if (!cursorImage_.mutex_) FatalExit();
    if (!hub_->AddListener(Hook::Frame, OnFrame, this)) FatalExit();
    requestEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!requestEvent_) FatalExit();
    if (!InitializeCriticalSectionAndSpinCount(&requestLock_, 4000)) FatalExit();

    panelModule_ = LoadProgramLibrary(L"kvgui.dll");
    if (panelModule_) {
        panelInit_ = ModuleExport<PanelInit>(panelModule_, "kvgui_Init");
        panelUninit_ = ModuleExport<PanelUninit>(panelModule_, "kvgui_Uninit");
        panelUpdate_ = ModuleExport<PanelUpdate>(panelModule_, "kvgui_Update");
    }
    command_ = new CMagCommand(this);
}

MagWin::~MagWin() {
    CloseHandle(requestEvent_);
    DeleteCriticalSection(&requestLock_);
    hub_->RemoveListener(Hook::Frame, OnFrame);
    if (panelModule_) {
        FreeLibrary(panelModule_);
        panelModule_ = nullptr;
    }
    delete command_;
    cursorImage_.Release();
    DeleteCriticalSection(&rectLock_);
}

bool MagWin::Start(MagTracker* tracker) {
    if (running_ || !tracker) return false;
    tracker_ = tracker;
    bool opened = Open();
    if (opened) running_ = true;
    return opened;
}

bool MagWin::Stop() {
    if (!running_) return false;
    bool closed = Close();
    if (closed) running_ = false;
    return closed;
}

bool MagWin::IsActive() {
    return hub_->IsActive();
}

bool MagWin::Pause() {
    hub_->SetActive(false);
    return true;
}

bool MagWin::Resume() {
    hub_->SetActive(true);
    return true;
}

bool MagWin::SetZoom(int relative, double value) {
    if (tracker_) tracker_->SetZoom(relative, value);
    return true;
}

void MagWin::NotifyPanel() {
    if (panelUpdate_) panelUpdate_();
}

IMagCommand* MagWin::Command() const {
    return command_;
}

namespace {
void EndLoopTask(void* hub, int, double) { static_cast<Hook::EventDispatcher*>(hub)->EndLoop(); }
}  // namespace

LRESULT MagWin::Quit() {
    HWND window = hub_->Window();
    if (window) return SendMessageW(window, WM_DESTROY, 0, 0);
    // No window: the loop has not started yet (the panel comes up before it
    // and the user may already have confirmed its quit), or it has ended and
    // there is nothing to wait for. The hub keeps a quit asked for early and
    // ends its loop as soon as it starts.
    hub_->RunOnMainThread(EndLoopTask, hub_, 0, 0);
    return 0;
}

double MagWin::GetZoom() {
    return tracker_ ? tracker_->Zoom() : 1.0;
}

void MagWin::SetFocusRect(const RECT& rect) {
    ScopedLock lock(rectLock_);
    focusRect_ = rect;
}

void MagWin::SetCaretRect(const RECT& rect) {
    ScopedLock lock(rectLock_);
    caretRect_ = rect;
}

RECT MagWin::FocusRect() const {
    ScopedLock lock(rectLock_);
    return focusRect_;
}

RECT MagWin::CaretRect() const {
    ScopedLock lock(rectLock_);
    return caretRect_;
}

POINT& MagWin::ScreenToImage(POINT& point) {
    POINT image = ImageOrigin(SourceRect());
    point.x -= image.x;
    point.y -= image.y;
    return point;
}

ViewRect& MagWin::ScreenToImage(ViewRect& rect) {
    POINT image = ImageOrigin(SourceRect());
    rect.x -= image.x;
    rect.y -= image.y;
    return rect;
}

HWND MagWin::GetWindowHandle() {
    return nullptr;
}

POINT MagWin::VirtualOrigin() const { return {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN)}; }

MagWin::Frame::Frame(MagWin& owner) : owner_(owner) {
    DWORD none = 0;
    // Taken only when no thread draws a frame of this output: the origin is
    // then written and read by this thread alone.
    if (owner_.frameThread_.compare_exchange_strong(none, GetCurrentThreadId())) {
        owner_.frameOrigin_ = owner_.VirtualOrigin();
        holds_ = true;
    }
}

MagWin::Frame::~Frame() {
    if (holds_) owner_.frameThread_ = 0;
}

POINT MagWin::FrameOrigin() const {
    return frameThread_ == GetCurrentThreadId() ? frameOrigin_ : VirtualOrigin();
}

POINT MagWin::ImageOrigin(const ViewRect& source) const {
    POINT origin = FrameOrigin();
    return {source.x + origin.x, source.y + origin.y};
}

void MagWin::KeepOnPrimary(ViewRect& rect, int cx, int cy, POINT origin) {
    rect.x += origin.x;
    rect.y += origin.y;
    ClampRectToScreen(rect, {cx, cy});
    rect.x -= origin.x;
    rect.y -= origin.y;
}

bool MagWin::SetSourceRect(const ViewRect& rect, bool notify) {
    {
        ScopedLock lock(rectLock_);
        if (RectEqual(rect, sourceRect_)) return true;
        sourceRect_ = rect;
    }
    return running_ && notify ? OnSourceChanged() : true;
}

bool MagWin::SetWindowRect(const ViewRect& rect, bool notify) {
    {
        ScopedLock lock(rectLock_);
        if (RectEqual(rect, windowRect_)) return true;
        windowRect_ = rect;
    }
    return running_ && notify ? OnWindowChanged() : true;
}

ViewRect MagWin::SourceRect() const {
    ScopedLock lock(rectLock_);
    return sourceRect_;
}

ViewRect MagWin::WindowRect() const {
    ScopedLock lock(rectLock_);
    return windowRect_;
}

bool MagWin::Open() {
    if (panelInit_) {
        panelInit_(command_);
        if (panelUpdate_) panelUpdate_();
    }
    ConfigureHilights(g_settings.HilightCursorStyle, g_settings.HilightFocusStyle, g_settings.HilightCaretStyle);
    if (!ComputeInitialRects(false)) {
        UnbindPanel();
        return false;
    }
    renderThread_ = CreateThread(nullptr, 0, RenderThread, this, 0, nullptr);
    if (!renderThread_) {
        UnbindPanel();
        return false;
    }
    return true;
}

void MagWin::UnbindPanel() {
    if (panelUninit_) panelUninit_();
}

bool MagWin::Close() {
    if (renderThread_) {
        {
            ScopedLock lock(requestLock_);
            stopRequested_ = true;
        }
        SetEvent(requestEvent_);
        WaitForSingleObjectEx(renderThread_, INFINITE, FALSE);
        CloseHandle(renderThread_);
        ResetEvent(requestEvent_);
        stopRequested_ = false;
        renderThread_ = nullptr;
    }
    UnbindPanel();
    return true;
}

bool MagWin::ComputeInitialRects(bool notify) {
    int cx = GetSystemMetrics(SM_CXSCREEN);
    int cy = GetSystemMetrics(SM_CYSCREEN);
    if (cx == 0 || cy == 0) return false;
    if (GetSystemMetrics(SM_CXVIRTUALSCREEN) == 0 || GetSystemMetrics(SM_CYVIRTUALSCREEN) == 0) return false;

    // Asked afresh, not taken from a frame: this runs when the magnifier
    // opens and after the display has changed.
    POINT origin = VirtualOrigin();
    ViewRect w{};
    if (g_settings.FullScreen.Value()) {
        w = {-origin.x, -origin.y, cx, cy};
    } else {
        DWORD scale = g_settings.MagwinScale.Value();
        if (scale == 0) scale = kMagwinScaleDefault;
        w.width = static_cast<int>(static_cast<unsigned>(cx) / scale);
        w.height = static_cast<int>(static_cast<unsigned>(cy) / scale);
        POINT p{0, 0};
        GetCursorPos(&p);
        w.x = p.x - origin.x - w.width / 2;
        w.y = p.y - origin.y - w.height / 2;
        KeepOnPrimary(w, cx, cy, origin);
    }

    // Window and source are computed as one step: the source size follows from
    // the window, and no other computation of the view may slip in between.
    bool windowMoved = false;
    bool sourceMoved = false;
    {
        ViewLock lock(*this);
        windowMoved = !RectEqual(w, windowRect_);
        windowRect_ = w;
        ViewRect src{0, 0, 0, 0};
        if (!tracker_ || !tracker_->CenteredView(src)) return false;
        sourceMoved = !RectEqual(src, sourceRect_);
        sourceRect_ = src;
    }
    if (!running_ || !notify) return true;
    if (windowMoved && !OnWindowChanged()) return false;
    return sourceMoved ? OnSourceChanged() : true;
}

bool MagWin::WindowRectAround(const ViewRect& source, ViewRect& out) {
    int mx = source.x + source.width / 2;
    int my = source.y + source.height / 2;
    int cx = GetSystemMetrics(SM_CXSCREEN);
    int cy = GetSystemMetrics(SM_CYSCREEN);
    if (cx == 0 || cy == 0) return false;
    DWORD scale = g_settings.MagwinScale.Value();
    if (scale == 0) scale = kMagwinScaleDefault;
    out.width = static_cast<int>(static_cast<unsigned>(cx) / scale);
    out.height = static_cast<int>(static_cast<unsigned>(cy) / scale);
    out.x = mx - out.width / 2;
    out.y = my - out.height / 2;
    KeepOnPrimary(out, cx, cy, FrameOrigin());
    return true;
}

bool MagWin::OnFrame(void* context, void*) {
    auto* self = static_cast<MagWin*>(context);
    return self->QueueRequest(self->SourceRect(), self->WindowRect());
}

bool MagWin::QueueRequest(const ViewRect& source, const ViewRect& window) {
    RenderRequest request{source, window, {0, 0}};
    {
        ScopedLock lock(requestLock_);
        // At most one request waits: the newest frame wins.
        requests_.clear();
        requests_.push_back(request);
    }
    return SetEvent(requestEvent_) != FALSE;
}

DWORD WINAPI MagWin::RenderThread(LPVOID parameter) {
    auto* self = static_cast<MagWin*>(parameter);
    try {
        self->RenderLoop();
    } catch (...) {
        // Out of memory around the queue: no frame would ever be drawn again.
        self->GiveUpRendering();
    }
    return 0;
}

void MagWin::RenderLoop() {
    DWORD fullScreen = g_settings.FullScreen.Value();
    // A failed frame is skipped and the next one tries again; only a run of
    // failures that lasts kGiveUpAfterMs gives up.
    bool failing = false;
    DWORD failingSince = 0;
    for (;;) {
        WaitForSingleObjectEx(requestEvent_, INFINITE, FALSE);
        // A switch that fails now is tried again with the next frame.
        bool switched = true;
        DWORD nowFullScreen = g_settings.FullScreen.Value();
        if (nowFullScreen != fullScreen) {
            switched = ComputeInitialRects(true);
            if (switched) fullScreen = nowFullScreen;
        }

        RenderRequest request{};
        {
            ScopedLock lock(requestLock_);
            if (stopRequested_) return;
            if (requests_.empty()) {
                ResetEvent(requestEvent_);
                continue;
            }
            request = requests_.front();
            requests_.pop_front();
        }

        bool drawn = false;
        {
            Frame frame(*this);
            if (!fullScreen && !g_settings.MagwinSticky.Value()) {
                ViewRect w{};
                if (WindowRectAround(request.source, w)) SetWindowRect(w, true);
            }
            request.window = WindowRect();
            if (switched) {
                try {
                    drawn = Render(request);
                } catch (...) {
                    // Counted as a failed frame.
                }
            }
        }
        if (drawn) {
            failing = false;
            continue;
        }
        DWORD now = GetTickCount();
        if (!failing) {
            failing = true;
            failingSince = now;
        } else if (now - failingSince >= kGiveUpAfterMs) {
            GiveUpRendering();
            return;
        }
    }
}

void MagWin::GiveUpRendering() { FatalExit(); }

void MagWin::LockCursorImage() {
    DWORD waited = WaitForSingleObject(cursorImage_.mutex_.Get(), 1000);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) FatalExit();
}

void MagWin::UnlockCursorImage() {
    if (!ReleaseMutex(cursorImage_.mutex_.Get())) FatalExit();
}

void MagWin::DrawOverlays(RenderRequest& request, HDC dc) {
    if (!dc) return;
    CURSORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetCursorInfo(&info)) return;
    if (info.ptScreenPos.x != request.cursor.x || info.ptScreenPos.y != request.cursor.y) UpdateCursorImage(info);
    request.cursor = info.ptScreenPos;
    // A pointer that its application has hidden is not shown, nor its ring.
    bool pointerShown = (info.flags & CURSOR_SHOWING) != 0;
    // Against the source the frame was captured at: the live one may have
    // moved since.
    POINT origin = ImageOrigin(request.source);
    const ViewRect image{origin.x, origin.y, request.source.width, request.source.height};
    DrawHilights(image, request.cursor, dc, pointerShown);
    if (pointerShown) DrawCursor(image, dc);
    if (g_settings.ShowCPUUsage_.Value()) DrawStats(dc);
}

bool MagWin::UpdateCursorImage(const CURSORINFO& info) {
    LockCursorImage();
    bool ok = true;
    if (info.hCursor && info.hCursor != cursorImage_.cursor_) {
        ok = cursorImage_.Reset();
        if (ok) {
            cursorImage_.cursor_ = info.hCursor;
            ok = cursorImage_.Capture();
        }
    }
    int cx = GetSystemMetrics(SM_CXCURSOR);
    int cy = GetSystemMetrics(SM_CYCURSOR);
    POINT p = info.ptScreenPos;
    ok = ok && cx != 0 && cy != 0 && cursorImage_.ApplyHotspot(p);
    if (ok) {
        cursorImage_.imageRect_ = {p.x, p.y, cx, cy};
    } else {
        // Emptied: the next frame starts afresh.
        cursorImage_.Reset();
    }
    UnlockCursorImage();
    return ok;
}

void MagWin::DrawCursor(const ViewRect& image, HDC dc) {
    LockCursorImage();
    const ViewRect& r = cursorImage_.imageRect_;
    if (cursorImage_.copy_) {
        DrawIconEx(dc, r.x - image.x, r.y - image.y, cursorImage_.copy_, r.width, r.height, 0, nullptr, DI_NORMAL);
    }
    UnlockCursorImage();
}

void MagWin::DrawStats(HDC dc) {
    wchar_t text[64];
    int load = g_cpuUsageMeter ? g_cpuUsageMeter->GetUsage() : 0;
    int length = _snwprintf(text, 64, L"%d FPS, CPU: %d%%", static_cast<int>(hub_->Rate()), load);
    if (length < 0) return;
    SetTextColor(dc, 0x00FF0000);
    TextOutW(dc, 10, 10, text, length);
}
