#pragma once
// A print system held in memory, for tests: printers are scripted (what their drivers offer and
// how their sheets are laid out), every call is written to a log, and every job keeps what it
// received, sheet by sheet: the picture and the drawing calls.
#include "graphics/geometry.h"
#include "printer/print_system.h"

#include <QImage>
#include <QMargins>
#include <QSize>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct MemoryPrinter {
    std::string name;
    std::string driver = "Memory Printer";
    std::string port = "MEM:";
    // What the driver file query answers; none: the printer cannot be opened for it.
    std::optional<std::string> driverPath = "/usr/lib/printers/memory/MEMDRV.PPD";
    bool isDefault = false;
    // The device mode the driver builds for a new user, dmFields included.
    TDevMode defaults = StandardDefaults();
    // What DC_PAPERS lists, in order.
    std::vector<uint16_t> paperCodes = { DMPAPER_LETTER, DMPAPER_LEGAL, DMPAPER_A4, DMPAPER_A5 };
    int dpiX = 300;
    int dpiY = 300;
    // Unprintable margins of a portrait sheet in device pixels; landscape turns them with it.
    QMargins margins { 25, 30, 35, 40 };
    // The sheet in device pixels (portrait, turned for landscape), instead of the one of the
    // device mode's paper.
    std::optional<QSize> sheet;
    // Whether the driver answers GETPRINTINGOFFSET and GETPHYSPAGESIZE.
    bool printingOffsetEscape = true;
    bool physPageSizeEscape = true;
    // StartJob fails with EPrinter.
    bool refuseJobs = false;

    // Portrait A4, one copy, automatic bin, simplex; every field the program writes supported.
    static TDevMode StandardDefaults();
};

// What one sheet of a job received.
struct MemoryPage {
    // The printable area at the printer's resolution, white where nothing was drawn; a null image
    // when the canvas was never asked for on this sheet or the image would be unreasonably large.
    QImage image;
    // The type of every record the canvas played on the sheet, in order.
    std::vector<uint32_t> records;
    // Where whole metafiles were drawn (StretchDraw, Draw), in order.
    std::vector<TRect> metafiles;
};

// What one job received.
struct MemoryJob {
    std::string printer;
    std::string title;
    TDevMode devMode;
    DeviceMetrics metrics;
    // One per sheet begun, the open one included.
    std::vector<MemoryPage> pages;
    bool ended = false;
    bool aborted = false;
};

class MemoryPrintSystem : public PrintSystem {
public:
    MemoryPrintSystem();
    ~MemoryPrintSystem() override;

    // Adds a printer; the reference stays valid until the next AddPrinter.
    MemoryPrinter& AddPrinter(MemoryPrinter printer);
    // A scripted printer by name; edits take effect from the next call that reads it.
    MemoryPrinter* Find(const std::string& name);
    void RemoveAll();

    // Every call, in order: "Printers", "DriverPath P", "DefaultDevMode P", "PaperCodes P",
    // "Metrics P", "StartJob P TITLE", "NewPage", "EndJob", "AbortJob".
    const std::vector<std::string>& Log() const { return *log_; }
    void ClearLog() { log_->clear(); }
    // Jobs in the order they were started, open ones included.
    std::vector<std::shared_ptr<const MemoryJob>> Jobs() const;

    std::vector<PrinterInfo> Printers() override;
    std::optional<std::string> DriverPath(const std::string& printer) override;
    std::optional<TDevMode> DefaultDevMode(const std::string& printer) override;
    std::vector<uint16_t> PaperCodes(const std::string& printer, const TDevMode* devMode) override;
    DeviceMetrics Metrics(const std::string& printer, const TDevMode& devMode) override;
    std::unique_ptr<PrintJob> StartJob(const std::string& printer, const TDevMode& devMode,
                                       const std::string& title) override;

    // The geometry a scripted printer has with a device mode.
    static DeviceMetrics MetricsFor(const MemoryPrinter& printer, const TDevMode& devMode);

private:
    std::vector<MemoryPrinter> printers_;
    std::shared_ptr<std::vector<std::string>> log_;
    std::vector<std::shared_ptr<MemoryJob>> jobs_;
};
