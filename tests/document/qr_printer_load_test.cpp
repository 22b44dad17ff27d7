#include "document/qr_printer.h"
#include "graphics/metafile.h"
#include "pagestore/report_file_error.h"
#include "platform/errors.h"
#include "printing/printer_settings.h"
#include "support/memory_printers.h"
#include "support/report_fixture.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

namespace {
struct DocumentTest : ::testing::Test {
    TMemoryPrinters printers;
    QTemporaryDir dir;
};

std::vector<uint8_t> ReadFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
} // namespace

TEST_F(DocumentTest, LoadsPagesAndAnswersOnlyForPagesItHas)
{
    const auto name = WriteReport(dir, "three.qrp", {BlankPage(), BlankPage(), BlankPage()});
    TQRPrinter doc;
    EXPECT_EQ(doc.PageImage(1), nullptr) << "an idle document has no pages";
    doc.SaveToFile(dir.filePath("idle.qrp").toStdString());
    EXPECT_FALSE(QFile::exists(dir.filePath("idle.qrp")));

    doc.LoadFromFile(name);
    EXPECT_EQ(doc.State(), rdComplete);
    EXPECT_TRUE(doc.LoadedFromFile());
    EXPECT_EQ(doc.PageTotal(), 3);
    EXPECT_NE(doc.PageImage(1), nullptr);
    EXPECT_NE(doc.PageImage(3), nullptr);
    EXPECT_EQ(doc.PageImage(0), nullptr);
    EXPECT_EQ(doc.PageImage(4), nullptr);

    const auto copy = dir.filePath("copy.qrp").toStdString();
    doc.SaveToFile(copy);
    EXPECT_EQ(ReadFile(copy), ReadFile(name));
    EXPECT_THROW(doc.SaveToFile(name), EFCreateError) << "the open file cannot be replaced";
    EXPECT_EQ(ReadFile(copy), ReadFile(name));

    const auto empty = WriteReport(dir, "empty.qrp", {});
    doc.LoadFromFile(empty);
    EXPECT_EQ(doc.State(), rdComplete);
    EXPECT_EQ(doc.PageTotal(), 0);
    EXPECT_EQ(doc.PageImage(1), nullptr);
}

TEST_F(DocumentTest, FailedLoadLeavesTheDocumentIdle)
{
    const auto good = WriteReport(dir, "good.qrp", {BlankPage()});
    TQRPrinter doc;
    doc.LoadFromFile(good);
    EXPECT_THROW(doc.LoadFromFile(dir.filePath("missing.qrp").toStdString()), EFOpenError);
    EXPECT_EQ(doc.State(), rdIdle);
    EXPECT_EQ(doc.PageImage(1), nullptr);

    const auto bad = dir.filePath("bad.qrp").toStdString();
    std::ofstream(bad) << "not a report";
    EXPECT_THROW(doc.LoadFromFile(bad), EReportFileError);
    EXPECT_EQ(doc.State(), rdIdle);
}

// A reload keeps what the user set on the document and takes the compression from the new file.
TEST_F(DocumentTest, ReloadKeepsSettingsAndTakesCompressionFromTheFile)
{
    const auto plain = WriteReport(dir, "plain.qrp", {BlankPage(), BlankPage()});
    const auto packed = WriteReport(dir, "packed.qrp", {BlankPage()}, true);
    TQRPrinter doc;
    doc.SetTitle("Sales");
    doc.SetFirstPage(2);
    doc.SetLastPage(5);
    for (const auto& [file, pages] : {std::pair {plain, 2}, {packed, 1}, {plain, 2}}) {
        doc.OnPrinterSetup = [](QObject*) {};
        doc.OnSaveWithFilter = [](TQRSaveFilter&) {};
        doc.LoadFromFile(file);
        EXPECT_EQ(doc.PageTotal(), pages);
        EXPECT_NE(doc.PageImage(pages), nullptr) << file;
        EXPECT_EQ(doc.Title(), "Sales");
        EXPECT_EQ(doc.FirstPage(), 2);
        EXPECT_EQ(doc.LastPage(), 5);
        EXPECT_FALSE(doc.OnPrinterSetup);
        EXPECT_FALSE(doc.OnSaveWithFilter);
    }
}

TEST_F(DocumentTest, DetachingThePreviewRaisesAfterPreviewAndCancelsARecording)
{
    TQRPrinter doc;
    int raised = 0;
    doc.AfterPreview = [&](TQRPrinter& d) {
        ++raised;
        EXPECT_TRUE(d.ShowingPreview()) << "the flag still reads true inside the event";
    };
    doc.SetShowingPreview(false);
    EXPECT_EQ(raised, 0);
    doc.SetShowingPreview(true);
    doc.SetShowingPreview(false);
    EXPECT_EQ(raised, 1);
    EXPECT_FALSE(doc.Cancelled());

    doc.BeginDoc();
    doc.SetShowingPreview(true);
    doc.SetShowingPreview(false);
    EXPECT_EQ(raised, 2);
    EXPECT_TRUE(doc.Cancelled());

    doc.AfterPreview = [](TQRPrinter&) { throw Exception("handler failed"); };
    doc.SetShowingPreview(true);
    EXPECT_THROW(doc.SetShowingPreview(false), Exception);
    EXPECT_FALSE(doc.ShowingPreview());
}

