// Device-independent bitmaps: every pixel format the records carry, decoded top row first, and
// a stretched picture landing on its target.
#include "graphics/emf_bitmap.h"
#include "graphics/emf_test_file.h"
#include "platform/stream.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> InfoHeader(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                                std::vector<uint32_t> table = {})
{
    std::vector<uint8_t> info(40 + 4 * table.size(), 0);
    WriteLE32(info.data(), 40);
    WriteLE32(info.data() + 4, uint32_t(width));
    WriteLE32(info.data() + 8, uint32_t(height));
    WriteLE16(info.data() + 12, 1);
    WriteLE16(info.data() + 14, bits);
    WriteLE32(info.data() + 16, compression);
    for (size_t i = 0; i < table.size(); ++i)
        WriteLE32(info.data() + 40 + 4 * i, table[i]);
    return info;
}

// Every case is a 2 x 2 picture: red, green on the top row; blue, white below.
struct DibCase {
    const char* name;
    std::vector<uint8_t> info;
    std::vector<uint8_t> bits;
};

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

std::vector<DibCase> Cases()
{
    const std::vector<uint32_t> table = { kRed, kGreen, kBlue, kWhite };
    std::vector<DibCase> cases;
    // Bottom-up rows: the bottom row (blue, white) comes first.
    cases.push_back({ "4 bits", InfoHeader(2, 2, 4, 0, table), { 0x23, 0, 0, 0, 0x01, 0, 0, 0 } });
    cases.push_back({ "8 bits", InfoHeader(2, 2, 8, 0, table), { 2, 3, 0, 0, 0, 1, 0, 0 } });
    cases.push_back(
        { "8 bits top-down", InfoHeader(2, -2, 8, 0, table), { 0, 1, 0, 0, 2, 3, 0, 0 } });
    cases.push_back({ "24 bits",
                      InfoHeader(2, 2, 24, 0),
                      { 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0 } });
    cases.push_back({ "32 bits",
                      InfoHeader(2, 2, 32, 0),
                      { 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0 } });
    // 5-5-5: blue 0x001F, white 0x7FFF, red 0x7C00, green 0x03E0.
    cases.push_back(
        { "16 bits", InfoHeader(2, 2, 16, 0), { 0x1F, 0x00, 0xFF, 0x7F, 0x00, 0x7C, 0xE0, 0x03 } });
    {
        // 5-6-5 bit fields after the header.
        std::vector<uint8_t> info = InfoHeader(2, 2, 16, 3);
        for (uint32_t mask : { 0xF800u, 0x07E0u, 0x001Fu }) {
            info.resize(info.size() + 4);
            WriteLE32(info.data() + info.size() - 4, mask);
        }
        cases.push_back(
            { "16 bits 5-6-5", info, { 0x1F, 0x00, 0xFF, 0xFF, 0x00, 0xF8, 0xE0, 0x07 } });
    }
    // Run-length coded: bottom row "2 3", end of line, top row "0 1", end of picture.
    cases.push_back(
        { "RLE8", InfoHeader(2, 2, 8, 1, table), { 1, 2, 1, 3, 0, 0, 1, 0, 1, 1, 0, 1 } });
    cases.push_back({ "RLE4", InfoHeader(2, 2, 4, 2, table), { 2, 0x23, 0, 0, 2, 0x01, 0, 1 } });
    // One bit per pixel with a two-colour table: 0 = red, 1 = white... rows of 4 bytes.
    cases.push_back(
        { "1 bit", InfoHeader(2, 2, 1, 0, { kBlue, kWhite }), { 0x40, 0, 0, 0, 0x00, 0, 0, 0 } });
    return cases;
}

TEST(DibDecoder, EveryFormat)
{
    for (const DibCase& c : Cases()) {
        const QImage image = TDibDecoder::Decode(c.info, c.bits);
        ASSERT_FALSE(image.isNull()) << c.name;
        ASSERT_EQ(image.size(), QSize(2, 2)) << c.name;
        if (std::string(c.name) == "1 bit") {
            EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, kBlue) << c.name;
            EXPECT_EQ(image.pixel(0, 1) & 0xFFFFFF, kBlue) << c.name;
            EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFF, kWhite) << c.name;
            continue;
        }
        EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, kRed) << c.name;
        EXPECT_EQ(image.pixel(1, 0) & 0xFFFFFF, kGreen) << c.name;
        EXPECT_EQ(image.pixel(0, 1) & 0xFFFFFF, kBlue) << c.name;
        EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFF, kWhite) << c.name;
    }
}

