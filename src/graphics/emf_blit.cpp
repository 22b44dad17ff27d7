#include "graphics/emf_blit.h"

#include "graphics/emf_bitmap.h"
#include "graphics/emf_reader.h"
#include "graphics/emf_records.h"
#include "graphics/emf_renderer.h"

#include <cmath>

using namespace emf;

namespace {

// Ternary operations that never read the source picture.
bool UsesSource(uint32_t rop)
{
    const uint32_t code = (rop >> 16) & 0xFF;
    // The source contributes when the result differs between S=0 and S=1 for some P and D.
    return ((code >> 2) & 0x33) != (code & 0x33);
}

QTransform SourceTransform(TEmfRecord& r, size_t at)
{
    const QTransform xf(r.F32(at), r.F32(at + 4), r.F32(at + 8), r.F32(at + 12), r.F32(at + 16),
                        r.F32(at + 20));
    const double det = xf.m11() * xf.m22() - xf.m12() * xf.m21();
    if (!std::isfinite(det) || std::fabs(det) < 1e-9 || !std::isfinite(xf.dx()) ||
        !std::isfinite(xf.dy()))
        return QTransform();
    return xf;
}

QImage Picture(TEmfRenderer& renderer, TEmfRecord& r, size_t offBmiAt, size_t usageAt,
               bool keepAlpha = false)
{
    const uint32_t offBmi = r.U32(offBmiAt), cbBmi = r.U32(offBmiAt + 4);
    const uint32_t offBits = r.U32(offBmiAt + 8), cbBits = r.U32(offBmiAt + 12);
    const uint32_t usage = r.U32(usageAt);
    const auto info = r.Bytes(offBmi, cbBmi);
    const auto bits = r.Bytes(offBits, cbBits);
    if (!r.Ok())
        return {};
    return TDibDecoder::Decode(info, bits, usage, keepAlpha, &renderer.Dc().palette->entries);
}

// Pixels where a one-bit mask is 0 become transparent (the background operation keeps the
// destination, as masked blits almost always ask).
QImage ApplyMask(const QImage& source, const QImage& mask, QPoint maskOrigin, QPoint sourceOrigin)
{
    QImage out = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        const int my = y - sourceOrigin.y() + maskOrigin.y();
        for (int x = 0; x < out.width(); ++x) {
            const int mx = x - sourceOrigin.x() + maskOrigin.x();
            const bool inside = mx >= 0 && my >= 0 && mx < mask.width() && my < mask.height();
            if (!inside || (mask.pixel(mx, my) & 0xFFFFFF) == 0)
                row[x] = 0;
        }
    }
    return out;
}

