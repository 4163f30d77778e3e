#pragma once
// The style of one highlight, seven numbers as the registry holds them,
// unchecked. Colours are COLORREF (0x00BBGGRR), opacity 0..255.
#include <windows.h>

struct HilightStyle {
    DWORD style;
    DWORD primaryColor;
    DWORD secondColor;
    DWORD width;
    DWORD borderWidth;
    DWORD opacity;
    DWORD gapWidth;
};
