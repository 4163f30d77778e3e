#pragma once
// The system-wide high-contrast switch, through SystemParametersInfoW.
// Replaceable, so that tests can record it: Wine refuses SPI_SETHIGHCONTRAST.
#include <windows.h>

// action is SPI_GETHIGHCONTRAST or SPI_SETHIGHCONTRAST; record->cbSize is set.
using HighContrastCall = BOOL (*)(UINT action, HIGHCONTRASTW* record, UINT flags);

BOOL CallHighContrast(UINT action, HIGHCONTRASTW* record, UINT flags);

// Puts call in place (null: the system again); returns the one it replaces.
HighContrastCall SetHighContrastCall(HighContrastCall call);
