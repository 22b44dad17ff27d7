#include "graphics/canvas.h"

#include "graphics/dib_encoder.h"
#include "graphics/metafile.h"
#include "graphics/metafile_embedder.h"

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {
constexpr uint32_t kStretchBlackOnWhite = 1;
constexpr uint32_t kStretchHalftone = 4;
constexpr uint32_t kExtTextOutFixedSize = 76;
constexpr uint32_t kStretchDIBitsFixedSize = 80;
constexpr uint32_t kAlphaBlendFixedSize = 108;
constexpr uint32_t kBitBltFixedSize = 100;
constexpr int kFaceNameChars = 32;

int32_t Clamp32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}

// Only these fields make a different font object; colour and resolution do not.
bool SameFontObject(const TFont& a, const TFont& b)
{
    return a.Height == b.Height && a.Style == b.Style && a.Charset == b.Charset &&
           a.Orientation == b.Orientation && a.Name == b.Name;
}

bool IsStyledPen(const TPen& pen)
{
    return pen.Style >= psDash && pen.Style <= psDashDotDot;
}

void PutIdentityTransform(TEmfRecordBuilder& b)
{
    b.PutFloat(1);
    b.PutFloat(0);
    b.PutFloat(0);
    b.PutFloat(1);
    b.PutFloat(0);
    b.PutFloat(0);
}
} // namespace

TLogFont LogFontOf(const TFont& font)
{
    TLogFont lf;
    lf.Height = font.Height;
    lf.Escapement = font.Orientation;
    lf.Orientation = font.Orientation;
    lf.Weight = font.Style.Contains(fsBold) ? 700 : 400;
    lf.Italic = font.Style.Contains(fsItalic);
    lf.Underline = font.Style.Contains(fsUnderline);
    lf.StrikeOut = font.Style.Contains(fsStrikeOut);
    lf.CharSet = font.Charset;
    lf.FaceName = font.Name.left(kFaceNameChars - 1).toStdU16String();
    return lf;
}

TCanvas::TCanvas(int pixelsPerInch) : pixelsPerInch_(pixelsPerInch > 0 ? pixelsPerInch : 96)
{
    Font.PixelsPerInch = pixelsPerInch_;
    Font.SetSize(8);
    // A new device context's state, so that defaults are not written again.
    dc_.textColor = clBlack;
    dc_.bkColor = clWhite;
    dc_.bkMode = bmOpaque;
    dc_.textAlign = taLeft | taTop;
    dc_.stretchMode = kStretchBlackOnWhite;
    dc_.position = TPoint { 0, 0 };
    dx_.reserve(256);
}

TCanvas::~TCanvas() = default;

uint64_t TCanvas::RecordRoom() const
{
    return TMetafile::kMaxBytes;
}

// ---- device context state --------------------------------------------------------------------

void TCanvas::RealizePen()
{
    if (dc_.pen && *dc_.pen == Pen)
        return;
    const uint32_t old = dc_.penHandle;
    uint32_t handle = 0;
    if (Pen.Style != psClear)
        handle = handles_.Allocate();
    if (handle) {
        builder_.Begin(emf::EMR_CREATEPEN);
        builder_.Put32(handle);
        builder_.Put32(Pen.Style);
        builder_.PutS32(std::max(Pen.Width, 0));
        builder_.PutS32(0);
        builder_.Put32(ColorToRGB(Pen.Color));
        WriteRecord(builder_.Finish());
        WriteRecord(builder_.Simple(emf::EMR_SELECTOBJECT, handle));
    } else {
        WriteRecord(builder_.Simple(emf::EMR_SELECTOBJECT, Pen.Style == psClear
                                                               ? Stock(emf::NULL_PEN)
                                                               : Stock(emf::BLACK_PEN)));
    }
    if (old) {
        WriteRecord(builder_.Simple(emf::EMR_DELETEOBJECT, old));
        handles_.Release(old);
    }
    dc_.pen = Pen;
    dc_.penHandle = handle;
}

