#include "graphics/emf_renderer.h"

#include "graphics/emf_records.h"

#include <QPaintEngine>
#include <cmath>

using namespace emf;

namespace {

QPainter::CompositionMode Rop2Mode(uint32_t rop2)
{
    switch (rop2) {
    case R2_NOTMERGEPEN:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case R2_MASKNOTPEN:
        return QPainter::RasterOp_NotSourceAndDestination;
    case R2_NOTCOPYPEN:
        return QPainter::RasterOp_NotSource;
    case R2_MASKPENNOT:
        return QPainter::RasterOp_SourceAndNotDestination;
    case R2_NOT:
        return QPainter::RasterOp_NotDestination;
    case R2_XORPEN:
        return QPainter::RasterOp_SourceXorDestination;
    case R2_NOTMASKPEN:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case R2_MASKPEN:
        return QPainter::RasterOp_SourceAndDestination;
    case R2_NOTXORPEN:
        return QPainter::RasterOp_NotSourceXorDestination;
    case R2_MERGENOTPEN:
        return QPainter::RasterOp_NotSourceOrDestination;
    case R2_MERGEPENNOT:
        return QPainter::RasterOp_SourceOrNotDestination;
    case R2_MERGEPEN:
        return QPainter::RasterOp_SourceOrDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

Qt::BrushStyle HatchPattern(uint32_t hatch)
{
    switch (hatch) {
    case HS_HORIZONTAL:
        return Qt::HorPattern;
    case HS_VERTICAL:
        return Qt::VerPattern;
    case HS_FDIAGONAL:
        return Qt::FDiagPattern;
    case HS_BDIAGONAL:
        return Qt::BDiagPattern;
    case HS_CROSS:
        return Qt::CrossPattern;
    case HS_DIAGCROSS:
        return Qt::DiagCrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

QImage Colorize(const QImage& mask, const QColor& zero, const QColor& one)
{
    QImage image = mask.convertToFormat(QImage::Format_RGB32);
    const QRgb z = zero.rgb(), o = one.rgb();
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = (row[x] & 0xFFFFFF) ? o : z;
    }
    return image;
}

} // namespace

TEmfRenderer::TEmfRenderer(QPainter& painter, const QTransform& deviceToPainter)
    : painter_(painter), deviceToPainter_(deviceToPainter * painter.transform()),
      baseTransform_(painter.transform())
{
    painter_.save();
    const QPaintEngine* engine = painter_.paintEngine();
    rasterOps_ = engine && engine->hasFeature(QPaintEngine::RasterOpModes);
    if (painter_.hasClipping()) {
        hasBaseClip_ = true;
        baseClip_ = painter_.transform().map(painter_.clipPath());
    }
    antialiasing_ = painter_.testRenderHint(QPainter::Antialiasing);
    objects_.Resize(1);
}

TEmfRenderer::~TEmfRenderer()
{
    painter_.restore();
}

void TEmfRenderer::RestorePainterTransform()
{
    if (painter_.transform() != baseTransform_)
        painter_.setTransform(baseTransform_);
}

QPointF TEmfRenderer::LineEnd(const QPointF& from, const QPointF& to) const
{
    // Thin pens draw with flat caps, which already leave the end pixel out.
    (void)from;
    return to;
}

QRectF TEmfRenderer::InclusiveBox(const QRectF& logical) const
{
    const QTransform t = LogicalToPainter();
    if (t.m12() != 0 || t.m21() != 0)
        return logical;
    bool invertible = false;
    const QTransform inverse = t.inverted(&invertible);
    if (!invertible)
        return logical;
    QRectF box = t.mapRect(logical.normalized());
    if (box.width() < 2 || box.height() < 2)
        return logical;
    box.setRight(box.right() - 1);
    box.setBottom(box.bottom() - 1);
    return inverse.mapRect(box);
}

double TEmfRenderer::LogicalScale() const
{
    const QTransform t = LogicalToPainter();
    return std::sqrt(std::fabs(t.m11() * t.m22() - t.m12() * t.m21()));
}

void TEmfRenderer::SaveDc()
{
    if (saved_.size() >= kMaxSaveDepth)
        return;
    saved_.push_back(dc_);
}

void TEmfRenderer::RestoreDc(int32_t level)
{
    size_t target;
    if (level < 0) {
        const int64_t index = int64_t(saved_.size()) + level;
        if (index < 0)
            return;
        target = size_t(index);
    } else if (level > 0) {
        if (size_t(level) > saved_.size())
            return;
        target = size_t(level) - 1;
    } else {
        return;
    }
    dc_ = std::move(saved_[target]);
    saved_.resize(target);
    clipDirty_ = true;
}

void TEmfRenderer::SelectObject(uint32_t index)
{
    TEmfObject stock;
    const TEmfObject* object = nullptr;
    if (index & kStockObjectFlag) {
        stock = StockObject(index & ~kStockObjectFlag);
        object = &stock;
    } else {
        object = objects_.Get(index);
    }
    if (!object)
        return;
    if (auto pen = std::get_if<std::shared_ptr<const TEmfPen>>(object))
        dc_.pen = *pen;
    else if (auto brush = std::get_if<std::shared_ptr<const TEmfBrush>>(object))
        dc_.brush = *brush;
    else if (auto font = std::get_if<std::shared_ptr<const TEmfFont>>(object))
        dc_.font = *font;
    else if (auto palette = std::get_if<std::shared_ptr<const TEmfPalette>>(object))
        dc_.palette = *palette;
}

void TEmfRenderer::DeleteObject(uint32_t index)
{
    if (!(index & kStockObjectFlag))
        objects_.Remove(index);
}

void TEmfRenderer::BeginPath()
{
    path_ = QPainterPath();
    inPath_ = true;
}

void TEmfRenderer::AbortPath()
{
    path_ = QPainterPath();
    inPath_ = false;
}

void TEmfRenderer::AddToPath(const QPainterPath& logical, bool connect)
{
    if (path_.elementCount() + logical.elementCount() > kMaxPathElements) {
        AbortPath();
        return;
    }
    const QPainterPath device = dc_.LogicalToDevice().map(logical);
    if (connect && !path_.isEmpty())
        path_.connectPath(device);
    else
        path_.addPath(device);
}

QPainterPath TEmfRenderer::PathInLogical() const
{
    bool invertible = false;
    const QTransform inverse = dc_.LogicalToDevice().inverted(&invertible);
    if (!invertible)
        return {};
    QPainterPath path = inverse.map(path_);
    path.setFillRule(dc_.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    return path;
}

void TEmfRenderer::ApplyClip()
{
    clipDirty_ = false;
    const bool metaSet = dc_.metaClip.IsSet();
    if (!dc_.clip.IsSet() && !metaSet) {
        if (hasBaseClip_) {
            painter_.setTransform(QTransform());
            painter_.setClipPath(baseClip_, Qt::ReplaceClip);
        } else {
            painter_.setClipping(false);
        }
        return;
    }
    Qt::ClipOperation op = Qt::ReplaceClip;
    if (hasBaseClip_) {
        painter_.setTransform(QTransform());
        painter_.setClipPath(baseClip_, Qt::ReplaceClip);
        op = Qt::IntersectClip;
    }
    painter_.setTransform(deviceToPainter_);
    const TEmfClip* clip = &dc_.clip;
    TEmfClip both;
    if (metaSet) {
        both = dc_.metaClip;
        if (dc_.clip.IsSet())
            both.Intersect(dc_.clip);
        clip = &both;
    }
    if (clip->IsRect())
        painter_.setClipRect(clip->Rect(), op);
    else
        painter_.setClipPath(clip->Path(), op);
}

void TEmfRenderer::ResetComposition()
{
    if (compositionChanged_) {
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter_.setRenderHint(QPainter::Antialiasing, antialiasing_);
        compositionChanged_ = false;
    }
}

void TEmfRenderer::ApplyRop2()
{
    const QPainter::CompositionMode mode = Rop2Mode(dc_.rop2);
    if (mode == QPainter::CompositionMode_SourceOver || !rasterOps_) {
        ResetComposition();
        return;
    }
    painter_.setCompositionMode(mode);
    // Bitwise operations on partly covered edge pixels would leave fringes.
    painter_.setRenderHint(QPainter::Antialiasing, false);
    compositionChanged_ = true;
}

bool TEmfRenderer::Prepare()
{
    if (dc_.rop2 == R2_NOP)
        return false;
    // Without bitwise operations, inverting the destination has no faithful equivalent.
    if (!rasterOps_ && dc_.rop2 == R2_NOT)
        return false;
    const QTransform t = LogicalToPainter();
    if (!std::isfinite(t.m11()) || !std::isfinite(t.m22()) || !std::isfinite(t.m12()) ||
        !std::isfinite(t.m21()) || !std::isfinite(t.dx()) || !std::isfinite(t.dy()))
        return false;
    PrepareWith(t);
    ApplyRop2();
    return true;
}

void TEmfRenderer::PrepareWith(const QTransform& transform)
{
    if (clipDirty_)
        ApplyClip();
    painter_.setTransform(transform);
    ResetComposition();
}

QPen TEmfRenderer::PenFor(const TEmfPen& pen)
{
    if (pen.IsNull())
        return Qt::NoPen;
    QColor color = pen.color;
    if (dc_.rop2 == R2_BLACK)
        color = Qt::black;
    else if (dc_.rop2 == R2_WHITE)
        color = Qt::white;
    QPen q(color);
    const double scale = LogicalScale();
    const bool cosmetic = pen.IsCosmetic() || pen.width * scale <= 1.0;
    if (cosmetic) {
        q.setWidthF(1.0);
        q.setCosmetic(true);
        q.setCapStyle(Qt::FlatCap);
        q.setJoinStyle(Qt::MiterJoin);
    } else {
        // Widths beyond any page are drawn as wide as a large page.
        q.setWidthF(std::min(pen.width, 1.0e5 / scale));
        if (pen.extended) {
            switch (pen.style & PS_ENDCAP_MASK) {
            case PS_ENDCAP_SQUARE:
                q.setCapStyle(Qt::SquareCap);
                break;
            case PS_ENDCAP_FLAT:
                q.setCapStyle(Qt::FlatCap);
                break;
            default:
                q.setCapStyle(Qt::RoundCap);
                break;
            }
            switch (pen.style & PS_JOIN_MASK) {
            case PS_JOIN_BEVEL:
                q.setJoinStyle(Qt::BevelJoin);
                break;
            case PS_JOIN_MITER:
                q.setJoinStyle(Qt::MiterJoin);
                q.setMiterLimit(std::clamp(dc_.miterLimit, 1.0, 100.0));
                break;
            default:
                q.setJoinStyle(Qt::RoundJoin);
                break;
            }
        } else {
            q.setCapStyle(Qt::RoundCap);
            q.setJoinStyle(Qt::RoundJoin);
        }
    }
    QList<qreal> dashes;
    switch (pen.Kind()) {
    case PS_DASH:
        dashes = cosmetic ? QList<qreal> { 18, 6 } : QList<qreal> { 3, 1 };
        break;
    case PS_DOT:
        dashes = cosmetic ? QList<qreal> { 3, 3 } : QList<qreal> { 1, 1 };
        break;
    case PS_DASHDOT:
        dashes = cosmetic ? QList<qreal> { 9, 6, 3, 6 } : QList<qreal> { 3, 1, 1, 1 };
        break;
    case PS_DASHDOTDOT:
        dashes = cosmetic ? QList<qreal> { 9, 3, 3, 3, 3, 3 } : QList<qreal> { 3, 1, 1, 1, 1, 1 };
        break;
    case PS_ALTERNATE:
        dashes = { 1, 1 };
        break;
    case PS_USERSTYLE: {
        const double unit = cosmetic || pen.width <= 0 ? 1.0 : pen.width;
        for (double d : pen.dashes)
            dashes.push_back(std::max(d / unit, 0.01));
        if (dashes.size() % 2)
            dashes.append(QList<qreal>(dashes));
        break;
    }
    default:
        break;
    }
    if (!dashes.isEmpty()) {
        q.setDashPattern(dashes);
        if (!cosmetic && q.capStyle() != Qt::FlatCap)
            q.setCapStyle(Qt::FlatCap);
    }
    return q;
}

QBrush TEmfRenderer::BrushFor(const TEmfBrush& brush)
{
    if (brush.IsNull())
        return Qt::NoBrush;
    QColor color = brush.color;
    if (dc_.rop2 == R2_BLACK)
        return QBrush(Qt::black);
    if (dc_.rop2 == R2_WHITE)
        return QBrush(Qt::white);
    QBrush q;
    switch (brush.style) {
    case BS_HATCHED:
        q = QBrush(color, HatchPattern(brush.hatch));
        break;
    case BS_DIBPATTERN:
        if (brush.monochrome)
            q = QBrush(Colorize(brush.monoMask, dc_.textColor, dc_.bkColor));
        else
            q = QBrush(brush.pattern);
        break;
    default:
        return QBrush(color);
    }
    // Patterns are laid on the output device's pixels, as the platform lays them.
    bool invertible = false;
    const QTransform inverse = LogicalToPainter().inverted(&invertible);
    if (invertible)
        q.setTransform(inverse);
    painter_.setBackgroundMode(dc_.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(dc_.bkColor);
    return q;
}

void TEmfRenderer::Stroke(const QPainterPath& shape)
{
    if (dc_.pen->IsNull() || !Prepare())
        return;
    painter_.setPen(PenFor(*dc_.pen));
    painter_.setBrush(Qt::NoBrush);
    painter_.setBackgroundMode(dc_.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(dc_.bkColor);
    painter_.drawPath(shape);
}

void TEmfRenderer::Fill(const QPainterPath& shape)
{
    if (dc_.brush->IsNull() || !Prepare())
        return;
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(BrushFor(*dc_.brush));
    painter_.drawPath(shape);
}

void TEmfRenderer::FillAndStroke(const QPainterPath& shape)
{
    if (dc_.brush->IsNull()) {
        Stroke(shape);
        return;
    }
    if (!Prepare())
        return;
    painter_.setBackgroundMode(dc_.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(dc_.bkColor);
    painter_.setBrush(BrushFor(*dc_.brush));
    painter_.setPen(PenFor(*dc_.pen));
    painter_.drawPath(shape);
}

void TEmfRenderer::DrawLine(const QPointF& from, const QPointF& to)
{
    if (dc_.pen->IsNull() || !Prepare())
        return;
    painter_.setPen(PenFor(*dc_.pen));
    painter_.setBackgroundMode(dc_.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(dc_.bkColor);
    painter_.drawLine(from, to);
}

void TEmfRenderer::DrawPolyline(const QPointF* points, int count)
{
    if (dc_.pen->IsNull() || count < 2 || !Prepare())
        return;
    painter_.setPen(PenFor(*dc_.pen));
    painter_.setBackgroundMode(dc_.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(dc_.bkColor);
    painter_.drawPolyline(points, count);
}

void TEmfRenderer::DrawRect(const QRectF& rect)
{
    if ((dc_.pen->IsNull() && dc_.brush->IsNull()) || !Prepare())
        return;
    painter_.setBackgroundMode(dc_.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(dc_.bkColor);
    painter_.setPen(PenFor(*dc_.pen));
    painter_.setBrush(BrushFor(*dc_.brush));
    painter_.drawRect(rect);
}

void TEmfRenderer::FillWith(const QPainterPath& shape, const QBrush& brush)
{
    if (brush.style() == Qt::NoBrush || !Prepare())
        return;
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(brush);
    painter_.drawPath(shape);
}

void TEmfRenderer::FillRectWith(const QRectF& rect, const QColor& color)
{
    PrepareWith(LogicalToPainter());
    painter_.fillRect(rect, color);
}

void TEmfRenderer::PatBlt(const QRectF& target, uint32_t rop)
{
    if (rop == DSTCOPY)
        return;
    PrepareWith(LogicalToPainter());
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    QBrush brush;
    switch (rop) {
    case BLACKNESS:
        brush = QBrush(Qt::black);
        break;
    case WHITENESS:
        brush = QBrush(Qt::white);
        break;
    case DSTINVERT:
        if (!rasterOps_)
            return;
        brush = QBrush(Qt::black);
        mode = QPainter::RasterOp_NotDestination;
        break;
    case PATINVERT:
        brush = BrushFor(*dc_.brush);
        if (rasterOps_)
            mode = QPainter::RasterOp_SourceXorDestination;
        break;
    default: // PATCOPY and operations that reduce to painting the pattern
        brush = BrushFor(*dc_.brush);
        break;
    }
    if (brush.style() == Qt::NoBrush)
        return;
    if (mode != QPainter::CompositionMode_SourceOver) {
        painter_.setCompositionMode(mode);
        painter_.setRenderHint(QPainter::Antialiasing, false);
        compositionChanged_ = true;
    }
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(brush);
    painter_.drawRect(target.normalized());
}

void TEmfRenderer::DrawImage(const QRectF& target, const QImage& image, const QRectF& source,
                             uint32_t rop)
{
    if (source.width() == 0 || source.height() == 0)
        return;
    const double sx = target.width() / source.width();
    const double sy = target.height() / source.height();
    const QTransform sourceToLogical(sx, 0, 0, sy, target.left() - source.left() * sx,
                                     target.top() - source.top() * sy);
    switch (rop) {
    case PATCOPY:
    case PATINVERT:
    case BLACKNESS:
    case WHITENESS:
    case DSTINVERT:
    case DSTCOPY:
        PatBlt(target, rop);
        return;
    default:
        DrawImage(sourceToLogical, image, source, rop);
    }
}

void TEmfRenderer::DrawImage(const QTransform& sourceToLogical, const QImage& image,
                             const QRectF& source, uint32_t rop, double opacity)
{
    if (image.isNull())
        return;
    const QRectF drawn = source.normalized().intersected(QRectF(image.rect()));
    if (drawn.isEmpty())
        return;
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    const QImage* picture = &image;
    QImage changed;
    switch (rop) {
    case SRCCOPY:
        break;
    case SRCPAINT:
        mode = QPainter::RasterOp_SourceOrDestination;
        break;
    case SRCAND:
        mode = QPainter::RasterOp_SourceAndDestination;
        break;
    case SRCINVERT:
        mode = QPainter::RasterOp_SourceXorDestination;
        break;
    case SRCERASE:
        mode = QPainter::RasterOp_SourceAndNotDestination;
        break;
    case NOTSRCERASE:
        mode = QPainter::RasterOp_NotSourceAndNotDestination;
        break;
    case MERGEPAINT:
        mode = QPainter::RasterOp_NotSourceOrDestination;
        break;
    case NOTSRCCOPY:
        changed = image.convertToFormat(QImage::Format_RGB32);
        changed.invertPixels();
        picture = &changed;
        break;
    case MERGECOPY: {
        // Source AND pattern, for a solid brush: each colour channel masked by the brush's.
        const QRgb brush = dc_.brush->IsNull() ? qRgb(0, 0, 0) : dc_.brush->color.rgb();
        changed = image.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < changed.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(changed.scanLine(y));
            for (int x = 0; x < changed.width(); ++x)
                row[x] &= brush | 0xFF000000u;
        }
        picture = &changed;
        break;
    }
    default:
        break;
    }
    if (mode != QPainter::CompositionMode_SourceOver && !rasterOps_) {
        // Vector output has no bitwise operations; over a white page AND leaves the source and
        // OR leaves the page, and the others have no useful likeness.
        if (rop != SRCAND)
            return;
        mode = QPainter::CompositionMode_SourceOver;
    }
    PrepareWith(sourceToLogical * LogicalToPainter());
    if (mode != QPainter::CompositionMode_SourceOver) {
        painter_.setCompositionMode(mode);
        painter_.setRenderHint(QPainter::Antialiasing, false);
        compositionChanged_ = true;
    }
    const double oldOpacity = painter_.opacity();
    if (opacity < 1.0)
        painter_.setOpacity(std::max(0.0, opacity));
    painter_.drawImage(drawn.topLeft(), *picture, drawn);
    if (opacity < 1.0)
        painter_.setOpacity(oldOpacity);
}
