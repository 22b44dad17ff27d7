#include "graphics/emf_clip.h"

#include "graphics/emf_records.h"

namespace {
// Larger than any device surface a metafile describes, small enough for exact path arithmetic.
constexpr double kUniverse = 1.0e7;

bool IsAxisRect(const QPainterPath& path, QRectF& rect)
{
    if (path.elementCount() != 5 && path.elementCount() != 4)
        return false;
    const QRectF box = path.boundingRect();
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (i > 0 && !e.isLineTo())
            return false;
        if ((e.x != box.left() && e.x != box.right()) || (e.y != box.top() && e.y != box.bottom()))
            return false;
    }
    rect = box;
    return true;
}
} // namespace

QPainterPath TEmfClip::Universe()
{
    QPainterPath universe;
    universe.addRect(-kUniverse, -kUniverse, 2 * kUniverse, 2 * kUniverse);
    return universe;
}

QPainterPath TEmfClip::Path() const
{
    switch (kind_) {
    case Kind::None:
        return Universe();
    case Kind::Rect: {
        QPainterPath path;
        path.addRect(rect_);
        return path;
    }
    case Kind::Path:
        break;
    }
    return path_;
}

void TEmfClip::SetRect(const QRectF& rect)
{
    kind_ = Kind::Rect;
    rect_ = rect.normalized();
    path_ = QPainterPath();
}

void TEmfClip::SetPath(QPainterPath path)
{
    QRectF rect;
    if (IsAxisRect(path, rect)) {
        SetRect(rect);
        return;
    }
    if (path.isEmpty()) {
        SetRect(QRectF());
        return;
    }
    kind_ = Kind::Path;
    path_ = std::move(path);
}

void TEmfClip::IntersectRect(const QRectF& rect)
{
    const QRectF r = rect.normalized();
    switch (kind_) {
    case Kind::None:
        SetRect(r);
        return;
    case Kind::Rect: {
        const QRectF both = rect_.intersected(r);
        SetRect(both.isValid() ? both : QRectF());
        return;
    }
    case Kind::Path: {
        QPainterPath p;
        p.addRect(r);
        SetPath(path_.intersected(p));
        return;
    }
    }
}

void TEmfClip::ExcludeRect(const QRectF& rect)
{
    QPainterPath p;
    p.addRect(rect.normalized());
    SetPath(Path().subtracted(p));
}

void TEmfClip::Combine(const QPainterPath& area, uint32_t mode)
{
    switch (mode) {
    case emf::RGN_COPY:
        SetPath(area);
        return;
    case emf::RGN_AND:
        if (kind_ == Kind::None) {
            SetPath(area);
            return;
        }
        {
            QRectF rect;
            if (IsAxisRect(area, rect)) {
                IntersectRect(rect);
                return;
            }
        }
        SetPath(Path().intersected(area));
        return;
    case emf::RGN_OR:
        if (kind_ == Kind::None)
            return;
        SetPath(Path().united(area));
        return;
    case emf::RGN_XOR: {
        const QPainterPath current = Path();
        SetPath(current.united(area).subtracted(current.intersected(area)));
        return;
    }
    case emf::RGN_DIFF:
        SetPath(Path().subtracted(area));
        return;
    default:
        return;
    }
}

void TEmfClip::Intersect(const TEmfClip& other)
{
    if (other.kind_ == Kind::None)
        return;
    if (other.kind_ == Kind::Rect) {
        IntersectRect(other.rect_);
        return;
    }
    Combine(other.path_, emf::RGN_AND);
}

void TEmfClip::Offset(double dx, double dy)
{
    if (kind_ == Kind::Rect)
        rect_.translate(dx, dy);
    else if (kind_ == Kind::Path)
        path_.translate(dx, dy);
}

bool TEmfClip::operator==(const TEmfClip& other) const
{
    if (kind_ != other.kind_)
        return false;
    if (kind_ == Kind::Rect)
        return rect_ == other.rect_;
    if (kind_ == Kind::Path)
        return path_ == other.path_;
    return true;
}