void TCanvas::RealizeBrush()
{
    if (dc_.brush && *dc_.brush == Brush)
        return;
    const uint32_t old = dc_.brushHandle;
    uint32_t handle = 0;
    if (Brush.Style != bsClear)
        handle = handles_.Allocate();
    if (handle) {
        const bool solid = Brush.Style == bsSolid;
        builder_.Begin(emf::EMR_CREATEBRUSHINDIRECT);
        builder_.Put32(handle);
        builder_.Put32(solid ? emf::BS_SOLID : emf::BS_HATCHED);
        builder_.Put32(ColorToRGB(Brush.Color));
        builder_.Put32(solid ? 0 : uint32_t(Brush.Style - bsHorizontal));
        WriteRecord(builder_.Finish());
        WriteRecord(builder_.Simple(emf::EMR_SELECTOBJECT, handle));
    } else {
        WriteRecord(builder_.Simple(emf::EMR_SELECTOBJECT, Brush.Style == bsClear
                                                               ? Stock(emf::NULL_BRUSH)
                                                               : Stock(emf::WHITE_BRUSH)));
    }
    if (old) {
        WriteRecord(builder_.Simple(emf::EMR_DELETEOBJECT, old));
        handles_.Release(old);
    }
    dc_.brush = Brush;
    dc_.brushHandle = handle;
}

void TCanvas::RealizeFont()
{
    if (dc_.font && SameFontObject(*dc_.font, Font))
        return;
    const uint32_t old = dc_.fontHandle;
    const uint32_t handle = handles_.Allocate();
    if (handle) {
        const TLogFont lf = LogFontOf(Font);
        builder_.Begin(emf::EMR_EXTCREATEFONTINDIRECTW);
        builder_.Put32(handle);
        builder_.PutS32(lf.Height);
        builder_.PutS32(lf.Width);
        builder_.PutS32(lf.Escapement);
        builder_.PutS32(lf.Orientation);
        builder_.PutS32(lf.Weight);
        builder_.Put8(lf.Italic);
        builder_.Put8(lf.Underline);
        builder_.Put8(lf.StrikeOut);
        builder_.Put8(lf.CharSet);
        builder_.Put8(lf.OutPrecision);
        builder_.Put8(lf.ClipPrecision);
        builder_.Put8(lf.Quality);
        builder_.Put8(lf.PitchAndFamily);
        for (int i = 0; i < kFaceNameChars; ++i)
            builder_.Put16(i < int(lf.FaceName.size()) ? uint16_t(lf.FaceName[size_t(i)]) : 0);
        WriteRecord(builder_.Finish());
        WriteRecord(builder_.Simple(emf::EMR_SELECTOBJECT, handle));
    } else {
        WriteRecord(builder_.Simple(emf::EMR_SELECTOBJECT, Stock(emf::SYSTEM_FONT)));
    }
    if (old) {
        WriteRecord(builder_.Simple(emf::EMR_DELETEOBJECT, old));
        handles_.Release(old);
    }
    dc_.font = Font;
    dc_.fontHandle = handle;
}

void TCanvas::UpdateBackgroundFromBrush()
{
    if (brushForBackground_ && *brushForBackground_ == Brush)
        return;
    brushForBackground_ = Brush;
    if (Brush.Style == bsSolid) {
        bkMode_ = bmOpaque;
        bkColor_ = ColorToRGB(Brush.Color);
    } else {
        // Hatches would vanish against a background of their own colour.
        bkMode_ = bmTransparent;
        bkColor_ = ColorToRGB(~Brush.Color);
    }
}

void TCanvas::RealizeBackground()
{
    UpdateBackgroundFromBrush();
    if (dc_.bkColor != bkColor_) {
        WriteRecord(builder_.Simple(emf::EMR_SETBKCOLOR, bkColor_));
        dc_.bkColor = bkColor_;
    }
    if (dc_.bkMode != uint32_t(bkMode_)) {
        WriteRecord(builder_.Simple(emf::EMR_SETBKMODE, uint32_t(bkMode_)));
        dc_.bkMode = bkMode_;
    }
}

