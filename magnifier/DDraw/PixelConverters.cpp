#include "magnifier/DDraw/PixelConverters.h"

#include <emmintrin.h>

#include <cstdint>
#include <type_traits>

#include "magnifier/DDraw/PixelFormat.h"
#include "magnifier/DDraw/YuvFormulas.h"
#include "magnifier/DDraw/YuvLookupTable.h"

namespace {

enum class Source { Rgb32, Rgb565, Rgb555 };
enum class Order { Yuy2, Uyvy };

template <Source S>
using Pixel = typename std::conditional<S == Source::Rgb32, uint32_t, uint16_t>::type;

// The components of one pixel as the formulas take them.
template <Source S>
inline void Components(uint32_t p, int& r, int& g, int& b) {
    if (S == Source::Rgb32) {
        r = (p >> 16) & 0xFF;
        g = (p >> 8) & 0xFF;
        b = p & 0xFF;
    } else if (S == Source::Rgb565) {
        r = ((p >> 11) & 0x1F) << 3;
        g = ((p >> 5) & 0x3F) << 2;
        b = (p & 0x1F) << 3;
    } else {
        r = ((p >> 10) & 0x1F) << 3;
        g = ((p >> 5) & 0x1F) << 3;
        b = (p & 0x1F) << 3;
    }
}

template <Order O>
inline uint32_t Pack(uint32_t y0, uint32_t y1, uint32_t u, uint32_t v) {
    return O == Order::Yuy2 ? (y0 | u << 8 | y1 << 16 | v << 24) : (u | y0 << 8 | v << 16 | y1 << 24);
}

inline const uint8_t* Row(const void* base, LONG pitch, int row) {
    return static_cast<const uint8_t*>(base) + static_cast<ptrdiff_t>(pitch) * row;
}

inline DWORD* Row(DWORD* base, LONG pitch, int row) {
    return reinterpret_cast<DWORD*>(reinterpret_cast<uint8_t*>(base) + static_cast<ptrdiff_t>(pitch) * row);
}

// The vector loops work on eight pixels at a time and give exactly what the
// formulas give: every sum fits its 32-bit lane, and each formula's rounding
// and offsets are folded into one constant, so that one logical shift
// finishes it (Y: 128 + 16 x 256; U and V: 128 + 128 x 256, giving U + 128
// and V + 128, never negative).

// Four words from the Y, U + 128 and V + 128 of eight pixels in 16-bit lanes.
template <Order O>
inline __m128i PackWords(__m128i y, __m128i u, __m128i v) {
    // The pair's chroma: the two values summed in each 32-bit lane, halved.
    const __m128i ones = _mm_set1_epi16(1);
    __m128i pairU = _mm_srli_epi32(_mm_madd_epi16(u, ones), 1);
    __m128i pairV = _mm_srli_epi32(_mm_madd_epi16(v, ones), 1);
    // y holds the first pixel's Y in the low and the second's in the high
    // half of each 32-bit lane.
    if (O == Order::Yuy2) return _mm_or_si128(y, _mm_or_si128(_mm_slli_epi32(pairU, 8), _mm_slli_epi32(pairV, 24)));
    return _mm_or_si128(_mm_slli_epi16(y, 8), _mm_or_si128(pairU, _mm_slli_epi32(pairV, 16)));
}

// Four pixels to Y, U + 128 and V + 128 in 32-bit lanes, by multiply-adds on
// the 16-bit pairs (B, R) and (G, 2) of each pixel, components as the
// formulas take them; the 2 carries the constants (2112 x 2, 16448 x 2).
inline void Yuv4(__m128i br, __m128i g2, __m128i& y, __m128i& u, __m128i& v) {
    auto pair = [](int low, int high) { return _mm_set1_epi32(static_cast<int>((high << 16) | (low & 0xFFFF))); };
    y = _mm_add_epi32(_mm_madd_epi16(br, pair(25, 66)), _mm_madd_epi16(g2, pair(129, 2112)));
    u = _mm_add_epi32(_mm_madd_epi16(br, pair(112, -38)), _mm_madd_epi16(g2, pair(-74, 16448)));
    v = _mm_add_epi32(_mm_madd_epi16(br, pair(-18, 112)), _mm_madd_epi16(g2, pair(-94, 16448)));
    y = _mm_srli_epi32(y, 8);
    u = _mm_srli_epi32(u, 8);
    v = _mm_srli_epi32(v, 8);
}

// The (B, R) and (G, 2) pairs of four pixels, one to a 32-bit lane.
template <Source S>
inline void Pairs4(__m128i x, __m128i& br, __m128i& g2) {
    const __m128i two = _mm_set1_epi32(0x20000);
    if (S == Source::Rgb32) {
        // The top byte is masked off: GDI writes it.
        br = _mm_and_si128(x, _mm_set1_epi32(0x00FF00FF));
        g2 = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(x, 8), _mm_set1_epi32(0xFF)), two);
    } else if (S == Source::Rgb565) {
        // B x 8 to bits 3-7, R x 8 to bits 19-23; G x 4 is (p >> 3) & 0xFC.
        br = _mm_and_si128(_mm_or_si128(_mm_slli_epi32(x, 3), _mm_slli_epi32(x, 8)), _mm_set1_epi32(0x00F800F8));
        g2 = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(x, 3), _mm_set1_epi32(0xFC)), two);
    } else {
        br = _mm_and_si128(_mm_or_si128(_mm_slli_epi32(x, 3), _mm_slli_epi32(x, 9)), _mm_set1_epi32(0x00F800F8));
        g2 = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(x, 2), _mm_set1_epi32(0xF8)), two);
    }
}

