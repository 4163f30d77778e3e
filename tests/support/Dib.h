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

// A 32-bit top-down DIB selected into a memory DC, for drawing into and
// reading pixels back as COLORREFs.
class Dib {
public:
    Dib(int width, int height, COLORREF fill = RGB(255, 255, 255));
    ~Dib();
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;

    HDC dc() const { return dc_; }
    // The pixel at (x, y); the top byte that GDI+ writes is ignored.
    COLORREF At(int x, int y) const;
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    DWORD* bits_ = nullptr;
};