void TCanvas::RealizeTextState()
{
    RealizeFont();
    const uint32_t color = ColorToRGB(Font.Color);
    if (dc_.textColor != color) {
        WriteRecord(builder_.Simple(emf::EMR_SETTEXTCOLOR, color));
        dc_.textColor = color;
    }
    if (dc_.textAlign != textAlign_) {
        WriteRecord(builder_.Simple(emf::EMR_SETTEXTALIGN, textAlign_));
        dc_.textAlign = textAlign_;
    }
    RealizeBackground();
}

void TCanvas::RealizeStroke()
{
    RealizePen();
    if (IsStyledPen(Pen))
        RealizeBackground(); // the gaps of a styled line take the background
}

void TCanvas::RealizeFill()
{
    RealizeStroke();
    RealizeBrush();
    if (Brush.Style > bsClear)
        RealizeBackground();
}

void TCanvas::SyncPosition()
{
    if (dc_.position == penPos_)
        return;
    builder_.Begin(emf::EMR_MOVETOEX);
    builder_.PutPoint(penPos_);
    WriteRecord(builder_.Finish());
    dc_.position = penPos_;
}

void TCanvas::Measure()
{
    if (measuredFont_ && SameFontObject(*measuredFont_, Font))
        return;
    measurer_.Select(LogFontOf(Font));
    measuredFont_ = Font;
}

TBackgroundMode TCanvas::BkMode()
{
    UpdateBackgroundFromBrush();
    return bkMode_;
}

void TCanvas::SetBkMode(TBackgroundMode mode)
{
    UpdateBackgroundFromBrush();
    if (mode == bmTransparent || mode == bmOpaque)
        bkMode_ = mode;
}

void TCanvas::Refresh()
{
    ReleaseObjects();
    dc_ = TDeviceState {};
}

void TCanvas::ReleaseObjects()
{
    struct Slot {
        uint32_t& handle;
        uint32_t stock;
    };
    for (Slot slot : { Slot { dc_.penHandle, Stock(emf::BLACK_PEN) },
                       Slot { dc_.brushHandle, Stock(emf::WHITE_BRUSH) },
                       Slot { dc_.fontHandle, Stock(emf::SYSTEM_FONT) } }) {
        if (!slot.handle)
            continue;
        WriteRecord(builder_.Simple(emf::EMR_SELECTOBJECT, slot.stock));
        WriteRecord(builder_.Simple(emf::EMR_DELETEOBJECT, slot.handle));
        handles_.Release(slot.handle);
        slot.handle = 0;
    }
    dc_.pen.reset();
    dc_.brush.reset();
    dc_.font.reset();
}

// ---- bounds ----------------------------------------------------------------------------------

void TCanvas::IncludeBounds(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    if (right < left || bottom < top)
        return;
    if (!hasBounds_) {
        boundsLeft_ = left;
        boundsTop_ = top;
        boundsRight_ = right;
        boundsBottom_ = bottom;
        hasBounds_ = true;
        return;
    }
    boundsLeft_ = std::min(boundsLeft_, left);
    boundsTop_ = std::min(boundsTop_, top);
    boundsRight_ = std::max(boundsRight_, right);
    boundsBottom_ = std::max(boundsBottom_, bottom);
}

void TCanvas::IncludeShape(int64_t left, int64_t top, int64_t right, int64_t bottom, bool stroked)
{
    const int64_t half =
        stroked && Pen.Style != psClear ? (std::max<int64_t>(Pen.Width, 1) + 1) / 2 : 0;
    IncludeBounds(left - half, top - half, right + half, bottom + half);
}

TRect TCanvas::RecordBounds(int64_t left, int64_t top, int64_t right, int64_t bottom) const
{
    return TRect { Clamp32(left), Clamp32(top), Clamp32(right), Clamp32(bottom) };
}

std::optional<TRect> TCanvas::DrawnBounds() const
{
    if (!hasBounds_)
        return std::nullopt;
    return RecordBounds(boundsLeft_, boundsTop_, boundsRight_, boundsBottom_);
}

