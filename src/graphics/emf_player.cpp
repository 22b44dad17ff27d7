#include "graphics/emf_player.h"

#include "graphics/emf_blit.h"
#include "graphics/emf_gradient.h"
#include "graphics/emf_reader.h"
#include "graphics/emf_records.h"
#include "graphics/emf_region.h"
#include "graphics/emf_renderer.h"
#include "graphics/emf_shapes.h"
#include "graphics/emf_text.h"
#include "graphics/metafile.h"
#include "platform/errors.h"

#include <QPainterPathStroker>
#include <cmath>

using namespace emf;

namespace {

// Header fields the player needs, read leniently: a header that the metafile class accepted, or
// one that a canvas hands over record by record.
TEmfDevice DeviceFromHeader(TEmfRecord& r)
{
    TEmfDevice device;
    const int32_t cx = r.I32(72), cy = r.I32(76), mmx = r.I32(80), mmy = r.I32(84);
    int32_t umx = 0, umy = 0;
    if (TMetafile::HeaderExtent(r.Data(), r.Size()) >= 108 && r.Has(100, 8)) {
        umx = r.I32(100);
        umy = r.I32(104);
    }
    if (cx > 0 && cy > 0) {
        device.pixelsX = cx;
        device.pixelsY = cy;
    }
    if (umx > 0 && umy > 0) {
        device.millimetresX = umx / 1000.0;
        device.millimetresY = umy / 1000.0;
    } else if (mmx > 0 && mmy > 0) {
        device.millimetresX = mmx;
        device.millimetresY = mmy;
    } else {
        device.millimetresX = device.pixelsX * 25.4 / 96;
        device.millimetresY = device.pixelsY * 25.4 / 96;
    }
    return device;
}

TEmfDevice DeviceFromHeader(const TEmfHeader& h)
{
    TEmfDevice device;
    if (h.deviceCx > 0 && h.deviceCy > 0) {
        device.pixelsX = h.deviceCx;
        device.pixelsY = h.deviceCy;
    }
    if (h.umCx > 0 && h.umCy > 0) {
        device.millimetresX = h.umCx / 1000.0;
        device.millimetresY = h.umCy / 1000.0;
    } else if (h.mmCx > 0 && h.mmCy > 0) {
        device.millimetresX = h.mmCx;
        device.millimetresY = h.mmCy;
    } else {
        device.millimetresX = device.pixelsX * 25.4 / 96;
        device.millimetresY = device.pixelsY * 25.4 / 96;
    }
    return device;
}

QRectF RectAt(TEmfRecord& r, size_t at)
{
    return QRectF(QPointF(r.I32(at), r.I32(at + 4)), QPointF(r.I32(at + 8), r.I32(at + 12)));
}

QPointF PointAt(TEmfRecord& r, size_t at)
{
    return QPointF(r.I32(at), r.I32(at + 4));
}

bool FiniteTransform(const QTransform& t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
           std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy()) &&
           std::fabs(t.m11() * t.m22() - t.m12() * t.m21()) > 1e-12;
}

} // namespace

struct TEmfPlayer::State {
    TEmfRenderer renderer;
    std::vector<QPointF> points;
    std::vector<TEmfTextRun> runs;
    bool ended = false;

    State(QPainter& painter, const QTransform& deviceToPainter) : renderer(painter, deviceToPainter)
    {}

    TEmfDcState& Dc() { return renderer.Dc(); }
    bool CounterClockwise() const;
    QRectF DeviceRect(const QRectF& logical);
    void Draw(const QPainterPath& shape, bool fill);

    void Play(TEmfRecord& r);
    void PlayPoly(TEmfRecord& r, bool small);
    void PlayPolyPoly(TEmfRecord& r, bool small);
    void PlayPolyDraw(TEmfRecord& r, bool small);
    void PlayArc(TEmfRecord& r);
    void PlayPathRecord(uint32_t type, TEmfRecord& r);
    void PlayClipRecord(uint32_t type, TEmfRecord& r);
    void PlayRegionRecord(uint32_t type, TEmfRecord& r);
    void PlayObjectRecord(uint32_t type, TEmfRecord& r);
    void PlayText(TEmfRecord& r);
};

