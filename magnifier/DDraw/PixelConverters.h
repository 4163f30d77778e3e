#pragma once
// RGB to packed YUV 4:2:2 for an overlay whose format is not the display's:
// one 32-bit word per pair of pixels (YUY2: Y0 U Y1 V; UYVY: U Y0 V Y1).
// Plain computations on memory; rows are addressed through their pitch in
// bytes. A row's last pixel of an odd width has no partner and is neither
// read nor written: width / 2 words a row.
#include <windows.h>

using PixelConverter = void (*)(DWORD* dst, LONG dstPitch, const void* src, int width, int height, LONG srcPitch);

// By arithmetic.
extern const PixelConverter Rgb32ToYuy2;
extern const PixelConverter Rgb32ToUyvy;
extern const PixelConverter Rgb565ToYuy2;
extern const PixelConverter Rgb565ToUyvy;
extern const PixelConverter Rgb555ToYuy2;
extern const PixelConverter Rgb555ToUyvy;

// Through the YuvLookupTable of the source's format; nothing is written when
// there is no table of a matching pixel size.
extern const PixelConverter Rgb32ToYuy2Cached;
extern const PixelConverter Rgb32ToUyvyCached;
extern const PixelConverter Rgb16ToYuy2Cached;
extern const PixelConverter Rgb16ToUyvyCached;

// The converter for a display format and an overlay format (OverlayPixelFormat
// indices); null when there is nothing to convert. The table is used only
// when asked for and built for that display format.
PixelConverter SelectConverter(int displayFormat, int overlayFormat, bool useTable);

// Inverts the colours of a frame in place: RGB32 keeps each word's top byte,
// 16-bit words are complemented whole. False, nothing touched, for any other
// format.
bool InvertPixels(void* bits, LONG pitch, int width, int height, int format);