// ---- lines and shapes ------------------------------------------------------------------------

void TCanvas::LineTo(int x, int y)
{
    RealizeStroke();
    SyncPosition();
    builder_.Begin(emf::EMR_LINETO);
    builder_.PutS32(x);
    builder_.PutS32(y);
    WriteRecord(builder_.Finish());
    IncludeShape(std::min(penPos_.X, x), std::min(penPos_.Y, y), std::max(penPos_.X, x),
                 std::max(penPos_.Y, y), true);
    penPos_ = TPoint { x, y };
    dc_.position = penPos_;
}

void TCanvas::ShapeRecord(uint32_t type, int x1, int y1, int x2, int y2, const TSize* corner)
{
    // Swapped corners describe the same shape; written in order, every reader agrees on it.
    const TRect box { std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2) };
    RealizeFill();
    builder_.Begin(type);
    builder_.PutRect(box);
    if (corner) {
        builder_.PutS32(corner->cx);
        builder_.PutS32(corner->cy);
    }
    WriteRecord(builder_.Finish());
    IncludeShape(box.Left, box.Top, int64_t(box.Right) - 1, int64_t(box.Bottom) - 1, true);
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    ShapeRecord(emf::EMR_RECTANGLE, x1, y1, x2, y2);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    ShapeRecord(emf::EMR_ELLIPSE, x1, y1, x2, y2);
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3)
{
    const TSize corner { int(std::min<int64_t>(std::abs(int64_t(x3)), INT32_MAX)),
                         int(std::min<int64_t>(std::abs(int64_t(y3)), INT32_MAX)) };
    ShapeRecord(emf::EMR_ROUNDRECT, x1, y1, x2, y2, &corner);
}

