#include "preview/qr_preview.h"

#include "document/qr_printer.h"
#include "platform/window_message.h"
#include "preview/qr_preview_image.h"

#include <QResizeEvent>
#include <QScrollBar>
#include <cmath>

namespace {
// Nearest integer, ties to even.
int RoundEven(double value)
{
    return int(std::nearbyint(value));
}

// The Letter sheet in millimetres, taken as pixels at 100 % when no document is attached.
constexpr double kLetterWidthMm = 215.9;
constexpr double kLetterLengthMm = 279.4;
} // namespace

TQRPreview::TQRPreview(QWidget* parent)
    : QScrollArea(parent), content_(new QWidget)
{
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image_ = new TQRPreviewImage(content_);
    image_->move(0, 0);
    content_->resize(image_->size());
    setWidget(content_);
    // The content moves while the thumb is dragged, so large pages pan smoothly.
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    resize(250, 250);
}

TQRPreview::~TQRPreview()
{
    if (document_)
        SetDocument(nullptr);
}

void TQRPreview::SetDocument(TQRPrinter* document)
{
    if (document_ && document_->ClientControl() == this) {
        document_->SetShowingPreview(false);
        document_->SetClientControl(nullptr);
    }
    document_ = document;
    image_->SetDocument(document);
    if (document) {
        document->SetClientControl(this);
        document->SetShowingPreview(true);
    }
    SetPageNumber(1);
    // Fetches page 1 again even when the page number did not change, so that a newly attached
    // document always replaces the previous picture.
    image_->SetPageNumber(1);
    update();
}

void TQRPreview::SetPageNumber(int32_t n)
{
    if ((n == pageNumber_ && image_->HasPage()) || n <= 0 || !document_ ||
        n > document_->PageTotal())
        return;
    image_->SetPageNumber(n);
    pageNumber_ = n;
    ResetScroll();
}

void TQRPreview::ResetScroll()
{
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

double TQRPreview::PageWidthPixels() const
{
    return document_ ? document_->DeviceSizeX(document_->OrientedWidth()) : kLetterWidthMm;
}

double TQRPreview::PageHeightPixels() const
{
    return document_ ? document_->DeviceSizeY(document_->OrientedLength()) : kLetterLengthMm;
}

void TQRPreview::ApplyZoom()
{
    int w, h;
    if (document_) {
        w = document_->DeviceSizeX(document_->OrientedWidth() / 100.0L * zoom_) + 4;
        h = document_->DeviceSizeY(document_->OrientedLength() / 100.0L * zoom_) + 4;
    } else {
        w = RoundEven(kLetterWidthMm / 100 * zoom_) + 4;
        h = RoundEven(kLetterLengthMm / 100 * zoom_) + 4;
    }
    image_->resize(std::max(w, 0), std::max(h, 0));
    const int W = width();
    const int H = height();
    const int left = w < W ? (W - w) / 2 : 0;
    const int top = h < H ? (H - h) / 2 : 0;
    image_->move(left, top);
    content_->resize(left + image_->width(), top + image_->height());
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void TQRPreview::SetZoom(int32_t percent)
{
    if (percent < 2 || percent > 2000)
        return;
    zoomMode_ = zmFixed;
    zoom_ = percent;
    ApplyZoom();
}

// A page of no size cannot be fitted: the zoom then stays as it is.
void TQRPreview::ZoomToFitPage()
{
    const double pw = PageWidthPixels();
    const double ph = PageHeightPixels();
    if (pw > 0 && ph > 0) {
        const int zw = RoundEven(width() / pw * 95);
        const int zh = RoundEven(height() / ph * 95);
        SetZoom(std::min(zw, zh));
    }
    zoomMode_ = zmFitPage;
}

void TQRPreview::ZoomToPageWidth()
{
    const double pw = PageWidthPixels();
    if (pw > 0)
        SetZoom(RoundEven(width() / pw * (document_ ? 90 : 95)));
    ApplyZoom();
    zoomMode_ = zmPageWidth;
}

void TQRPreview::PreviewResized()
{
    if (zoomMode_ == zmFitPage)
        ZoomToFitPage();
    else if (zoomMode_ == zmPageWidth)
        ZoomToPageWidth();
    ApplyZoom();
}

void TQRPreview::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    PreviewResized();
}

void TQRPreview::RefreshAwaitedPage()
{
    if (document_ && !image_->HasPage() && image_->PageNumber() <= document_->AvailablePages()) {
        ZoomToPageWidth();
        image_->SetPageNumber(image_->PageNumber());
    }
}

bool TQRPreview::event(QEvent* event)
{
    TMessageEvent* message = AsMessage(event);
    if (!message)
        return QScrollArea::event(event);
    // Only the low 16 bits of the first parameter count, as an unsigned number.
    const int32_t n = int32_t(uint16_t(message->WParam & 0xFFFF));
    if (message->Msg == QR_PAGES_AVAILABLE) {
        if (n == pageNumber_)
            RefreshAwaitedPage();
        if (OnPageAvailable)
            OnPageAvailable(this, n);
    } else if (message->Msg == QR_PROGRESS) {
        if (OnProgressUpdate)
            OnProgressUpdate(this, n);
    }
    return true;
}
