#pragma once
// A document takes a paper size and an orientation only when its printer's driver offers them;
// otherwise it quietly keeps what it had. A report generator must not record on a paper it did
// not ask for, so it asks and then checks.
#include "printing/printer_orientation.h"
#include "printing/qr_paper_size.h"

#include <string>

class TQRPrinter;

namespace qrpgen {

enum class TPrinterChoice : uint8_t {
    DefaultOnly, // the report goes to the default printer
    AnyPrinter,  // the report is stored: any installed printer that offers the paper will do
};

// Sets paper size and orientation on the document, selecting another installed printer when the
// default one does not offer them and choice allows it. Returns an empty string when the
// document took both, otherwise one line saying what is missing and what the report would be.
std::string ChoosePaper(TQRPrinter& document, TQRPaperSize paper, TPrinterOrientation orientation,
                        TPrinterChoice choice);

} // namespace qrpgen
