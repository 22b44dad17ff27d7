// qrptool printers: the installed printers and what their drivers offer, as the printer settings
// capture them.
#include "printer/printer.h"
#include "printing/code_tables.h"
#include "printing/printer_settings.h"
#include "tools/qrptool/command.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace qrptool {
namespace {

std::string Millimetres(int32_t tenths)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%d.%d", tenths < 0 ? "-" : "", std::abs(tenths / 10),
                  std::abs(tenths % 10));
    return text;
}

std::string Sheet(int32_t width, int32_t length)
{
    return Millimetres(width) + " x " + Millimetres(length) + " mm";
}

// Paper codes the driver lists that no TQRPaperSize member stands for.
std::vector<uint16_t> UnnamedPaperCodes(TPrinter& printer, const TPrinterSettings& settings)
{
    const int count = printer.DeviceCapabilities(settings.DeviceName(), settings.PortName(),
                                                 DC_PAPERS, {}, nullptr);
    std::vector<uint16_t> codes(size_t(std::max(count, 0)));
    const int filled = printer.DeviceCapabilities(settings.DeviceName(), settings.PortName(),
                                                  DC_PAPERS, codes, nullptr);
    codes.resize(std::min(codes.size(), size_t(std::max(filled, 0))));
    std::vector<uint16_t> unnamed;
    std::set<uint16_t> seen;
    for (const uint16_t code : codes)
        if (code != 0 && !PaperSizeForCode(code, TQRPaperSize::Letter) && seen.insert(code).second)
            unnamed.push_back(code);
    return unnamed;
}

void Describe(TPrinter& printer, int index, bool isDefault)
{
    printer.SetPrinterIndex(index);
    TPrinterSettings settings;
    settings.SetAttachedPrinter(&printer);

    std::printf("%s%s\n", settings.DeviceName().c_str(), isDefault ? " (default)" : "");
    std::printf("  driver: %s\n", settings.DriverName().c_str());
    std::printf("  port: %s\n", settings.PortName().c_str());

    std::string sizes;
    for (int i = int(TQRPaperSize::Letter); i <= int(TQRPaperSize::Custom); ++i)
        if (settings.PaperSizeAvailable(TQRPaperSize(i)))
            sizes += std::string(sizes.empty() ? "" : " ") + PaperSizeName(TQRPaperSize(i));
    std::printf("  paper sizes: %s\n", sizes.c_str());
    std::string others;
    for (const uint16_t code : UnnamedPaperCodes(printer, settings))
        others += (others.empty() ? "" : " ") + std::to_string(code);
    if (!others.empty())
        std::printf("  other paper codes: %s\n", others.c_str());

    const TQRPaperSize paper = settings.PaperSize();
    std::printf("  current paper: %s, %s\n", PaperSizeName(paper),
                Sheet(settings.SheetWidth(), settings.SheetLength()).c_str());
    // With the paper size left to the driver, the sheet is the driver's physical one.
    settings.SetPaperSize(TQRPaperSize::Default);
    std::printf("  physical sheet: %s\n",
                Sheet(settings.SheetWidth(), settings.SheetLength()).c_str());
    std::printf("  unprintable offsets: left %s mm, top %s mm\n",
                Millimetres(settings.PrintOffsetLeft()).c_str(),
                Millimetres(settings.PrintOffsetTop()).c_str());
    std::printf("  bin: %s\n", BinName(settings.OutputBin()));
    std::printf("  duplex: %s\n", settings.Duplex() ? "yes" : "no");
    std::printf("  copies: %d\n", settings.Copies());
    std::printf("  resolution: %d x %d dpi\n", settings.PixelsPerInchX(),
                settings.PixelsPerInchY());
}

int Printers(const Arguments& arguments)
{
    RejectUnknownOptions(arguments);
    if (!arguments.empty())
        throw UsageError("takes no arguments");
    TPrinter printer;
    const std::vector<std::string> names = printer.Printers();
    if (names.empty()) {
        std::printf("no printers installed\n");
        return 0;
    }
    const int defaultIndex = printer.PrinterIndex();
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            std::printf("\n");
        Describe(printer, int(i), int(i) == defaultIndex);
    }
    return 0;
}

} // namespace

QRPTOOL_COMMAND("printers", "", Printers);

} // namespace qrptool