void TCanvas::ArcRecord(uint32_t type, int x1, int y1, int x2, int y2, int x3, int y3, int x4,
                        int y4)
{
    const TRect box { std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2) };
    if (type == emf::EMR_ARC)
        RealizeStroke();
    else
        RealizeFill();
    builder_.Begin(type);
    builder_.PutRect(box);
    builder_.PutPoint(TPoint { x3, y3 });
    builder_.PutPoint(TPoint { x4, y4 });
    WriteRecord(builder_.Finish());
    IncludeShape(box.Left, box.Top, int64_t(box.Right) - 1, int64_t(box.Bottom) - 1, true);
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    ArcRecord(emf::EMR_ARC, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    ArcRecord(emf::EMR_PIE, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    ArcRecord(emf::EMR_CHORD, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::PolyRecord(uint32_t type32, uint32_t type16, std::span<const TPoint> points)
{
    int64_t left = points[0].X, top = points[0].Y, right = left, bottom = top;
    for (const TPoint& p : points) {
        left = std::min<int64_t>(left, p.X);
        right = std::max<int64_t>(right, p.X);
        top = std::min<int64_t>(top, p.Y);
        bottom = std::max<int64_t>(bottom, p.Y);
    }
    constexpr int64_t lo = std::numeric_limits<int16_t>::min();
    constexpr int64_t hi = std::numeric_limits<int16_t>::max();
    const bool small = left >= lo && top >= lo && right <= hi && bottom <= hi;
    const uint64_t size = 28 + uint64_t(points.size()) * (small ? 4 : 8);
    if (size > RecordRoom())
        return;
    if (type32 == emf::EMR_POLYLINE || type32 == emf::EMR_POLYBEZIER)
        RealizeStroke();
    else
        RealizeFill();
    builder_.Begin(small ? type16 : type32);
    builder_.PutRect(RecordBounds(left, top, right, bottom));
    builder_.Put32(uint32_t(points.size()));
    if (small) {
        uint8_t* out = builder_.PutSpace(points.size() * 4);
        for (const TPoint& p : points) {
            out[0] = uint8_t(p.X);
            out[1] = uint8_t(uint32_t(p.X) >> 8);
            out[2] = uint8_t(p.Y);
            out[3] = uint8_t(uint32_t(p.Y) >> 8);
            out += 4;
        }
    } else {
        for (const TPoint& p : points)
            builder_.PutPoint(p);
    }
    WriteRecord(builder_.Finish());
    IncludeShape(left, top, right, bottom, true);
}

void TCanvas::Polygon(std::span<const TPoint> points)
{
    if (points.size() < 2)
        return;
    PolyRecord(emf::EMR_POLYGON, emf::EMR_POLYGON16, points);
}

void TCanvas::Polyline(std::span<const TPoint> points)
{
    if (points.size() < 2)
        return;
    PolyRecord(emf::EMR_POLYLINE, emf::EMR_POLYLINE16, points);
}

void TCanvas::PolyBezier(std::span<const TPoint> points)
{
    if (points.size() < 4 || (points.size() - 1) % 3 != 0)
        return;
    PolyRecord(emf::EMR_POLYBEZIER, emf::EMR_POLYBEZIER16, points);
}

void TCanvas::PatBlt(int x, int y, int width, int height)
{
    builder_.Begin(emf::EMR_BITBLT);
    builder_.PutRect(RecordBounds(x, y, int64_t(x) + width - 1, int64_t(y) + height - 1));
    builder_.PutS32(x);
    builder_.PutS32(y);
    builder_.PutS32(width);
    builder_.PutS32(height);
    builder_.Put32(emf::PATCOPY);
    builder_.PutS32(0);
    builder_.PutS32(0);
    PutIdentityTransform(builder_);
    for (int i = 0; i < 6; ++i) // background colour, usage, no source bitmap
        builder_.Put32(0);
    WriteRecord(builder_.Finish());
}

void TCanvas::FillRect(const TRect& r)
{
    if (r.IsEmpty() || Brush.Style == bsClear)
        return;
    RealizeBrush();
    if (Brush.Style > bsClear)
        RealizeBackground();
    PatBlt(r.Left, r.Top, r.Width(), r.Height());
    IncludeBounds(r.Left, r.Top, int64_t(r.Right) - 1, int64_t(r.Bottom) - 1);
}

void TCanvas::FrameRect(const TRect& r)
{
    if (r.IsEmpty() || Brush.Style == bsClear)
        return;
    RealizeBrush();
    if (Brush.Style > bsClear)
        RealizeBackground();
    const int width = r.Width();
    const int height = r.Height();
    PatBlt(r.Left, r.Top, width, 1);
    if (height > 1)
        PatBlt(r.Left, r.Bottom - 1, width, 1);
    if (height > 2) {
        PatBlt(r.Left, r.Top + 1, 1, height - 2);
        if (width > 1)
            PatBlt(r.Right - 1, r.Top + 1, 1, height - 2);
    }
    IncludeBounds(r.Left, r.Top, int64_t(r.Right) - 1, int64_t(r.Bottom) - 1);
}

// ---- text ------------------------------------------------------------------------------------

int TCanvas::DrawText(int x, int y, uint32_t options, const TRect* rect, QStringView text,
                      std::span<const int> dx)
{
    options = rect ? options & (etoOpaque | etoClipped) : 0;
    if (text.isEmpty() && !(options & etoOpaque))
        return 0;
    const uint64_t chars = uint64_t(text.size());
    const uint64_t stringBytes = (chars * 2 + 3) / 4 * 4;
    if (kExtTextOutFixedSize + stringBytes + chars * 4 > RecordRoom())
        return 0;

    RealizeTextState();
    Measure();
    measurer_.Advances(text, dx_);
    const size_t given = std::min(dx.size(), dx_.size());
    std::copy_n(dx.begin(), given, dx_.begin());
    int64_t width = 0;
    for (int32_t advance : dx_)
        width += advance;

    TPoint origin { x, y };
    if (textAlign_ & taUpdateCP) {
        SyncPosition();
        origin = penPos_;
    }
    const int64_t height = measurer_.Height();
    int64_t left = origin.X, top = origin.Y;
    if ((textAlign_ & taCenter) == taCenter)
        left -= width / 2;
    else if (textAlign_ & taRight)
        left -= width;
    if ((textAlign_ & taBaseline) == taBaseline)
        top -= measurer_.Ascent();
    else if (textAlign_ & taBottom)
        top -= height;
    int64_t right = left + width - 1, bottom = top + height - 1;
    if (Font.Orientation % 3600 != 0) {
        const int64_t reach = width + height;
        left = int64_t(origin.X) - reach;
        right = int64_t(origin.X) + reach;
        top = int64_t(origin.Y) - reach;
        bottom = int64_t(origin.Y) + reach;
    }
    if (options & etoClipped) {
        left = std::max<int64_t>(left, rect->Left);
        top = std::max<int64_t>(top, rect->Top);
        right = std::min<int64_t>(right, int64_t(rect->Right) - 1);
        bottom = std::min<int64_t>(bottom, int64_t(rect->Bottom) - 1);
    }
    if (text.isEmpty())
        right = left - 1;
    IncludeBounds(left, top, right, bottom);
    if (options & etoOpaque)
        IncludeBounds(rect->Left, rect->Top, int64_t(rect->Right) - 1, int64_t(rect->Bottom) - 1);
    const std::optional<TRect> recordBounds =
        right >= left && bottom >= top ? std::optional(RecordBounds(left, top, right, bottom))
                                       : std::nullopt;

    const float scale = 2540.0f / float(pixelsPerInch_); // 0.01 mm per pixel
    builder_.Begin(emf::EMR_EXTTEXTOUTW);
    builder_.PutRect(recordBounds.value_or(TRect { 0, 0, -1, -1 }));
    builder_.Put32(emf::GM_COMPATIBLE);
    builder_.PutFloat(scale);
    builder_.PutFloat(scale);
    builder_.PutPoint(TPoint { x, y });
    builder_.Put32(uint32_t(chars));
    builder_.Put32(kExtTextOutFixedSize);
    builder_.Put32(options);
    builder_.PutRect(rect ? *rect : TRect { 0, 0, -1, -1 });
    builder_.Put32(uint32_t(kExtTextOutFixedSize + stringBytes));
    uint8_t* out = builder_.PutSpace(size_t(stringBytes));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        out[2 * i] = uint8_t(c);
        out[2 * i + 1] = uint8_t(c >> 8);
    }
    if (chars % 2)
        out[2 * chars] = out[2 * chars + 1] = 0;
    out = builder_.PutSpace(size_t(chars * 4));
    for (int32_t advance : dx_) {
        const uint32_t v = uint32_t(advance);
        out[0] = uint8_t(v);
        out[1] = uint8_t(v >> 8);
        out[2] = uint8_t(v >> 16);
        out[3] = uint8_t(v >> 24);
        out += 4;
    }
    WriteRecord(builder_.Finish());
    if (textAlign_ & taUpdateCP)
        dc_.position.reset(); // the player moved it by the text's advance
    return Clamp32(width);
}

void TCanvas::TextOut(int x, int y, QStringView text)
{
    TextOutDx(x, y, text, {});
}

void TCanvas::TextOutDx(int x, int y, QStringView text, std::span<const int> dx)
{
    const int width = DrawText(x, y, 0, nullptr, text, dx);
    penPos_ = TPoint { Clamp32(int64_t(x) + width), y };
}

void TCanvas::TextRect(const TRect& rect, int x, int y, QStringView text)
{
    DrawText(x, y, etoClipped | (Brush.Style != bsClear ? uint32_t(etoOpaque) : 0u), &rect, text,
             {});
}

void TCanvas::ExtTextOut(int x, int y, uint32_t options, const TRect* rect, QStringView text,
                         std::span<const int> dx)
{
    DrawText(x, y, options, rect, text, dx);
}

int TCanvas::TextWidth(QStringView text)
{
    return TextExtent(text).cx;
}

int TCanvas::TextHeight(QStringView text)
{
    return TextExtent(text).cy;
}

TSize TCanvas::TextExtent(QStringView text)
{
    Measure();
    return TSize { measurer_.Width(text), measurer_.Height() };
}

// ---- pictures --------------------------------------------------------------------------------

void TCanvas::Draw(int x, int y, const TMetafile& metafile)
{
    StretchDraw(TRect { x, y, Clamp32(int64_t(x) + metafile.Width()),
                        Clamp32(int64_t(y) + metafile.Height()) },
                metafile);
}

void TCanvas::StretchDraw(const TRect& rect, const TMetafile& metafile)
{
    if (metafile.Empty() || rect.IsEmpty())
        return;
    DrawMetafile(rect, metafile.Data());
    IncludeBounds(rect.Left, rect.Top, int64_t(rect.Right) - 1, int64_t(rect.Bottom) - 1);
}

void TCanvas::DrawMetafile(const TRect& target, std::span<const uint8_t> emf)
{
    const bool embedded =
        EmbedMetafile(emf, target, handles_, builder_,
                      [this](std::span<const uint8_t> record) { WriteRecord(record); });
    if (embedded)
        dc_.position.reset();
}

void TCanvas::Draw(int x, int y, const QImage& image)
{
    StretchDraw(
        TRect { x, y, Clamp32(int64_t(x) + image.width()), Clamp32(int64_t(y) + image.height()) },
        image);
}

void TCanvas::StretchDraw(const TRect& rect, const QImage& image)
{
    if (image.isNull() || rect.IsEmpty())
        return;
    const bool alpha = HasTransparency(image);
    const int bitCount = alpha ? 32 : 24;
    const uint32_t fixed = alpha ? kAlphaBlendFixedSize : kStretchDIBitsFixedSize;
    const uint64_t bits = DibBitsSize(image.width(), image.height(), bitCount);
    if (fixed + kDibInfoHeaderSize + bits > RecordRoom())
        return;
    if (dc_.stretchMode != kStretchHalftone) {
        WriteRecord(builder_.Simple(emf::EMR_SETSTRETCHBLTMODE, kStretchHalftone));
        dc_.stretchMode = kStretchHalftone;
    }
    const TRect bounds =
        RecordBounds(rect.Left, rect.Top, int64_t(rect.Right) - 1, int64_t(rect.Bottom) - 1);
    if (alpha) {
        builder_.Begin(emf::EMR_ALPHABLEND);
        builder_.PutRect(bounds);
        builder_.PutS32(rect.Left);
        builder_.PutS32(rect.Top);
        builder_.PutS32(rect.Width());
        builder_.PutS32(rect.Height());
        builder_.Put32(0x01FF0000); // source over, constant alpha 255, per-pixel alpha
        builder_.PutS32(0);
        builder_.PutS32(0);
        PutIdentityTransform(builder_);
        builder_.Put32(0); // background colour
        builder_.Put32(0); // RGB colours
        builder_.Put32(kAlphaBlendFixedSize);
        builder_.Put32(kDibInfoHeaderSize);
        builder_.Put32(kAlphaBlendFixedSize + kDibInfoHeaderSize);
        builder_.Put32(uint32_t(bits));
        builder_.PutS32(image.width());
        builder_.PutS32(image.height());
    } else {
        builder_.Begin(emf::EMR_STRETCHDIBITS);
        builder_.PutRect(bounds);
        builder_.PutS32(rect.Left);
        builder_.PutS32(rect.Top);
        builder_.PutS32(0);
        builder_.PutS32(0);
        builder_.PutS32(image.width());
        builder_.PutS32(image.height());
        builder_.Put32(kStretchDIBitsFixedSize);
        builder_.Put32(kDibInfoHeaderSize);
        builder_.Put32(kStretchDIBitsFixedSize + kDibInfoHeaderSize);
        builder_.Put32(uint32_t(bits));
        builder_.Put32(0); // RGB colours
        builder_.Put32(emf::SRCCOPY);
        builder_.PutS32(rect.Width());
        builder_.PutS32(rect.Height());
    }
    AppendDib(builder_, image, bitCount);
    WriteRecord(builder_.Finish());
    IncludeBounds(bounds.Left, bounds.Top, bounds.Right, bounds.Bottom);
}
