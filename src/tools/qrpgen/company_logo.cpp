#include "tools/qrpgen/company_logo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace qrpgen {

// A rounded badge with rising bars and a bird's wing sweeping over them. Drawn in a 100-unit
// square and scaled, so every size shows the same picture.
QImage CompanyLogo(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);

    QLinearGradient badge(0, 0, 100, 100);
    badge.setColorAt(0, QColor(31, 56, 100));
    badge.setColorAt(1, QColor(22, 120, 140));
    p.setPen(Qt::NoPen);
    p.setBrush(badge);
    p.drawRoundedRect(QRectF(4, 4, 92, 92), 18, 18);

    p.setBrush(QColor(255, 255, 255, 230));
    const double bars[][2] = { { 20, 22 }, { 36, 34 }, { 52, 48 }, { 68, 62 } };
    for (const auto& bar : bars)
        p.drawRect(QRectF(bar[0], 84 - bar[1], 11, bar[1]));

    QPainterPath wing;
    wing.moveTo(12, 46);
    wing.cubicTo(34, 30, 58, 18, 90, 14);
    wing.cubicTo(70, 26, 56, 34, 44, 48);
    wing.cubicTo(34, 42, 24, 42, 12, 46);
    p.setBrush(QColor(244, 180, 40));
    p.drawPath(wing);
    return image;
}

} // namespace qrpgen
