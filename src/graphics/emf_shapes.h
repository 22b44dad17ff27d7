#pragma once
// The figures of the drawing records as painter paths in logical units: arcs, chords and pies by
// bounding box and radial points, rounded rectangles, angle arcs and POLYDRAW point lists.
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <cstdint>
#include <span>

enum class TArcKind { Arc, Chord, Pie };

// counterClockwise is the direction in the logical space as drawn (y downwards); the caller
// turns the device context's arc direction into it. With start, the figure begins with a line
// from start to the arc (ARCTO); begin receives the arc's first point, end its last.
QPainterPath ArcShape(const QRectF& box, QPointF radialStart, QPointF radialEnd, TArcKind kind,
                      bool counterClockwise, QPointF* begin = nullptr, QPointF* end = nullptr);

QPainterPath RoundRectShape(const QRectF& box, double cornerWidth, double cornerHeight,
                            bool counterClockwise);
QPainterPath EllipseShape(const QRectF& box, bool counterClockwise);
QPainterPath RectangleShape(const QRectF& box, bool counterClockwise);

// ANGLEARC: a line from the current position to the arc's start, then the arc (degrees,
// counter-clockwise as seen with y upwards).
QPainterPath AngleArcShape(QPointF from, QPointF center, double radius, double startDegrees,
                           double sweepDegrees, QPointF* end);

// POLYDRAW: points with PT_* types; the path starts at from. Returns the last point in end.
QPainterPath PolyDrawShape(QPointF from, std::span<const QPointF> points,
                           std::span<const uint8_t> types, QPointF* end);

// Polylines, polygons and Bézier lists (the first point, then three per curve).
QPainterPath PolylineShape(std::span<const QPointF> points, bool closed);
QPainterPath BezierShape(std::span<const QPointF> points, bool fromCurrent, QPointF current);
