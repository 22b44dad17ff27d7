// qrptool print: prints a report on an installed printer through the report document's own Print,
// with the printer, page range and copies set as a report generator sets them.
#include "document/qr_printer.h"
#include "graphics/metafile.h"
#include "platform/errors.h"
#include "printer/printer.h"
#include "tools/qrptool/command.h"

#include <QFileInfo>
#include <algorithm>
#include <cstdio>

namespace qrptool {
namespace {

// dmCopies is a 16-bit field: a larger count would reach the driver cut to its low bits.
constexpr int kMaxCopies = 32767;

std::string InstalledPrinters(const std::vector<std::string>& names)
{
    std::string list;
    for (const auto& name : names)
        list += (list.empty() ? "" : ", ") + name;
    return list;
}

int OptionalPositive(Arguments& args, const std::string& name)
{
    const std::string text = TakeOption(args, name);
    return text.empty() ? 0 : ParsePositive(text, name);
}

int Print(const Arguments& arguments)
{
    Arguments args = arguments;
    const std::string printerName = TakeOption(args, "--printer");
    const int first = OptionalPositive(args, "--first");
    const int last = OptionalPositive(args, "--last");
    const int copies = OptionalPositive(args, "--copies");
    const std::string title = TakeOption(args, "--title");
    RejectUnknownOptions(args);
    if (args.size() != 1)
        throw UsageError("needs one report file");
    if (copies > kMaxCopies)
        throw UsageError("--copies can be at most " + std::to_string(kMaxCopies));
    if (first > 0 && last > 0 && first > last)
        throw UsageError("--first " + std::to_string(first) + " is after --last " +
                         std::to_string(last));
    const std::string& report = args[0];

    TQRPrinter doc;
    // Print returns without a word when there is no printer; a command must say so.
    if (!doc.PrintersInstalled())
        throw InputError("cannot print " + report + ": no printer is installed");
    const std::vector<std::string> names = doc.OwnPrinter().Printers();
    if (!printerName.empty()) {
        const auto found = std::find(names.begin(), names.end(), printerName);
        if (found == names.end())
            throw InputError("cannot print " + report + ": no printer named '" + printerName +
                             "'; installed: " + InstalledPrinters(names));
        // Selecting a printer captures its driver's defaults, paper size included, so it comes
        // before loading, whose paper detection must be what reaches the driver.
        doc.SetPrinterIndex(int(found - names.begin()));
    }
    doc.LoadFromFile(report);
    const int total = doc.PageTotal();
    if (total < 1)
        throw InputError(report + " has no pages");
    if (first > total)
        throw InputError(report + " has " + std::to_string(total) + " pages, no page " +
                         std::to_string(first));
    const int from = first > 0 ? first : 1;
    const int to = last > 0 && last <= total ? last : total;
    // A damaged page met half-way would still send the pages before it to the printer; every
    // page of the range is read once first so that a damaged report prints nothing.
    for (int n = from; n <= to; ++n)
        doc.PageImage(n);

    doc.SetTitle(title.empty() ? QFileInfo(QString::fromStdString(report)).fileName().toStdString()
                               : title);
    if (copies > 0)
        doc.SetCopies(copies);
    doc.SetFirstPage(first);
    doc.SetLastPage(last);
    try {
        doc.Print();
    } catch (const EPrinter& e) {
        throw InputError("cannot print " + report + ": " + e.what());
    }
    const int index = doc.OwnPrinter().PrinterIndex();
    std::printf("%s: pages %d to %d sent to %s", report.c_str(), from, to,
                index >= 0 && size_t(index) < names.size() ? names[size_t(index)].c_str() : "?");
    if (copies > 1)
        std::printf(", %d copies", copies);
    std::printf("\n");
    return 0;
}

} // namespace

QRPTOOL_COMMAND("print",
                "REPORT [--printer NAME] [--first N] [--last M] [--copies C] [--title TEXT]",
                Print);

} // namespace qrptool
