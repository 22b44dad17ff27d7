#pragma once
// A clipping region in device units, as a device context keeps it: none (everything visible), a
// rectangle, or any area. Rectangles stay rectangles as long as the operations allow, because a
// rectangular clip is much cheaper to paint through.
#include <QPainterPath>
#include <QRectF>
#include <cstdint>

class TEmfClip {
public:
    // Whether there is a clip at all (otherwise everything is visible).
    bool IsSet() const { return kind_ != Kind::None; }
    bool IsRect() const { return kind_ == Kind::Rect; }
    const QRectF& Rect() const { return rect_; }
    // The clip as a path (valid for both kinds once set).
    QPainterPath Path() const;

    void Reset() { kind_ = Kind::None; }
    void SetRect(const QRectF& rect);
    void IntersectRect(const QRectF& rect);
    void ExcludeRect(const QRectF& rect);
    // Combines the area with one of the region modes (RGN_AND ... RGN_COPY).
    void Combine(const QPainterPath& area, uint32_t mode);
    void Intersect(const TEmfClip& other);
    void Offset(double dx, double dy);

    bool operator==(const TEmfClip& other) const;

private:
    enum class Kind : uint8_t { None, Rect, Path };
    static QPainterPath Universe();
    void SetPath(QPainterPath path);

    Kind kind_ = Kind::None;
    QRectF rect_;
    QPainterPath path_;
};
