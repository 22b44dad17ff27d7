#include "printer/memory_print_system.h"

#include "graphics/painter_canvas.h"
#include "platform/errors.h"
#include "printer/dev_mode_page_size.h"

#include <QPainter>
#include <cmath>
#include <utility>

namespace {

// Sheets larger than this are not kept as images; tests have no use for them.
constexpr qint64 kMaxPagePixels = 64LL * 1024 * 1024;

uint32_t RecordType(std::span<const uint8_t> record)
{
    if (record.size() < 4)
        return 0;
    return uint32_t(record[0]) | uint32_t(record[1]) << 8 | uint32_t(record[2]) << 16 |
           uint32_t(record[3]) << 24;
}

// A painter canvas that notes on the job's current sheet what it draws.
class RecordingCanvas : public TPainterCanvas {
public:
    RecordingCanvas(QPainter& painter, int pixelsPerInch, MemoryJob& job)
        : TPainterCanvas(painter, pixelsPerInch), job_(job)
    {}

protected:
    void WriteRecord(std::span<const uint8_t> record) override
    {
        job_.pages.back().records.push_back(RecordType(record));
        TPainterCanvas::WriteRecord(record);
    }
    void DrawMetafile(const TRect& target, std::span<const uint8_t> emf) override
    {
        job_.pages.back().metafiles.push_back(target);
        TPainterCanvas::DrawMetafile(target, emf);
    }

private:
    MemoryJob& job_;
};

// The canvas, its painter and the sheet image come into being when the canvas is first asked
// for, so that jobs nobody draws on cost nothing; from then on the painter stays open for the
// whole job and each new sheet starts as a blank copy.
class MemoryPrintJob : public PrintJob {
public:
    MemoryPrintJob(std::shared_ptr<MemoryJob> job, std::shared_ptr<std::vector<std::string>> log)
        : job_(std::move(job)), log_(std::move(log))
    {
        job_->pages.emplace_back();
    }

    ~MemoryPrintJob() override { Close(); }

    TCanvas& Canvas() override
    {
        if (!canvas_) {
            const DeviceMetrics& m = job_->metrics;
            const qint64 pixels = qint64(m.horzRes) * m.vertRes;
            kept_ = m.horzRes > 0 && m.vertRes > 0 && pixels <= kMaxPagePixels;
            sheet_ = kept_ ? QImage(m.horzRes, m.vertRes, QImage::Format_ARGB32_Premultiplied)
                           : QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
            sheet_.fill(Qt::white);
            sheet_.setDotsPerMeterX(int(std::lround(m.logPixelsX / 0.0254)));
            sheet_.setDotsPerMeterY(int(std::lround(m.logPixelsY / 0.0254)));
            painter_.begin(&sheet_);
            canvas_ = std::make_unique<RecordingCanvas>(painter_, m.logPixelsY, *job_);
        }
        drawn_ = true;
        return *canvas_;
    }

    const DeviceMetrics& Metrics() const override { return job_->metrics; }

    void NewPage() override
    {
        log_->push_back("NewPage");
        FinishPage();
        job_->pages.emplace_back();
        if (canvas_) {
            Blank();
            canvas_->Refresh();
        }
    }

    void End() override
    {
        log_->push_back("EndJob");
        FinishPage();
        Close();
        job_->ended = true;
    }

    void Abort() override
    {
        log_->push_back("AbortJob");
        FinishPage();
        Close();
        job_->aborted = true;
    }

private:
    void FinishPage()
    {
        if (canvas_ && drawn_ && kept_)
            job_->pages.back().image = sheet_.copy();
        drawn_ = false;
    }

    void Blank()
    {
        painter_.save();
        painter_.resetTransform();
        painter_.setClipping(false);
        painter_.setCompositionMode(QPainter::CompositionMode_Source);
        painter_.fillRect(sheet_.rect(), Qt::white);
        painter_.restore();
    }

    void Close()
    {
        canvas_.reset();
        if (painter_.isActive())
            painter_.end();
    }

    std::shared_ptr<MemoryJob> job_;
    std::shared_ptr<std::vector<std::string>> log_;
    QImage sheet_;
    bool kept_ = false;
    bool drawn_ = false;
    QPainter painter_;
    std::unique_ptr<RecordingCanvas> canvas_;
};

} // namespace

TDevMode MemoryPrinter::StandardDefaults()
{
    TDevMode devMode;
    devMode.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES |
                       DM_DEFAULTSOURCE | DM_DUPLEX;
    devMode.dmOrientation = DMORIENT_PORTRAIT;
    devMode.dmPaperSize = DMPAPER_A4;
    devMode.dmPaperWidth = 2100;
    devMode.dmPaperLength = 2970;
    devMode.dmCopies = 1;
    devMode.dmDefaultSource = DMBIN_AUTO;
    devMode.dmDuplex = DMDUP_SIMPLEX;
    return devMode;
}

