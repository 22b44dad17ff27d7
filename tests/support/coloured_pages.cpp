#include "support/coloured_pages.h"

#include "graphics/canvas.h"
#include "graphics/metafile.h"
#include "graphics/metafile_canvas.h"

#include <QImage>
#include <cstdlib>

QColor PageColour(int n)
{
    return QColor((n * 40) % 256, 255 - (n * 25) % 256, (n * 90) % 256);
}

std::vector<uint8_t> ColouredPage(int n, int widthPx, int heightPx)
{
    TMetafile page;
    page.SetWidth(widthPx);
    page.SetHeight(heightPx);
    {
        TMetafileCanvas canvas(page);
        const QColor c = PageColour(n);
        canvas.Brush.Color = TColor(c.red() | (c.green() << 8) | (c.blue() << 16));
        canvas.FillRect(TRect {0, 0, widthPx, heightPx});
    }
    return page.Bytes();
}

int PageShownIn(const QImage& image)
{
    if (image.isNull())
        return 0;
    const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
    for (int n = 1; n <= 40; ++n) {
        const QColor p = PageColour(n);
        if (std::abs(c.red() - p.red()) + std::abs(c.green() - p.green()) +
                std::abs(c.blue() - p.blue()) <
            12)
            return n;
    }
    return 0;
}