TEST(DibDecoder, RefusesDamageAndHugePictures)
{
    const std::vector<uint32_t> table = { kRed, kGreen };
    // Too few bits for the rows.
    EXPECT_TRUE(
        TDibDecoder::Decode(InfoHeader(100, 100, 24, 0), std::vector<uint8_t>(100)).isNull());
    // A picture far larger than allowed, even when run-length coded into a few bytes.
    EXPECT_TRUE(TDibDecoder::Decode(InfoHeader(60000, 60000, 8, 1, table), std::vector<uint8_t>(4))
                    .isNull());
    // Impossible bit counts and headers.
    EXPECT_TRUE(TDibDecoder::Decode(InfoHeader(2, 2, 7, 0), std::vector<uint8_t>(64)).isNull());
    std::vector<uint8_t> shortHeader = InfoHeader(2, 2, 24, 0);
    WriteLE32(shortHeader.data(), 400);
    EXPECT_TRUE(TDibDecoder::Decode(shortHeader, std::vector<uint8_t>(64)).isNull());
    // Run-length codes that point outside the picture are ignored, not written.
    const QImage rle = TDibDecoder::Decode(InfoHeader(2, 2, 8, 1, table),
                                           std::vector<uint8_t> { 0, 2, 200, 200, 9, 1, 0, 1 });
    EXPECT_FALSE(rle.isNull());
}

TEST(DibPlayback, StretchDiBitsFillsItsTarget)
{
    const DibCase c = Cases()[3]; // 24 bits
    TEmfTestFile file;
    const uint32_t infoAt = 80, bitsAt = infoAt + uint32_t(c.info.size());
    std::vector<uint8_t> extra = c.info;
    extra.insert(extra.end(), c.bits.begin(), c.bits.end());
    // STRETCHDIBITS: bounds, destination, source, offsets and sizes, usage, SRCCOPY, extent.
    file.Add(81,
             { 0, 0, -1, -1, 10, 10, 0, 0, 2, 2, int32_t(infoAt), int32_t(c.info.size()),
               int32_t(bitsAt), int32_t(c.bits.size()), 0, 0x00CC0020, 40, 40 },
             extra);
    const QImage image = file.Render();
    EXPECT_EQ(InkBox(image), QRect(10, 10, 40, 40));
    EXPECT_EQ(Pixel(image, 15, 15), kRed);
    EXPECT_EQ(Pixel(image, 45, 15), kGreen);
    EXPECT_EQ(Pixel(image, 15, 45), kBlue);
}

} // namespace

namespace {

TEST(DibPlayback, SetDiBitsToDeviceCopiesPixelForPixel)
{
    const DibCase c = Cases()[3]; // 24 bits: red, green over blue, white
    TEmfTestFile file;
    const uint32_t infoAt = 76, bitsAt = infoAt + uint32_t(c.info.size());
    std::vector<uint8_t> extra = c.info;
    extra.insert(extra.end(), c.bits.begin(), c.bits.end());
    file.Add(17, { 8 }); // a mapping that must not stretch the picture
    file.Add(9, { 1, 1 });
    file.Add(11, { 5, 5 });
    // Destination (2, 2) logical = (10, 10) device; source column 1, both rows, all scans.
    file.Add(80,
             { 0, 0, -1, -1, 2, 2, 1, 0, 1, 2, int32_t(infoAt), int32_t(c.info.size()),
               int32_t(bitsAt), int32_t(c.bits.size()), 0, 0, 2 },
             extra);
    const QImage image = file.Render();
    EXPECT_EQ(InkBox(image), QRect(10, 10, 1, 1));
    EXPECT_EQ(Pixel(image, 10, 10), kGreen);
}

} // namespace
