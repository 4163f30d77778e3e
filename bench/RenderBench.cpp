// Render-path benchmark: milliseconds per frame of the GDI output (capture and
// stretch, smoothing on and off) at zoom 2 and 4 over the whole screen, next
// to a baseline of the bare BitBlt + StretchBlt of the same sizes, and their
// ratio; then, at zoom 2 without smoothing, frames without highlight marks
// against frames with all three (and with all three at their length bounds
// around far-reaching targets); then whole frames as the render thread serves
// them, in full screen and in a window that follows the view, with how often
// a frame asks the system where the virtual screen begins. Prints figures;
// asserts nothing.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

#include "bench/BenchSupport.h"
#include "core/EventDispatcher.h"
#include "magnifier/GDIMagWin.h"
#include "settings/MagSettings.h"
#include "tracking/MagTracker.h"
#include "tracking/highlight/HilightLimits.h"

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// The same work without the magnifier around it: DCs made once, one capture
// and one stretch per frame.
double Baseline(HWND window, const ViewRect& src, const ViewRect& dst, int mode, int frames) {
    HDC windowDC = GetWindowDC(window);
    HDC screenDC = GetDC(nullptr);
    HDC memoryDC = CreateCompatibleDC(screenDC);
    HBITMAP bitmap = CreateCompatibleBitmap(screenDC, src.width, src.height);
    HGDIOBJ old = SelectObject(memoryDC, bitmap);
    SetStretchBltMode(windowDC, mode);
    double start = Now();
    for (int i = 0; i < frames; ++i) {
        BitBlt(memoryDC, 0, 0, src.width, src.height, screenDC, src.x, src.y, SRCCOPY);
        StretchBlt(windowDC, 0, 0, dst.width, dst.height, memoryDC, 0, 0, src.width, src.height, SRCCOPY);
    }
    GdiFlush();
    double perFrame = (Now() - start) / frames;
    SelectObject(memoryDC, old);
    DeleteObject(bitmap);
    DeleteDC(memoryDC);
    ReleaseDC(nullptr, screenDC);
    ReleaseDC(window, windowDC);
    return perFrame;
}

double RenderMs(GDIMagWin& magwin, const ViewRect& src, const ViewRect& dst, int frames) {
    RenderRequest warm{src, dst, {0, 0}};
    magwin.Render(warm);
    double start = Now();
    for (int i = 0; i < frames; ++i) {
        RenderRequest r{src, dst, {0, 0}};
        magwin.Render(r);
    }
    GdiFlush();
    return (Now() - start) / frames;
}

void ShowMarks(DWORD show) {
    g_settings.HilightCursorShow.Assign(show);
    g_settings.HilightFocusShow.Assign(show);
    g_settings.HilightCaretShow.Assign(show);
}

// Frames without marks and with all three, alternating so that both see the
// same load; the lowest of the rounds counts.
void MarkRows(int cx, int cy, int frames) {
    g_settings.ZoomLevel_10.Assign(20);
    g_settings.SmoothImage.Assign(0);
    Hook::EventDispatcher hub;
    GDIMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    if (!magwin.Start(&tracker)) return;
    Pump();
    ViewRect src{0, 0, cx / 2, cy / 2};
    ViewRect dst = magwin.WindowRect();
    SetCursorPos(src.width / 2, src.height / 2);
    magwin.SetFocusRect({100, 100, 400, 130});
    magwin.SetCaretRect({300, 105, 302, 125});

    HilightStyle bound = {
        1, 0xFF, 0xFF00, Hilight::kMaxHilightLength, Hilight::kMaxHilightLength, 150, Hilight::kMaxHilightLength};
    double none = 1e9, marks = 1e9, extreme = 1e9;
    for (int round = 0; round < 5; ++round) {
        ShowMarks(0);
        none = std::min(none, RenderMs(magwin, src, dst, frames));
        ShowMarks(1);
        magwin.ConfigureHilights(g_settings.HilightCursorStyle, g_settings.HilightFocusStyle,
                                 g_settings.HilightCaretStyle);
        marks = std::min(marks, RenderMs(magwin, src, dst, frames));
        magwin.ConfigureHilights(bound, bound, bound);
        magwin.SetFocusRect({-100000000, -100000000, 100000000, 100000000});
        extreme = std::min(extreme, RenderMs(magwin, src, dst, frames));
        magwin.SetFocusRect({100, 100, 400, 130});
        Pump();
    }
    magwin.Stop();
    std::printf("\nmarks at zoom 2, smoothing off (best of 5 rounds)\n");
    std::printf("%-28s %10s %7s\n", "frame", "ms", "ratio");
    std::printf("%-28s %10.2f %7.2f\n", "no marks", none, 1.0);
    std::printf("%-28s %10.2f %7.2f\n", "ring, focus frame, caret", marks, marks / none);
    std::printf("%-28s %10.2f %7.2f\n", "all at their bounds", extreme, extreme / none);
}

