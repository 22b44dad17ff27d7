#include "pagestore/qr_compress.h"
#include "platform/errors.h"
#include "platform/memory_stream.h"

#include <gtest/gtest.h>
#include <random>

namespace {
std::vector<uint8_t> Encode(const std::vector<uint8_t>& plain)
{
    TMemoryStream out;
    TQRCompress coder(out, true);
    for (uint8_t b : plain)
        coder.EncodeByte(b);
    coder.Finish();
    return out.Bytes();
}
} // namespace

// The published codes: the node numbering, bit order and end-of-block rule all show in them.
TEST(QRCompress, EncodesTheKnownVectors)
{
    struct Case {
        std::vector<uint8_t> plain, coded;
    };
    const Case cases[] = {
        {{0x61, 0x62, 0x63}, {0x46, 0x3D, 0x01}},
        {{0x61, 0x61}, {0x46, 0x05}},
        {{0xFF}, {0x00, 0x00}},
        {{0x61}, {0x46}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Encode(c.plain), c.coded);
        TMemoryStream in(c.coded);
        TQRCompress decoder(in, false);
        std::vector<uint8_t> decoded;
        for (size_t i = 0; i < c.plain.size(); ++i)
            decoded.push_back(decoder.DecodeByte());
        decoder.Finish();
        EXPECT_EQ(decoded, c.plain);
        EXPECT_EQ(in.Position(), int32_t(c.coded.size()));
    }
}

// Decoding stops exactly after the block even though bytes follow it, for skewed and uniform data.
TEST(QRCompress, RoundTripsAndLeavesTheStreamAfterTheBlock)
{
    std::mt19937 random(7);
    for (int skew : {1, 4, 256}) {
        std::vector<uint8_t> plain(20000);
        for (auto& b : plain)
            b = uint8_t(random() % skew + (skew == 1 ? 'x' : 0));
        std::vector<uint8_t> stream = Encode(plain);
        const auto blockSize = int32_t(stream.size());
        stream.insert(stream.end(), {0xDE, 0xAD, 0xBE, 0xEF});
        TMemoryStream in(stream);
        TQRCompress decoder(in, false);
        std::vector<uint8_t> decoded(plain.size());
        for (auto& b : decoded)
            b = decoder.DecodeByte();
        decoder.Finish();
        EXPECT_EQ(decoded, plain) << "skew " << skew;
        EXPECT_EQ(in.Position(), blockSize) << "skew " << skew;
        if (skew == 1)
            EXPECT_LT(blockSize, 20000 / 4);
    }
}

TEST(QRCompress, DamagedDataStaysBounded)
{
    // Nine code bits 0 0 0 0 0 0 0 0 1 lead to the leaf that stands for no byte: it yields 0.
    TMemoryStream leaf512(std::vector<uint8_t> {0x00, 0x01});
    TQRCompress decoder(leaf512, false);
    EXPECT_EQ(decoder.DecodeByte(), 0);

    // A cut-off block raises instead of reading past its limit.
    TMemoryStream cut(std::vector<uint8_t> {0x46, 0x3D, 0x01, 0xFF});
    TQRCompress limited(cut, false, 2);
    EXPECT_EQ(limited.DecodeByte(), 0x61);
    EXPECT_EQ(limited.DecodeByte(), 0x62);
    EXPECT_THROW(limited.DecodeByte(), EReadError);
}
