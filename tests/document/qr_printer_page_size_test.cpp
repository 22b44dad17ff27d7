// A recorded report reloads on the paper it was recorded for: the pages' frames carry the
// sheet's exact size, so that sizes on a 4 mm boundary (A5's 148 mm) are detected too.
#include "document/qr_printer.h"
#include "graphics/canvas.h"
#include "graphics/metafile.h"
#include "support/memory_printers.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(RecordedPageSize, ReloadsAsThePaperItWasRecordedFor)
{
    TMemoryPrinters printers;
    printers.RemoveAll();
    MemoryPrinter office; // Letter, Legal, A4 and A5
    office.name = "Office";
    office.isDefault = true;
    printers.Add(office);
    QTemporaryDir dir;
    for (TQRPaperSize paper :
         { TQRPaperSize::A4, TQRPaperSize::A5, TQRPaperSize::Letter, TQRPaperSize::Legal }) {
        for (TPrinterOrientation orientation : { poPortrait, poLandscape }) {
            SCOPED_TRACE(std::string(PaperSizeName(paper)) +
                         (orientation == poLandscape ? " landscape" : " portrait"));
            TQRPrinter doc;
            doc.SetPaperSize(paper);
            doc.SetOrientation(orientation);
            ASSERT_EQ(doc.PaperSize(), paper);
            doc.BeginDoc();
            doc.NewPage();
            doc.Canvas()->LineTo(10, 10);
            doc.EndDoc();
            const auto page = doc.PageImage(1);
            ASSERT_NE(page, nullptr);
            EXPECT_EQ(page->MMWidth(), doc.OrientedWidth() * 10);
            EXPECT_EQ(page->MMHeight(), doc.OrientedLength() * 10);
            EXPECT_EQ(page->Width(), doc.DeviceSizeX(doc.OrientedWidth()));
            const std::string file = dir.filePath("page.qrp").toStdString();
            doc.SaveToFile(file);

            TQRPrinter reloaded;
            reloaded.SetPaperSize(paper == TQRPaperSize::A4 ? TQRPaperSize::Letter
                                                            : TQRPaperSize::A4);
            reloaded.LoadFromFile(file);
            EXPECT_EQ(reloaded.PaperSize(), paper);
            EXPECT_EQ(reloaded.Orientation(), orientation);
        }
    }
}