// Paper detection compares page 1 in whole 4 mm units with the catalogue; the settings decide
// what they accept, and the last accepted match wins.
TEST_F(DocumentTest, DetectsPaperSizeAndOrientationFromPageOne)
{
    struct Case {
        double width, height;
        bool everything;  // the driver lists every size; otherwise Letter, Legal, A4, A5
        TQRPaperSize size;
        TPrinterOrientation orientation;
    };
    const Case cases[] = {
        {210, 297, true, TQRPaperSize::A4Small, poPortrait},
        {297, 210, true, TQRPaperSize::A4Small, poLandscape},
        {210, 297, false, TQRPaperSize::A4, poPortrait},
        {211.9, 299.9, false, TQRPaperSize::A4, poPortrait},
        {215.9, 279.4, true, TQRPaperSize::Note, poPortrait},
        {279.4, 431.8, true, TQRPaperSize::qr11X17, poPortrait},
        {431.8, 279.4, true, TQRPaperSize::qr11X17, poLandscape},
        {100, 100, true, TQRPaperSize::ESheet, poLandscape},
        // A5's 148 mm is a whole number of 4 mm units: the page is measured by its frame, not
        // by whole screen pixels (559, which is 147.9 mm), so it counts; just under it does not.
        {149, 211, false, TQRPaperSize::A5, poPortrait},
        {148, 210, false, TQRPaperSize::A5, poPortrait},
        {210, 148, false, TQRPaperSize::A5, poLandscape},
        {147.9, 210, false, TQRPaperSize::A4, poPortrait},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        printers.RemoveAll();
        if (c.everything) {
            printers.AddAcceptingEverything();
        } else {
            MemoryPrinter p;
            p.name = "Office";
            p.isDefault = true;
            printers.Add(p);
        }
        const auto name = WriteReport(dir, "page.qrp", {BlankPage(c.width, c.height)});
        TQRPrinter doc;
        doc.LoadFromFile(name);
        EXPECT_EQ(doc.PaperSize(), c.size);
        EXPECT_EQ(doc.Orientation(), c.orientation);
    }
}

TEST_F(DocumentTest, PageMatchingNoRowOrNoPrinterKeepsTheSettings)
{
    MemoryPrinter p;
    p.name = "Office";
    p.isDefault = true;
    p.defaults.dmPaperSize = DMPAPER_LETTER;
    printers.Add(p);
    {
        TQRPrinter doc;
        EXPECT_TRUE(doc.PrintersInstalled());
        doc.LoadFromFile(WriteReport(dir, "narrow.qrp", {BlankPage(207, 297)}));
        EXPECT_EQ(doc.PaperSize(), TQRPaperSize::Letter) << "as captured from the driver";
        EXPECT_EQ(doc.Orientation(), poPortrait);
    }
    printers.RemoveAll();
    TQRPrinter doc;
    EXPECT_FALSE(doc.PrintersInstalled());
    doc.LoadFromFile(WriteReport(dir, "wide.qrp", {BlankPage(431.8, 279.4)}));
    EXPECT_EQ(doc.PaperSize(), TQRPaperSize::A4);
    EXPECT_EQ(doc.Orientation(), poPortrait);
    EXPECT_EQ(doc.OrientedWidth(), 2100);
    EXPECT_EQ(doc.OrientedLength(), 2970);
    doc.SetPrinterIndex(3);  // ignored without printers
}

TEST_F(DocumentTest, OrientedSizeTurnsDriverAndCatalogueSizesButNotCustomOnes)
{
    printers.AddAcceptingEverything();
    TQRPrinter doc;
    struct Case {
        TQRPaperSize size;
        TPrinterOrientation orientation;
        int32_t width, length;
    };
    // The captured sheet (Default) is the driver's physical A4 page; Custom is set to 1000 x 500.
    const int32_t physicalWidth = doc.Settings().SheetWidth();
    const int32_t physicalLength = doc.Settings().SheetLength();
    const Case cases[] = {
        {TQRPaperSize::A5, poPortrait, 1480, 2100},
        {TQRPaperSize::A5, poLandscape, 2100, 1480},
        {TQRPaperSize::Default, poPortrait, physicalWidth, physicalLength},
        {TQRPaperSize::Default, poLandscape, physicalLength, physicalWidth},
        {TQRPaperSize::Custom, poPortrait, 1000, 500},
        {TQRPaperSize::Custom, poLandscape, 1000, 500},
    };
    for (const auto& c : cases) {
        doc.SetPaperSize(c.size);
        if (c.size == TQRPaperSize::Custom) {
            doc.SetSheetWidth(1000);
            doc.SetSheetLength(500);
        }
        doc.SetOrientation(c.orientation);
        EXPECT_EQ(doc.OrientedWidth(), c.width) << PaperSizeName(c.size) << " " << c.orientation;
        EXPECT_EQ(doc.OrientedLength(), c.length) << PaperSizeName(c.size) << " " << c.orientation;
    }
}

TEST_F(DocumentTest, ConvertsReportUnitsWithTiesToEven)
{
    TQRPrinter doc;  // scales 1.0 until a load or a recording sets them
    EXPECT_EQ(doc.DeviceSizeX(2.5L), 2);
    EXPECT_EQ(doc.DeviceSizeX(3.5L), 4);
    EXPECT_EQ(doc.DeviceSizeY(-2.5L), -2);
    doc.LoadFromFile(WriteReport(dir, "a.qrp", {BlankPage()}));
    // 96 pixels per inch: 2100 tenths of a millimetre are 793.70 pixels.
    EXPECT_EQ(doc.DeviceSizeX(2100), 794);
    EXPECT_EQ(doc.DeviceSizeY(2970), 1123);
    EXPECT_EQ(doc.DeviceX(doc.PrintOffsetLeft() + 254), 96);
}

TEST_F(DocumentTest, PrinterIndexOutOfRangeFailsWithThePlatformError)
{
    printers.AddAcceptingEverything();
    TQRPrinter doc;
    try {
        doc.SetPrinterIndex(5);
        FAIL();
    } catch (const EPrinter& e) {
        EXPECT_STREQ(e.what(), "Printer index out of range");
    }
    doc.SetPrinterIndex(0);
}
