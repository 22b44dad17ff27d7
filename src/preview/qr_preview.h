#pragma once
// The preview control: a scroll box holding one page image of a report document at a chosen zoom,
// centred, re-fitted when the control is resized. While the document is being recorded it learns
// of progress and finished pages through window messages and shows the awaited page as soon as it
// is finished.
#include <QScrollArea>
#include <cstdint>
#include <functional>

class TQRPrinter;
class TQRPreviewImage;
class TQRPreview;

enum TQRZoomMode : uint8_t { zmFitPage, zmPageWidth, zmFixed };

using TQRPageAvailableEvent = std::function<void(TQRPreview* sender, int32_t pageNum)>;
using TQRProgressUpdateEvent = std::function<void(TQRPreview* sender, int32_t progress)>;

class TQRPreview : public QScrollArea {
    Q_OBJECT
public:
    explicit TQRPreview(QWidget* parent = nullptr);
    // Detaches from the document, which then no longer shows a preview.
    ~TQRPreview() override;

    TQRPrinter* Document() const { return document_; }
    // Attaches to a document (or detaches with null) and shows its page 1.
    void SetDocument(TQRPrinter* document);
    int32_t PageNumber() const { return pageNumber_; }
    // Shows page n; requests outside 1..PageTotal, or without a document, are ignored.
    void SetPageNumber(int32_t n);
    int32_t Zoom() const { return zoom_; }
    // A fixed zoom in percent; values outside 2..2000 are ignored.
    void SetZoom(int32_t percent);
    TQRZoomMode ZoomMode() const { return zoomMode_; }
    void ZoomToFitPage();
    void ZoomToPageWidth();
    // Sizes and centres the page image at the current zoom.
    void ApplyZoom();
    void PreviewResized();
    void RefreshAwaitedPage();

    TQRPreviewImage* PageImage() const { return image_; }

    TQRPageAvailableEvent OnPageAvailable;
    TQRProgressUpdateEvent OnProgressUpdate;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The page at 100 % in pixels: the document's oriented page, or Letter without a document.
    double PageWidthPixels() const;
    double PageHeightPixels() const;
    void ResetScroll();

    TQRPreviewImage* image_;
    QWidget* content_;  // the scrollable area: the page image sits in it at its offsets
    TQRPrinter* document_ = nullptr;
    int32_t pageNumber_ = 1;
    int32_t zoom_ = 100;
    TQRZoomMode zoomMode_ = zmFixed;
};
