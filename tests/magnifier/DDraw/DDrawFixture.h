#pragma once
// Shared by the tests of the overlay manager and the DirectDraw back end:
// settings of their own, Wine's DirectDraw behind the recording wrapper,
// pixels read back from a locked surface, and a pattern to capture.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "magnifier/DDraw/Overlay.h"
#include "magnifier/DDraw/SurfaceLock.h"
#include "magnifier/DDraw/YuvLookupTable.h"
#include "tests/support/FaultyDirectDraw.h"
#include "tests/support/MessagePump.h"
#include "tests/support/Settings.h"
#include "tests/support/ViewChecks.h"

class DDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadSettings(reg_, {{L"UseMemCache", 0},
                            {L"InvertColors", 0},
                            {L"ShowCPUUsage_", 0},
                            {L"HideSysCursor", 0},
                            {L"FullScreen", 0},
                            {L"MagwinSticky", 1}});
    }
    void TearDown() override {
        OverlayManager::Destroy();
        FreeYuvLookupTable();
    }
    // An 8-bit display has a palette, which the overlay path cannot use.
    static bool NoDirectDraw() { return ScreenDepth() < 16; }
    static std::string DisplayFormat() { return ScreenDepth() == 16 ? "RGB565" : "RGB32"; }
    // The overlay hardware takes only `format`.
    void OverlayOnlyIn(const std::string& format) {
        dd_.fault = [format](const std::string& call) -> HRESULT {
            if (call.rfind("CreateSurface overlay ", 0) != 0) return S_OK;
            return call == "CreateSurface overlay " + format ? S_OK : DDERR_NOOVERLAYHW;
        };
    }

    RegistrySandbox reg_;
    FaultyDirectDraw dd_;
};

#define SKIP_WITHOUT_DIRECTDRAW() \
    if (NoDirectDraw()) GTEST_SKIP() << "no overlay output on a display of " << ScreenDepth() << " bits"

using DirectX::SurfaceLock;

// A row, and the colour of a pixel (top byte left out), of a locked 16- or
// 32-bit surface.
inline const BYTE* RowOf(const SurfaceLock& s, int y) {
    return static_cast<const BYTE*>(s.desc().lpSurface) + s.desc().lPitch * y;
}
inline DWORD PixelAt(const SurfaceLock& s, int x, int y) {
    if (s.desc().ddpfPixelFormat.dwRGBBitCount == 16) return reinterpret_cast<const WORD*>(RowOf(s, y))[x];
    return reinterpret_cast<const DWORD*>(RowOf(s, y))[x] & 0xFFFFFF;
}

// A colour as a pixel of the display's format.
inline DWORD RawColour(COLORREF c) {
    if (ScreenDepth() == 16) return (GetRValue(c) >> 3) << 11 | (GetGValue(c) >> 2) << 5 | GetBValue(c) >> 3;
    return static_cast<DWORD>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

// Topmost in the top-left corner of the screen: red on the left half of the
// pattern, white on the right; the pointer, with its image and ring, away.
class PatternWindow {
public:
    static constexpr int kWidth = 160;
    static constexpr int kHeight = 64;
    PatternWindow() {
        Half(L"KOVAXTestRed", RGB(255, 0, 0), 0);
        Half(L"KOVAXTestWhite", RGB(255, 255, 255), kWidth / 2);
        PointerAt(1000, 900);
        PumpFor(300);
    }
    ~PatternWindow() {
        for (HWND w : windows_) DestroyWindow(w);
        Pump();
        UnregisterClassW(L"KOVAXTestRed", GetModuleHandleW(nullptr));
        UnregisterClassW(L"KOVAXTestWhite", GetModuleHandleW(nullptr));
        for (HBRUSH b : brushes_) DeleteObject(b);
    }
    PatternWindow(const PatternWindow&) = delete;
    PatternWindow& operator=(const PatternWindow&) = delete;

private:
    void Half(const wchar_t* name, COLORREF colour, int x) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = brushes_[x ? 1 : 0] = CreateSolidBrush(colour);
        wc.lpszClassName = name;
        RegisterClassExW(&wc);
        windows_[x ? 1 : 0] = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, name, L"", WS_POPUP | WS_VISIBLE, x, 0,
                                              kWidth / 2, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    }

    HWND windows_[2] = {};
    HBRUSH brushes_[2] = {};
};
