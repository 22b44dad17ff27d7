#include "tools/qrptool/page_picture.h"

#include "graphics/emf_player.h"
#include "graphics/metafile.h"
#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"
#include "tools/qrptool/command.h"

#include <QPainter>
#include <cmath>

namespace qrptool {

QSizeF PageSizeInches(const TMetafile& page, const std::string& what)
{
    const double width = page.MMWidth() / 2540.0, height = page.MMHeight() / 2540.0;
    if (!(width > 0) || !(height > 0))
        throw InputError(what + " has no area (its frame is empty)");
    return QSizeF(width, height);
}

double FittingResolution(QSizeF inches, double dpi)
{
    const double pixels = inches.width() * dpi * inches.height() * dpi;
    if (pixels <= kMaxPicturePixels)
        return dpi;
    return dpi * std::sqrt(kMaxPicturePixels / pixels);
}

void DrawPage(QPainter& painter, const TMetafile& page, QSizeF size)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    StretchDrawMetafile(painter, QRectF(QPointF(0, 0), size), page);
}

std::unique_ptr<TMetafile> FetchExistingPage(TQRPageList& list, const std::string& report, int n)
{
    if (n > list.PageTotal())
        throw InputError(report + " has " + std::to_string(list.PageTotal()) + " pages, no page " +
                         std::to_string(n));
    return list.FetchPage(n);
}

} // namespace qrptool
