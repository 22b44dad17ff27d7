#pragma once
// The page image of the preview control: a white sheet with a black frame and a drop shadow, the
// page's metafile stretched over it. It holds at most one page.
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <memory>

class QPainter;
class TMetafile;
class TQRPrinter;

class TQRPreviewImage : public QWidget {
    Q_OBJECT
public:
    explicit TQRPreviewImage(QWidget* parent);
    ~TQRPreviewImage() override;

    TQRPrinter* Document() const { return document_; }
    void SetDocument(TQRPrinter* document) { document_ = document; }
    int32_t PageNumber() const { return pageNumber_; }
    // Fetches page n from the document (dropping the previous page first) and draws it at once.
    void SetPageNumber(int32_t n);
    const TMetafile* PageMetafile() const { return pageMetafile_.get(); }
    bool HasPage() const { return pageMetafile_ != nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PaintPage(QPainter& painter);

    TQRPrinter* document_ = nullptr;
    int32_t pageNumber_ = 1;
    std::unique_ptr<TMetafile> pageMetafile_;
    // The page drawn once at the image's size and the screen's pixel ratio: scrolling and
    // repainting then copy pixels instead of playing the metafile again.
    QImage rendered_;
    bool renderedValid_ = false;
};
