// What the in-memory print system keeps of a job: the sheets' pictures and drawing calls.
#include "graphics/canvas.h"
#include "graphics/metafile.h"
#include "graphics/metafile_canvas.h"
#include "platform/errors.h"
#include "printer/memory_print_system.h"
#include "printer/printer.h"

#include <gtest/gtest.h>

namespace {

QRgb At(const QImage& image, double fx, double fy)
{
    return image.pixel(int(image.width() * fx), int(image.height() * fy)) & 0xFFFFFF;
}

TMetafile BlueSquare()
{
    TMetafile metafile;
    metafile.SetWidth(100);
    metafile.SetHeight(100);
    TMetafileCanvas canvas(metafile);
    canvas.Brush.Color = clBlue;
    canvas.FillRect(TRect { 0, 0, 100, 100 });
    canvas.Finish();
    return metafile;
}

TEST(MemoryPrintSystem, KeepsEachSheetsPictureAndDrawing)
{
    MemoryPrintSystem system;
    MemoryPrinter printer;
    printer.name = "Laser";
    printer.dpiX = printer.dpiY = 36;
    system.AddPrinter(printer);
    TPrinter tprinter(system);

    tprinter.BeginDoc();
    const int width = tprinter.PageWidth();
    const int height = tprinter.PageHeight();
    tprinter.Canvas().Brush.Color = clRed;
    tprinter.Canvas().FillRect(TRect { 0, 0, width, height / 2 });
    tprinter.NewPage();
    const TMetafile square = BlueSquare();
    tprinter.Canvas().StretchDraw(TRect { 0, height / 2, width, height }, square);
    tprinter.NewPage();
    tprinter.NewPage();
    // The brush chosen on the first sheet is still the canvas's after the page breaks.
    tprinter.Canvas().FillRect(TRect { 0, 0, width, height });
    tprinter.EndDoc();

    const auto job = system.Jobs().back();
    ASSERT_EQ(job->pages.size(), 4u);
    const MemoryPage& first = job->pages[0];
    ASSERT_EQ(first.image.size(), QSize(width, height));
    EXPECT_EQ(At(first.image, 0.5, 0.25), 0xFF0000u);
    EXPECT_EQ(At(first.image, 0.5, 0.75), 0xFFFFFFu);
    EXPECT_FALSE(first.records.empty());
    EXPECT_TRUE(first.metafiles.empty());

    const MemoryPage& second = job->pages[1];
    EXPECT_EQ(At(second.image, 0.5, 0.25), 0xFFFFFFu) << "each sheet starts blank";
    EXPECT_EQ(At(second.image, 0.5, 0.75), 0x0000FFu);
    EXPECT_EQ(second.metafiles, (std::vector<TRect> { TRect { 0, height / 2, width, height } }));

    EXPECT_TRUE(job->pages[2].image.isNull()) << "nothing was drawn on the third sheet";
    EXPECT_TRUE(job->pages[2].records.empty());
    EXPECT_EQ(At(job->pages[3].image, 0.5, 0.5), 0xFF0000u);
}

TEST(MemoryPrintSystem, AbortedJobKeepsWhatWasDrawn)
{
    MemoryPrintSystem system;
    MemoryPrinter printer;
    printer.name = "Laser";
    printer.dpiX = printer.dpiY = 36;
    system.AddPrinter(printer);
    TPrinter tprinter(system);
    tprinter.BeginDoc();
    tprinter.Canvas().Rectangle(10, 10, 50, 50);
    tprinter.Abort();
    EXPECT_THROW(tprinter.Canvas(), EPrinter);
    const auto job = system.Jobs().back();
    EXPECT_TRUE(job->aborted);
    ASSERT_EQ(job->pages.size(), 1u);
    EXPECT_FALSE(job->pages[0].image.isNull());
}

TEST(MemoryPrintSystem, HugeSheetsAreDrawnButNotKept)
{
    MemoryPrintSystem system;
    MemoryPrinter printer;
    printer.name = "Plotter";
    printer.sheet = QSize(100000, 100000);
    system.AddPrinter(printer);
    TPrinter tprinter(system);
    tprinter.BeginDoc();
    tprinter.Canvas().Rectangle(0, 0, 90000, 90000);
    tprinter.EndDoc();
    EXPECT_TRUE(system.Jobs().back()->pages[0].image.isNull());
    EXPECT_FALSE(system.Jobs().back()->pages[0].records.empty());
}

} // namespace
