#include "preview/preview_glyphs.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kAccent(35, 95, 180);

void Sheet(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(r);
}

void Magnifier(QPainter& p, const QPointF& centre)
{
    p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(2.6, 2.6), centre + QPointF(5.5, 5.5));
    p.setPen(QPen(kAccent, 1.4));
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(centre, 3.4, 3.4);
}

void Triangle(QPainter& p, double tipX, double baseX)
{
    QPainterPath path;
    path.moveTo(tipX, 8);
    path.lineTo(baseX, 3.5);
    path.lineTo(baseX, 12.5);
    path.closeSubpath();
    p.fillPath(path, kAccent);
}

void Bar(QPainter& p, double x)
{
    p.fillRect(QRectF(x, 3.5, 1.8, 9), kAccent);
}

void Printer(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(170, 170, 170));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.fillRect(QRectF(12, 8, 1.2, 1.2), QColor(60, 170, 60));
}

void Draw(QPainter& p, TPreviewGlyph glyph)
{
    switch (glyph) {
    case TPreviewGlyph::ZoomToFit:
        Sheet(p, QRectF(2.5, 0.5, 9, 12));
        p.setPen(QPen(kAccent, 1));
        p.drawRect(QRectF(4, 2, 6, 9));
        Magnifier(p, QPointF(9, 9));
        break;
    case TPreviewGlyph::Zoom100: {
        Magnifier(p, QPointF(7, 7));
        QFont font;
        font.setPixelSize(5);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kInk);
        p.drawText(QRectF(3, 4.5, 8, 5), Qt::AlignCenter, "1:1");
        break;
    }
    case TPreviewGlyph::ZoomToWidth:
        Sheet(p, QRectF(0.5, 2.5, 12, 10));
        p.setPen(QPen(kAccent, 1.2));
        p.drawLine(QPointF(2, 7), QPointF(11, 7));
        p.drawLine(QPointF(2, 7), QPointF(4, 5.5));
        p.drawLine(QPointF(2, 7), QPointF(4, 8.5));
        p.drawLine(QPointF(11, 7), QPointF(9, 5.5));
        p.drawLine(QPointF(11, 7), QPointF(9, 8.5));
        Magnifier(p, QPointF(10.5, 10.5));
        break;
    case TPreviewGlyph::FirstPage:
        Bar(p, 3);
        Triangle(p, 5, 12.5);
        break;
    case TPreviewGlyph::PreviousPage:
        Triangle(p, 4.5, 11.5);
        break;
    case TPreviewGlyph::NextPage:
        Triangle(p, 11.5, 4.5);
        break;
    case TPreviewGlyph::LastPage:
        Triangle(p, 11, 3.5);
        Bar(p, 11.2);
        break;
    case TPreviewGlyph::PrinterSetup:
        Printer(p);
        p.setPen(QPen(kAccent, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 15), QPointF(15, 10));
        break;
    case TPreviewGlyph::Print:
        Printer(p);
        break;
    case TPreviewGlyph::LoadReport: {
        p.setPen(QPen(QColor(150, 110, 30), 1));
        p.setBrush(QColor(240, 200, 90));
        QPainterPath folder;
        folder.moveTo(1.5, 4.5);
        folder.lineTo(5.5, 4.5);
        folder.lineTo(6.5, 3);
        folder.lineTo(13.5, 3);
        folder.lineTo(13.5, 13.5);
        folder.lineTo(1.5, 13.5);
        folder.closeSubpath();
        p.drawPath(folder);
        p.setBrush(QColor(250, 220, 120));
        p.drawRect(QRectF(1.5, 6.5, 13, 7));
        break;
    }
    case TPreviewGlyph::SaveReport:
        p.setPen(QPen(kInk, 1));
        p.setBrush(kAccent);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.fillRect(QRectF(9, 2.5, 1.5, 3), kInk);
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
        break;
    }
}

class GlyphEngine : public QIconEngine {
public:
    explicit GlyphEngine(TPreviewGlyph glyph) : glyph_(glyph) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 16.0, rect.height() / 16.0);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.35);
        Draw(*painter, glyph_);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        QPixmap pixmap(size * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new GlyphEngine(glyph_); }

private:
    TPreviewGlyph glyph_;
};

} // namespace

QIcon PreviewGlyph(TPreviewGlyph glyph)
{
    return QIcon(new GlyphEngine(glyph));
}
