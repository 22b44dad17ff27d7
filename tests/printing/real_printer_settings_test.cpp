// RealPrinterSettings: the printer settings over the machine's cups-pdf queue "PDF" (set up by
// scripts/print-server), through the CUPS print system. Skips when no CUPS server answers or the
// queue is missing.
#include "printer/printer.h"
#include "printer/qt_print_system.h"
#include "printing/printer_settings.h"

#include <QPageLayout>
#include <QPrinter>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

class RealPrinterSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto names = printer.Printers();
        const auto found = std::find(names.begin(), names.end(), "PDF");
        if (found == names.end())
            GTEST_SKIP() << "no CUPS server with the cups-pdf queue PDF";
        printer.SetPrinterIndex(int(found - names.begin()));
        settings.SetAttachedPrinter(&printer);
    }

    QtPrintSystem system;
    TPrinter printer { system };
    TPrinterSettings settings;
};

TEST_F(RealPrinterSettings, CaptureSeesTheQueuesPapersAndResolution)
{
    EXPECT_EQ(settings.DeviceName(), "PDF");
    EXPECT_TRUE(settings.PaperSizeAvailable(TQRPaperSize::A4));
    EXPECT_TRUE(settings.PaperSizeAvailable(TQRPaperSize::Letter));
    EXPECT_TRUE(settings.PaperSizeAvailable(TQRPaperSize::Custom));
    EXPECT_GT(settings.PixelsPerInchX(), 0);
    EXPECT_GT(settings.PixelsPerInchY(), 0);
    EXPECT_GE(settings.PrintOffsetLeft(), 0);
    EXPECT_GE(settings.PrintOffsetTop(), 0);
    EXPECT_GE(settings.Copies(), 1);
    EXPECT_TRUE(settings.SupportsField(DM_ORIENTATION | DM_COPIES | DM_PAPERSIZE));
}

TEST_F(RealPrinterSettings, ApplyOfA4LandscapeWithTwoCopiesReachesTheQueue)
{
    settings.SetPaperSize(TQRPaperSize::A4);
    settings.SetOrientation(poLandscape);
    settings.SetCopies(2);
    ASSERT_EQ(settings.PaperSize(), TQRPaperSize::A4);
    ASSERT_EQ(settings.Orientation(), poLandscape);
    ASSERT_EQ(settings.Copies(), 2);
    settings.ApplyToDriver();

    std::string device, driver, port;
    TDevModeHandle handle = 0;
    printer.GetPrinter(device, driver, port, handle);
    const TDevMode* view = GlobalLock(handle);
    ASSERT_NE(view, nullptr);
    const TDevMode applied = *view;
    GlobalUnlock(handle);
    EXPECT_EQ(applied.dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(applied.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(applied.dmCopies, 2);

    const auto queue = QtPrintSystem::MakePrinter("PDF", applied);
    ASSERT_NE(queue, nullptr);
    EXPECT_EQ(queue->pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(queue->pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(queue->copyCount(), 2);
    const auto options = QtPrintSystem::OptionsFor(*queue, applied);
    for (const auto& option : { std::pair<std::string, std::string>("media", "A4"),
                                std::pair<std::string, std::string>("landscape", ""),
                                std::pair<std::string, std::string>("copies", "2") })
        EXPECT_NE(std::find(options.begin(), options.end(), option), options.end()) << option.first;

    // A new capture reads back what the apply wrote.
    settings.CaptureFromDriver();
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::A4);
    EXPECT_EQ(settings.Copies(), 2);
}

} // namespace
