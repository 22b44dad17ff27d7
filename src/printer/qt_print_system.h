#pragma once
// The machine's printers: CUPS queues as Qt's print support sees them. Paper codes are Qt's
// Windows paper ids, bins its paper sources. A job is drawn into a temporary PDF file that is
// handed to CUPS when the job ends and thrown away when it is aborted (Qt's own CUPS printer
// cannot abort: whatever was drawn reaches the queue when its painter ends).
#include "printer/print_system.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class QPrinter;

class QtPrintSystem : public PrintSystem {
public:
    using JobOptions = std::vector<std::pair<std::string, std::string>>;

    std::vector<PrinterInfo> Printers() override;
    std::optional<std::string> DriverPath(const std::string& printer) override;
    std::optional<TDevMode> DefaultDevMode(const std::string& printer) override;
    std::vector<uint16_t> PaperCodes(const std::string& printer, const TDevMode* devMode) override;
    DeviceMetrics Metrics(const std::string& printer, const TDevMode& devMode) override;
    std::unique_ptr<PrintJob> StartJob(const std::string& printer, const TDevMode& devMode,
                                       const std::string& title) override;

    // The queue's printer set up with the device mode, as jobs and device information use it;
    // null when the queue is gone.
    static std::unique_ptr<QPrinter> MakePrinter(const std::string& printer,
                                                 const TDevMode& devMode);
    // The CUPS options a job on that printer carries: media, orientation, copies, sides and
    // media source.
    static JobOptions OptionsFor(const QPrinter& printer, const TDevMode& devMode);
    // The geometry of a printer made by MakePrinter.
    static DeviceMetrics MetricsOf(const QPrinter& printer);
};