MemoryPrintSystem::MemoryPrintSystem() : log_(std::make_shared<std::vector<std::string>>()) {}

MemoryPrintSystem::~MemoryPrintSystem() = default;

MemoryPrinter& MemoryPrintSystem::AddPrinter(MemoryPrinter printer)
{
    printers_.push_back(std::move(printer));
    return printers_.back();
}

MemoryPrinter* MemoryPrintSystem::Find(const std::string& name)
{
    for (auto& printer : printers_)
        if (printer.name == name)
            return &printer;
    return nullptr;
}

void MemoryPrintSystem::RemoveAll()
{
    printers_.clear();
}

std::vector<std::shared_ptr<const MemoryJob>> MemoryPrintSystem::Jobs() const
{
    return { jobs_.begin(), jobs_.end() };
}

std::vector<PrinterInfo> MemoryPrintSystem::Printers()
{
    log_->push_back("Printers");
    std::vector<PrinterInfo> list;
    for (const auto& printer : printers_)
        list.push_back({ printer.name, printer.driver, printer.port, printer.isDefault });
    return list;
}

std::optional<std::string> MemoryPrintSystem::DriverPath(const std::string& printer)
{
    log_->push_back("DriverPath " + printer);
    const MemoryPrinter* found = Find(printer);
    return found ? found->driverPath : std::nullopt;
}

std::optional<TDevMode> MemoryPrintSystem::DefaultDevMode(const std::string& printer)
{
    log_->push_back("DefaultDevMode " + printer);
    const MemoryPrinter* found = Find(printer);
    if (!found)
        return std::nullopt;
    return found->defaults;
}

std::vector<uint16_t> MemoryPrintSystem::PaperCodes(const std::string& printer, const TDevMode*)
{
    log_->push_back("PaperCodes " + printer);
    const MemoryPrinter* found = Find(printer);
    return found ? found->paperCodes : std::vector<uint16_t> {};
}

DeviceMetrics MemoryPrintSystem::MetricsFor(const MemoryPrinter& printer, const TDevMode& devMode)
{
    DeviceMetrics m;
    m.logPixelsX = printer.dpiX;
    m.logPixelsY = printer.dpiY;
    m.printingOffsetEscape = printer.printingOffsetEscape;
    m.physPageSizeEscape = printer.physPageSizeEscape;

    const bool landscape =
        (devMode.dmFields & DM_ORIENTATION) && devMode.dmOrientation == DMORIENT_LANDSCAPE;
    QSize sheet;
    if (printer.sheet) {
        sheet = *printer.sheet;
        if (landscape)
            sheet.transpose();
    } else {
        QPageSize size = DevModePageSize(devMode);
        if (!size.isValid())
            size = DevModePageSize(printer.defaults);
        if (!size.isValid())
            size = QPageSize(QPageSize::A4);
        QSizeF mm = size.size(QPageSize::Millimeter);
        if (landscape)
            mm.transpose();
        sheet = QSize(int(std::lround(mm.width() / 25.4 * printer.dpiX)),
                      int(std::lround(mm.height() / 25.4 * printer.dpiY)));
    }
    QMargins margins = printer.margins;
    if (landscape) {
        // The sheet turned a quarter anticlockwise: its old right edge is at the top.
        margins = QMargins(printer.margins.top(), printer.margins.right(), printer.margins.bottom(),
                           printer.margins.left());
    }
    m.physicalWidth = sheet.width();
    m.physicalHeight = sheet.height();
    m.physicalOffsetX = margins.left();
    m.physicalOffsetY = margins.top();
    m.horzRes = std::max(0, sheet.width() - margins.left() - margins.right());
    m.vertRes = std::max(0, sheet.height() - margins.top() - margins.bottom());
    return m;
}

DeviceMetrics MemoryPrintSystem::Metrics(const std::string& printer, const TDevMode& devMode)
{
    log_->push_back("Metrics " + printer);
    const MemoryPrinter* found = Find(printer);
    return found ? MetricsFor(*found, devMode) : DeviceMetrics {};
}

std::unique_ptr<PrintJob> MemoryPrintSystem::StartJob(const std::string& printer,
                                                      const TDevMode& devMode,
                                                      const std::string& title)
{
    log_->push_back("StartJob " + printer + " " + title);
    const MemoryPrinter* found = Find(printer);
    if (!found)
        throw EPrinter("Printer selected is not valid");
    if (found->refuseJobs)
        throw EPrinter("Printer " + printer + " did not accept the job");
    auto job = std::make_shared<MemoryJob>();
    job->printer = printer;
    job->title = title;
    job->devMode = devMode;
    job->metrics = MetricsFor(*found, devMode);
    jobs_.push_back(job);
    return std::make_unique<MemoryPrintJob>(job, log_);
}
