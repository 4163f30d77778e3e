// Pixel-conversion benchmark: milliseconds per frame of each converter, of
// the colour inversion and of the lookup-table build, for desktop-like frames
// (flat areas and text) and frames of random pixels at three sizes, next to a
// memcpy of the same source bytes in the same run, and the ratio. Prints
// figures; asserts nothing.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/BenchSupport.h"
#include "magnifier/DDraw/PixelConverters.h"
#include "magnifier/DDraw/PixelFormat.h"
#include "magnifier/DDraw/YuvLookupTable.h"
#include "tests/support/Dib.h"

namespace {

struct Size {
    int width, height;
};

// A desktop: a grey background, two windows with title bars, lines of text.
std::vector<uint32_t> DesktopFrame(int width, int height) {
    std::vector<uint32_t> frame(static_cast<size_t>(width) * height);
    DWORD* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateTopDownDib(dc, width, height, &bits);
    HGDIOBJ old = SelectObject(dc, bitmap);
    auto fill = [dc](int l, int t, int r, int b, COLORREF colour) {
        HBRUSH brush = CreateSolidBrush(colour);
        RECT rect{l, t, r, b};
        FillRect(dc, &rect, brush);
        DeleteObject(brush);
    };
    fill(0, 0, width, height, RGB(58, 110, 165));
    const int windows[2][4] = {{width / 20, height / 20, width * 6 / 10, height * 8 / 10},
                               {width / 2, height / 4, width * 19 / 20, height * 19 / 20}};
    SetBkMode(dc, TRANSPARENT);
    for (const auto& w : windows) {
        fill(w[0], w[1], w[2], w[3], RGB(255, 255, 255));
        fill(w[0], w[1], w[2], w[1] + 22, RGB(0, 84, 227));
        for (int y = w[1] + 30; y + 16 < w[3]; y += 16) {
            const wchar_t line[] = L"The quick brown fox jumps over the lazy dog 0123456789 (text of a document)";
            TextOutW(dc, w[0] + 6, y, line, static_cast<int>(wcslen(line)));
        }
    }
    GdiFlush();
    std::memcpy(frame.data(), bits, frame.size() * 4);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return frame;
}

std::vector<uint32_t> RandomFrame(int width, int height) {
    std::vector<uint32_t> frame(static_cast<size_t>(width) * height);
    uint32_t state = 12345;
    for (uint32_t& p : frame) {
        state = state * 1664525u + 1013904223u;
        p = state;
    }
    return frame;
}

// The same picture in a 16-bit display format.
std::vector<uint16_t> To16(const std::vector<uint32_t>& frame, int format) {
    std::vector<uint16_t> out(frame.size());
    for (size_t i = 0; i < frame.size(); ++i) {
        uint32_t p = frame[i];
        uint32_t r = (p >> 19) & 31, g = (p >> 8) & 0xFF, b = (p >> 3) & 31;
        out[i] = static_cast<uint16_t>(format == kFormatRgb565 ? (r << 11 | (g >> 2) << 5 | b)
                                                               : ((p >> 24 & 1) << 15 | r << 10 | (g >> 3) << 5 | b));
    }
    return out;
}

template <class Work>
double MsPerFrame(int frames, Work work) {
    work();  // warm-up
    double start = Now();
    for (int i = 0; i < frames; ++i) work();
    return (Now() - start) / frames;
}

struct Op {
    const char* name;
    int format;
    PixelConverter convert;  // null: the inversion
    bool table;
};

const Op kOps[] = {
    {"Rgb32ToYuy2", kFormatRgb32, Rgb32ToYuy2, false},
    {"Rgb32ToUyvy", kFormatRgb32, Rgb32ToUyvy, false},
    {"Rgb32ToYuy2Cached", kFormatRgb32, Rgb32ToYuy2Cached, true},
    {"Rgb32ToUyvyCached", kFormatRgb32, Rgb32ToUyvyCached, true},
    {"invert RGB32", kFormatRgb32, nullptr, false},
    {"Rgb565ToYuy2", kFormatRgb565, Rgb565ToYuy2, false},
    {"Rgb565ToUyvy", kFormatRgb565, Rgb565ToUyvy, false},
    {"Rgb16ToYuy2Cached 565", kFormatRgb565, Rgb16ToYuy2Cached, true},
    {"Rgb16ToUyvyCached 565", kFormatRgb565, Rgb16ToUyvyCached, true},
    {"invert RGB565", kFormatRgb565, nullptr, false},
    {"Rgb555ToYuy2", kFormatRgb555, Rgb555ToYuy2, false},
    {"Rgb555ToUyvy", kFormatRgb555, Rgb555ToUyvy, false},
    {"Rgb16ToYuy2Cached 555", kFormatRgb555, Rgb16ToYuy2Cached, true},
    {"Rgb16ToUyvyCached 555", kFormatRgb555, Rgb16ToUyvyCached, true},
    {"invert RGB555", kFormatRgb555, nullptr, false},
};

}  // namespace

