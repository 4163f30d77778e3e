#include "magnifier/DDraw/PixelFormat.h"

namespace {

struct FormatRow {
    DWORD flags;
    DWORD fourCC;
    DWORD bitCount;
    DWORD red, green, blue;
};

const FormatRow kFormats[] = {
    {DDPF_RGB, 0, 32, 0xFF0000, 0xFF00, 0xFF},
    {DDPF_RGB, 0, 16, 0xF800, 0x7E0, 0x1F},
    {DDPF_RGB, 0, 16, 0x7C00, 0x3E0, 0x1F},
    {DDPF_FOURCC, MAKEFOURCC('U', 'Y', 'V', 'Y'), 0, 0, 0, 0},
    {DDPF_FOURCC, MAKEFOURCC('Y', 'U', 'Y', '2'), 0, 0, 0, 0},
};

}  // namespace

DDPIXELFORMAT PixelFormatRecord(int format) {
    DDPIXELFORMAT record = {};
    record.dwSize = sizeof(record);
    if (format < 0 || format >= kFormatNone) return record;
    const FormatRow& row = kFormats[format];
    record.dwFlags = row.flags;
    record.dwFourCC = row.fourCC;
    record.dwRGBBitCount = row.bitCount;
    record.dwRBitMask = row.red;
    record.dwGBitMask = row.green;
    record.dwBBitMask = row.blue;
    return record;
}

int DisplayFormatOf(const DDPIXELFORMAT& record) {
    if (record.dwFourCC != 0 || !(record.dwFlags & DDPF_RGB)) return kFormatNone;
    if (record.dwRGBBitCount == 32) return kFormatRgb32;
    if (record.dwRGBBitCount == 16) {
        if (record.dwGBitMask == 0x7E0) return kFormatRgb565;
        if (record.dwGBitMask == 0x3E0) return kFormatRgb555;
    }
    return kFormatNone;
}

int BytesPerPixel(int format) {
    switch (format) {
        case kFormatRgb32:
            return 4;
        case kFormatRgb565:
        case kFormatRgb555:
            return 2;
        default:
            return 0;
    }
}
