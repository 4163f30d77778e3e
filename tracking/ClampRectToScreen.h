#pragma once
// Moves a rectangle into a screen area of the given size (the primary screen
// when none is given) without changing its size.
#include "magnifier/ViewRect.h"

struct ScreenSize {
    int cx;
    int cy;
};

bool ClampRectToScreen(ViewRect& rect);
bool ClampRectToScreen(ViewRect& rect, ScreenSize size);
