#pragma once
// The module whose resources the framework loads: the program or the DLL that
// this static library is linked into. Each module carries its own copy of the
// framework, so a DLL's dialogs, menus, icons and strings always come from the
// DLL itself, on whichever thread and from whichever caller.
#include <windows.h>

HINSTANCE AfxGetResourceHandle();
HINSTANCE AfxGetInstanceHandle();
