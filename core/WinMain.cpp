// The program's entry. Command line and show state play no part.
#include <windows.h>

#include "core/Application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return RunMagnifier(); }
