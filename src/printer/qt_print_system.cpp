#include "printer/qt_print_system.h"

#include "graphics/painter_canvas.h"
#include "platform/errors.h"
#include "platform/temp_file.h"
#include "printer/cups_library.h"
#include "printer/cups_server_probe.h"
#include "printer/dev_mode_page_size.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

QPrinterInfo FindPrinter(const std::string& name)
{
    return QPrinterInfo::printerInfo(QString::fromStdString(name));
}

int16_t Tenths(qreal millimetres)
{
    return int16_t(std::clamp<long>(std::lround(millimetres * 10), 0, INT16_MAX));
}

// Qt's paper sources follow the Windows bins one below, up to the cassette.
int16_t BinForSource(QPrinter::PaperSource source)
{
    switch (source) {
    case QPrinter::Cassette:
        return DMBIN_CASSETTE;
    case QPrinter::FormSource:
        return DMBIN_FORMSOURCE;
    default:
        return source <= QPrinter::LargeCapacity ? int16_t(source + 1) : DMBIN_AUTO;
    }
}

std::optional<QPrinter::PaperSource> SourceForBin(int bin)
{
    if (bin >= DMBIN_UPPER && bin <= DMBIN_LARGECAPACITY)
        return QPrinter::PaperSource(bin - 1);
    if (bin == DMBIN_CASSETTE)
        return QPrinter::Cassette;
    if (bin == DMBIN_FORMSOURCE)
        return QPrinter::FormSource;
    return std::nullopt;
}

// The IPP media-source keyword that CUPS maps onto the queue's own input slot names.
const char* MediaSourceForBin(int bin)
{
    switch (bin) {
    case DMBIN_UPPER:
        return "top";
    case DMBIN_LOWER:
        return "bottom";
    case DMBIN_MIDDLE:
        return "middle";
    case DMBIN_MANUAL:
    case DMBIN_ENVMANUAL:
        return "manual";
    case DMBIN_ENVELOPE:
        return "envelope";
    case DMBIN_LARGECAPACITY:
        return "large-capacity";
    case DMBIN_CASSETTE:
        return "main";
    default:
        return nullptr; // automatic, or no IPP counterpart: the queue chooses
    }
}

int16_t DuplexFor(QPrinter::DuplexMode mode)
{
    switch (mode) {
    case QPrinter::DuplexLongSide:
    case QPrinter::DuplexAuto:
        return DMDUP_VERTICAL;
    case QPrinter::DuplexShortSide:
        return DMDUP_HORIZONTAL;
    default:
        return DMDUP_SIMPLEX;
    }
}

void Configure(QPrinter& printer, const TDevMode& devMode)
{
    if (const QPageSize size = DevModePageSize(devMode); size.isValid())
        printer.setPageSize(size);
    if (devMode.dmFields & DM_ORIENTATION)
        printer.setPageOrientation(devMode.dmOrientation == DMORIENT_LANDSCAPE
                                       ? QPageLayout::Landscape
                                       : QPageLayout::Portrait);
    if (devMode.dmFields & DM_COPIES)
        printer.setCopyCount(std::max<int>(1, devMode.dmCopies));
    if (devMode.dmFields & DM_DUPLEX) {
        switch (devMode.dmDuplex) {
        case DMDUP_VERTICAL:
            printer.setDuplex(QPrinter::DuplexLongSide);
            break;
        case DMDUP_HORIZONTAL:
            printer.setDuplex(QPrinter::DuplexShortSide);
            break;
        default:
            printer.setDuplex(QPrinter::DuplexNone);
            break;
        }
    }
    if (devMode.dmFields & DM_DEFAULTSOURCE)
        if (const auto source = SourceForBin(devMode.dmDefaultSource & 0xFF))
            printer.setPaperSource(*source);
}

class QtPrintJob : public PrintJob {
public:
    QtPrintJob(std::string printer, std::string title, const QPrinter& configured,
               const TDevMode& devMode)
        : printer_(std::move(printer)), title_(std::move(title)),
          options_(QtPrintSystem::OptionsFor(configured, devMode)),
          metrics_(QtPrintSystem::MetricsOf(configured))
    {
        file_ = CreateTempFile(TempDirectory(), "QRPjob");
        pdf_.setOutputFormat(QPrinter::PdfFormat);
        pdf_.setOutputFileName(QString::fromStdString(file_));
        pdf_.setResolution(configured.resolution());
        pdf_.setPageLayout(configured.pageLayout());
        pdf_.setDocName(QString::fromStdString(title_));
        pdf_.setCreator(QStringLiteral("qrpview"));
        if (!painter_.begin(&pdf_)) {
            std::remove(file_.c_str());
            throw EPrinter("Cannot open a print job on printer " + printer_);
        }
        canvas_ = std::make_unique<TPainterCanvas>(painter_, metrics_.logPixelsY);
    }