bool PlayBlt(TEmfRenderer& renderer, TEmfRecord& r, bool stretch)
{
    const QRectF target(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
    const uint32_t rop = r.U32(40);
    const double xSrc = r.I32(44), ySrc = r.I32(48);
    const QTransform xf = SourceTransform(r, 52);
    const uint32_t cbBmi = r.U32(88);
    double cxSrc = target.width(), cySrc = target.height();
    if (stretch) {
        cxSrc = r.I32(100);
        cySrc = r.I32(104);
    }
    if (!r.Ok())
        return false;
    if (cbBmi == 0 || !UsesSource(rop)) {
        renderer.PatBlt(target, rop);
        return true;
    }
    const QImage image = Picture(renderer, r, 84, 80);
    if (image.isNull())
        return false;
    const QRectF source = xf.mapRect(QRectF(xSrc, ySrc, cxSrc, cySrc));
    renderer.DrawImage(target, image, source, rop);
    return true;
}

bool PlayStretchDiBits(TEmfRenderer& renderer, TEmfRecord& r)
{
    const double xDest = r.I32(24), yDest = r.I32(28);
    const double xSrc = r.I32(32), ySrc = r.I32(36), cxSrc = r.I32(40), cySrc = r.I32(44);
    const uint32_t offBmi = r.U32(48), cbBmi = r.U32(52), offBits = r.U32(56), cbBits = r.U32(60);
    const uint32_t usage = r.U32(64), rop = r.U32(68);
    const double cxDest = r.I32(72), cyDest = r.I32(76);
    if (!r.Ok())
        return false;
    const QRectF target(xDest, yDest, cxDest, cyDest);
    if (!UsesSource(rop)) {
        renderer.PatBlt(target, rop);
        return true;
    }
    TDibInfo info;
    const auto infoBytes = r.Bytes(offBmi, cbBmi);
    const auto bits = r.Bytes(offBits, cbBits);
    if (!r.Ok() || !TDibDecoder::ReadInfo(infoBytes, usage, info, &renderer.Dc().palette->entries))
        return false;
    const QImage image = TDibDecoder::Decode(info, bits, false);
    if (image.isNull())
        return false;
    // Source rows of a bottom-up picture count from its bottom.
    const double top = info.topDown ? ySrc : info.height - ySrc - cySrc;
    renderer.DrawImage(target, image, QRectF(xSrc, top, cxSrc, cySrc), rop);
    return true;
}

bool PlaySetDiBitsToDevice(TEmfRenderer& renderer, TEmfRecord& r)
{
    const QPointF dest(r.I32(24), r.I32(28));
    const double xSrc = r.I32(32), ySrc = r.I32(36), cxSrc = r.I32(40), cySrc = r.I32(44);
    const uint32_t offBmi = r.U32(48), cbBmi = r.U32(52), offBits = r.U32(56), cbBits = r.U32(60);
    const uint32_t usage = r.U32(64), startScan = r.U32(68), scans = r.U32(72);
    if (!r.Ok())
        return false;
    TDibInfo info;
    const auto infoBytes = r.Bytes(offBmi, cbBmi);
    const auto bits = r.Bytes(offBits, cbBits);
    if (!r.Ok() || !TDibDecoder::ReadInfo(infoBytes, usage, info, &renderer.Dc().palette->entries))
        return false;
    // The bits hold only the scan lines from startScan on.
    if (scans == 0 || startScan >= uint32_t(info.height))
        return true;
    const int32_t fullHeight = info.height;
    info.height = int32_t(std::min<uint32_t>(scans, uint32_t(fullHeight) - startScan));
    const QImage band = TDibDecoder::Decode(info, bits, false);
    if (band.isNull())
        return false;
    // Rows of the band from the picture's bottom: startScan .. startScan + height - 1.
    double top;
    if (info.topDown)
        top = ySrc - startScan;
    else
        top = (startScan + info.height) - (ySrc + cySrc);
    // The picture goes to the device one pixel per pixel, at the logical destination point.
    const QPointF origin = renderer.Dc().LogicalToDevice().map(dest);
    bool invertible = false;
    const QTransform deviceToLogical = renderer.Dc().LogicalToDevice().inverted(&invertible);
    if (!invertible)
        return true;
    const QTransform sourceToLogical =
        QTransform::fromTranslate(origin.x() - xSrc, origin.y() - top) * deviceToLogical;
    renderer.DrawImage(sourceToLogical, band, QRectF(xSrc, top, cxSrc, cySrc), SRCCOPY);
    return true;
}

bool PlayAlphaBlend(TEmfRenderer& renderer, TEmfRecord& r)
{
    const QRectF target(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
    const uint8_t constantAlpha = r.U8(42);
    const uint8_t format = r.U8(43);
    const double xSrc = r.I32(44), ySrc = r.I32(48);
    const QTransform xf = SourceTransform(r, 52);
    const double cxSrc = r.I32(100), cySrc = r.I32(104);
    if (!r.Ok())
        return false;
    const QImage image = Picture(renderer, r, 84, 80, format & AC_SRC_ALPHA);
    if (image.isNull())
        return false;
    const QRectF source = xf.mapRect(QRectF(xSrc, ySrc, cxSrc, cySrc));
    if (source.width() == 0 || source.height() == 0)
        return true;
    const double sx = target.width() / source.width(), sy = target.height() / source.height();
    const QTransform sourceToLogical(sx, 0, 0, sy, target.left() - source.left() * sx,
                                     target.top() - source.top() * sy);
    renderer.DrawImage(sourceToLogical, image, source, SRCCOPY, constantAlpha / 255.0);
    return true;
}

bool PlayTransparentBlt(TEmfRenderer& renderer, TEmfRecord& r)
{
    const QRectF target(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
    const QRgb key = ColorFromRef(r.U32(40)).rgb();
    const double xSrc = r.I32(44), ySrc = r.I32(48);
    const QTransform xf = SourceTransform(r, 52);
    const double cxSrc = r.I32(100), cySrc = r.I32(104);
    if (!r.Ok())
        return false;
    QImage image = Picture(renderer, r, 84, 80);
    if (image.isNull())
        return false;
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                row[x] = 0;
    }
    renderer.DrawImage(target, image, xf.mapRect(QRectF(xSrc, ySrc, cxSrc, cySrc)), SRCCOPY);
    return true;
}

bool PlayMaskBlt(TEmfRenderer& renderer, TEmfRecord& r)
{
    const QRectF target(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
    const uint32_t rop = r.U32(40) & 0x00FFFFFF;
    const double xSrc = r.I32(44), ySrc = r.I32(48);
    const QTransform xf = SourceTransform(r, 52);
    const uint32_t cbBmi = r.U32(88);
    const QPoint maskAt(r.I32(100), r.I32(104));
    const uint32_t cbMask = r.U32(116);
    if (!r.Ok())
        return false;
    if (cbBmi == 0 || !UsesSource(rop)) {
        renderer.PatBlt(target, rop);
        return true;
    }
    QImage image = Picture(renderer, r, 84, 80);
    if (image.isNull())
        return false;
    const QRectF source = xf.mapRect(QRectF(xSrc, ySrc, target.width(), target.height()));
    if (cbMask != 0) {
        const QImage mask = Picture(renderer, r, 112, 108);
        if (!mask.isNull())
            image = ApplyMask(image, mask, maskAt, source.topLeft().toPoint());
    }
    renderer.DrawImage(target, image, source, rop);
    return true;
}

bool PlayPlgBlt(TEmfRenderer& renderer, TEmfRecord& r)
{
    const QPointF p0(r.I32(24), r.I32(28)), p1(r.I32(32), r.I32(36)), p2(r.I32(40), r.I32(44));
    const double xSrc = r.I32(48), ySrc = r.I32(52), cxSrc = r.I32(56), cySrc = r.I32(60);
    const uint32_t cbBmi = r.U32(100);
    const QPoint maskAt(r.I32(112), r.I32(116));
    const uint32_t cbMask = r.U32(128);
    if (!r.Ok())
        return false;
    if (cbBmi == 0 || cxSrc == 0 || cySrc == 0)
        return true;
    QImage image = Picture(renderer, r, 96, 92);
    if (image.isNull())
        return false;
    if (cbMask != 0) {
        const QImage mask = Picture(renderer, r, 124, 120);
        if (!mask.isNull())
            image = ApplyMask(image, mask, maskAt, QPoint(int(xSrc), int(ySrc)));
    }
    // The source rectangle's corners go to p0 (top left), p1 (top right) and p2 (bottom left).
    const double m11 = (p1.x() - p0.x()) / cxSrc, m12 = (p1.y() - p0.y()) / cxSrc;
    const double m21 = (p2.x() - p0.x()) / cySrc, m22 = (p2.y() - p0.y()) / cySrc;
    const QTransform sourceToLogical(m11, m12, m21, m22, p0.x() - xSrc * m11 - ySrc * m21,
                                     p0.y() - xSrc * m12 - ySrc * m22);
    renderer.DrawImage(sourceToLogical, image, QRectF(xSrc, ySrc, cxSrc, cySrc), SRCCOPY);
    return true;
}

} // namespace

bool PlayBitmapRecord(TEmfRenderer& renderer, TEmfRecord& record)
{
    switch (record.Type()) {
    case EMR_BITBLT:
        return PlayBlt(renderer, record, false);
    case EMR_STRETCHBLT:
        return PlayBlt(renderer, record, true);
    case EMR_STRETCHDIBITS:
        return PlayStretchDiBits(renderer, record);
    case EMR_SETDIBITSTODEVICE:
        return PlaySetDiBitsToDevice(renderer, record);
    case EMR_ALPHABLEND:
        return PlayAlphaBlend(renderer, record);
    case EMR_TRANSPARENTBLT:
        return PlayTransparentBlt(renderer, record);
    case EMR_MASKBLT:
        return PlayMaskBlt(renderer, record);
    case EMR_PLGBLT:
        return PlayPlgBlt(renderer, record);
    default:
        return false;
    }
}
