#pragma once
// Device-independent bitmaps as metafiles carry them: an info header (core, 3.x, V4 or V5) with
// its colour table or masks, and the pixel bits. Decoding checks every size against the bytes
// given and refuses pictures larger than kMaxPixels.
#include <QImage>
#include <cstdint>
#include <span>
#include <vector>

struct TDibInfo {
    int32_t width = 0;
    int32_t height = 0; // always positive here; topDown tells the row order
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t headerSize = 0;
    uint32_t masks[4] = { 0, 0, 0, 0 }; // red, green, blue, alpha for bit fields
    std::vector<QRgb> colors;           // the colour table (opaque entries)
};

class TDibDecoder {
public:
    static constexpr int64_t kMaxPixels = 48ll * 1024 * 1024;
    static constexpr int32_t kMaxSide = 65535;

    // Reads the info header and colour table. usage is DIB_RGB_COLORS or DIB_PAL_COLORS (palette
    // indexes, resolved against palette when given, else against a grey ramp). False when damaged.
    static bool ReadInfo(std::span<const uint8_t> info, uint32_t usage, TDibInfo& out,
                         const std::vector<QRgb>* palette = nullptr);

    // The whole picture, top row first. With keepAlpha, a 32-bit picture keeps its alpha channel
    // (premultiplied, as alpha blending expects); otherwise every pixel is opaque. A null image
    // when the bits are damaged or too large.
    static QImage Decode(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                         uint32_t usage = 0, bool keepAlpha = false,
                         const std::vector<QRgb>* palette = nullptr);
    static QImage Decode(const TDibInfo& info, std::span<const uint8_t> bits, bool keepAlpha);
};
