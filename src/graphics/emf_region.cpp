#include "graphics/emf_region.h"

#include "platform/stream.h"

#include <QRegion>
#include <vector>

namespace {
constexpr size_t kHeaderSize = 32;
constexpr size_t kRectSize = 16;
} // namespace

bool ReadRegion(std::span<const uint8_t> data, QPainterPath& area)
{
    area = QPainterPath();
    if (data.size() < kHeaderSize)
        return false;
    const uint32_t headerSize = ReadLE32(data.data());
    const uint32_t count = ReadLE32(data.data() + 8);
    const size_t start =
        headerSize >= kHeaderSize && headerSize <= data.size() ? headerSize : kHeaderSize;
    if (count > (data.size() - start) / kRectSize)
        return false;
    const uint8_t* p = data.data() + start;
    if (count == 1) {
        const QRect r(QPoint(ReadLE32s(p), ReadLE32s(p + 4)),
                      QPoint(ReadLE32s(p + 8) - 1, ReadLE32s(p + 12) - 1));
        if (r.isValid())
            area.addRect(QRectF(r));
        return true;
    }
    std::vector<QRect> rects;
    rects.reserve(count);
    for (uint32_t i = 0; i < count; ++i, p += kRectSize) {
        const QRect r(QPoint(ReadLE32s(p), ReadLE32s(p + 4)),
                      QPoint(ReadLE32s(p + 8) - 1, ReadLE32s(p + 12) - 1));
        if (r.isValid())
            rects.push_back(r);
    }
    // Region data is normally banded already (sorted by rows, no overlaps), which lets the
    // region take the list as it is; other lists are united rectangle by rectangle.
    bool banded = true;
    for (size_t i = 1; i < rects.size() && banded; ++i) {
        const QRect& a = rects[i - 1];
        const QRect& b = rects[i];
        if (b.top() == a.top() && b.bottom() == a.bottom())
            banded = b.left() > a.right();
        else
            banded = b.top() > a.bottom();
    }
    QRegion region;
    if (banded) {
        region.setRects(rects.data(), int(rects.size()));
    } else if (rects.size() <= 4096) {
        for (const QRect& r : rects)
            region += r;
    } else {
        QRect bounds;
        for (const QRect& r : rects)
            bounds |= r;
        region = bounds;
    }
    area.addRegion(region);
    return true;
}
