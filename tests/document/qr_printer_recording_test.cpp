#include "document/qr_error.h"
#include "document/qr_printer.h"
#include "graphics/canvas.h"
#include "graphics/emf_player.h"
#include "graphics/metafile.h"
#include "platform/stream.h"
#include "support/coloured_pages.h"
#include "support/memory_printers.h"
#include "support/message_log.h"
#include "support/report_fixture.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

namespace {
struct RecordingTest : ::testing::Test {
    TMemoryPrinters printers;
    QTemporaryDir dir;
    RecordingTest()
    {
        printers.AddOffice();
    }
};

// Fills the page being recorded with the colour of its number.
void DrawPage(TQRPrinter& doc)
{
    TCanvas& canvas = *doc.Canvas();
    const QColor c = PageColour(doc.PageNumber());
    canvas.Brush.Color = TColor(c.red() | (c.green() << 8) | (c.blue() << 16));
    canvas.FillRect(TRect {0, 0, doc.DeviceSizeX(doc.OrientedWidth()) + 20,
                           doc.DeviceSizeY(doc.OrientedLength()) + 20});
}

int PageShownBy(const std::unique_ptr<TMetafile>& page)
{
    if (!page)
        return 0;
    QImage image(80, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    StretchDrawMetafile(painter, QRectF(0, 0, 80, 100), *page);
    painter.end();
    return PageShownIn(image);
}

int32_t HeaderPageCount(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes {std::istreambuf_iterator<char>(in), {}};
    return bytes.size() >= 12 ? ReadLE32s(&bytes[8]) : -1;
}
} // namespace

TEST_F(RecordingTest, CallsOutOfStateFailWithTheDocumentsMessages)
{
    TQRPrinter doc;
    try {
        doc.NewPage();
        FAIL();
    } catch (const EQRError& e) {
        EXPECT_STREQ(e.what(), "Illegal call to NewPage");
    }
    doc.BeginDoc();
    try {
        doc.BeginDoc();
        FAIL();
    } catch (const EQRError& e) {
        EXPECT_STREQ(e.what(), "QRPrinter not ready");
    }
    EXPECT_EQ(doc.State(), rdRecording);
    doc.NewPage();
    DrawPage(doc);
    doc.EndDoc();
    EXPECT_THROW(doc.NewPage(), EQRError);
    doc.EndDoc();  // ignored
    EXPECT_EQ(doc.State(), rdComplete);
}

// Finished pages are readable and announced while the recording runs; the page being drawn is not.
TEST_F(RecordingTest, PageStoreRecordingAnnouncesFinishedPages)
{
    for (bool compress : {false, true}) {
        SCOPED_TRACE(compress ? "compressed" : "plain");
        TMessageLog preview;
        TQRPrinter doc;
        doc.SetClientControl(&preview);
        doc.SetCompression(compress);
        doc.BeginDoc();
        for (int n = 1; n <= 3; ++n) {
            doc.NewPage();
            EXPECT_EQ(doc.PageNumber(), n);
            EXPECT_EQ(doc.PageTotal(), n);
            EXPECT_EQ(doc.AvailablePages(), n - 1);
            DrawPage(doc);
            doc.SetProgress(n * 30);
        }
        EXPECT_EQ(doc.PageImage(3), nullptr);
        EXPECT_EQ(PageShownBy(doc.PageImage(2)), 2);
        doc.EndDoc();
        QCoreApplication::sendPostedEvents(&preview);
        const std::vector<TLoggedMessage> expected {
            {0x400, 30, 0}, {0x401, 1, 0}, {0x400, 60, 0}, {0x401, 2, 0}, {0x400, 90, 0},
            {0x401, 3, 0}};
        EXPECT_EQ(preview.messages, expected);
        for (int n = 1; n <= 3; ++n)
            EXPECT_EQ(PageShownBy(doc.PageImage(n)), n);
        const auto file = dir.filePath(compress ? "c.qrp" : "p.qrp").toStdString();
        doc.SaveToFile(file);
        EXPECT_EQ(HeaderPageCount(file), 3);
        TQRPrinter reopened;
        reopened.LoadFromFile(file);
        EXPECT_EQ(PageShownBy(reopened.PageImage(3)), 3);
    }
}

TEST_F(RecordingTest, AbortKeepsThePartlyDrawnPageAndTheHeaderCount)
{
    TQRPrinter doc;
    doc.BeginDoc();
    for (int n = 1; n <= 3; ++n) {
        doc.NewPage();
        DrawPage(doc);
    }
    doc.Abort();
    EXPECT_EQ(doc.State(), rdComplete);
    EXPECT_EQ(doc.Canvas(), nullptr);
    EXPECT_EQ(PageShownBy(doc.PageImage(3)), 3);
    const auto file = dir.filePath("abandoned.qrp").toStdString();
    doc.SaveToFile(file);
    EXPECT_EQ(HeaderPageCount(file), 1) << "an abandoned recording does not store its count";

    TQRPrinter never;
    never.Abort();
    EXPECT_EQ(never.State(), rdComplete);
    EXPECT_EQ(never.PageImage(1), nullptr);
}

// Pages outside the print range go to throw-away images; the job opens with the first page in
// range and breaks the device page once between pages 2 and 3.
TEST_F(RecordingTest, PrinterRecordingPrintsOnlyTheRange)
{
    TQRPrinter doc;
    doc.SetDestination(qdPrinter);
    doc.SetFirstPage(2);
    doc.SetLastPage(3);
    doc.SetTitle("Direct");
    int afterPrint = 0;
    doc.AfterPrint = [&](TQRPrinter&) { ++afterPrint; };
    doc.BeginDoc();
    EXPECT_TRUE(printers.system.Jobs().empty()) << "the job opens with the first page in range";
    for (int n = 1; n <= 5; ++n) {
        doc.NewPage();
        EXPECT_EQ(doc.PageInRange(), n == 2 || n == 3);
        EXPECT_EQ(printers.system.Jobs().size(), n >= 2 ? 1u : 0u);
        DrawPage(doc);
    }
    doc.EndDoc();
    ASSERT_EQ(printers.system.Jobs().size(), 1u);
    const auto job = printers.system.Jobs().back();
    EXPECT_TRUE(job->ended);
    EXPECT_EQ(job->title, "Direct");
    std::vector<int> sheets;
    for (const MemoryPage& sheet : job->pages)
        sheets.push_back(PageShownIn(sheet.image));
    EXPECT_EQ(sheets, (std::vector<int> {2, 3}));
    EXPECT_EQ(afterPrint, 1);
    EXPECT_EQ(doc.PageImage(1), nullptr) << "nothing is stored for the printer";
    EXPECT_EQ(doc.Canvas(), nullptr);
}

TEST_F(RecordingTest, AbortBeforeTheRangeOnlyCompletesTheDocument)
{
    TQRPrinter doc;
    doc.SetDestination(qdPrinter);
    doc.SetFirstPage(4);
    doc.BeginDoc();
    doc.NewPage();
    DrawPage(doc);
    doc.Abort();
    EXPECT_EQ(doc.State(), rdComplete);
    EXPECT_TRUE(printers.system.Jobs().empty());
}

// Closing or reloading a document while its recording runs drops the page being drawn: the
// generator's Abort afterwards finds nothing to append.
TEST_F(RecordingTest, ClosingDuringARecordingDropsTheOpenPage)
{
    const auto report = WriteReport(dir, "other.qrp", {ColouredPage(7)});
    TQRPrinter doc;
    doc.BeginDoc();
    doc.NewPage();
    DrawPage(doc);
    doc.LoadFromFile(report);
    EXPECT_TRUE(doc.Cancelled());
    doc.Abort();
    EXPECT_EQ(doc.PageTotal(), 1);
    EXPECT_EQ(PageShownBy(doc.PageImage(1)), 7);
    EXPECT_EQ(doc.PageImage(2), nullptr);
}
