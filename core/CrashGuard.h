#pragma once
// Every way the process can die puts the user's system cursors back first: a
// fatal stop, an access violation (the unhandled-exception filter) and an
// uncaught C++ exception (std::terminate, which the filter never sees).
#include <windows.h>

// Reloads the system cursors from the user's settings. Safe anywhere: no heap,
// no locks. False when the system refused.
BOOL RestoreSystemCursors();

// Called after every reload when set: lets a test program see the reloads,
// which some systems accept without any visible effect.
extern void (*g_cursorReloadProbe)();

// Restores the cursors and ends the process at once with exit code 1, without
// exit handlers.
[[noreturn]] void FatalExit();

// The unhandled-exception filter: restores the cursors and lets the process end.
LONG WINAPI RestoreCursorsOnCrash(EXCEPTION_POINTERS* info);

// Installs RestoreCursorsOnCrash and a terminate handler that restores the
// cursors before the process ends.
void InstallCrashHandlers();

// Shows the "hwnd is NULL!" stop and ends the process (a window procedure
// called without a window). The cursors come back before the box: the user
// must be able to point at its button.
[[noreturn]] void NullWindowStop();
