#include "graphics/dib_encoder.h"

#include "graphics/emf_record_builder.h"

#include <cstring>

bool HasTransparency(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(row[x]) != 255)
                return true;
    }
    return false;
}

uint64_t DibBitsSize(int width, int height, int bitCount)
{
    const uint64_t stride = (uint64_t(width) * uint64_t(bitCount) + 31) / 32 * 4;
    return stride * uint64_t(height);
}

void AppendDib(TEmfRecordBuilder& builder, const QImage& image, int bitCount)
{
    const int width = image.width();
    const int height = image.height();
    const uint32_t bitsSize = uint32_t(DibBitsSize(width, height, bitCount));
    builder.Put32(kDibInfoHeaderSize);
    builder.PutS32(width);
    builder.PutS32(height); // positive: rows run bottom-up
    builder.Put16(1);
    builder.Put16(uint16_t(bitCount));
    builder.Put32(0); // BI_RGB
    builder.Put32(bitsSize);
    builder.PutS32(3780); // 96 dpi in pixels per metre
    builder.PutS32(3780);
    builder.Put32(0);
    builder.Put32(0);

    // Little-endian ARGB32 is B, G, R, A in memory: the DIB's 32-bit layout.
    const QImage pixels = image.convertToFormat(bitCount == 32 ? QImage::Format_ARGB32_Premultiplied
                                                               : QImage::Format_BGR888);
    const size_t stride = size_t(DibBitsSize(width, 1, bitCount));
    const size_t rowBytes = size_t(width) * size_t(bitCount / 8);
    uint8_t* out = builder.PutSpace(bitsSize);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = out + size_t(height - 1 - y) * stride;
        std::memcpy(row, pixels.constScanLine(y), rowBytes);
        std::memset(row + rowBytes, 0, stride - rowBytes);
    }
}
