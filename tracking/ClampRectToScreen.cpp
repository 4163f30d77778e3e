#include "tracking/ClampRectToScreen.h"

#include <windows.h>

bool ClampRectToScreen(ViewRect& rect) {
    ScreenSize size{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (size.cx == 0 || size.cy == 0) return false;
    return ClampRectToScreen(rect, size);
}

bool ClampRectToScreen(ViewRect& rect, ScreenSize size) {
    // Right and bottom edges in 64 bits: foreign rectangles may be huge.
    if (rect.x < 0) {
        rect.x = 0;
    } else if (static_cast<long long>(rect.x) + rect.width - 1 >= size.cx) {
        rect.x = size.cx - rect.width;
    }
    if (rect.y < 0) {
        rect.y = 0;
    } else if (static_cast<long long>(rect.y) + rect.height - 1 >= size.cy) {
        rect.y = size.cy - rect.height;
    }
    return true;
}