    ~QtPrintJob() override
    {
        Close();
        std::remove(file_.c_str());
    }

    TCanvas& Canvas() override { return *canvas_; }
    const DeviceMetrics& Metrics() const override { return metrics_; }

    void NewPage() override
    {
        if (!pdf_.newPage())
            throw EPrinter("Cannot start a new page on printer " + printer_);
        canvas_->Refresh();
    }

    void End() override
    {
        const bool written = Close();
        if (!written)
            throw EPrinter("Cannot write the print job for printer " + printer_);
        const CupsLibrary& cups = Cups();
        if (!cups.cupsPrintFile)
            throw EPrinter("Cannot reach the printing service for printer " + printer_);
        std::vector<CupsOption> options;
        for (auto& [name, value] : options_)
            options.push_back({ name.data(), value.data() });
        // CUPS wants the queue without its instance suffix.
        const std::string queue = printer_.substr(0, printer_.find('/'));
        const int job = cups.cupsPrintFile(queue.c_str(), file_.c_str(), title_.c_str(),
                                           int(options.size()), options.data());
        std::remove(file_.c_str());
        if (job <= 0) {
            const char* reason = cups.cupsLastErrorString ? cups.cupsLastErrorString() : nullptr;
            throw EPrinter("Printer " + printer_ + " did not accept the job" +
                           (reason ? std::string(": ") + reason : std::string()));
        }
    }

    void Abort() override
    {
        Close();
        std::remove(file_.c_str());
    }

private:
    // The canvas plays its last records while the painter is still open.
    bool Close()
    {
        canvas_.reset();
        return painter_.isActive() ? painter_.end() : true;
    }

    std::string printer_;
    std::string title_;
    QtPrintSystem::JobOptions options_;
    DeviceMetrics metrics_;
    std::string file_;
    QPrinter pdf_ { QPrinter::HighResolution };
    QPainter painter_;
    std::unique_ptr<TPainterCanvas> canvas_;
};

} // namespace

std::vector<PrinterInfo> QtPrintSystem::Printers()
{
    std::vector<PrinterInfo> printers;
    if (!CupsServerAnswers(std::chrono::seconds(3)))
        return printers;
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters())
        printers.push_back({ info.printerName().toStdString(), info.makeAndModel().toStdString(),
                             "CUPS", info.isDefault() });
    return printers;
}

std::optional<std::string> QtPrintSystem::DriverPath(const std::string& printer)
{
    if (FindPrinter(printer).isNull())
        return std::nullopt;
    // A queue set up with a driver keeps its PPD under the queue's name; driverless queues have
    // no driver file.
    const std::string queue = printer.substr(0, printer.find('/'));
    const std::string path = "/etc/cups/ppd/" + queue + ".ppd";
    if (queue.empty() || queue.find("..") != std::string::npos ||
        !QFileInfo::exists(QString::fromStdString(path)))
        return std::nullopt;
    return path;
}

std::optional<TDevMode> QtPrintSystem::DefaultDevMode(const std::string& printer)
{
    const QPrinterInfo info = FindPrinter(printer);
    if (info.isNull())
        return std::nullopt;
    const QPrinter qprinter(info, QPrinter::HighResolution);
    TDevMode devMode;
    devMode.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DEFAULTSOURCE |
                       DM_PRINTQUALITY | DM_YRESOLUTION;
    if (info.supportsCustomPageSizes())
        devMode.dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    const auto duplexModes = info.supportedDuplexModes();
    if (std::any_of(duplexModes.begin(), duplexModes.end(),
                    [](QPrinter::DuplexMode m) { return m != QPrinter::DuplexNone; }))
        devMode.dmFields |= DM_DUPLEX;

    const QPageLayout layout = qprinter.pageLayout();
    const QPageSize size = layout.pageSize();
    const int code = size.windowsId();
    devMode.dmPaperSize = code > 0 && code < DMPAPER_USER ? int16_t(code) : DMPAPER_USER;
    const QSizeF millimetres = size.size(QPageSize::Millimeter);
    devMode.dmPaperWidth = Tenths(millimetres.width());
    devMode.dmPaperLength = Tenths(millimetres.height());
    devMode.dmOrientation =
        layout.orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    devMode.dmCopies = int16_t(std::clamp(qprinter.copyCount(), 1, int(INT16_MAX)));
    devMode.dmDefaultSource = BinForSource(qprinter.paperSource());
    devMode.dmDuplex = DuplexFor(info.defaultDuplexMode());
    devMode.dmPrintQuality = int16_t(qprinter.resolution());
    devMode.dmYResolution = int16_t(qprinter.resolution());
    return devMode;
}

