#pragma once
// The program's run from start-up to shut-down, as the entry function calls
// it: builds the long-lived objects in order, runs the hub's message loop and
// tears everything down in reverse. Returns the exit code: 0 after a run (or
// when the user declined software mode), 2 when it cannot run here (the
// output cannot be opened on this display, or the hook library cannot be
// bound), after telling the user which. The system cursors go through
// cursors.
#include "magnifier/CursorSystem.h"

int RunMagnifier(CursorSystem& cursors = RealCursorSystem());

class MagWin;
namespace Hook {
class EventDispatcher;
}

// The output the settings ask for: the DirectDraw overlay when
// HardwareAccelerate is set and it can be built; otherwise, after the user
// agreed to software mode, or when the setting is 0, the GDI window. Null
// when the user declined.
MagWin* CreateOutput(Hook::EventDispatcher* hub);
