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

struct Converter {
    PixelConverter convert;
    bool uyvy;
    bool table;
};

std::vector<Converter> ConvertersOf(int format) {
    switch (format) {
        case kFormatRgb32:
            return {{Rgb32ToYuy2, false, false},
                    {Rgb32ToUyvy, true, false},
                    {Rgb32ToYuy2Cached, false, true},
                    {Rgb32ToUyvyCached, true, true}};
        case kFormatRgb565:
            return {{Rgb565ToYuy2, false, false},
                    {Rgb565ToUyvy, true, false},
                    {Rgb16ToYuy2Cached, false, true},
                    {Rgb16ToUyvyCached, true, true}};
        default:
            return {{Rgb555ToYuy2, false, false},
                    {Rgb555ToUyvy, true, false},
                    {Rgb16ToYuy2Cached, false, true},
                    {Rgb16ToUyvyCached, true, true}};
    }
}

// A row of pixels of a display format, written word by word.
std::vector<uint8_t> Pixels(int format, const std::vector<uint32_t>& values) {
    const int bytes = BytesPerPixel(format);
    std::vector<uint8_t> row(values.size() * bytes);
    for (size_t i = 0; i < values.size(); ++i) std::memcpy(&row[i * bytes], &values[i], bytes);
    return row;
}

class TableFreed : public ::testing::Test {
protected:
    void TearDown() override {
        FreeYuvLookupTable();
        g_yuvTableAllocate = std::malloc;
    }
};

using PixelConversion = TableFreed;

struct Worked {
    int format;
    uint32_t first, second;
    int y0, y1, u, v;
};