std::vector<uint16_t> QtPrintSystem::PaperCodes(const std::string& printer, const TDevMode*)
{
    std::vector<uint16_t> codes;
    const QPrinterInfo info = FindPrinter(printer);
    if (info.isNull())
        return codes;
    for (const QPageSize& size : info.supportedPageSizes())
        codes.push_back(uint16_t(size.windowsId()));
    return codes;
}

std::unique_ptr<QPrinter> QtPrintSystem::MakePrinter(const std::string& printer,
                                                     const TDevMode& devMode)
{
    const QPrinterInfo info = FindPrinter(printer);
    if (info.isNull())
        return nullptr;
    auto qprinter = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    Configure(*qprinter, devMode);
    return qprinter;
}

DeviceMetrics QtPrintSystem::MetricsOf(const QPrinter& printer)
{
    DeviceMetrics m;
    const int resolution = printer.resolution();
    const QPageLayout layout = printer.pageLayout();
    QSizeF sheet = layout.pageSize().size(QPageSize::Millimeter);
    if (layout.orientation() == QPageLayout::Landscape)
        sheet.transpose();
    const QRect printable = layout.paintRectPixels(resolution);
    m.logPixelsX = resolution;
    m.logPixelsY = resolution;
    // From the sheet's millimetres rather than Qt's whole points, so that A4 is 210 mm wide.
    m.physicalWidth = int(std::lround(sheet.width() / 25.4 * resolution));
    m.physicalHeight = int(std::lround(sheet.height() / 25.4 * resolution));
    m.physicalOffsetX = printable.x();
    m.physicalOffsetY = printable.y();
    m.horzRes = printable.width();
    m.vertRes = printable.height();
    return m;
}

DeviceMetrics QtPrintSystem::Metrics(const std::string& printer, const TDevMode& devMode)
{
    const auto qprinter = MakePrinter(printer, devMode);
    return qprinter ? MetricsOf(*qprinter) : DeviceMetrics {};
}

QtPrintSystem::JobOptions QtPrintSystem::OptionsFor(const QPrinter& printer,
                                                    const TDevMode& devMode)
{
    JobOptions options;
    const QPageLayout layout = printer.pageLayout();
    options.emplace_back("media", layout.pageSize().key().toStdString());
    if (layout.orientation() == QPageLayout::Landscape)
        options.emplace_back("landscape", "");
    if (printer.copyCount() > 1)
        options.emplace_back("copies", std::to_string(printer.copyCount()));
    if (devMode.dmFields & DM_DUPLEX) {
        switch (devMode.dmDuplex) {
        case DMDUP_VERTICAL:
            options.emplace_back("sides", "two-sided-long-edge");
            break;
        case DMDUP_HORIZONTAL:
            options.emplace_back("sides", "two-sided-short-edge");
            break;
        default:
            options.emplace_back("sides", "one-sided");
            break;
        }
    }
    if (devMode.dmFields & DM_DEFAULTSOURCE)
        if (const char* source = MediaSourceForBin(devMode.dmDefaultSource & 0xFF))
            options.emplace_back("media-source", source);
    return options;
}

std::unique_ptr<PrintJob> QtPrintSystem::StartJob(const std::string& printer,
                                                  const TDevMode& devMode, const std::string& title)
{
    const auto configured = MakePrinter(printer, devMode);
    if (!configured)
        throw EPrinter("Printer selected is not valid");
    return std::make_unique<QtPrintJob>(printer, title, *configured, devMode);
}
