#pragma once
// The program's run from start-up to shut-down, as the entry function calls
// it: builds the long-lived objects in order, runs the hub's message loop and
// tears everything down in reverse. Returns the exit code (always 0).
int RunMagnifier();

class MagWin;
namespace Hook {
class EventDispatcher;
}

// The output the settings ask for: the DirectDraw overlay when
// HardwareAccelerate is set and it can be built; otherwise, after the user
// agreed to software mode, or when the setting is 0, the GDI window. Null
// when the user declined.
MagWin* CreateOutput(Hook::EventDispatcher* hub);
