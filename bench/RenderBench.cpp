// Render-path benchmark: milliseconds per frame of the GDI output (capture and
// stretch, smoothing on and off) at zoom 2 and 4 over the whole screen, next
// to a baseline of the bare BitBlt + StretchBlt of the same sizes, and their
// ratio. Prints figures; asserts nothing.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/BenchSupport.h"
#include "core/EventDispatcher.h"
#include "magnifier/GDIMagWin.h"
#include "settings/MagSettings.h"
#include "tracking/MagTracker.h"

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

}  // namespace

int main() {
    ScratchSettings settings;

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
            RenderRequest request{src, dst, {0, 0}};
            magwin.Render(request);  // warm-up
            double start = Now();
            for (int i = 0; i < frames; ++i) {
                RenderRequest r{src, dst, {0, 0}};
                magwin.Render(r);
            }
            GdiFlush();
            double render = (Now() - start) / frames;
            double base = Baseline(magwin.GetWindowHandle(), src, dst, smooth ? HALFTONE : COLORONCOLOR, frames);
            std::printf("%-6d %-7s %12.2f %12.2f %7.2f\n", zoom, smooth ? "on" : "off", render, base,
                        base > 0 ? render / base : 0.0);
            Pump();
        }
        magwin.Stop();
    }

    return 0;
}
