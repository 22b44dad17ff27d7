#include "tools/qrpgen/paper_choice.h"

#include "document/qr_printer.h"
#include "printer/printer.h"

#include <exception>

namespace qrpgen {

namespace {

bool Takes(TQRPrinter& document, TQRPaperSize paper, TPrinterOrientation orientation)
{
    document.SetPaperSize(paper);
    document.SetOrientation(orientation);
    return document.PaperSize() == paper && document.Orientation() == orientation;
}

const char* OrientationWord(TPrinterOrientation orientation)
{
    return orientation == poLandscape ? "landscape" : "portrait";
}

} // namespace

std::string ChoosePaper(TQRPrinter& document, TQRPaperSize paper, TPrinterOrientation orientation,
                        TPrinterChoice choice)
{
    if (Takes(document, paper, orientation))
        return {};
    if (document.PrintersInstalled() && choice == TPrinterChoice::AnyPrinter) {
        const int count = int(document.OwnPrinter().Printers().size());
        for (int i = 0; i < count; ++i) {
            try {
                document.SetPrinterIndex(i);
            } catch (const std::exception&) {
                continue; // a printer that cannot be selected offers nothing
            }
            if (Takes(document, paper, orientation))
                return {};
        }
    }
    // Ask once more on the printer left selected, so that the message tells what the report
    // would really get.
    Takes(document, paper, orientation);
    std::string where;
    if (!document.PrintersInstalled())
        where = "no printer is installed";
    else if (choice == TPrinterChoice::DefaultOnly)
        where = "the default printer does not offer it";
    else
        where = "no installed printer offers it";
    const std::string would = std::string(PaperSizeName(document.PaperSize())) + " " +
                              OrientationWord(document.Orientation());
    if (document.PaperSize() != paper)
        return "paper size " + std::string(PaperSizeName(paper)) + " is not available (" + where +
               "); the report would be " + would;
    return std::string(OrientationWord(orientation)) + " " + PaperSizeName(paper) +
           " is not available (" + where + "); the report would be " + would;
}

} // namespace qrpgen