int main() {
    const Size sizes[] = {{1920, 1080}, {960, 540}, {480, 270}};
    std::printf("%-10s %-8s %-22s %10s %10s %7s\n", "size", "content", "operation", "ms/frame", "memcpy ms", "ratio");
    for (const Size& size : sizes) {
        const int pixels = size.width * size.height;
        const int frames = 100000000 / pixels + 5;
        for (int random = 0; random < 2; ++random) {
            std::vector<uint32_t> rgb32 =
                random ? RandomFrame(size.width, size.height) : DesktopFrame(size.width, size.height);
            std::vector<uint16_t> rgb565 = To16(rgb32, kFormatRgb565);
            std::vector<uint16_t> rgb555 = To16(rgb32, kFormatRgb555);
            std::vector<uint8_t> copy(static_cast<size_t>(pixels) * 4);
            std::vector<DWORD> out(static_cast<size_t>(pixels) / 2);
            const LONG dstPitch = size.width / 2 * 4;
            int built = kFormatNone;
            for (const Op& op : kOps) {
                void* src = op.format == kFormatRgb32    ? static_cast<void*>(rgb32.data())
                            : op.format == kFormatRgb565 ? static_cast<void*>(rgb565.data())
                                                         : static_cast<void*>(rgb555.data());
                const int bytes = BytesPerPixel(op.format);
                const size_t frameBytes = static_cast<size_t>(pixels) * bytes;
                const LONG srcPitch = size.width * bytes;
                if (op.table && built != op.format) {
                    BuildYuvLookupTable(op.format);
                    built = op.format;
                }
                double baseline = MsPerFrame(frames, [&] { std::memcpy(copy.data(), src, frameBytes); });
                double ms =
                    op.convert
                        ? MsPerFrame(frames,
                                     [&] { op.convert(out.data(), dstPitch, src, size.width, size.height, srcPitch); })
                        : MsPerFrame(frames, [&] { InvertPixels(src, srcPitch, size.width, size.height, op.format); });
                std::printf("%4dx%-5d %-8s %-22s %10.3f %10.3f %7.2f\n", size.width, size.height,
                            random ? "random" : "desktop", op.name, ms, baseline, ms / baseline);
            }
        }
    }

    std::printf("\n%-22s %10s\n", "table build", "ms");
    for (int format : {kFormatRgb32, kFormatRgb565, kFormatRgb555}) {
        double ms = MsPerFrame(3, [format] { BuildYuvLookupTable(format); });
        std::printf("%-22s %10.3f\n",
                    format == kFormatRgb32    ? "RGB32 (48 MiB)"
                    : format == kFormatRgb565 ? "RGB565"
                                              : "RGB555",
                    ms);
    }
    FreeYuvLookupTable();
    return 0;
}
