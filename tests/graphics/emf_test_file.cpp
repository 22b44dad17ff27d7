#include "graphics/emf_test_file.h"

#include "graphics/emf_player.h"
#include "platform/stream.h"

#include <QFile>
#include <QPainter>
#include <cstring>

namespace {
void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    const size_t at = out.size();
    out.resize(at + 4);
    WriteLE32(out.data() + at, value);
}
} // namespace

TEmfTestFile::TEmfTestFile(int width, int height) : width_(width), height_(height) {}

void TEmfTestFile::Add(uint32_t type, std::initializer_list<int32_t> fields,
                       std::span<const uint8_t> extra)
{
    const size_t start = records_.size();
    Put32(records_, type);
    Put32(records_, 0);
    for (int32_t f : fields)
        Put32(records_, uint32_t(f));
    records_.insert(records_.end(), extra.begin(), extra.end());
    while ((records_.size() - start) % 4)
        records_.push_back(0);
    WriteLE32(records_.data() + start + 4, uint32_t(records_.size() - start));
    ++count_;
}

void TEmfTestFile::AddFloats(uint32_t type, std::initializer_list<float> fields, int32_t trailing)
{
    std::vector<uint8_t> bytes;
    for (float f : fields) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        Put32(bytes, bits);
    }
    if (trailing >= 0)
        Put32(bytes, uint32_t(trailing));
    Add(type, {}, bytes);
}

void TEmfTestFile::Brush(uint32_t index, uint32_t colorRef)
{
    Add(39, { int32_t(index), 0, int32_t(colorRef), 0 });
    Add(37, { int32_t(index) });
}

void TEmfTestFile::Patch(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Add(76, { 0,
              0,
              -1,
              -1,
              left,
              top,
              right - left,
              bottom - top,
              0x00F00021,
              0,
              0,
              0x3F800000,
              0,
              0,
              0x3F800000,
              0,
              0,
              0,
              0,
              0,
              0,
              0,
              0 });
}

void TEmfTestFile::Font(uint32_t index, int32_t height, const std::u16string& face,
                        int32_t escapement)
{
    std::vector<uint8_t> logFont(92, 0);
    WriteLE32(logFont.data(), uint32_t(height));
    WriteLE32(logFont.data() + 8, uint32_t(escapement));
    WriteLE32(logFont.data() + 12, uint32_t(escapement));
    WriteLE32(logFont.data() + 16, 400);
    for (size_t i = 0; i < face.size() && i < 31; ++i)
        WriteLE16(logFont.data() + 28 + 2 * i, face[i]);
    Add(82, { int32_t(index) }, logFont);
    Add(37, { int32_t(index) });
}

void TEmfTestFile::Text(int32_t x, int32_t y, const std::u16string& text, std::vector<int32_t> dx,
                        uint32_t options, QRect rect)
{
    // Type, size, bounds (16), graphics mode, scales, then the text block of 40 bytes: 76 bytes.
    const uint32_t stringAt = 76;
    const uint32_t stringBytes = uint32_t((text.size() * 2 + 3) / 4 * 4);
    const uint32_t dxAt = dx.empty() ? 0 : stringAt + stringBytes;
    std::vector<uint8_t> extra;
    for (char16_t c : text) {
        extra.push_back(uint8_t(c));
        extra.push_back(uint8_t(c >> 8));
    }
    while (extra.size() % 4)
        extra.push_back(0);
    for (int32_t d : dx)
        Put32(extra, uint32_t(d));
    const QRect r = rect.isNull() ? QRect() : rect;
    Add(84,
        { 0, 0, -1, -1, 1, 0, 0, x, y, int32_t(text.size()), int32_t(stringAt), int32_t(options),
          r.left(), r.top(), r.isNull() ? 0 : r.right() + 1, r.isNull() ? 0 : r.bottom() + 1,
          int32_t(dxAt) },
        extra);
}

std::vector<uint8_t> TEmfTestFile::Bytes() const
{
    std::vector<uint8_t> out;
    // Header of 108 bytes: bounds, frame (0.01 mm), signature, version, sizes, device.
    const int32_t frameW = width_ * 2540 / 96, frameH = height_ * 2540 / 96;
    const int32_t header[] = { 1,   108,    0,      0,          width_ - 1, height_ - 1, 0,
                               0,   frameW, frameH, 0x464D4520, 0x10000,    0,           0,
                               0,   0,      0,      0,          1920,       1080,        508,
                               286, 0,      0,      0,          508000,     285750 };
    for (int32_t v : header)
        Put32(out, uint32_t(v));
    out.insert(out.end(), records_.begin(), records_.end());
    const int32_t eof[] = { 14, 20, 0, 16, 20 };
    for (int32_t v : eof)
        Put32(out, uint32_t(v));
    WriteLE32(out.data() + 48, uint32_t(out.size()));
    WriteLE32(out.data() + 52, count_ + 2);
    WriteLE16(out.data() + 56, 16);
    return out;
}

QImage TEmfTestFile::Render() const
{
    QImage image(width_, height_, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const std::vector<uint8_t> bytes = Bytes();
    StretchDrawMetafile(painter, QRectF(0, 0, width_, height_), bytes);
    return image;
}

bool Dark(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 128;
}

QRect InkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                box |= QRect(x, y, 1, 1);
    return box;
}

QRgb Pixel(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return std::vector<uint8_t>(data.begin(), data.end());
}

std::string SharedDir()
{
    const QByteArray source = qgetenv("QRP_SOURCE_DIR");
    if (source.isEmpty())
        return {};
    return source.toStdString() + "/../shared";
}