TEST_F(PixelConversion, WorkedColourValuesInBothByteOrdersByArithmeticAndTable) {
    const Worked cases[] = {
        {kFormatRgb32, 0xFFFFFF, 0xFFFFFF, 235, 235, 128, 128}, {kFormatRgb32, 0, 0, 16, 16, 128, 128},
        {kFormatRgb32, 0xFF0000, 0xFF0000, 82, 82, 90, 240},    {kFormatRgb32, 0x00FF00, 0x00FF00, 144, 144, 54, 34},
        {kFormatRgb32, 0x0000FF, 0x0000FF, 41, 41, 240, 110},   {kFormatRgb32, 0xFF0000, 0x0000FF, 82, 41, 165, 175},
        {kFormatRgb555, 0x7FFF, 0x7FFF, 229, 229, 128, 128},    {kFormatRgb565, 0xFFFF, 0xFFFF, 231, 231, 127, 127},
    };
    for (const Worked& c : cases) {
        ASSERT_TRUE(BuildYuvLookupTable(c.format));
        // Nine pairs: the vector loop's blocks of four and the single pairs after them.
        std::vector<uint32_t> values;
        for (int i = 0; i < 9; ++i) values.insert(values.end(), {c.first, c.second});
        std::vector<uint8_t> src = Pixels(c.format, values);
        for (const Converter& k : ConvertersOf(c.format)) {
            std::vector<uint8_t> out(9 * 4, 0);
            k.convert(reinterpret_cast<DWORD*>(out.data()), 36, src.data(), 18, 1, static_cast<LONG>(src.size()));
            const uint8_t* expected = nullptr;
            const uint8_t yuy2[4] = {uint8_t(c.y0), uint8_t(c.u), uint8_t(c.y1), uint8_t(c.v)};
            const uint8_t uyvy[4] = {uint8_t(c.u), uint8_t(c.y0), uint8_t(c.v), uint8_t(c.y1)};
            expected = k.uyvy ? uyvy : yuy2;
            for (int pair = 0; pair < 9; ++pair) {
                ASSERT_EQ(0, std::memcmp(expected, &out[pair * 4], 4))
                    << "format " << c.format << " pixels " << std::hex << c.first << "," << c.second << std::dec
                    << (k.uyvy ? " UYVY" : " YUY2") << (k.table ? " table" : " arithmetic") << " pair " << pair;
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
    const int bytes = BytesPerPixel(format);
    std::vector<DWORD> byMath(count / 2), byTable(count / 2);
    std::vector<Converter> all = ConvertersOf(format);
    for (int order = 0; order < 2; ++order) {
        for (int start = 0; start < 2; ++start) {
            const uint8_t* row = src.data() + start * bytes;
            LONG pitch = static_cast<LONG>(count) * bytes;
            all[order].convert(byMath.data(), pitch, row, static_cast<int>(count), 1, pitch);
            all[order + 2].convert(byTable.data(), pitch, row, static_cast<int>(count), 1, pitch);
            for (size_t i = 0; i < byMath.size(); ++i) {
                ASSERT_EQ(byMath[i], byTable[i]) << "format " << format << " order " << order << " pixels " << std::hex
                                                 << values[2 * i + start] << "," << values[2 * i + start + 1];
            }
        }
    }
}

TEST_F(PixelConversion, TableAndArithmeticAgreeOnEvery16BitValueSpareBitIncluded) {
    ExpectTableAgrees(kFormatRgb565, 0x10000, [](uint32_t i) { return i; });
    ExpectTableAgrees(kFormatRgb555, 0x10000, [](uint32_t i) { return i; });
}

TEST_F(PixelConversion, TableAndArithmeticAgreeOnEveryRgb32ValueWhateverItsTopByte) {
    ExpectTableAgrees(kFormatRgb32, 0x1000000, [](uint32_t i) { return i | (i * 2654435761u) << 24; });
}

// Each converter on rows of exact pitch that end where the memory ends: the
// unpaired last pixel of an odd row is neither read nor written.
TEST_F(PixelConversion, OddWidthsStayInsideRowsOfExactPitch) {
    for (int format : {kFormatRgb32, kFormatRgb565, kFormatRgb555}) {
        ASSERT_TRUE(BuildYuvLookupTable(format));
        for (int width : {1, 7, 17}) {
            const int height = 3;
            const LONG srcPitch = width * BytesPerPixel(format);
            const LONG dstPitch = width / 2 * 4;
            GuardedBuffer src(static_cast<size_t>(srcPitch) * height);
            GuardedBuffer dst(static_cast<size_t>(dstPitch) * height);
            std::memset(src.data(), 0x5A, static_cast<size_t>(srcPitch) * height);
            for (const Converter& k : ConvertersOf(format)) {
                k.convert(reinterpret_cast<DWORD*>(dst.data()), dstPitch, src.data(), width, height, srcPitch);
            }
        }
    }
}

TEST_F(PixelConversion, PaddingBeyondTheRowsIsNeitherReadNorWritten) {
    const int width = 18, height = 3;
    for (int format : {kFormatRgb32, kFormatRgb565, kFormatRgb555}) {
        ASSERT_TRUE(BuildYuvLookupTable(format));
        const int bytes = BytesPerPixel(format);
        const LONG srcPitch = width * bytes + 24;
        std::vector<uint32_t> rowValues;
        for (int i = 0; i < width; ++i) rowValues.push_back(0x10203 * i);
        std::vector<uint8_t> row = Pixels(format, rowValues);
        // Every row the same picture; the padding a colour of its own.
        std::vector<uint8_t> src(srcPitch * height, 0xFF);
        for (int r = 0; r < height; ++r) std::memcpy(&src[r * srcPitch], row.data(), row.size());

        const LONG dstPitch = width / 2 * 4 + 12;
        for (const Converter& k : ConvertersOf(format)) {
            std::vector<uint8_t> dst(dstPitch * height, 0xAB);
            k.convert(reinterpret_cast<DWORD*>(dst.data()), dstPitch, src.data(), width, height, srcPitch);
            for (int r = 1; r < height; ++r) {
                EXPECT_EQ(0, std::memcmp(&dst[0], &dst[r * dstPitch], width / 2 * 4)) << "format " << format;
            }
            for (int r = 0; r < height; ++r) {
                for (LONG b = width / 2 * 4; b < dstPitch; ++b) ASSERT_EQ(0xAB, dst[r * dstPitch + b]);
            }
        }

        // Inverted twice gives the frame back; the padding is never touched.
        std::vector<uint8_t> before = src;
        ASSERT_TRUE(InvertPixels(src.data(), srcPitch, width, height, format));
        for (int r = 0; r < height; ++r) {
            for (LONG b = width * bytes; b < srcPitch; ++b) ASSERT_EQ(0xFF, src[r * srcPitch + b]);
        }
        ASSERT_TRUE(InvertPixels(src.data(), srcPitch, width, height, format));
        EXPECT_EQ(before, src);
    }
}

TEST_F(PixelConversion, InversionKeepsTheTopByteOfRgb32AndComplementsWhole16BitWords) {
    uint32_t rgb32[2] = {0xAA123456, 0x00FFFFFF};
    ASSERT_TRUE(InvertPixels(rgb32, 8, 2, 1, kFormatRgb32));
    EXPECT_EQ(0xAAEDCBA9u, rgb32[0]);
    EXPECT_EQ(0x00000000u, rgb32[1]);
    for (int format : {kFormatRgb565, kFormatRgb555}) {
        uint16_t rgb16[2] = {0x1234, 0x7FFF};
        ASSERT_TRUE(InvertPixels(rgb16, 4, 2, 1, format));
        EXPECT_EQ(0xEDCB, rgb16[0]);
        EXPECT_EQ(0x8000, rgb16[1]);
    }
    EXPECT_FALSE(InvertPixels(rgb32, 8, 2, 1, kFormatYuy2));
    EXPECT_EQ(0xAAEDCBA9u, rgb32[0]);
}

// A table is used only for the display format it was built for; one that
// cannot be allocated leaves the arithmetic converters in use.
TEST_F(PixelConversion, TableServesOnlyItsOwnFormatAndAFailedBuildFallsBackToArithmetic) {
    ASSERT_TRUE(BuildYuvLookupTable(kFormatRgb565));
    EXPECT_EQ(Rgb16ToYuy2Cached, SelectConverter(kFormatRgb565, kFormatYuy2, true));
    EXPECT_EQ(Rgb555ToUyvy, SelectConverter(kFormatRgb555, kFormatUyvy, true));
    EXPECT_EQ(Rgb32ToYuy2, SelectConverter(kFormatRgb32, kFormatYuy2, true));
    EXPECT_EQ(nullptr, SelectConverter(kFormatRgb32, kFormatRgb32, true));
    // 32-bit pixels are never looked up in a 16-bit table.
    uint32_t white[2] = {0xFFFFFFFF, 0xFFFFFFFF};
    DWORD word = 0x12345678;
    Rgb32ToYuy2Cached(&word, 4, white, 2, 1, 8);
    EXPECT_EQ(0x12345678u, word);

    g_yuvTableAllocate = [](size_t) -> void* { return nullptr; };
    EXPECT_FALSE(BuildYuvLookupTable(kFormatRgb32));
    EXPECT_EQ(nullptr, g_yuvLookupTable.entries);
    EXPECT_EQ(Rgb32ToYuy2, SelectConverter(kFormatRgb32, kFormatYuy2, true));
}

}  // namespace
