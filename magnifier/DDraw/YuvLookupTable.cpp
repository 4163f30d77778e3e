#include "magnifier/DDraw/YuvLookupTable.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "magnifier/DDraw/PixelFormat.h"
#include "magnifier/DDraw/YuvFormulas.h"

YuvLookupTable g_yuvLookupTable;
void* (*g_yuvTableAllocate)(size_t bytes) = std::malloc;

namespace {

struct TableShape {
    size_t bytes;
    int redCount, greenCount, blueCount;  // component values, outer to inner
    int redScale, greenScale, blueScale;  // what each component is taken as
    uint32_t indexMask;
};

bool ShapeOf(int format, TableShape& shape) {
    switch (format) {
        case kFormatRgb32:
            shape = {0x3000000, 256, 256, 256, 1, 1, 1, 0xFFFFFF};
            return true;
        case kFormatRgb565:
            shape = {0x30000, 32, 64, 32, 8, 4, 8, 0xFFFF};
            return true;
        case kFormatRgb555:
            // The spare top bit plays no part: 15 bits index the table.
            shape = {0x30000, 32, 32, 32, 8, 8, 8, 0x7FFF};
            return true;
        default:
            return false;
    }
}

uint8_t Clamp(int value, int low, int high) {
    return static_cast<uint8_t>(std::min(std::max(value, low), high));
}

}  // namespace

void FreeYuvLookupTable() {
    std::free(g_yuvLookupTable.entries);
    g_yuvLookupTable = YuvLookupTable();
}

bool BuildYuvLookupTable(int format) {
    FreeYuvLookupTable();
    TableShape shape{};
    if (!ShapeOf(format, shape)) return true;
    auto* entries = static_cast<uint8_t*>(g_yuvTableAllocate(shape.bytes));
    if (!entries) return false;
    if (format == kFormatRgb555) std::memset(entries, 0, shape.bytes);

    // Entries in index order: R outermost, B innermost.
    uint8_t* out = entries;
    for (int r = 0; r < shape.redCount; ++r) {
        const int rv = r * shape.redScale;
        for (int g = 0; g < shape.greenCount; ++g) {
            const int gv = g * shape.greenScale;
            for (int b = 0; b < shape.blueCount; ++b) {
                const int bv = b * shape.blueScale;
                *out++ = Clamp(Yuv::Luma(rv, gv, bv), 16, 235);
                *out++ = Clamp(Yuv::ChromaU(rv, gv, bv) + 128, 16, 240);
                *out++ = Clamp(Yuv::ChromaV(rv, gv, bv) + 128, 16, 240);
            }
        }
    }
    g_yuvLookupTable.entries = entries;
    g_yuvLookupTable.format = format;
    g_yuvLookupTable.indexMask = shape.indexMask;
    return true;
}

const uint8_t* YuvLookupTableFor(int format) {
    return g_yuvLookupTable.format == format ? g_yuvLookupTable.entries : nullptr;
}
