// The program's entry: builds the long-lived objects in order, runs the hub's
// message loop and tears everything down in reverse.
#include <windows.h>

#include "core/CpuUsageMeter.h"
#include "core/CrashGuard.h"
#include "core/EventDispatcher.h"
#include "magnifier/GDIMagWin.h"
#include "settings/MagSettings.h"
#include "tracking/MagTracker.h"

HINSTANCE g_instance = nullptr;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    // Cursors left replaced by a run that died are put back first.
    RestoreSystemCursors();
    InstallCrashHandlers();
    g_cpuUsageMeter = new CpuUsageMeter();
    g_instance = GetModuleHandleW(nullptr);

    auto* hub = new Hook::EventDispatcher();
    MagWin* magwin = new GDIMagWin(hub);
    auto* tracker = new MagTracker(hub, magwin);

    if (magwin->Start(tracker)) {
        hub->RunMessageLoop();
        RestoreSystemCursors();
        magwin->Stop();
    }

    delete tracker;
    delete magwin;
    delete hub;
    delete g_cpuUsageMeter;
    g_cpuUsageMeter = nullptr;
    return 0;
}
