#pragma once
// TCanvas: the drawing surface report generators and the printer draw on, in integer device
// pixels with GDI's conventions (a rectangle's right and bottom edges are exclusive). Every call
// becomes enhanced-metafile records handed to the concrete canvas: a metafile canvas keeps them,
// a painter canvas plays each at once, so a recorded page and a page drawn directly are painted
// by the same player. Pen, brush and font objects are created only when they changed since the
// last drawing call that used them.
#include "graphics/drawing_tools.h"
#include "graphics/emf_handle_table.h"
#include "graphics/emf_record_builder.h"
#include "graphics/geometry.h"
#include "graphics/text_measurer.h"

#include <QStringView>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class QImage;
class TMetafile;

enum TBackgroundMode : uint8_t { bmTransparent = 1, bmOpaque = 2 };

// Text alignment flags: one horizontal and one vertical choice, optionally taUpdateCP (the text
// starts at the current position and moves it).
enum TTextAlignFlag : uint32_t {
    taLeft = 0,
    taTop = 0,
    taUpdateCP = 1,
    taRight = 2,
    taCenter = 6,
    taBottom = 8,
    taBaseline = 24,
    taRtlReading = 256,
};

// Options of ExtTextOut.
enum TTextOutOption : uint32_t { etoOpaque = 2, etoClipped = 4 };

class TCanvas {
public:
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen Pen;
    TBrush Brush;
    TFont Font;

    TPoint PenPos() const { return penPos_; }
    void SetPenPos(TPoint position) { penPos_ = position; }

    void MoveTo(int x, int y) { penPos_ = TPoint { x, y }; }
    void LineTo(int x, int y);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    // The rectangle in the brush alone; an empty or inverted rectangle draws nothing.
    void FillRect(const TRect& r);
    // A one-pixel border in the brush.
    void FrameRect(const TRect& r);
    // x3, y3: width and height of the ellipse that rounds the corners.
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    // The ellipse bounded by (x1, y1, x2, y2), counter-clockwise from the ray through (x3, y3)
    // to the ray through (x4, y4).
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // Fewer than two points (polygon, polyline) or not 3n + 1 points (Bézier) draw nothing.
    void Polygon(std::span<const TPoint> points);
    void Polyline(std::span<const TPoint> points);
    void PolyBezier(std::span<const TPoint> points);

    // Text at (x, y) in the current alignment; moves PenPos to the end of the text. Opaque
    // (background in the brush colour) while the background mode is opaque.
    void TextOut(int x, int y, QStringView text);
    // As TextOut, each character placed dx[i] pixels after the one before; characters past the
    // end of dx take their natural advance.
    void TextOutDx(int x, int y, QStringView text, std::span<const int> dx);
    // Text clipped to rect; rect is filled with the brush first unless the brush is clear.
    void TextRect(const TRect& rect, int x, int y, QStringView text);
    // The general form: options are TTextOutOption flags that apply to rect (none: no rect).
    void ExtTextOut(int x, int y, uint32_t options, const TRect* rect, QStringView text,
                    std::span<const int> dx = {});

    uint32_t TextAlign() const { return textAlign_; }
    void SetTextAlign(uint32_t flags) { textAlign_ = flags; }
    // The brush decides the background mode (opaque for a solid brush) whenever it changes;
    // SetBkMode overrides that until the brush changes again.
    TBackgroundMode BkMode();
    void SetBkMode(TBackgroundMode mode);

    // Measured in the font playback draws with, so they agree with the picture.
    int TextWidth(QStringView text);
    int TextHeight(QStringView text);
    TSize TextExtent(QStringView text);

    // A metafile at its size in screen pixels, or stretched over rect (frame onto rect).
    void Draw(int x, int y, const TMetafile& metafile);
    void StretchDraw(const TRect& rect, const TMetafile& metafile);
    // A bitmap at its size in pixels, or stretched over rect.
    void Draw(int x, int y, const QImage& image);
    void StretchDraw(const TRect& rect, const QImage& image);

    // Forgets the selected drawing tools, so that the next drawing call selects them again.
    void Refresh();

protected:
    // pixelsPerInch: the device's resolution, which Font.Size converts through.
    explicit TCanvas(int pixelsPerInch);

    // Receives every record, whole; the span is valid only during the call.
    virtual void WriteRecord(std::span<const uint8_t> record) = 0;
    // Draws a whole metafile with its frame over target; by default its records are embedded.
    virtual void DrawMetafile(const TRect& target, std::span<const uint8_t> emf);
    // Largest record the concrete canvas can take; larger drawing is refused.
    virtual uint64_t RecordRoom() const;

    // Selects stock objects and deletes the canvas's own, as before the end of a recording.
    void ReleaseObjects();
    // Inclusive bounds of everything drawn so far, in device pixels; none before any drawing.
    std::optional<TRect> DrawnBounds() const;
    TEmfHandleTable& Handles() { return handles_; }
    TEmfRecordBuilder& Builder() { return builder_; }
    int PixelsPerInch() const { return pixelsPerInch_; }

private:
    void RealizePen();
    void RealizeBrush();
    void RealizeFont();
    void RealizeTextState();
    void UpdateBackgroundFromBrush();
    void RealizeBackground();
    void RealizeStroke();
    void RealizeFill();
    void SyncPosition();
    void Measure();
    int DrawText(int x, int y, uint32_t options, const TRect* rect, QStringView text,
                 std::span<const int> dx);
    void ShapeRecord(uint32_t type, int x1, int y1, int x2, int y2, const TSize* corner = nullptr);
    void ArcRecord(uint32_t type, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void PolyRecord(uint32_t type32, uint32_t type16, std::span<const TPoint> points);
    void PatBlt(int x, int y, int width, int height);
    void IncludeBounds(int64_t left, int64_t top, int64_t right, int64_t bottom);
    void IncludeShape(int64_t left, int64_t top, int64_t right, int64_t bottom, bool stroked);
    TRect RecordBounds(int64_t left, int64_t top, int64_t right, int64_t bottom) const;

    int pixelsPerInch_;
    TPoint penPos_;
    uint32_t textAlign_ = taLeft | taTop;
    TEmfRecordBuilder builder_;
    TEmfHandleTable handles_;
    TTextMeasurer measurer_;
    std::vector<int32_t> dx_;

    // What the device context holds, as far as the records written so far say.
    struct TDeviceState {
        std::optional<TPen> pen;
        uint32_t penHandle = 0;
        std::optional<TBrush> brush;
        uint32_t brushHandle = 0;
        std::optional<TFont> font;
        uint32_t fontHandle = 0;
        std::optional<uint32_t> textColor, bkColor, bkMode, textAlign, stretchMode;
        std::optional<TPoint> position;
    } dc_;

    // The background the brush asks for, and an explicit mode set after the brush last changed.
    std::optional<TBrush> brushForBackground_;
    TBackgroundMode bkMode_ = bmOpaque;
    uint32_t bkColor_ = clWhite;

    // The font the measurer holds.
    std::optional<TFont> measuredFont_;

    bool hasBounds_ = false;
    int64_t boundsLeft_ = 0, boundsTop_ = 0, boundsRight_ = 0, boundsBottom_ = 0;
};

// The logical font a canvas font is recorded as.
TLogFont LogFontOf(const TFont& font);