bool TEmfPlayer::State::CounterClockwise() const
{
    // The direction is the one seen on the device: a mapping that flips one axis reverses it
    // in logical space.
    const TEmfDcState& dc = const_cast<State*>(this)->renderer.Dc();
    const QTransform& t = dc.LogicalToDevice();
    const bool flipped = (t.m11() * t.m22() - t.m12() * t.m21()) < 0;
    return (dc.arcDirection != AD_CLOCKWISE) != flipped;
}

QRectF TEmfPlayer::State::DeviceRect(const QRectF& logical)
{
    return Dc().LogicalToDevice().mapRect(logical.normalized());
}

void TEmfPlayer::State::Draw(const QPainterPath& shape, bool fill)
{
    if (renderer.InPath()) {
        renderer.AddToPath(shape, false);
        return;
    }
    QPainterPath path = shape;
    path.setFillRule(Dc().polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    if (fill)
        renderer.FillAndStroke(path);
    else
        renderer.Stroke(path);
}

void TEmfPlayer::State::PlayPoly(TEmfRecord& r, bool small)
{
    const uint32_t type = r.Type();
    const uint32_t count = r.U32(24);
    points.clear();
    if (!r.Ok() || !r.Points(28, count, small, points))
        return;
    TEmfDcState& dc = Dc();
    switch (type) {
    case EMR_POLYGON:
    case EMR_POLYGON16:
        if (count >= 2)
            Draw(PolylineShape(points, true), true);
        break;
    case EMR_POLYLINE:
    case EMR_POLYLINE16:
        if (count < 2)
            break;
        if (renderer.InPath()) {
            renderer.AddToPath(PolylineShape(points, false), false);
            break;
        }
        points.back() = renderer.LineEnd(points[points.size() - 2], points.back());
        renderer.DrawPolyline(points.data(), int(points.size()));
        break;
    case EMR_POLYLINETO:
    case EMR_POLYLINETO16: {
        if (count == 0)
            break;
        points.insert(points.begin(), dc.position);
        const QPointF last = points.back();
        if (renderer.InPath()) {
            renderer.AddToPath(PolylineShape(points, false), true);
        } else {
            points.back() = renderer.LineEnd(points[points.size() - 2], points.back());
            renderer.DrawPolyline(points.data(), int(points.size()));
        }
        dc.position = last;
        break;
    }
    case EMR_POLYBEZIER:
    case EMR_POLYBEZIER16:
        if (count >= 4)
            Draw(BezierShape(points, false, {}), false);
        break;
    case EMR_POLYBEZIERTO:
    case EMR_POLYBEZIERTO16: {
        if (count < 3)
            break;
        const QPainterPath shape = BezierShape(points, true, dc.position);
        if (renderer.InPath())
            renderer.AddToPath(shape, true);
        else
            renderer.Stroke(shape);
        dc.position = points[(count / 3) * 3 - 1];
        break;
    }
    default:
        break;
    }
}

void TEmfPlayer::State::PlayPolyPoly(TEmfRecord& r, bool small)
{
    const uint32_t polys = r.U32(24);
    const uint32_t total = r.U32(28);
    if (!r.Ok() || polys == 0 || !r.Has(32, size_t(polys) * 4))
        return;
    const size_t pointsAt = 32 + size_t(polys) * 4;
    points.clear();
    if (!r.Points(pointsAt, total, small, points))
        return;
    const bool polygon = r.Type() == EMR_POLYPOLYGON || r.Type() == EMR_POLYPOLYGON16;
    QPainterPath shape;
    size_t used = 0;
    for (uint32_t i = 0; i < polys; ++i) {
        const uint32_t n = r.U32(32 + 4 * size_t(i));
        if (n > points.size() - used)
            return; // counts that exceed the points: the record is damaged
        if (n >= 2)
            shape.addPath(PolylineShape(std::span(points).subspan(used, n), polygon));
        used += n;
    }
    Draw(shape, polygon);
}

void TEmfPlayer::State::PlayPolyDraw(TEmfRecord& r, bool small)
{
    const uint32_t count = r.U32(24);
    points.clear();
    if (!r.Ok() || !r.Points(28, count, small, points))
        return;
    const auto types = r.Bytes(28 + size_t(count) * (small ? 4 : 8), count);
    if (!r.Ok())
        return;
    QPointF end;
    const QPainterPath shape = PolyDrawShape(Dc().position, points, types, &end);
    if (renderer.InPath())
        renderer.AddToPath(shape, true);
    else
        renderer.Stroke(shape);
    Dc().position = end;
}

void TEmfPlayer::State::PlayArc(TEmfRecord& r)
{
    QRectF box = RectAt(r, 8);
    if (!renderer.InPath())
        box = renderer.InclusiveBox(box);
    const QPointF start = PointAt(r, 24), end = PointAt(r, 32);
    if (!r.Ok())
        return;
    const bool ccw = CounterClockwise();
    switch (r.Type()) {
    case EMR_ARC:
        Draw(ArcShape(box, start, end, TArcKind::Arc, ccw), false);
        break;
    case EMR_CHORD:
        Draw(ArcShape(box, start, end, TArcKind::Chord, ccw), true);
        break;
    case EMR_PIE:
        Draw(ArcShape(box, start, end, TArcKind::Pie, ccw), true);
        break;
    case EMR_ARCTO: {
        QPointF first, last;
        QPainterPath arc = ArcShape(box, start, end, TArcKind::Arc, ccw, &first, &last);
        if (arc.isEmpty())
            break;
        QPainterPath shape;
        shape.moveTo(Dc().position);
        shape.connectPath(arc);
        if (renderer.InPath())
            renderer.AddToPath(shape, true);
        else
            renderer.Stroke(shape);
        Dc().position = last;
        break;
    }
    default:
        break;
    }
}

void TEmfPlayer::State::PlayPathRecord(uint32_t type, TEmfRecord& r)
{
    TEmfDcState& dc = Dc();
    switch (type) {
    case EMR_BEGINPATH:
        renderer.BeginPath();
        break;
    case EMR_ENDPATH:
        renderer.EndPath();
        break;
    case EMR_ABORTPATH:
        renderer.AbortPath();
        break;
    case EMR_CLOSEFIGURE:
        if (renderer.InPath())
            renderer.CurrentPath().closeSubpath();
        break;
    case EMR_FILLPATH:
    case EMR_STROKEPATH:
    case EMR_STROKEANDFILLPATH: {
        if (renderer.InPath())
            break;
        const QPainterPath path = renderer.PathInLogical();
        if (type == EMR_FILLPATH)
            renderer.Fill(path);
        else if (type == EMR_STROKEPATH)
            renderer.Stroke(path);
        else
            renderer.FillAndStroke(path);
        renderer.AbortPath();
        break;
    }
    case EMR_FLATTENPATH: {
        QPainterPath flat;
        for (const QPolygonF& polygon : renderer.CurrentPath().toSubpathPolygons()) {
            flat.addPolygon(polygon);
            if (polygon.isClosed())
                flat.closeSubpath();
        }
        renderer.CurrentPath() = flat;
        break;
    }
    case EMR_WIDENPATH: {
        const TEmfPen& pen = *dc.pen;
        const QTransform& t = dc.LogicalToDevice();
        const double scale = std::sqrt(std::fabs(t.m11() * t.m22() - t.m12() * t.m21()));
        QPainterPathStroker stroker;
        stroker.setWidth(std::max(1.0, pen.width * scale));
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        if ((pen.style & PS_ENDCAP_MASK) == PS_ENDCAP_FLAT)
            stroker.setCapStyle(Qt::FlatCap);
        else if ((pen.style & PS_ENDCAP_MASK) == PS_ENDCAP_SQUARE)
            stroker.setCapStyle(Qt::SquareCap);
        if ((pen.style & PS_JOIN_MASK) == PS_JOIN_MITER)
            stroker.setJoinStyle(Qt::MiterJoin);
        else if ((pen.style & PS_JOIN_MASK) == PS_JOIN_BEVEL)
            stroker.setJoinStyle(Qt::BevelJoin);
        renderer.CurrentPath() = stroker.createStroke(renderer.CurrentPath());
        break;
    }
    case EMR_SELECTCLIPPATH: {
        const uint32_t mode = r.U32(8);
        if (!r.Ok() || renderer.InPath())
            break;
        QPainterPath path = renderer.CurrentPath();
        path.setFillRule(dc.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        dc.clip.Combine(path, mode);
        renderer.AbortPath();
        renderer.ClipChanged();
        break;
    }
    default:
        break;
    }
}

void TEmfPlayer::State::PlayClipRecord(uint32_t type, TEmfRecord& r)
{
    TEmfDcState& dc = Dc();
    switch (type) {
    case EMR_INTERSECTCLIPRECT:
    case EMR_EXCLUDECLIPRECT: {
        const QRectF logical = RectAt(r, 8);
        if (!r.Ok())
            return;
        const QTransform& t = dc.LogicalToDevice();
        if (t.m12() == 0 && t.m21() == 0) {
            const QRectF device = DeviceRect(logical);
            if (type == EMR_INTERSECTCLIPRECT)
                dc.clip.IntersectRect(device);
            else
                dc.clip.ExcludeRect(device);
        } else {
            QPainterPath area;
            area.addRect(logical.normalized());
            dc.clip.Combine(t.map(area), type == EMR_INTERSECTCLIPRECT ? RGN_AND : RGN_DIFF);
        }
        break;
    }
    case EMR_OFFSETCLIPRGN: {
        const QPointF offset = PointAt(r, 8);
        if (!r.Ok())
            return;
        const QTransform& t = dc.LogicalToDevice();
        const QPointF d = t.map(offset) - t.map(QPointF(0, 0));
        dc.clip.Offset(d.x(), d.y());
        break;
    }
    case EMR_SETMETARGN:
        // The meta region becomes the intersection of itself with the clip, which is reset.
        if (dc.clip.IsSet())
            dc.metaClip.Intersect(dc.clip);
        dc.clip.Reset();
        break;
    case EMR_EXTSELECTCLIPRGN: {
        const uint32_t size = r.U32(8);
        const uint32_t mode = r.U32(12);
        if (!r.Ok())
            return;
        if (mode == RGN_COPY && size == 0) {
            dc.clip.Reset();
            break;
        }
        QPainterPath area;
        const auto data = r.Bytes(16, size);
        if (!r.Ok() || !ReadRegion(data, area))
            return;
        dc.clip.Combine(area, mode);
        break;
    }
    default:
        return;
    }
    renderer.ClipChanged();
}

void TEmfPlayer::State::PlayRegionRecord(uint32_t type, TEmfRecord& r)
{
    const uint32_t size = r.U32(24);
    size_t at = 28;
    uint32_t brushIndex = 0;
    QSizeF frame;
    if (type == EMR_FILLRGN || type == EMR_FRAMERGN) {
        brushIndex = r.U32(28);
        at = 32;
        if (type == EMR_FRAMERGN) {
            frame = QSizeF(r.I32(32), r.I32(36));
            at = 40;
        }
    }
    const auto data = r.Bytes(at, size);
    QPainterPath area;
    if (!r.Ok() || !ReadRegion(data, area))
        return;
    // Region records describe their areas in logical units.
    std::shared_ptr<const TEmfBrush> brush = Dc().brush;
    if (type == EMR_FILLRGN || type == EMR_FRAMERGN) {
        TEmfObject stock;
        const TEmfObject* object = nullptr;
        if (brushIndex & kStockObjectFlag) {
            stock = StockObject(brushIndex & ~kStockObjectFlag);
            object = &stock;
        } else {
            object = renderer.Objects().Get(brushIndex);
        }
        const auto* found =
            object ? std::get_if<std::shared_ptr<const TEmfBrush>>(object) : nullptr;
        if (!found)
            return;
        brush = *found;
    }
    switch (type) {
    case EMR_FILLRGN:
    case EMR_PAINTRGN:
        area.setFillRule(Qt::WindingFill);
        renderer.FillWith(area, renderer.BrushFor(*brush));
        break;
    case EMR_FRAMERGN: {
        // The frame is the region less the region shrunk by the frame's width and height.
        const QRectF bounds = area.boundingRect();
        const double w = std::fabs(frame.width()), h = std::fabs(frame.height());
        if (bounds.width() <= 2 * w || bounds.height() <= 2 * h) {
            renderer.FillWith(area, renderer.BrushFor(*brush));
            break;
        }
        QPainterPath inner = area;
        QTransform shrink = QTransform::fromTranslate(bounds.center().x(), bounds.center().y());
        shrink.scale((bounds.width() - 2 * w) / bounds.width(),
                     (bounds.height() - 2 * h) / bounds.height());
        shrink.translate(-bounds.center().x(), -bounds.center().y());
        renderer.FillWith(area.subtracted(shrink.map(inner)), renderer.BrushFor(*brush));
        break;
    }
    case EMR_INVERTRGN:
        if (renderer.RasterOps() && renderer.Prepare()) {
            QPainter& painter = renderer.Painter();
            painter.setCompositionMode(QPainter::RasterOp_NotDestination);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Qt::black);
            painter.drawPath(area);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        break;
    default:
        break;
    }
}

void TEmfPlayer::State::PlayObjectRecord(uint32_t type, TEmfRecord& r)
{
    const uint32_t index = r.U32(8);
    if (!r.Ok())
        return;
    TEmfObject object;
    switch (type) {
    case EMR_CREATEPEN:
        if (auto pen = PenFromCreatePen(r))
            object = std::shared_ptr<const TEmfPen>(pen);
        break;
    case EMR_EXTCREATEPEN:
        if (auto pen = PenFromExtCreatePen(r))
            object = std::shared_ptr<const TEmfPen>(pen);
        break;
    case EMR_CREATEBRUSHINDIRECT:
        if (auto brush = BrushFromCreateBrush(r))
            object = std::shared_ptr<const TEmfBrush>(brush);
        break;
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_CREATEMONOBRUSH:
        if (auto brush = BrushFromDibPattern(r, type == EMR_CREATEMONOBRUSH))
            object = std::shared_ptr<const TEmfBrush>(brush);
        break;
    case EMR_EXTCREATEFONTINDIRECTW:
        if (auto font = FontFromCreateFont(r))
            object = std::shared_ptr<const TEmfFont>(font);
        break;
    case EMR_CREATEPALETTE:
        if (auto palette = PaletteFromCreatePalette(r))
            object = std::shared_ptr<const TEmfPalette>(palette);
        break;
    default:
        return;
    }
    if (index & kStockObjectFlag)
        return;
    // A damaged definition still takes its slot, so that a later selection finds nothing
    // rather than an older object.
    renderer.Objects().Put(index, std::move(object));
}

void TEmfPlayer::State::PlayText(TEmfRecord& r)
{
    runs.clear();
    ReadTextRuns(r, Dc().font->logFont.CharSet, runs);
    if (renderer.InPath()) {
        // Text in a path bracket adds its outlines; playback keeps the bracket's other figures.
        return;
    }
    for (const TEmfTextRun& run : runs)
        DrawTextRun(renderer, run);
}

void TEmfPlayer::State::Play(TEmfRecord& r)
{
    TEmfDcState& dc = Dc();
    const uint32_t type = r.Type();
    switch (type) {
    case EMR_HEADER:
        renderer.SetDevice(DeviceFromHeader(r));
        renderer.Objects().Resize(r.U16(56));
        break;
    case EMR_EOF:
        ended = true;
        break;

    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
        PlayPoly(r, false);
        break;
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16:
        PlayPoly(r, true);
        break;
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYGON:
        PlayPolyPoly(r, false);
        break;
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16:
        PlayPolyPoly(r, true);
        break;
    case EMR_POLYDRAW:
        PlayPolyDraw(r, false);
        break;
    case EMR_POLYDRAW16:
        PlayPolyDraw(r, true);
        break;

    case EMR_SETWINDOWEXTEX: {
        const QSizeF ext(r.I32(8), r.I32(12));
        if (r.Ok())
            dc.SetWindowExt(ext, renderer.Device());
        break;
    }
    case EMR_SETWINDOWORGEX: {
        const QPointF org = PointAt(r, 8);
        if (r.Ok())
            dc.SetWindowOrg(org);
        break;
    }
    case EMR_SETVIEWPORTEXTEX: {
        const QSizeF ext(r.I32(8), r.I32(12));
        if (r.Ok())
            dc.SetViewportExt(ext, renderer.Device());
        break;
    }
    case EMR_SETVIEWPORTORGEX: {
        const QPointF org = PointAt(r, 8);
        if (r.Ok())
            dc.SetViewportOrg(org);
        break;
    }
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX: {
        const double xNum = r.I32(8), xDenom = r.I32(12), yNum = r.I32(16), yDenom = r.I32(20);
        if (!r.Ok())
            break;
        if (type == EMR_SCALEVIEWPORTEXTEX)
            dc.ScaleViewportExt(xNum, xDenom, yNum, yDenom, renderer.Device());
        else
            dc.ScaleWindowExt(xNum, xDenom, yNum, yDenom, renderer.Device());
        break;
    }
    case EMR_SETMAPMODE: {
        const uint32_t mode = r.U32(8);
        if (r.Ok())
            dc.SetMapMode(mode, renderer.Device());
        break;
    }
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM: {
        const QTransform x(r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28));
        const uint32_t mode = type == EMR_SETWORLDTRANSFORM ? MWT_SET : r.U32(32);
        if (!r.Ok())
            break;
        if (mode == MWT_IDENTITY) {
            dc.SetWorld(QTransform());
            break;
        }
        if (!FiniteTransform(x))
            break;
        if (mode == MWT_SET)
            dc.SetWorld(x);
        else if (mode == MWT_LEFTMULTIPLY)
            dc.SetWorld(x * dc.World());
        else if (mode == MWT_RIGHTMULTIPLY)
            dc.SetWorld(dc.World() * x);
        break;
    }
    case EMR_SETBRUSHORGEX: {
        const QPointF org = PointAt(r, 8);
        if (r.Ok())
            dc.brushOrg = org;
        break;
    }

    case EMR_SETBKMODE:
    case EMR_SETPOLYFILLMODE:
    case EMR_SETROP2:
    case EMR_SETSTRETCHBLTMODE:
    case EMR_SETTEXTALIGN:
    case EMR_SETARCDIRECTION:
    case EMR_SETLAYOUT: {
        const uint32_t value = r.U32(8);
        if (!r.Ok())
            break;
        if (type == EMR_SETBKMODE && (value == TRANSPARENT || value == OPAQUE))
            dc.bkMode = value;
        else if (type == EMR_SETPOLYFILLMODE && (value == ALTERNATE || value == WINDING))
            dc.polyFillMode = value;
        else if (type == EMR_SETROP2 && value >= R2_BLACK && value <= R2_WHITE)
            dc.rop2 = value;
        else if (type == EMR_SETSTRETCHBLTMODE)
            dc.stretchMode = value;
        else if (type == EMR_SETTEXTALIGN)
            dc.textAlign = value;
        else if (type == EMR_SETARCDIRECTION &&
                 (value == AD_CLOCKWISE || value == AD_COUNTERCLOCKWISE))
            dc.arcDirection = value;
        else if (type == EMR_SETLAYOUT)
            dc.layout = value;
        break;
    }
    case EMR_SETTEXTCOLOR: {
        const uint32_t color = r.U32(8);
        if (r.Ok())
            dc.textColor = ColorFromRef(color);
        break;
    }
    case EMR_SETBKCOLOR: {
        const uint32_t color = r.U32(8);
        if (r.Ok())
            dc.bkColor = ColorFromRef(color);
        break;
    }
    case EMR_SETMITERLIMIT: {
        const uint32_t raw = r.U32(8);
        if (!r.Ok())
            break;
        // Written as an integer by the platform, as a float by some other writers.
        double limit = raw;
        if (raw > 0x10000) {
            const float f = r.F32(8);
            limit = std::isfinite(f) ? f : 10.0;
        }
        dc.miterLimit = std::clamp(limit, 1.0, 1000.0);
        break;
    }
    case EMR_SETTEXTJUSTIFICATION: {
        const int32_t extra = r.I32(8), count = r.I32(12);
        if (r.Ok()) {
            dc.justifyExtra = extra;
            dc.justifyCount = std::max(0, count);
        }
        break;
    }

    case EMR_MOVETOEX: {
        const QPointF p = PointAt(r, 8);
        if (!r.Ok())
            break;
        dc.position = p;
        if (renderer.InPath())
            renderer.CurrentPath().moveTo(dc.LogicalToDevice().map(p));
        break;
    }
    case EMR_LINETO: {
        const QPointF p = PointAt(r, 8);
        if (!r.Ok())
            break;
        if (renderer.InPath()) {
            QPainterPath line;
            line.moveTo(dc.position);
            line.lineTo(p);
            renderer.AddToPath(line, true);
        } else {
            renderer.DrawLine(dc.position, renderer.LineEnd(dc.position, p));
        }
        dc.position = p;
        break;
    }
    case EMR_SETPIXELV: {
        const QPointF p = PointAt(r, 8);
        const uint32_t color = r.U32(16);
        if (!r.Ok() || renderer.InPath())
            break;
        const QPointF device = dc.LogicalToDevice().map(p);
        renderer.PrepareWith(renderer.DeviceToPainter());
        renderer.Painter().fillRect(QRectF(device, QSizeF(1, 1)), ColorFromRef(color));
        break;
    }
    case EMR_ANGLEARC: {
        const QPointF center = PointAt(r, 8);
        const double radius = r.U32(16);
        const double start = r.F32(20), sweep = r.F32(24);
        if (!r.Ok())
            break;
        QPointF end;
        // Angles count counter-clockwise with y upwards; logical space here has y downwards.
        const QPainterPath shape = AngleArcShape(dc.position, center, radius, start, sweep, &end);
        if (renderer.InPath())
            renderer.AddToPath(shape, true);
        else
            renderer.Stroke(shape);
        dc.position = end;
        break;
    }
    case EMR_ELLIPSE:
    case EMR_RECTANGLE: {
        const QRectF box = RectAt(r, 8);
        if (!r.Ok())
            break;
        if (renderer.InPath()) {
            renderer.AddToPath(type == EMR_ELLIPSE ? EllipseShape(box, CounterClockwise())
                                                   : RectangleShape(box, CounterClockwise()),
                               false);
            break;
        }
        const QRectF inclusive = renderer.InclusiveBox(box);
        if (type == EMR_ELLIPSE)
            Draw(EllipseShape(inclusive, CounterClockwise()), true);
        else
            renderer.DrawRect(inclusive);
        break;
    }
    case EMR_ROUNDRECT: {
        const QRectF box = RectAt(r, 8);
        const double cw = r.I32(24), ch = r.I32(28);
        if (r.Ok())
            Draw(RoundRectShape(renderer.InPath() ? box : renderer.InclusiveBox(box), cw, ch,
                                CounterClockwise()),
                 true);
        break;
    }
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE:
    case EMR_ARCTO:
        PlayArc(r);
        break;

    case EMR_SAVEDC:
        renderer.SaveDc();
        break;
    case EMR_RESTOREDC: {
        const int32_t level = r.I32(8);
        if (r.Ok())
            renderer.RestoreDc(level);
        break;
    }
    case EMR_SELECTOBJECT:
    case EMR_SELECTPALETTE: {
        const uint32_t index = r.U32(8);
        if (r.Ok())
            renderer.SelectObject(index);
        break;
    }
    case EMR_DELETEOBJECT: {
        const uint32_t index = r.U32(8);
        if (r.Ok())
            renderer.DeleteObject(index);
        break;
    }
    case EMR_CREATEPEN:
    case EMR_EXTCREATEPEN:
    case EMR_CREATEBRUSHINDIRECT:
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_CREATEMONOBRUSH:
    case EMR_EXTCREATEFONTINDIRECTW:
    case EMR_CREATEPALETTE:
        PlayObjectRecord(type, r);
        break;

    case EMR_BEGINPATH:
    case EMR_ENDPATH:
    case EMR_CLOSEFIGURE:
    case EMR_FILLPATH:
    case EMR_STROKEANDFILLPATH:
    case EMR_STROKEPATH:
    case EMR_FLATTENPATH:
    case EMR_WIDENPATH:
    case EMR_SELECTCLIPPATH:
    case EMR_ABORTPATH:
        PlayPathRecord(type, r);
        break;

    case EMR_INTERSECTCLIPRECT:
    case EMR_EXCLUDECLIPRECT:
    case EMR_OFFSETCLIPRGN:
    case EMR_SETMETARGN:
    case EMR_EXTSELECTCLIPRGN:
        PlayClipRecord(type, r);
        break;
    case EMR_FILLRGN:
    case EMR_FRAMERGN:
    case EMR_INVERTRGN:
    case EMR_PAINTRGN:
        PlayRegionRecord(type, r);
        break;

    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_MASKBLT:
    case EMR_PLGBLT:
    case EMR_SETDIBITSTODEVICE:
    case EMR_STRETCHDIBITS:
    case EMR_ALPHABLEND:
    case EMR_TRANSPARENTBLT:
        if (!renderer.InPath())
            PlayBitmapRecord(renderer, r);
        break;
    case EMR_GRADIENTFILL:
        if (!renderer.InPath())
            PlayGradientFill(renderer, r);
        break;

    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW:
    case EMR_POLYTEXTOUTA:
    case EMR_POLYTEXTOUTW:
    case EMR_SMALLTEXTOUT:
        PlayText(r);
        break;

    default:
        // Comments (EMF+ included: the records that follow them draw the same picture),
        // colour management, palettes' realisation, mapper flags, escapes and flood fills have
        // nothing to draw here.
        break;
    }
}

TEmfPlayer::TEmfPlayer(QPainter& painter, const QTransform& deviceToPainter)
    : d_(std::make_unique<State>(painter, deviceToPainter))
{}

TEmfPlayer::~TEmfPlayer() = default;

bool TEmfPlayer::PlayRecord(std::span<const uint8_t> record)
{
    if (d_->ended)
        return false;
    if (record.size() < TEmfRecord::kMinSize)
        return false;
    TEmfRecord r(record);
    d_->Play(r);
    d_->renderer.RestorePainterTransform();
    return !d_->ended;
}

void TEmfPlayer::PlayAll(std::span<const uint8_t> emf)
{
    TEmfRecordIterator records(emf);
    std::span<const uint8_t> record;
    while (records.Next(record))
        if (!PlayRecord(record))
            break;
}

QRectF FrameInDeviceUnits(const TEmfHeader& header)
{
    const TEmfDevice device = DeviceFromHeader(header);
    const double kx = device.pixelsX / (device.millimetresX * 100.0);
    const double ky = device.pixelsY / (device.millimetresY * 100.0);
    return QRectF(QPointF(header.frameLeft * kx, header.frameTop * ky),
                  QPointF(header.frameRight * kx, header.frameBottom * ky));
}

QTransform DeviceToTarget(const TEmfHeader& header, const QRectF& target)
{
    QRectF frame = FrameInDeviceUnits(header);
    if (!(frame.width() > 0) || !(frame.height() > 0)) {
        // A metafile without a usable frame is laid out by its bounds.
        frame = QRectF(QPointF(header.boundsLeft, header.boundsTop),
                       QPointF(header.boundsRight + 1.0, header.boundsBottom + 1.0));
        if (!(frame.width() > 0) || !(frame.height() > 0))
            return QTransform();
    }
    const double sx = target.width() / frame.width();
    const double sy = target.height() / frame.height();
    return QTransform(sx, 0, 0, sy, target.left() - frame.left() * sx,
                      target.top() - frame.top() * sy);
}

void StretchDrawMetafile(QPainter& painter, const QRectF& target, std::span<const uint8_t> emf)
{
    TEmfHeader header;
    try {
        header = TMetafile::ParseHeader(emf, emf.size());
    } catch (const EInvalidGraphic&) {
        return;
    }
    if (target.width() == 0 || target.height() == 0)
        return;
    TEmfPlayer player(painter, DeviceToTarget(header, target));
    player.PlayAll(emf.first(header.nBytes));
}

void StretchDrawMetafile(QPainter& painter, const QRectF& target, const TMetafile& metafile)
{
    StretchDrawMetafile(painter, target, metafile.Data());
}
