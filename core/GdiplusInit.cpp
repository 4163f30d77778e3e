// GDI+ is started during static initialisation, after the settings and before
// the highlight objects, and shut down at exit after they are gone.
#include <windows.h>

#include <cstdlib>

#include "settings/StaticInitOrder.h"

// The flat GDI+ start-up API, declared here so that this file needs none of
// the C++ GDI+ headers.
namespace {

struct GdiplusStartupInput {
    UINT32 GdiplusVersion;
    void* DebugEventCallback;
    BOOL SuppressBackgroundThread;
    BOOL SuppressExternalCodecs;
};

}  // namespace

extern "C" int WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* output);
extern "C" void WINAPI GdiplusShutdown(ULONG_PTR token);

namespace {

ULONG_PTR g_gdiplusToken = 0;
GdiplusStartupInput g_gdiplusInput = {};

void ShutdownGdiplus() { GdiplusShutdown(g_gdiplusToken); }

struct InitGdiplus {
    InitGdiplus() {
        static bool started = false;
        if (started) return;
        started = true;
        g_gdiplusInput = {1, nullptr, FALSE, FALSE};
        // A failed start is not fatal: painting with GDI+ then simply fails.
        GdiplusStartup(&g_gdiplusToken, &g_gdiplusInput, nullptr);
        atexit(ShutdownGdiplus);
    }
} g_initGdiplus KV_INIT_PRIORITY(KV_INIT_GDIPLUS);

}  // namespace
