// The preview control's layout arithmetic, paging and messages.
#include "document/qr_printer.h"
#include "platform/window_message.h"
#include "preview/qr_preview.h"
#include "preview/qr_preview_image.h"
#include "support/coloured_pages.h"
#include "support/gui_test_setup.h"
#include "support/report_fixture.h"

#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

class PreviewControlTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TGuiTestSetup> setup;
    QTemporaryDir dir;

    std::unique_ptr<TQRPrinter> Loaded(const std::vector<std::vector<uint8_t>>& pages,
                                       const std::string& name = "r.qrp")
    {
        auto doc = std::make_unique<TQRPrinter>();
        doc->LoadFromFile(WriteReport(dir, name, pages));
        return doc;
    }
    std::vector<std::vector<uint8_t>> A4Pages(int n)
    {
        std::vector<std::vector<uint8_t>> pages;
        for (int i = 1; i <= n; ++i)
            pages.push_back(ColouredPage(i));
        return pages;
    }
    static QRect ImageRect(TQRPreview& p) { return p.PageImage()->geometry(); }

private slots:
    void init() { setup = std::make_unique<TGuiTestSetup>(); }
    void cleanup() { setup.reset(); }

    void layoutWithoutDocument()
    {
        TQRPreview preview;
        preview.SetZoom(100);
        QCOMPARE(preview.PageImage()->size(), QSize(220, 283));
        preview.resize(600, 400);
        preview.ZoomToFitPage();
        QCOMPARE(preview.Zoom(), std::min(qRound(600 / 215.9 * 95), qRound(400 / 279.4 * 95)));
        QCOMPARE(preview.ZoomMode(), zmFitPage);
        preview.SetPageNumber(2);
        QCOMPARE(preview.PageNumber(), 1);
    }

    // The worked examples of an A4 portrait page on a 96 dpi screen.
    void layoutOfAnA4Page()
    {
        auto doc = Loaded(A4Pages(2));
        TQRPreview preview;
        preview.SetDocument(doc.get());
        preview.SetZoom(100);
        QCOMPARE(preview.PageImage()->size(), QSize(798, 1127));
        preview.resize(644, 506);
        preview.ZoomToFitPage();
        QCOMPARE(preview.Zoom(), 43);
        QCOMPARE(ImageRect(preview), QRect(149, 9, 345, 487));
        preview.ZoomToPageWidth();
        QCOMPARE(preview.Zoom(), 73);
        QCOMPARE(ImageRect(preview).width(), 583);
        QCOMPARE(ImageRect(preview).left(), 30);
        QCOMPARE(preview.ZoomMode(), zmPageWidth);
    }

    void zoomLimits()
    {
        TQRPreview preview;
        for (int bad : {1, 2001, 0, -5}) {
            preview.SetZoom(bad);
            QCOMPARE(preview.Zoom(), 100);
        }
        preview.SetZoom(2);
        QCOMPARE(preview.Zoom(), 2);
        preview.SetZoom(2000);
        QCOMPARE(preview.Zoom(), 2000);
    }

    // Fit modes follow the control's size; a fixed zoom only re-centres. A fit that rounds below
    // 2 % keeps the zoom but stays in its mode until a larger size fits the page.
    void resizeFollowsTheMode()
    {
        auto doc = Loaded(A4Pages(1));
        TQRPreview preview;
        preview.SetDocument(doc.get());
        preview.show();  // a hidden control learns of its new size only when shown
        preview.resize(644, 506);
        preview.ZoomToFitPage();
        preview.resize(644, 1000);
        QCOMPARE(preview.Zoom(), qRound(644.0 / 794 * 95));
        preview.SetZoom(50);
        preview.resize(300, 300);
        QCOMPARE(preview.Zoom(), 50);
        QCOMPARE(preview.ZoomMode(), zmFixed);
        preview.resize(10, 10);
        preview.ZoomToFitPage();
        QCOMPARE(preview.Zoom(), 50);
        QCOMPARE(preview.ZoomMode(), zmFitPage);
        preview.resize(644, 506);
        QCOMPARE(preview.Zoom(), 43);
        // An odd remainder goes to the right and bottom side.
        preview.SetZoom(100);
        preview.resize(801, 1130);
        QCOMPARE(ImageRect(preview).topLeft(), QPoint(1, 1));
    }

    void pagingStaysWithinTheDocument()
    {
        auto doc = Loaded(A4Pages(3));
        TQRPreview preview;
        preview.SetDocument(doc.get());
        QVERIFY(preview.PageImage()->HasPage());
        for (int request : {0, -1, 4}) {
            preview.SetPageNumber(request);
            QCOMPARE(preview.PageNumber(), 1);
        }
        preview.SetPageNumber(3);
        QCOMPARE(preview.PageNumber(), 3);
        QCOMPARE(preview.PageImage()->PageNumber(), 3);
        preview.SetPageNumber(4);
        QCOMPARE(preview.PageNumber(), 3);


        auto empty = Loaded({}, "empty.qrp");
        TQRPreview fresh;
        fresh.SetDocument(empty.get());
        QCOMPARE(fresh.PageNumber(), 1);
        QVERIFY(!fresh.PageImage()->HasPage());
        fresh.SetPageNumber(1);
        QVERIFY(!fresh.PageImage()->HasPage());
        fresh.SetDocument(nullptr);  // the document must outlive its attachment
    }

    // The picture: a white sheet with the page over it, a black frame and a 2-pixel shadow.
    void paintsPageFrameAndShadow()
    {
        auto doc = Loaded(A4Pages(2));
        QWidget holder;
        holder.resize(900, 1300);
        TQRPreview* preview = new TQRPreview(&holder);
        preview->setGeometry(0, 0, 900, 1300);
        preview->SetDocument(doc.get());
        preview->SetZoom(100);
        holder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&holder));
        const QImage shot = preview->PageImage()->grab().toImage();
        // Drawn at the screen's pixel ratio: the 1-pixel frame is `ratio` device pixels wide and
        // sharp, not a scaled-up picture (the program runs under QT_SCALE_FACTOR=2 as well).
        const int ratio = qRound(preview->PageImage()->devicePixelRatioF());
        QCOMPARE(shot.size(), preview->PageImage()->size() * ratio);
        const int w = shot.width(), h = shot.height();
        QCOMPARE(PageShownIn(shot), 1);
        QCOMPARE(shot.pixelColor(ratio - 1, h / 2), QColor(Qt::black));
        QCOMPARE(PageShownIn(shot.copy(ratio, h / 2 - 5, 10, 10)), 1);
        QCOMPARE(shot.pixelColor(w - 3 * ratio, h / 2), QColor(Qt::black));
        QCOMPARE(shot.pixelColor(w - 1, h / 2), QColor(Qt::black));
        QCOMPARE(shot.pixelColor(w / 2, h - 1), QColor(Qt::black));
        preview->SetPageNumber(2);
        QCOMPARE(PageShownIn(preview->PageImage()->grab().toImage()), 2);
    }

    // Recording messages: the page waited for is shown as soon as it is finished.
    void pageAvailableShowsTheAwaitedPage()
    {
        TQRPrinter doc;
        TQRPreview preview;
        preview.resize(644, 506);
        QList<int> available, progress;
        preview.OnPageAvailable = [&](TQRPreview*, int32_t n) { available << n; };
        preview.OnProgressUpdate = [&](TQRPreview*, int32_t n) { progress << n; };
        preview.SetDocument(&doc);
        QCOMPARE(doc.ClientControl(), &preview);
        doc.BeginDoc();
        doc.NewPage();
        QVERIFY(!preview.PageImage()->HasPage());
        doc.NewPage();  // page 1 finished
        doc.SetProgress(50);
        QCoreApplication::sendPostedEvents(&preview);
        QVERIFY(preview.PageImage()->HasPage());
        QCOMPARE(preview.ZoomMode(), zmPageWidth);
        QCOMPARE(available, QList<int>({1}));
        QCOMPARE(progress, QList<int>({50}));
        // Only the low 16 bits count.
        SendMessage(&preview, QR_PAGES_AVAILABLE, 0x10001, 0);
        SendMessage(&preview, QR_PROGRESS, 0x20005, 0);
        QCOMPARE(available, QList<int>({1, 1}));
        QCOMPARE(progress, QList<int>({50, 5}));
        doc.EndDoc();
    }

    void attachingAnotherDocumentDetachesTheFirst()
    {
        auto first = Loaded(A4Pages(2), "first.qrp");
        auto second = Loaded({ColouredPage(5)}, "second.qrp");
        auto preview = std::make_unique<TQRPreview>();
        preview->SetDocument(first.get());
        preview->SetZoom(50);
        preview->SetPageNumber(2);
        const QSize size = preview->PageImage()->size();
        QVERIFY(first->ShowingPreview());
        preview->SetDocument(second.get());
        QVERIFY(!first->ShowingPreview());
        QCOMPARE(first->ClientControl(), nullptr);
        QVERIFY(second->ShowingPreview());
        QCOMPARE(preview->PageNumber(), 1);
        QCOMPARE(preview->PageImage()->size(), size);
        preview.reset();
        QVERIFY(!second->ShowingPreview());
    }
};

QRP_GUI_TEST_MAIN(PreviewControlTest)
#include "preview_control_test.moc"
