#include "graphics/emf_shapes.h"

#include "graphics/emf_records.h"

#include <cmath>

namespace {

double Normalize360(double degrees)
{
    double a = std::fmod(degrees, 360.0);
    if (a < 0)
        a += 360.0;
    return a;
}

// The ellipse's own (parametric) angle of the point where the radial line through p crosses it,
// in degrees, counter-clockwise as drawn with y downwards.
double RadialAngle(const QRectF& box, QPointF p)
{
    const QPointF c = box.center();
    const double rx = box.width() / 2, ry = box.height() / 2;
    const double dx = (p.x() - c.x()) / rx, dy = (p.y() - c.y()) / ry;
    if (dx == 0 && dy == 0)
        return 0;
    return std::atan2(-dy, dx) * 180.0 / M_PI;
}

QPointF PointAt(const QRectF& box, double degrees)
{
    const double a = degrees * M_PI / 180.0;
    const QPointF c = box.center();
    return QPointF(c.x() + box.width() / 2 * std::cos(a), c.y() - box.height() / 2 * std::sin(a));
}

// Points of a path must stay finite and within what Qt's rasteriser handles exactly.
bool Finite(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) &&
           std::isfinite(r.height());
}

} // namespace

QPainterPath ArcShape(const QRectF& boxIn, QPointF radialStart, QPointF radialEnd, TArcKind kind,
                      bool counterClockwise, QPointF* begin, QPointF* end)
{
    const QRectF box = boxIn.normalized();
    QPainterPath path;
    if (box.width() <= 0 || box.height() <= 0 || !Finite(box))
        return path;
    const double start = RadialAngle(box, radialStart);
    const double finish = RadialAngle(box, radialEnd);
    double sweep;
    if (counterClockwise) {
        sweep = Normalize360(finish - start);
        if (sweep == 0)
            sweep = 360;
    } else {
        sweep = -Normalize360(start - finish);
        if (sweep == 0)
            sweep = -360;
    }
    const QPointF first = PointAt(box, start);
    if (begin)
        *begin = first;
    if (end)
        *end = PointAt(box, start + sweep);
    if (kind == TArcKind::Pie) {
        path.moveTo(box.center());
        path.lineTo(first);
    } else {
        path.moveTo(first);
    }
    path.arcTo(box, start, sweep);
    if (kind != TArcKind::Arc)
        path.closeSubpath();
    return path;
}

QPainterPath RoundRectShape(const QRectF& boxIn, double cornerWidth, double cornerHeight, bool)
{
    const QRectF box = boxIn.normalized();
    QPainterPath path;
    if (!Finite(box))
        return path;
    const double rx = std::min(std::fabs(cornerWidth) / 2, box.width() / 2);
    const double ry = std::min(std::fabs(cornerHeight) / 2, box.height() / 2);
    if (rx <= 0 || ry <= 0)
        path.addRect(box);
    else
        path.addRoundedRect(box, rx, ry);
    return path;
}

QPainterPath EllipseShape(const QRectF& boxIn, bool)
{
    QPainterPath path;
    const QRectF box = boxIn.normalized();
    if (Finite(box))
        path.addEllipse(box);
    return path;
}

QPainterPath RectangleShape(const QRectF& boxIn, bool)
{
    QPainterPath path;
    const QRectF box = boxIn.normalized();
    if (Finite(box))
        path.addRect(box);
    return path;
}

QPainterPath AngleArcShape(QPointF from, QPointF center, double radius, double startDegrees,
                           double sweepDegrees, QPointF* end)
{
    QPainterPath path;
    path.moveTo(from);
    const double r = std::fabs(radius);
    if (!std::isfinite(r) || !std::isfinite(startDegrees) || !std::isfinite(sweepDegrees)) {
        if (end)
            *end = from;
        return path;
    }
    const double sweep = std::clamp(sweepDegrees, -3600.0, 3600.0);
    const QRectF box(center.x() - r, center.y() - r, 2 * r, 2 * r);
    path.arcTo(box, startDegrees, sweep);
    if (end)
        *end = path.currentPosition();
    return path;
}

QPainterPath PolyDrawShape(QPointF from, std::span<const QPointF> points,
                           std::span<const uint8_t> types, QPointF* end)
{
    QPainterPath path;
    path.moveTo(from);
    QPointF figureStart = from;
    const size_t n = std::min(points.size(), types.size());
    for (size_t i = 0; i < n; ++i) {
        const uint8_t type = types[i] & ~emf::PT_CLOSEFIGURE;
        if (type == emf::PT_MOVETO) {
            path.moveTo(points[i]);
            figureStart = points[i];
        } else if (type == emf::PT_LINETO) {
            path.lineTo(points[i]);
        } else if (type == emf::PT_BEZIERTO && i + 2 < n) {
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else {
            break;
        }
        if (types[i] & emf::PT_CLOSEFIGURE) {
            path.closeSubpath();
            path.moveTo(figureStart);
        }
    }
    if (end)
        *end = path.currentPosition();
    return path;
}

QPainterPath PolylineShape(std::span<const QPointF> points, bool closed)
{
    QPainterPath path;
    if (points.empty())
        return path;
    path.moveTo(points[0]);
    for (size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i]);
    if (closed)
        path.closeSubpath();
    return path;
}

QPainterPath BezierShape(std::span<const QPointF> points, bool fromCurrent, QPointF current)
{
    QPainterPath path;
    size_t i = 0;
    if (fromCurrent) {
        path.moveTo(current);
    } else {
        if (points.empty())
            return path;
        path.moveTo(points[0]);
        i = 1;
    }
    for (; i + 3 <= points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    return path;
}
