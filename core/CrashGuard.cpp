#include "core/CrashGuard.h"

#include <cstdlib>
#include <exception>

void (*g_cursorReloadProbe)() = nullptr;

BOOL RestoreSystemCursors() {
    BOOL reloaded = SystemParametersInfoW(SPI_SETCURSORS, 0, nullptr, 0);
    if (g_cursorReloadProbe) g_cursorReloadProbe();
    return reloaded;
}

void FatalExit() {
    RestoreSystemCursors();
    _exit(1);
}

LONG WINAPI RestoreCursorsOnCrash(EXCEPTION_POINTERS*) {
    RestoreSystemCursors();
    return EXCEPTION_EXECUTE_HANDLER;
}

namespace {
[[noreturn]] void RestoreCursorsOnTerminate() {
    RestoreSystemCursors();
    _exit(3);
}
}  // namespace

void InstallCrashHandlers() {
    SetUnhandledExceptionFilter(RestoreCursorsOnCrash);
    std::set_terminate(RestoreCursorsOnTerminate);
}

void NullWindowStop() {
    RestoreSystemCursors();
    MessageBoxW(nullptr, L"hwnd is NULL!", L"KOVAX", MB_ICONHAND | MB_SYSTEMMODAL);
    FatalExit();
}
