// The tests' variant of kvgui.dll exports one more function: it puts
// recorders in place of the shell, of the high-contrast switch and of the
// tray's notification-area calls, which Wine cannot show (it starts a
// browser helper; it refuses the switch; the shell's icons cannot be read
// back).
#include "framework/AfxShell.h"
#include "panel/HighContrast.h"
#include "panel/NotifyIcon.h"

extern "C" __declspec(dllexport) void kvgui_TestSeams(ShellOpener open, HighContrastCall highContrast,
                                                      NotifyIconCall notifyIcon) {
    AfxSetShellOpener(open);
    SetHighContrastCall(highContrast);
    SetNotifyIconCall(notifyIcon);
}