template <Source S>
inline void Yuv4Of(__m128i x, __m128i& y, __m128i& u, __m128i& v) {
    __m128i br, g2;
    Pairs4<S>(x, br, g2);
    Yuv4(br, g2, y, u, v);
}

template <Source S, Order O>
inline __m128i ConvertEight(const uint8_t* p) {
    __m128i lo, hi;
    if (S == Source::Rgb32) {
        lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    } else {
        const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        lo = _mm_unpacklo_epi16(px, _mm_setzero_si128());
        hi = _mm_unpackhi_epi16(px, _mm_setzero_si128());
    }
    __m128i y0, u0, v0, y1, u1, v1;
    Yuv4Of<S>(lo, y0, u0, v0);
    Yuv4Of<S>(hi, y1, u1, v1);
    return PackWords<O>(_mm_packs_epi32(y0, y1), _mm_packs_epi32(u0, u1), _mm_packs_epi32(v0, v1));
}

template <Source S, Order O>
void ConvertByArithmetic(DWORD* dst, LONG dstPitch, const void* src, int width, int height, LONG srcPitch) {
    const int pairs = width / 2;
    for (int row = 0; row < height; ++row) {
        const uint8_t* in = Row(src, srcPitch, row);
        DWORD* out = Row(dst, dstPitch, row);
        int pair = 0;
        for (; pair + 4 <= pairs; pair += 4) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + pair),
                             ConvertEight<S, O>(in + pair * 2 * sizeof(Pixel<S>)));
        }
        const auto* pixels = reinterpret_cast<const Pixel<S>*>(in);
        for (; pair < pairs; ++pair) {
            int r0, g0, b0, r1, g1, b1;
            Components<S>(pixels[2 * pair], r0, g0, b0);
            Components<S>(pixels[2 * pair + 1], r1, g1, b1);
            uint32_t u = (Yuv::ChromaU(r0, g0, b0) + Yuv::ChromaU(r1, g1, b1) + 256) / 2;
            uint32_t v = (Yuv::ChromaV(r0, g0, b0) + Yuv::ChromaV(r1, g1, b1) + 256) / 2;
            out[pair] = Pack<O>(Yuv::Luma(r0, g0, b0), Yuv::Luma(r1, g1, b1), u, v);
        }
    }
}

