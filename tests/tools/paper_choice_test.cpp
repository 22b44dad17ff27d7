// The generator asks for a paper and checks what the document took: it never records on a paper
// other than the one asked for.
#include "document/qr_printer.h"
#include "printer/dev_mode.h"
#include "support/memory_printers.h"
#include "tools/qrpgen/paper_choice.h"

#include <gtest/gtest.h>

using namespace qrpgen;

namespace {
MemoryPrinter Offering(const std::string& name, std::vector<uint16_t> papers, bool isDefault)
{
    MemoryPrinter p;
    p.name = name;
    p.isDefault = isDefault;
    p.paperCodes = std::move(papers);
    return p;
}
} // namespace

TEST(PaperChoice, TakesThePaperOrSaysWhatTheReportWouldBe)
{
    enum Printers { None, A4Only, A4DefaultAndLetterElsewhere };
    const struct {
        const char* name;
        Printers printers;
        TQRPaperSize paper;
        TPrinterOrientation orientation;
        TPrinterChoice choice;
        std::string problem; // empty: taken
    } cases[] = {
        { "A4 without printers", None, TQRPaperSize::A4, poPortrait, TPrinterChoice::AnyPrinter,
          "" },
        { "Letter without printers", None, TQRPaperSize::Letter, poPortrait,
          TPrinterChoice::AnyPrinter,
          "paper size Letter is not available (no printer is installed); the report would be A4 "
          "portrait" },
        { "landscape without printers", None, TQRPaperSize::A4, poLandscape,
          TPrinterChoice::AnyPrinter,
          "landscape A4 is not available (no printer is installed); the report would be A4 "
          "portrait" },
        { "A5 nowhere", A4DefaultAndLetterElsewhere, TQRPaperSize::A5, poLandscape,
          TPrinterChoice::AnyPrinter,
          "paper size A5 is not available (no installed printer offers it); the report would be "
          "A4 landscape" },
        { "Letter on another printer", A4DefaultAndLetterElsewhere, TQRPaperSize::Letter,
          poLandscape, TPrinterChoice::AnyPrinter, "" },
        { "Letter not on the default printer", A4DefaultAndLetterElsewhere, TQRPaperSize::Letter,
          poPortrait, TPrinterChoice::DefaultOnly,
          "paper size Letter is not available (the default printer does not offer it); the report "
          "would be A4 portrait" },
        { "A4 landscape on the default printer", A4Only, TQRPaperSize::A4, poLandscape,
          TPrinterChoice::DefaultOnly, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TMemoryPrinters printers;
        printers.RemoveAll();
        if (c.printers != None)
            printers.Add(Offering("Main", { DMPAPER_A4 }, true));
        if (c.printers == A4DefaultAndLetterElsewhere)
            printers.Add(Offering("Letters", { DMPAPER_LETTER }, false));
        TQRPrinter doc;
        EXPECT_EQ(ChoosePaper(doc, c.paper, c.orientation, c.choice), c.problem);
        if (c.problem.empty()) {
            EXPECT_EQ(doc.PaperSize(), c.paper);
            EXPECT_EQ(doc.Orientation(), c.orientation);
        }
        printers.RemoveAll();
    }
}
