// The converters, the lookup table and the inversion on plain memory: the
// worked colour values, arithmetic and table agreeing on every pixel value,
// rows that are odd, exactly pitched or padded.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "magnifier/DDraw/PixelConverters.h"
#include "magnifier/DDraw/PixelFormat.h"
#include "magnifier/DDraw/YuvLookupTable.h"
#include "tests/support/GuardedBuffer.h"

namespace {

// Each display format's converters: YUY2 and UYVY by arithmetic, then the same
// through the table.
std::vector<PixelConverter> ConvertersOf(int format) {
    if (format == kFormatRgb32) return {Rgb32ToYuy2, Rgb32ToUyvy, Rgb32ToYuy2Cached, Rgb32ToUyvyCached};
    if (format == kFormatRgb565) return {Rgb565ToYuy2, Rgb565ToUyvy, Rgb16ToYuy2Cached, Rgb16ToUyvyCached};
    return {Rgb555ToYuy2, Rgb555ToUyvy, Rgb16ToYuy2Cached, Rgb16ToUyvyCached};
}

const int kDisplayFormats[] = {kFormatRgb32, kFormatRgb565, kFormatRgb555};

// A row of pixels of a display format.
std::vector<uint8_t> Pixels(int format, const std::vector<uint32_t>& values) {
    const int bytes = BytesPerPixel(format);
    std::vector<uint8_t> row(values.size() * bytes);
    for (size_t i = 0; i < values.size(); ++i) std::memcpy(&row[i * bytes], &values[i], bytes);
    return row;
}

class PixelConversion : public ::testing::Test {
protected:
    void TearDown() override {
        FreeYuvLookupTable();
        g_yuvTableAllocate = std::malloc;
    }
};

TEST_F(PixelConversion, WorkedColourValuesInBothByteOrdersByArithmeticAndTable) {
    struct {
        int format;
        uint32_t first, second;
        uint8_t y0, y1, u, v;
    } const cases[] = {
        {kFormatRgb32, 0xFFFFFF, 0xFFFFFF, 235, 235, 128, 128}, {kFormatRgb32, 0, 0, 16, 16, 128, 128},
        {kFormatRgb32, 0xFF0000, 0xFF0000, 82, 82, 90, 240},    {kFormatRgb32, 0x00FF00, 0x00FF00, 144, 144, 54, 34},
        {kFormatRgb32, 0x0000FF, 0x0000FF, 41, 41, 240, 110},   {kFormatRgb32, 0xFF0000, 0x0000FF, 82, 41, 165, 175},
        {kFormatRgb555, 0x7FFF, 0x7FFF, 229, 229, 128, 128},    {kFormatRgb565, 0xFFFF, 0xFFFF, 231, 231, 127, 127},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(BuildYuvLookupTable(c.format));
        // Nine pairs: the vector loop's blocks of four and single pairs after them.
        std::vector<uint32_t> values;
        for (int i = 0; i < 9; ++i) values.insert(values.end(), {c.first, c.second});
        std::vector<uint8_t> src = Pixels(c.format, values);
        const uint8_t yuy2[4] = {c.y0, c.u, c.y1, c.v}, uyvy[4] = {c.u, c.y0, c.v, c.y1};
        std::vector<PixelConverter> all = ConvertersOf(c.format);
        for (size_t k = 0; k < all.size(); ++k) {
            uint8_t out[36] = {};
            all[k](reinterpret_cast<DWORD*>(out), 36, src.data(), 18, 1, static_cast<LONG>(src.size()));
            for (int pair = 0; pair < 9; ++pair) {
                ASSERT_EQ(0, std::memcmp(k % 2 ? uyvy : yuy2, out + pair * 4, 4))
                    << "format " << c.format << " pixels " << std::hex << c.first << "," << c.second << std::dec
                    << " converter " << k << " pair " << pair;
            }
        }
    }
}

// Every value as the first and as the second pixel of a pair: the row from
// value 0 and the same row one pixel on.
void ExpectTableAgrees(int format, uint32_t count, uint32_t (*pixel)(uint32_t)) {
    ASSERT_TRUE(BuildYuvLookupTable(format));
    std::vector<uint32_t> values(count + 1);
    for (uint32_t i = 0; i <= count; ++i) values[i] = pixel(i % count);
    std::vector<uint8_t> src = Pixels(format, values);
    const LONG pitch = static_cast<LONG>(count) * BytesPerPixel(format);
    std::vector<DWORD> byMath(count / 2), byTable(count / 2);
    std::vector<PixelConverter> all = ConvertersOf(format);
    for (int order = 0; order < 2; ++order) {
        for (int start = 0; start < 2; ++start) {
            const uint8_t* row = src.data() + start * BytesPerPixel(format);
            all[order](byMath.data(), pitch, row, static_cast<int>(count), 1, pitch);
            all[order + 2](byTable.data(), pitch, row, static_cast<int>(count), 1, pitch);
            for (size_t i = 0; i < byMath.size(); ++i) {
                ASSERT_EQ(byMath[i], byTable[i]) << "format " << format << " order " << order << " pixels " << std::hex
                                                 << values[2 * i + start] << "," << values[2 * i + start + 1];
            }
        }
    }
}

TEST_F(PixelConversion, TableAndArithmeticAgreeOnEveryPixelValueWhateverItsSpareBits) {
    ExpectTableAgrees(kFormatRgb565, 0x10000, [](uint32_t i) { return i; });
    ExpectTableAgrees(kFormatRgb555, 0x10000, [](uint32_t i) { return i; });
    ExpectTableAgrees(kFormatRgb32, 0x1000000, [](uint32_t i) { return i | (i * 2654435761u) << 24; });
}

// Rows of exact pitch ending where the memory ends: the unpaired last pixel
// of an odd row is neither read nor written.
TEST_F(PixelConversion, OddWidthsStayInsideRowsOfExactPitch) {
    for (int format : kDisplayFormats) {
        ASSERT_TRUE(BuildYuvLookupTable(format));
        for (int width : {1, 7, 17}) {
            const LONG srcPitch = width * BytesPerPixel(format), dstPitch = width / 2 * 4;
            GuardedBuffer src(static_cast<size_t>(srcPitch) * 3), dst(static_cast<size_t>(dstPitch) * 3);
            std::memset(src.data(), 0x5A, static_cast<size_t>(srcPitch) * 3);
            for (PixelConverter convert : ConvertersOf(format))
                convert(reinterpret_cast<DWORD*>(dst.data()), dstPitch, src.data(), width, 3, srcPitch);
        }
    }
}

// Every row the same picture, the padding after it a colour of its own.
TEST_F(PixelConversion, PaddingBeyondTheRowsIsNeitherReadNorWrittenAndInvertingTwiceRestores) {
    const int width = 18, height = 3;
    for (int format : kDisplayFormats) {
        ASSERT_TRUE(BuildYuvLookupTable(format));
        const int bytes = BytesPerPixel(format);
        const LONG srcPitch = width * bytes + 24, dstPitch = width / 2 * 4 + 12;
        std::vector<uint32_t> rowValues;
        for (int i = 0; i < width; ++i) rowValues.push_back(0x10203 * i);
        std::vector<uint8_t> row = Pixels(format, rowValues), src(srcPitch * height, 0xFF);
        for (int r = 0; r < height; ++r) std::memcpy(&src[r * srcPitch], row.data(), row.size());
        for (PixelConverter convert : ConvertersOf(format)) {
            std::vector<uint8_t> dst(dstPitch * height, 0xAB);
            convert(reinterpret_cast<DWORD*>(dst.data()), dstPitch, src.data(), width, height, srcPitch);
            for (int r = 0; r < height; ++r) {
                EXPECT_EQ(0, std::memcmp(&dst[0], &dst[r * dstPitch], width / 2 * 4)) << "format " << format;
                for (LONG b = width / 2 * 4; b < dstPitch; ++b) ASSERT_EQ(0xAB, dst[r * dstPitch + b]);
            }
        }
        std::vector<uint8_t> before = src;
        ASSERT_TRUE(InvertPixels(src.data(), srcPitch, width, height, format));
        for (int r = 0; r < height; ++r)
            for (LONG b = width * bytes; b < srcPitch; ++b) ASSERT_EQ(0xFF, src[r * srcPitch + b]);
        ASSERT_TRUE(InvertPixels(src.data(), srcPitch, width, height, format));
        EXPECT_EQ(before, src);
    }
}

TEST_F(PixelConversion, InversionKeepsTheTopByteOfRgb32AndComplementsWhole16BitWords) {
    uint32_t rgb32[2] = {0xAA123456, 0x00FFFFFF};
    ASSERT_TRUE(InvertPixels(rgb32, 8, 2, 1, kFormatRgb32));
    EXPECT_EQ(0xAAEDCBA9u, rgb32[0]);
    EXPECT_EQ(0u, rgb32[1]);
    for (int format : {kFormatRgb565, kFormatRgb555}) {
        uint16_t rgb16[2] = {0x1234, 0x7FFF};
        ASSERT_TRUE(InvertPixels(rgb16, 4, 2, 1, format));
        EXPECT_EQ(0xEDCB, rgb16[0]);
        EXPECT_EQ(0x8000, rgb16[1]);
    }
    EXPECT_FALSE(InvertPixels(rgb32, 8, 2, 1, kFormatYuy2));
    EXPECT_EQ(0xAAEDCBA9u, rgb32[0]);
}

// A table serves only the display format it was built for; one that cannot
// be allocated leaves the arithmetic converters in use.
TEST_F(PixelConversion, TableServesOnlyItsOwnFormatAndAFailedBuildFallsBackToArithmetic) {
    ASSERT_TRUE(BuildYuvLookupTable(kFormatRgb565));
    EXPECT_EQ(Rgb16ToYuy2Cached, SelectConverter(kFormatRgb565, kFormatYuy2, true));
    EXPECT_EQ(Rgb555ToUyvy, SelectConverter(kFormatRgb555, kFormatUyvy, true));
    EXPECT_EQ(Rgb32ToYuy2, SelectConverter(kFormatRgb32, kFormatYuy2, true));
    EXPECT_EQ(nullptr, SelectConverter(kFormatRgb32, kFormatRgb32, true));
    uint32_t white[2] = {0xFFFFFFFF, 0xFFFFFFFF};
    DWORD word = 0x12345678;
    Rgb32ToYuy2Cached(&word, 4, white, 2, 1, 8);  // never through a 16-bit table
    EXPECT_EQ(0x12345678u, word);

    g_yuvTableAllocate = [](size_t) -> void* { return nullptr; };
    EXPECT_FALSE(BuildYuvLookupTable(kFormatRgb32));
    EXPECT_EQ(nullptr, g_yuvLookupTable.entries);
    EXPECT_EQ(Rgb32ToYuy2, SelectConverter(kFormatRgb32, kFormatYuy2, true));
}

}  // namespace
