#pragma once
// The drawing side of metafile playback: the device context with its save stack, the handle
// table, the open path, and the conversion of GDI pens, brushes, raster operations and clipping
// into QPainter state. Record decoding lives in the player, text and bitmaps in their own files.
#include "graphics/emf_dc_state.h"
#include "graphics/emf_objects.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <vector>

class TEmfRenderer {
public:
    static constexpr size_t kMaxSaveDepth = 4096;
    static constexpr int kMaxPathElements = 4 * 1024 * 1024;

    TEmfRenderer(QPainter& painter, const QTransform& deviceToPainter);
    ~TEmfRenderer();
    TEmfRenderer(const TEmfRenderer&) = delete;
    TEmfRenderer& operator=(const TEmfRenderer&) = delete;

    QPainter& Painter() { return painter_; }
    TEmfDcState& Dc() { return dc_; }
    const TEmfDevice& Device() const { return device_; }
    void SetDevice(const TEmfDevice& device) { device_ = device; }
    TEmfObjectTable& Objects() { return objects_; }
    const QTransform& DeviceToPainter() const { return deviceToPainter_; }
    // Whether the painter can combine colours bit by bit (raster operations).
    bool RasterOps() const { return rasterOps_; }

    // Logical units to painter coordinates.
    QTransform LogicalToPainter() const { return dc_.LogicalToDevice() * deviceToPainter_; }
    // How many painter units one logical unit is, on average over both axes.
    double LogicalScale() const;

    // Save stack. RestoreDC takes a relative (negative) or absolute (positive) level.
    void SaveDc();
    void RestoreDc(int32_t level);
    // Call after anything that changes the clip or the mapping.
    void ClipChanged() { clipDirty_ = true; }
    // Puts back the painter's own transform (between records, for callers that draw too).
    void RestorePainterTransform();

    // Objects.
    void SelectObject(uint32_t index);
    void DeleteObject(uint32_t index);

    // The open path (device units) while a BEGINPATH bracket is open.
    bool InPath() const { return inPath_; }
    void BeginPath();
    void EndPath() { inPath_ = false; }
    void AbortPath();
    QPainterPath& CurrentPath() { return path_; }
    // Appends a figure given in logical units to the open path, joining it to the current
    // figure when connect is set (as the "...To" records do).
    void AddToPath(const QPainterPath& logical, bool connect);
    // The closed path in logical units (for stroking with the current mapping).
    QPainterPath PathInLogical() const;

    // Drawing with the selected pen and brush; shapes in logical units.
    void Stroke(const QPainterPath& shape);
    void Fill(const QPainterPath& shape);
    void FillAndStroke(const QPainterPath& shape);
    void DrawLine(const QPointF& from, const QPointF& to);
    void DrawPolyline(const QPointF* points, int count);
    void DrawRect(const QRectF& rect);
    // Fills with an explicit brush (FILLRGN, ETO_OPAQUE ...), no pen.
    void FillWith(const QPainterPath& shape, const QBrush& brush);
    void FillRectWith(const QRectF& rect, const QColor& color);
    // Draws the source rectangle of a picture into a logical rectangle (negative extents flip)
    // with a ternary raster operation.
    void DrawImage(const QRectF& target, const QImage& image, const QRectF& source, uint32_t rop);
    // The same with any mapping from picture pixels to logical units, and a constant opacity.
    void DrawImage(const QTransform& sourceToLogical, const QImage& image, const QRectF& source,
                   uint32_t rop, double opacity = 1.0);
    // Pattern-only raster operations (no source picture) over a logical rectangle.
    void PatBlt(const QRectF& target, uint32_t rop);

    // Prepares the painter for drawing in logical units: clip, transform and raster operation.
    // Returns false when nothing should be drawn (R2_NOP).
    bool Prepare();
    // Prepares the painter with the given transform instead of the logical one.
    void PrepareWith(const QTransform& transform);

    // Lines drawn with a pen of one pixel leave out their end point, as the platform draws them:
    // the end moved back by one painter pixel towards from (to itself for wider pens).
    QPointF LineEnd(const QPointF& from, const QPointF& to) const;
    // The platform leaves out the right and bottom edges of a figure's box: the box less one
    // painter pixel on those sides, in logical units (unchanged under rotation or shear).
    QRectF InclusiveBox(const QRectF& logical) const;

    // The painter brush for a metafile brush, with the colours of the device context.
    QBrush BrushFor(const TEmfBrush& brush);

private:
    QPen PenFor(const TEmfPen& pen);
    void ApplyClip();
    void ApplyRop2();
    void ResetComposition();

    QPainter& painter_;
    QTransform deviceToPainter_;
    QTransform baseTransform_;
    TEmfDevice device_;
    TEmfDcState dc_;
    std::vector<TEmfDcState> saved_;
    TEmfObjectTable objects_;

    bool inPath_ = false;
    QPainterPath path_;

    bool rasterOps_ = false;
    bool clipDirty_ = true;
    bool hasBaseClip_ = false;
    QPainterPath baseClip_; // the painter's own clip, in its device coordinates
    bool antialiasing_ = false;
    bool compositionChanged_ = false;
};
