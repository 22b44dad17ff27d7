#include "graphics/emf_bitmap.h"

#include "graphics/emf_records.h"
#include "platform/stream.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <bit>

namespace {

// The position and width of a colour mask, for scaling its value to 8 bits.
struct MaskShift {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit MaskShift(uint32_t m) : mask(m)
    {
        if (m == 0)
            return;
        shift = std::countr_zero(m);
        bits = std::popcount(m >> shift);
        if (bits > 8) {
            shift += bits - 8;
            bits = 8;
        }
    }
    int Value(uint32_t pixel) const
    {
        if (!mask)
            return 0;
        const uint32_t v = (pixel & mask) >> shift & ((1u << bits) - 1);
        if (bits == 8)
            return int(v);
        // Spread the value over 0..255 (replicating the high bits into the low ones).
        return int(v * 255 / ((1u << bits) - 1));
    }
};

QImage DecodeCompressedImage(std::span<const uint8_t> bits, const char* format)
{
    QByteArray data =
        QByteArray::fromRawData(reinterpret_cast<const char*>(bits.data()), qsizetype(bits.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > TDibDecoder::kMaxSide ||
        size.height() > TDibDecoder::kMaxSide ||
        int64_t(size.width()) * size.height() > TDibDecoder::kMaxPixels)
        return {};
    QImage image;
    if (!reader.read(&image))
        return {};
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Run-length coded 4- and 8-bit pictures. Pixels the coding skips stay transparent.
bool DecodeRle(const TDibInfo& info, std::span<const uint8_t> bits, QImage& image)
{
    const bool four = info.compression == emf::BI_RLE4;
    const int w = info.width, h = info.height;
    image.fill(0);
    auto color = [&](unsigned index) -> QRgb {
        return index < info.colors.size() ? info.colors[index] : qRgb(0, 0, 0);
    };
    auto put = [&](int x, int y, unsigned index) {
        if (x < 0 || x >= w || y < 0 || y >= h)
            return;
        const int row = info.topDown ? y : h - 1 - y;
        reinterpret_cast<QRgb*>(image.scanLine(row))[x] = color(index);
    };
    size_t i = 0;
    int x = 0, y = 0;
    const size_t n = bits.size();
    while (i + 1 < n && y < h) {
        const unsigned count = bits[i], value = bits[i + 1];
        i += 2;
        if (count > 0) {
            for (unsigned k = 0; k < count && x < w; ++k, ++x)
                put(x, y, four ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of picture
            break;
        } else if (value == 2) { // delta
            if (i + 1 >= n)
                break;
            x += bits[i];
            y += bits[i + 1];
            i += 2;
        } else { // absolute run of value pixels
            const size_t bytes = four ? (value + 1) / 2 : value;
            if (i + bytes > n)
                return false;
            for (unsigned k = 0; k < value; ++k, ++x) {
                if (x >= w)
                    continue;
                const uint8_t b = bits[i + (four ? k / 2 : k)];
                put(x, y, four ? ((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            i += (bytes + 1) & ~size_t(1);
        }
    }
    return true;
}

} // namespace

bool TDibDecoder::ReadInfo(std::span<const uint8_t> info, uint32_t usage, TDibInfo& out,
                           const std::vector<QRgb>* palette)
{
    if (info.size() < 12)
        return false;
    const uint8_t* p = info.data();
    out.headerSize = ReadLE32(p);
    if (out.headerSize > info.size() || out.headerSize < 12)
        return false;
    size_t tableOffset = out.headerSize;
    uint32_t colorsUsed = 0;
    bool core = false;
    if (out.headerSize < 40) {
        if (out.headerSize != 12)
            return false;
        core = true;
        out.width = ReadLE16(p + 4);
        out.height = ReadLE16(p + 6);
        out.bitCount = ReadLE16(p + 10);
        out.compression = emf::BI_RGB;
    } else {
        out.width = ReadLE32s(p + 4);
        const int32_t height = ReadLE32s(p + 8);
        out.bitCount = ReadLE16(p + 14);
        out.compression = ReadLE32(p + 16);
        colorsUsed = ReadLE32(p + 32);
        if (height == INT32_MIN)
            return false;
        out.topDown = height < 0;
        out.height = height < 0 ? -height : height;
        if (out.compression == emf::BI_BITFIELDS || out.compression == emf::BI_ALPHABITFIELDS) {
            const int count = out.compression == emf::BI_ALPHABITFIELDS ? 4 : 3;
            if (out.headerSize >= 52 + (count == 4 ? 4u : 0u)) {
                for (int k = 0; k < count; ++k)
                    out.masks[k] = ReadLE32(p + 40 + 4 * k);
            } else {
                if (info.size() < out.headerSize + 4u * count)
                    return false;
                for (int k = 0; k < count; ++k)
                    out.masks[k] = ReadLE32(p + out.headerSize + 4 * k);
                tableOffset += 4u * count;
            }
        }
    }
    if (out.width <= 0 || out.height <= 0 || out.width > kMaxSide || out.height > kMaxSide ||
        int64_t(out.width) * out.height > kMaxPixels)
        return false;
    switch (out.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    case 0: // the picture carries its own format
        if (out.compression != emf::BI_JPEG && out.compression != emf::BI_PNG)
            return false;
        break;
    default:
        return false;
    }
    if (out.bitCount == 16 && out.compression == emf::BI_RGB) {
        out.masks[0] = 0x7C00;
        out.masks[1] = 0x03E0;
        out.masks[2] = 0x001F;
    }
    if (out.bitCount == 32 && out.compression == emf::BI_RGB) {
        out.masks[0] = 0x00FF0000;
        out.masks[1] = 0x0000FF00;
        out.masks[2] = 0x000000FF;
    }
    uint32_t entries = 0;
    if (out.bitCount <= 8 && out.bitCount > 0) {
        const uint32_t most = 1u << out.bitCount;
        entries = colorsUsed == 0 || colorsUsed > most ? most : colorsUsed;
    }
    const size_t each = usage == emf::DIB_PAL_COLORS ? 2 : (core ? 3 : 4);
    out.colors.assign(entries, qRgb(0, 0, 0));
    for (uint32_t k = 0; k < entries; ++k) {
        const size_t at = tableOffset + k * each;
        if (at + each > info.size())
            break; // a short colour table leaves the rest black
        if (usage == emf::DIB_PAL_COLORS) {
            const uint16_t index = ReadLE16(p + at);
            if (palette && index < palette->size())
                out.colors[k] = (*palette)[index];
            else
                out.colors[k] = qRgb(index & 0xFF, index & 0xFF, index & 0xFF);
        } else {
            out.colors[k] = qRgb(p[at + 2], p[at + 1], p[at]);
        }
    }
    return true;
}

QImage TDibDecoder::Decode(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                           uint32_t usage, bool keepAlpha, const std::vector<QRgb>* palette)
{
    TDibInfo header;
    if (!ReadInfo(info, usage, header, palette))
        return {};
    return Decode(header, bits, keepAlpha);
}

QImage TDibDecoder::Decode(const TDibInfo& info, std::span<const uint8_t> bits, bool keepAlpha)
{
    if (info.compression == emf::BI_JPEG)
        return DecodeCompressedImage(bits, "jpeg");
    if (info.compression == emf::BI_PNG)
        return DecodeCompressedImage(bits, "png");
    const int w = info.width, h = info.height;
    if (info.compression == emf::BI_RLE8 || info.compression == emf::BI_RLE4) {
        if ((info.compression == emf::BI_RLE8) != (info.bitCount == 8) &&
            (info.compression == emf::BI_RLE4) != (info.bitCount == 4))
            return {};
        QImage image(w, h, QImage::Format_ARGB32);
        if (image.isNull() || !DecodeRle(info, bits, image))
            return {};
        return image;
    }
    const bool fields =
        info.compression == emf::BI_BITFIELDS || info.compression == emf::BI_ALPHABITFIELDS;
    if (info.compression != emf::BI_RGB && !fields)
        return {};
    if (fields && info.bitCount != 16 && info.bitCount != 32)
        return {};
    const size_t stride = (size_t(w) * info.bitCount + 31) / 32 * 4;
    if (bits.size() / stride < size_t(h))
        return {};
    const bool alpha = keepAlpha && info.bitCount == 32;
    QImage image(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const MaskShift red(info.masks[0]), green(info.masks[1]), blue(info.masks[2]);
    const MaskShift alphaMask(info.compression == emf::BI_RGB ? 0xFF000000u : info.masks[3]);
    const size_t colorCount = info.colors.size();
    auto color = [&](unsigned index) -> QRgb {
        return index < colorCount ? info.colors[index] : qRgb(0, 0, 0);
    };
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = bits.data() + stride * size_t(info.topDown ? y : h - 1 - y);
        QRgb* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        switch (info.bitCount) {
        case 1:
            for (int x = 0; x < w; ++x)
                dst[x] = color((src[x >> 3] >> (7 - (x & 7))) & 1);
            break;
        case 4:
            for (int x = 0; x < w; ++x)
                dst[x] = color((x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4));
            break;
        case 8:
            for (int x = 0; x < w; ++x)
                dst[x] = color(src[x]);
            break;
        case 16:
            for (int x = 0; x < w; ++x) {
                const uint32_t v = ReadLE16(src + 2 * x);
                dst[x] = qRgb(red.Value(v), green.Value(v), blue.Value(v));
            }
            break;
        case 24:
            for (int x = 0; x < w; ++x)
                dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
            break;
        case 32:
            if (info.compression == emf::BI_RGB) {
                for (int x = 0; x < w; ++x) {
                    const uint8_t* s = src + 4 * x;
                    dst[x] = alpha ? qRgba(s[2], s[1], s[0], s[3]) : qRgb(s[2], s[1], s[0]);
                }
            } else {
                for (int x = 0; x < w; ++x) {
                    const uint32_t v = ReadLE32(src + 4 * x);
                    const int a = alpha && info.masks[3] ? alphaMask.Value(v) : 255;
                    dst[x] = qRgba(red.Value(v), green.Value(v), blue.Value(v), a);
                }
            }
            break;
        }
    }
    if (alpha) {
        // A picture whose alpha bytes are all zero was not meant to carry alpha.
        bool anyAlpha = false;
        for (int y = 0; y < h && !anyAlpha; ++y) {
            const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < w; ++x)
                if (qAlpha(row[x]) != 0) {
                    anyAlpha = true;
                    break;
                }
        }
        if (!anyAlpha)
            return image.convertToFormat(QImage::Format_RGB32);
        // Stored alpha pictures are premultiplied already; a colour above its alpha is clamped.
        for (int y = 0; y < h; ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const int a = qAlpha(row[x]);
                row[x] = qRgba(std::min(qRed(row[x]), a), std::min(qGreen(row[x]), a),
                               std::min(qBlue(row[x]), a), a);
            }
        }
        image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return image;
}
