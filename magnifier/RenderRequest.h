#pragma once
// One frame to draw: the desktop area to capture (as it was when the frame was
// queued), where the output is when the frame is served, and the pointer
// position the overlays record while they draw.
#include <windows.h>

#include "magnifier/ViewRect.h"

struct RenderRequest {
    ViewRect source;
    ViewRect window;
    POINT cursor;
};
