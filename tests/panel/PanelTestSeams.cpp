// The tests' variant of kvgui.dll exports one more function: it puts
// recorders in place of the shell and of the high-contrast switch, which
// Wine cannot show (it starts a browser helper; it refuses the switch).
#include "framework/AfxShell.h"
#include "panel/HighContrast.h"

extern "C" __declspec(dllexport) void kvgui_TestSeams(ShellOpener open, HighContrastCall highContrast) {
    AfxSetShellOpener(open);
    SetHighContrastCall(highContrast);
}
