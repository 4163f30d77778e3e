#include "magnifier/GDIMagWin.h"

#include "core/CrashGuard.h"
#include "core/EventDispatcher.h"
#include "framework/Owned.h"
#include "settings/MagSettings.h"

const wchar_t kMainWindowClass[] = L"KOVAXMainClass";

namespace {

// Moved and sized, raised within the topmost band, never activated, redrawn
// only by the next frame.
constexpr UINT kMoveFlags = SWP_DEFERERASE | SWP_NOSENDCHANGING | SWP_NOCOPYBITS | SWP_NOACTIVATE | SWP_NOREDRAW;

bool OnWindowThread(HWND window) { return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId(); }

// Whether a visible window of the topmost band lies under this one and
// overlaps it.
bool TopmostWindowBelowOverlaps(HWND window) {
    RECT own{};
    if (!GetWindowRect(window, &own)) return false;
    for (HWND w = GetWindow(window, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (!(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST)) return false;
        RECT other{}, common{};
        if (IsWindowVisible(w) && GetWindowRect(w, &other) && IntersectRect(&common, &own, &other)) return true;
    }
    return false;
}

}  // namespace

GDIMagWin::GDIMagWin(Hook::EventDispatcher* hub) : MagWin(hub) {
    if (!hub->AddListener(Hook::MouseMove, OnMouseMove, this)) FatalExit();
    if (!hub->AddListener(Hook::Activated, OnActivated, this)) FatalExit();
    if (!hub->AddListener(Hook::CheckDue, OnCheckDue, this)) FatalExit();
}

GDIMagWin::~GDIMagWin() {
    if (window_) CloseGdi();
    Hub()->RemoveListener(Hook::MouseMove, OnMouseMove);
    Hub()->RemoveListener(Hook::Activated, OnActivated);
    Hub()->RemoveListener(Hook::CheckDue, OnCheckDue);
}

bool GDIMagWin::Open() {
    if (window_) Close();
    if (!MagWin::Open()) return false;

    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WndProc;
    wc.cbClsExtra = sizeof(GDIMagWin*);
    wc.hInstance = instance;
    wc.lpszClassName = kMainWindowClass;
    bool ok = RegisterClassExW(&wc) != 0;
    if (ok) {
        // Created hidden and shown without activation below: a visible
        // creation would take the foreground from the user's window.
        window_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST,
                                  kMainWindowClass, L"KOVAX", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance,
                                  nullptr);
        ok = window_ != nullptr;
    }
    if (ok) {
        SetClassLongPtrW(window_, 0, reinterpret_cast<LONG_PTR>(this));
        HDC dc = GetDC(window_);
        ok = dc != nullptr;
        if (ok) {
            ok = GetDeviceCaps(dc, BITSPIXEL) >= 16;
            ReleaseDC(window_, dc);
        }
    }
    ok = ok && SetLayeredWindowAttributes(window_, 0, 255, LWA_ALPHA);
    ok = ok && OnWindowChanged();
    ok = ok && SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
                            SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ok = ok && Hub()->ScheduleCheck(Hook::CheckWindowRaise, kFirstRaiseDelay);
    if (!ok) {
        Close();
        return false;
    }
    return true;
}

bool GDIMagWin::Close() { return CloseGdi(); }

bool GDIMagWin::CloseGdi() {
    // The render thread is joined first: no frame is drawn into a dead window.
    MagWin::Close();
    bool result = true;
    if (window_) {
        if (DestroyWindow(window_)) {
            window_ = nullptr;
        } else {
            result = false;
        }
    }
    if (!UnregisterClassW(kMainWindowClass, GetModuleHandleW(nullptr))) result = false;
    return result;
}

bool GDIMagWin::OnWindowChanged() {
    ViewRect w = WindowRect();
    POINT origin = FrameOrigin();
    UINT flags = kMoveFlags;
    // From another thread the move is posted: the main thread may be waiting
    // for the render thread to end, and a synchronous move would wait for it.
    if (!OnWindowThread(window_)) flags |= SWP_ASYNCWINDOWPOS;
    return SetWindowPos(window_, nullptr, w.x + origin.x, w.y + origin.y, w.width, w.height, flags) != FALSE;
}