// P is the pixel word: 32 bits for RGB32, 16 for the 16-bit formats.
template <class P, Order O>
void ConvertByTable(DWORD* dst, LONG dstPitch, const void* src, int width, int height, LONG srcPitch) {
    const YuvLookupTable& table = g_yuvLookupTable;
    if (!table.entries || BytesPerPixel(table.format) != static_cast<int>(sizeof(P))) return;
    const uint8_t* entries = table.entries;
    const uint32_t mask = table.indexMask;
    const int pairs = width / 2;
    for (int row = 0; row < height; ++row) {
        const auto* pixels = reinterpret_cast<const P*>(Row(src, srcPitch, row));
        DWORD* out = Row(dst, dstPitch, row);
        for (int pair = 0; pair < pairs; ++pair) {
            const uint8_t* e0 = entries + 3 * (pixels[2 * pair] & mask);
            const uint8_t* e1 = entries + 3 * (pixels[2 * pair + 1] & mask);
            out[pair] = Pack<O>(e0[0], e1[0], (e0[1] + e1[1]) >> 1, (e0[2] + e1[2]) >> 1);
        }
    }
}

}  // namespace

const PixelConverter Rgb32ToYuy2 = ConvertByArithmetic<Source::Rgb32, Order::Yuy2>;
const PixelConverter Rgb32ToUyvy = ConvertByArithmetic<Source::Rgb32, Order::Uyvy>;
const PixelConverter Rgb565ToYuy2 = ConvertByArithmetic<Source::Rgb565, Order::Yuy2>;
const PixelConverter Rgb565ToUyvy = ConvertByArithmetic<Source::Rgb565, Order::Uyvy>;
const PixelConverter Rgb555ToYuy2 = ConvertByArithmetic<Source::Rgb555, Order::Yuy2>;
const PixelConverter Rgb555ToUyvy = ConvertByArithmetic<Source::Rgb555, Order::Uyvy>;
const PixelConverter Rgb32ToYuy2Cached = ConvertByTable<uint32_t, Order::Yuy2>;
const PixelConverter Rgb32ToUyvyCached = ConvertByTable<uint32_t, Order::Uyvy>;
const PixelConverter Rgb16ToYuy2Cached = ConvertByTable<uint16_t, Order::Yuy2>;
const PixelConverter Rgb16ToUyvyCached = ConvertByTable<uint16_t, Order::Uyvy>;

PixelConverter SelectConverter(int displayFormat, int overlayFormat, bool useTable) {
    if (overlayFormat != kFormatYuy2 && overlayFormat != kFormatUyvy) return nullptr;
    const bool yuy2 = overlayFormat == kFormatYuy2;
    const bool table = useTable && YuvLookupTableFor(displayFormat) != nullptr;
    switch (displayFormat) {
        case kFormatRgb32:
            if (table) return yuy2 ? Rgb32ToYuy2Cached : Rgb32ToUyvyCached;
            return yuy2 ? Rgb32ToYuy2 : Rgb32ToUyvy;
        case kFormatRgb565:
            if (table) return yuy2 ? Rgb16ToYuy2Cached : Rgb16ToUyvyCached;
            return yuy2 ? Rgb565ToYuy2 : Rgb565ToUyvy;
        case kFormatRgb555:
            if (table) return yuy2 ? Rgb16ToYuy2Cached : Rgb16ToUyvyCached;
            return yuy2 ? Rgb555ToYuy2 : Rgb555ToUyvy;
        default:
            return nullptr;
    }
}

bool InvertPixels(void* bits, LONG pitch, int width, int height, int format) {
    const int bytes = BytesPerPixel(format);
    if (bytes == 0) return false;
    // RGB32 words keep their top byte; 16-bit words flip every bit.
    const uint32_t mask = bytes == 4 ? 0x00FFFFFFu : 0xFFFFFFFFu;
    const __m128i wide = _mm_set1_epi32(static_cast<int>(mask));
    const size_t rowBytes = static_cast<size_t>(width > 0 ? width : 0) * bytes;
    for (int row = 0; row < height; ++row) {
        uint8_t* line = static_cast<uint8_t*>(bits) + static_cast<ptrdiff_t>(pitch) * row;
        size_t i = 0;
        for (; i + 16 <= rowBytes; i += 16) {
            auto* block = reinterpret_cast<__m128i*>(line + i);
            _mm_storeu_si128(block, _mm_xor_si128(_mm_loadu_si128(block), wide));
        }
        // Whole pixels are left over: 16 bytes hold whole pixels of both sizes.
        for (; i < rowBytes; i += bytes) {
            if (bytes == 4) {
                *reinterpret_cast<uint32_t*>(line + i) ^= mask;
            } else {
                *reinterpret_cast<uint16_t*>(line + i) ^= 0xFFFF;
            }
        }
    }
    return true;
}
