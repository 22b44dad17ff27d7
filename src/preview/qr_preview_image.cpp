#include "preview/qr_preview_image.h"

#include "document/qr_printer.h"
#include "graphics/emf_player.h"
#include "graphics/metafile.h"

#include <QPaintEvent>
#include <QPainter>

TQRPreviewImage::TQRPreviewImage(QWidget* parent) : QWidget(parent)
{
    // Mouse actions on the page reach the preview control's handlers, as on the rest of it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    resize(100, 50);
}

TQRPreviewImage::~TQRPreviewImage() = default;

void TQRPreviewImage::SetPageNumber(int32_t n)
{
    pageNumber_ = n;
    pageMetafile_.reset();
    renderedValid_ = false;
    if (document_)
        pageMetafile_ = document_->PageImage(n);
    // Drawn at once, not at the next repaint.
    if (isVisible())
        repaint();
    else
        update();
}

void TQRPreviewImage::resizeEvent(QResizeEvent* event)
{
    renderedValid_ = false;
    QWidget::resizeEvent(event);
}

// The sheet, then the page stretched over the whole image (the frame and the shadow cover its
// edges next), then a 1-pixel frame and a 2-pixel shadow offset by 2.
void TQRPreviewImage::PaintPage(QPainter& painter)
{
    const int w = width();
    const int h = height();
    painter.fillRect(QRect(1, 1, w - 4, h - 4), Qt::white);
    StretchDrawMetafile(painter, QRectF(0, 0, w, h), *pageMetafile_);
    // The frame's lines run through the pixels (0, 0) to (w - 3, h - 3); drawn as pixel-wide
    // rectangles they stay one screen pixel wide at any pixel density.
    painter.fillRect(QRect(0, 0, 1, h - 2), Qt::black);
    painter.fillRect(QRect(0, 0, w - 2, 1), Qt::black);
    painter.fillRect(QRect(w - 3, 0, 1, h - 2), Qt::black);
    painter.fillRect(QRect(0, h - 3, w - 2, 1), Qt::black);
    painter.fillRect(QRect(w - 2, 2, 2, h - 2), Qt::black);
    painter.fillRect(QRect(2, h - 2, w - 2, 2), Qt::black);
}

void TQRPreviewImage::paintEvent(QPaintEvent* event)
{
    if (!pageMetafile_ || width() < 4 || height() < 4)
        return;  // without a page the scroll box's background shows through
    QPainter painter(this);
    const double ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    // Up to a sane size the page is drawn once and then copied, so that scrolling is smooth; a
    // page zoomed beyond it is drawn afresh for the part that shows.
    constexpr qint64 kMaxCachedPixels = 16 * 1024 * 1024;
    if (qint64(pixels.width()) * pixels.height() > kMaxCachedPixels) {
        painter.setClipRect(event->rect());
        PaintPage(painter);
        return;
    }
    if (!renderedValid_ || rendered_.size() != pixels || rendered_.devicePixelRatio() != ratio) {
        // The buffer is kept from page to page while the size stays: paging does not allocate.
        if (rendered_.size() != pixels)
            rendered_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        rendered_.setDevicePixelRatio(ratio);
        rendered_.fill(Qt::transparent);
        QPainter cache(&rendered_);
        PaintPage(cache);
        renderedValid_ = true;
    }
    const QRect r = event->rect();
    painter.drawImage(r, rendered_, QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio));
}