bool GDIMagWin::Pause() {
    // Asynchronous: the panel's thread calls this while the main thread may be
    // busy or closing.
    ShowWindowAsync(window_, SW_HIDE);
    Hub()->SetActive(false);
    return true;
}

bool GDIMagWin::Resume() {
    ShowWindowAsync(window_, SW_SHOWNA);
    Hub()->SetActive(true);
    return true;
}

void GDIMagWin::Raise() {
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (!OnWindowThread(window_)) flags |= SWP_ASYNCWINDOWPOS;
    // Already first in the window manager's order, a raise changes nothing
    // there and reaches no display server, whose own stacking can differ: an
    // X server puts each newly mapped window on top of ours. Leaving the
    // topmost band and coming straight back is a real change that restacks
    // the window everywhere. Only done when no visible topmost window under
    // ours overlaps it, so the moment outside the band shows nothing.
    if (!GetWindow(window_, GW_HWNDPREV) && !TopmostWindowBelowOverlaps(window_))
        SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, flags);
}

bool GDIMagWin::Render(RenderRequest& request) {
    const ViewRect& src = request.source;
    const ViewRect& dst = request.window;
    Frame frame(*this);
    bool result = false;
    // Released when the frame ends in the reverse of this order: the bitmap
    // taken back out of the memory context, that context deleted, then the
    // bitmap, the window's context released and the display's deleted.
    OwnedDC displayDC;
    WindowDC windowDC(window_, GetWindowDC(window_));
    OwnedBitmap bitmap;
    OwnedDC memoryDC;
    if (windowDC) displayDC = OwnedDC(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (displayDC) memoryDC = OwnedDC(CreateCompatibleDC(displayDC.Get()));
    if (memoryDC) bitmap = OwnedBitmap(CreateCompatibleBitmap(displayDC.Get(), src.width, src.height));
    SelectedObject selected(memoryDC.Get(), bitmap.Get());

    if (selected) {
        int mode = g_settings.SmoothImage.Value() ? HALFTONE : COLORONCOLOR;
        if (SetStretchBltMode(windowDC.Get(), mode)) {
            if (HALFTONE == mode) SetBrushOrgEx(windowDC.Get(), 0, 0, nullptr);
            // The error read below must be this capture's, not one left over.
            SetLastError(0);
            if (!CaptureScreen(memoryDC.Get(), displayDC.Get(), ImageOrigin(src), src.width, src.height)) {
                // A secure desktop in front: skip the frame, keep the last image.
                result = GetLastError() == ERROR_ACCESS_DENIED;
            } else {
                DrawOverlays(request, memoryDC.Get());
                // The window stands at the window rectangle: the picture fills
                // its whole area, wherever the virtual screen begins.
                result = StretchBlt(windowDC.Get(), 0, 0, dst.width, dst.height, memoryDC.Get(), 0, 0, src.width,
                                    src.height, SRCCOPY) != FALSE;
            }
        }
    }
    return result;
}

bool GDIMagWin::CaptureScreen(HDC target, HDC display, POINT at, int width, int height) {
    return BitBlt(target, 0, 0, width, height, display, at.x, at.y, SRCCOPY) != FALSE;
}

bool GDIMagWin::OnMouseMove(void*, void*) { return true; }

bool GDIMagWin::OnActivated(void* context, void*) {
    auto* self = static_cast<GDIMagWin*>(context);
    if (self->window_) self->Raise();
    return true;
}

bool GDIMagWin::OnCheckDue(void* context, void* data) {
    auto* self = static_cast<GDIMagWin*>(context);
    const auto* check = static_cast<const Hook::PendingCheck*>(data);
    if (check->kind != Hook::CheckWindowRaise || !self->window_) return true;
    try {
        self->Raise();
        return self->Hub()->ScheduleCheck(Hook::CheckWindowRaise, kRaiseInterval);
    } catch (...) {
        return true;
    }
}

LRESULT CALLBACK GDIMagWin::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window) NullWindowStop();
    // Any process can post these. The output has no menu and no frame and
    // closes only with the magnifier: a stray close or minimise must not take
    // the picture away while the system cursors may be hidden.
    if (message == WM_CLOSE || message == WM_SYSCOMMAND) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}
