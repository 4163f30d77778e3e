#pragma once
// Bitmaps whose pixels a test reads back directly.
#include <windows.h>

// A 32-bit DIB section of width x height; bits receives its pixels, rows
// top-down, each 0x00RRGGBB.
inline HBITMAP CreateTopDownDib(HDC dc, int width, int height, DWORD** bits) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(bits), nullptr, 0);
}
