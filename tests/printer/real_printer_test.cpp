// RealPrinter: the CUPS print system against the machine's cups-pdf queue "PDF" (set up by
// scripts/print-server). Every test skips when no CUPS server answers or the queue is missing.
// With QRP_CUPS_PDF_DIR naming the folder cups-pdf writes to, a job is printed end to end.
#include "graphics/canvas.h"
#include "printer/printer.h"
#include "printer/qt_print_system.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

constexpr const char* kQueue = "PDF";

class RealPrinter : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto names = printer.Printers();
        const auto found = std::find(names.begin(), names.end(), kQueue);
        if (found == names.end())
            GTEST_SKIP() << "no CUPS server with the cups-pdf queue " << kQueue;
        printer.SetPrinterIndex(int(found - names.begin()));
    }

    // The printer's block after two requests, as a capture makes it.
    TDevModeHandle Handle()
    {
        std::string device, driver, port;
        TDevModeHandle handle = 0;
        printer.GetPrinter(device, driver, port, handle);
        if (handle == 0)
            printer.GetPrinter(device, driver, port, handle);
        return handle;
    }

    QtPrintSystem system;
    TPrinter printer { system };
};

TEST_F(RealPrinter, QueueOffersA4AndLetterAtAPositiveResolution)
{
    std::vector<uint16_t> codes(
        size_t(std::max(printer.DeviceCapabilities(kQueue, "CUPS", DC_PAPERS, {}, nullptr), 0)));
    printer.DeviceCapabilities(kQueue, "CUPS", DC_PAPERS, codes, nullptr);
    EXPECT_NE(std::find(codes.begin(), codes.end(), DMPAPER_A4), codes.end());
    EXPECT_NE(std::find(codes.begin(), codes.end(), DMPAPER_LETTER), codes.end());
    EXPECT_GT(printer.GetDeviceCaps(LOGPIXELSX), 0);
    EXPECT_GT(printer.GetDeviceCaps(LOGPIXELSY), 0);
    EXPECT_GT(printer.PageWidth(), 0);
    EXPECT_LE(printer.PageWidth() + printer.GetDeviceCaps(PHYSICALOFFSETX),
              printer.GetDeviceCaps(PHYSICALWIDTH));

    const TDevMode* block = GlobalLock(Handle());
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->dmFields & (DM_PAPERSIZE | DM_ORIENTATION | DM_COPIES),
              DM_PAPERSIZE | DM_ORIENTATION | DM_COPIES);
    GlobalUnlock(Handle());
}

TEST_F(RealPrinter, DeviceModeReachesTheQueuesOptions)
{
    const TDevModeHandle handle = Handle();
    TDevMode* block = GlobalLock(handle);
    ASSERT_NE(block, nullptr);
    block->dmPaperSize = DMPAPER_A4;
    block->dmOrientation = DMORIENT_LANDSCAPE;
    block->dmCopies = 2;
    block->dmFields |= DM_PAPERSIZE | DM_ORIENTATION | DM_COPIES;
    const TDevMode edited = *block;
    GlobalUnlock(handle);
    printer.SetPrinter(kQueue, "", "CUPS", handle);

    const auto configured = QtPrintSystem::MakePrinter(kQueue, edited);
    ASSERT_NE(configured, nullptr);
    const QPageLayout layout = configured->pageLayout();
    EXPECT_EQ(layout.pageSize().id(), QPageSize::A4);
    EXPECT_EQ(layout.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(configured->copyCount(), 2);
    const auto options = QtPrintSystem::OptionsFor(*configured, edited);
    const auto has = [&](const std::string& name, const std::string& value) {
        return std::find(options.begin(), options.end(), std::pair(name, value)) != options.end();
    };
    EXPECT_TRUE(has("media", "A4"));
    EXPECT_TRUE(has("landscape", ""));
    EXPECT_TRUE(has("copies", "2"));

    // The device information follows: a landscape A4 sheet, wider than high.
    EXPECT_GT(printer.GetDeviceCaps(PHYSICALWIDTH), printer.GetDeviceCaps(PHYSICALHEIGHT));
    const int resolution = printer.GetDeviceCaps(LOGPIXELSX);
    EXPECT_NEAR(printer.GetDeviceCaps(PHYSICALWIDTH), 297 / 25.4 * resolution, 1);
}

TEST_F(RealPrinter, JobArrivesAsAPdf)
{
    const QString folder = qEnvironmentVariable("QRP_CUPS_PDF_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "QRP_CUPS_PDF_DIR does not name the cups-pdf output folder";
    const TDevModeHandle handle = Handle();
    TDevMode* block = GlobalLock(handle);
    ASSERT_NE(block, nullptr);
    block->dmPaperSize = DMPAPER_A4;
    block->dmOrientation = DMORIENT_LANDSCAPE;
    GlobalUnlock(handle);
    printer.SetPrinter(kQueue, "", "CUPS", handle);

    const std::string title = "qrp-real-printer-" + std::to_string(getpid()) + "-" +
                              std::to_string(QDateTime::currentMSecsSinceEpoch());
    printer.SetTitle(title);
    printer.BeginDoc();
    printer.Canvas().Rectangle(0, 0, printer.PageWidth() / 2, printer.PageHeight() / 2);
    printer.NewPage();
    printer.Canvas().Ellipse(0, 0, printer.PageWidth(), printer.PageHeight());
    printer.EndDoc();

    QString found;
    QElapsedTimer waited;
    waited.start();
    while (found.isEmpty() && waited.elapsed() < 30000) {
        const auto entries =
            QDir(folder).entryInfoList({ QString::fromStdString(title) + "*.pdf" }, QDir::Files);
        if (!entries.isEmpty() && entries.first().size() > 0)
            found = entries.first().absoluteFilePath();
        else
            QThread::msleep(200);
    }
    ASSERT_FALSE(found.isEmpty()) << "no PDF for the job in " << folder.toStdString();
    QThread::msleep(500); // cups-pdf may still be writing

    QProcess pdfinfo;
    pdfinfo.start("pdfinfo", { found });
    if (!pdfinfo.waitForFinished(10000) || pdfinfo.exitCode() != 0)
        GTEST_SKIP() << "pdfinfo is not available to read " << found.toStdString();
    const QString info = QString::fromLocal8Bit(pdfinfo.readAllStandardOutput());
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2\\b"))) << info.toStdString();
    // CUPS lays a landscape job onto the portrait sheet, turned.
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:.*\\(A4\\)"))) << info.toStdString();
    QFile::remove(found);
}

} // namespace