// The GDI output that signals each frame it has drawn and counts the asks
// for the virtual screen's origin (each one still goes to the system).
class ServedOutput : public GDIMagWin {
public:
    explicit ServedOutput(Hook::EventDispatcher* hub) : GDIMagWin(hub) {
        drawn_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    }
    // Stopped here, while the overrides the render thread calls still exist.
    ~ServedOutput() override {
        Stop();
        CloseHandle(drawn_);
    }
    bool Render(RenderRequest& request) override {
        bool drawn = GDIMagWin::Render(request);
        SetEvent(drawn_);
        return drawn;
    }
    POINT VirtualOrigin() const override {
        ++asks;
        return GDIMagWin::VirtualOrigin();
    }
    // Waits for the next drawn frame, carrying out the window moves that the
    // render thread posts to this thread meanwhile.
    bool WaitDrawn() {
        for (;;) {
            DWORD r = MsgWaitForMultipleObjects(1, &drawn_, FALSE, 5000, QS_ALLINPUT);
            if (r == WAIT_OBJECT_0) return true;
            if (r != WAIT_OBJECT_0 + 1) return false;
            Pump();
        }
    }

    mutable std::atomic<long> asks{0};

private:
    HANDLE drawn_ = nullptr;
};

// Milliseconds per frame queued and drawn one at a time, each source a
// little away from the one before (the window moves along when it follows),
// and the origin asks per frame; the lowest of the rounds counts.
void ServedRow(const char* name, DWORD fullScreen, int cx, int cy, int frames) {
    g_settings.FullScreen.Assign(fullScreen);
    g_settings.MagwinSticky.Assign(0);
    Hook::EventDispatcher hub;
    ServedOutput magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    if (!magwin.Start(&tracker)) return;
    Pump();
    ViewRect src = magwin.SourceRect();
    double best = 1e9;
    double asks = 0;
    for (int round = 0; round < 5; ++round) {
        long asked = magwin.asks;
        double start = Now();
        for (int i = 0; i < frames; ++i) {
            ViewRect at{(cx - src.width) / 2 + (i % 2 ? 40 : -40), (cy - src.height) / 2, src.width, src.height};
            if (!magwin.QueueRequest(at, magwin.WindowRect()) || !magwin.WaitDrawn()) return;
        }
        double perFrame = (Now() - start) / frames;
        if (perFrame < best) {
            best = perFrame;
            asks = static_cast<double>(magwin.asks - asked) / frames;
        }
    }
    magwin.Stop();
    std::printf("%-28s %10.2f %12.1f\n", name, best, asks);
}

void ServedRows(int cx, int cy, int frames) {
    g_settings.ZoomLevel_10.Assign(20);
    g_settings.SmoothImage.Assign(0);
    const int asks = 200;
    double start = Now();
    for (int i = 0; i < asks; ++i) {
        GetSystemMetrics(SM_XVIRTUALSCREEN);
        GetSystemMetrics(SM_YVIRTUALSCREEN);
    }
    std::printf("\none ask for the virtual screen's origin: %.3f ms\n", (Now() - start) / asks);
    std::printf("frames served by the render thread at zoom 2, smoothing off (best of 5 rounds)\n");
    std::printf("%-28s %10s %12s\n", "output", "ms", "origin asks");
    ServedRow("full screen", 1, cx, cy, frames);
    ServedRow("window following the view", 0, cx, cy, frames);
    g_settings.FullScreen.Assign(1);
}

}  // namespace

int main() {
    ScratchSettings settings;
    // The rows below compare the capture and stretch alone.
    ShowMarks(0);

    int cx = GetSystemMetrics(SM_CXSCREEN);
    int cy = GetSystemMetrics(SM_CYSCREEN);
    std::printf("screen %dx%d\n", cx, cy);
    std::printf("%-6s %-7s %12s %12s %7s\n", "zoom", "smooth", "render ms", "baseline ms", "ratio");

    const int frames = 40;
    for (int zoom : {2, 4}) {
        g_settings.ZoomLevel_10.Assign(static_cast<DWORD>(zoom * 10));
        Hook::EventDispatcher hub;
        GDIMagWin magwin(&hub);
        MagTracker tracker(&hub, &magwin);
        if (!magwin.Start(&tracker)) {
            std::printf("cannot open the output\n");
            return 1;
        }
        Pump();
        ViewRect src{0, 0, cx / zoom, cy / zoom};
        ViewRect dst = magwin.WindowRect();
        for (DWORD smooth : {1u, 0u}) {
            g_settings.SmoothImage.Assign(smooth);
            double render = RenderMs(magwin, src, dst, frames);
            double base = Baseline(magwin.GetWindowHandle(), src, dst, smooth ? HALFTONE : COLORONCOLOR, frames);
            std::printf("%-6d %-7s %12.2f %12.2f %7.2f\n", zoom, smooth ? "on" : "off", render, base,
                        base > 0 ? render / base : 0.0);
            Pump();
        }
        magwin.Stop();
    }

    MarkRows(cx, cy, frames);
    ServedRows(cx, cy, frames);
    return 0;
}
