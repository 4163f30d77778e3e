#include "tests/support/Dib.h"

Dib::Dib(int width, int height, COLORREF fill) : width_(width), height_(height) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<DWORD*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
    DWORD value = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
    for (int i = 0; i < width * height; ++i) bits_[i] = value;
}

Dib::~Dib() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

COLORREF Dib::At(int x, int y) const {
    GdiFlush();
    DWORD v = bits_[static_cast<size_t>(y) * width_ + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}
