#pragma once
// The precomputed Y, U, V of every pixel value of one display format, three
// bytes an entry: 48 MiB for RGB32, 192 KiB for the 16-bit formats. One per
// process, built and freed by the render thread only. It records the format
// it was built for, so that a display whose format changed under it is never
// looked up in a table of another size.
#include <cstddef>
#include <cstdint>

#include "magnifier/DDraw/PixelFormat.h"

struct YuvLookupTable {
    uint8_t* entries = nullptr;
    int format = kFormatNone;  // the format it was built for
    uint32_t indexMask = 0;    // the bits of a pixel word that index it
};

extern YuvLookupTable g_yuvLookupTable;

// Frees any table, then builds one for a display format (0 to 2). False,
// with no table, when the memory cannot be had; true and nothing built for
// any other index.
bool BuildYuvLookupTable(int format);
void FreeYuvLookupTable();

// The entries when the table exists and was built for format, else null.
const uint8_t* YuvLookupTableFor(int format);

// Where the table's memory comes from; a test puts a failing one here.
extern void* (*g_yuvTableAllocate)(size_t bytes);
