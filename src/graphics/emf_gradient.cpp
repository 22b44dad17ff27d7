#include "graphics/emf_gradient.h"

#include "graphics/emf_reader.h"
#include "graphics/emf_records.h"
#include "graphics/emf_renderer.h"

#include <QLinearGradient>
#include <vector>

using namespace emf;

namespace {

constexpr uint32_t kMaxVertices = 1u << 16;
constexpr uint32_t kMaxShapes = 1u << 16;
constexpr size_t kVertexSize = 16;

struct Vertex {
    QPointF point;
    QColor color;
};

QColor Mix(const QColor& a, const QColor& b, const QColor& c)
{
    return QColor((a.red() + b.red() + c.red()) / 3, (a.green() + b.green() + c.green()) / 3,
                  (a.blue() + b.blue() + c.blue()) / 3);
}

QColor Between(const QColor& a, const QColor& b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

// Smooth shading is approximated by splitting the triangle into flat pieces of mixed colour.
void ShadeTriangle(TEmfRenderer& renderer, const Vertex& a, const Vertex& b, const Vertex& c,
                   int depth)
{
    if (depth == 0) {
        QPainterPath path;
        path.moveTo(a.point);
        path.lineTo(b.point);
        path.lineTo(c.point);
        path.closeSubpath();
        renderer.FillWith(path, QBrush(Mix(a.color, b.color, c.color)));
        return;
    }
    const Vertex ab { (a.point + b.point) / 2, Between(a.color, b.color) };
    const Vertex bc { (b.point + c.point) / 2, Between(b.color, c.color) };
    const Vertex ca { (c.point + a.point) / 2, Between(c.color, a.color) };
    ShadeTriangle(renderer, a, ab, ca, depth - 1);
    ShadeTriangle(renderer, ab, b, bc, depth - 1);
    ShadeTriangle(renderer, ca, bc, c, depth - 1);
    ShadeTriangle(renderer, ab, bc, ca, depth - 1);
}

} // namespace

bool PlayGradientFill(TEmfRenderer& renderer, TEmfRecord& r)
{
    const uint32_t vertexCount = r.U32(24);
    const uint32_t shapeCount = r.U32(28);
    const uint32_t mode = r.U32(32);
    if (!r.Ok() || vertexCount > kMaxVertices || shapeCount > kMaxShapes)
        return false;
    if (!r.Has(36, size_t(vertexCount) * kVertexSize))
        return false;
    std::vector<Vertex> vertices(vertexCount);
    for (uint32_t i = 0; i < vertexCount; ++i) {
        const size_t at = 36 + size_t(i) * kVertexSize;
        vertices[i].point = QPointF(r.I32(at), r.I32(at + 4));
        vertices[i].color = QColor(r.U16(at + 8) >> 8, r.U16(at + 10) >> 8, r.U16(at + 12) >> 8);
    }
    const size_t shapesAt = 36 + size_t(vertexCount) * kVertexSize;
    const bool triangles = mode == GRADIENT_FILL_TRIANGLE;
    const size_t each = triangles ? 12 : 8;
    if (!r.Has(shapesAt, size_t(shapeCount) * each))
        return false;
    const int depth = shapeCount > 4096 ? 0 : shapeCount > 256 ? 2 : 4;
    for (uint32_t i = 0; i < shapeCount; ++i) {
        const size_t at = shapesAt + size_t(i) * each;
        const uint32_t i0 = r.U32(at), i1 = r.U32(at + 4);
        if (i0 >= vertexCount || i1 >= vertexCount)
            continue;
        if (triangles) {
            const uint32_t i2 = r.U32(at + 8);
            if (i2 >= vertexCount)
                continue;
            ShadeTriangle(renderer, vertices[i0], vertices[i1], vertices[i2], depth);
            continue;
        }
        const Vertex& a = vertices[i0];
        const Vertex& b = vertices[i1];
        const QRectF rect = QRectF(a.point, b.point).normalized();
        if (rect.isEmpty())
            continue;
        const bool vertical = mode == GRADIENT_FILL_RECT_V;
        QLinearGradient gradient(a.point, vertical ? QPointF(a.point.x(), b.point.y())
                                                   : QPointF(b.point.x(), a.point.y()));
        gradient.setColorAt(0, a.color);
        gradient.setColorAt(1, b.color);
        QPainterPath path;
        path.addRect(rect);
        renderer.FillWith(path, QBrush(gradient));
    }
    return true;
}
