#pragma once
// What the printer object needs from the machine's printing service: the installed printers,
// their drivers' defaults and capabilities, the geometry of a device set up with a device mode,
// and jobs. The real service is CUPS through Qt; tests install an in-memory one.
#include "printer/dev_mode.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TCanvas;

struct PrinterInfo {
    std::string name;   // the device name
    std::string driver; // the driver's name (make and model)
    std::string port;
    bool isDefault = false;
};

// A device context's geometry, in device pixels.
struct DeviceMetrics {
    int logPixelsX = 0;
    int logPixelsY = 0;
    int physicalWidth = 0; // the whole sheet
    int physicalHeight = 0;
    int physicalOffsetX = 0; // from the sheet's corner to the printable area
    int physicalOffsetY = 0;
    int horzRes = 0; // the printable area, where drawing starts at (0, 0)
    int vertRes = 0;
    // Whether the driver answers the escapes for the printing offset and the physical page.
    bool printingOffsetEscape = true;
    bool physPageSizeEscape = true;
};

// One open job: a canvas on the current sheet, advanced by NewPage and closed by End or Abort.
class PrintJob {
public:
    virtual ~PrintJob() = default;
    // The canvas of the current sheet, in device pixels from the printable area's corner; the
    // same object for the whole job, its drawing tools selected again on every new sheet. It is
    // destroyed with the job.
    virtual TCanvas& Canvas() = 0;
    virtual const DeviceMetrics& Metrics() const = 0;
    virtual void NewPage() = 0;
    // Hands the job to the printer. EPrinter when that fails.
    virtual void End() = 0;
    // Discards the job; nothing reaches the printer.
    virtual void Abort() = 0;
};

class PrintSystem {
public:
    virtual ~PrintSystem() = default;

    virtual std::vector<PrinterInfo> Printers() = 0;
    // The path of the printer's driver file, or none when the printer cannot be opened or names
    // no driver file.
    virtual std::optional<std::string> DriverPath(const std::string& printer) = 0;
    // The device mode the driver sets up for a new user of the printer, with dmFields telling
    // what it supports; none when the printer is gone.
    virtual std::optional<TDevMode> DefaultDevMode(const std::string& printer) = 0;
    // The paper codes the driver lists, in its order; devMode may be null.
    virtual std::vector<uint16_t> PaperCodes(const std::string& printer,
                                             const TDevMode* devMode) = 0;
    // The geometry of the printer set up with devMode; all zero when the printer is gone.
    virtual DeviceMetrics Metrics(const std::string& printer, const TDevMode& devMode) = 0;
    // Opens a job with its first sheet. EPrinter when the printer refuses it.
    virtual std::unique_ptr<PrintJob> StartJob(const std::string& printer, const TDevMode& devMode,
                                               const std::string& title) = 0;

    // The process-wide service: the one installed last, else the Qt/CUPS one.
    static PrintSystem& Instance();
    // Installs a service that the caller keeps alive while installed; nullptr goes back to the
    // Qt/CUPS one. Returns the one installed before (nullptr when it was the Qt/CUPS one).
    static PrintSystem* SetInstance(PrintSystem* system);
    // Counts the installations, so that objects built over an earlier service can tell.
    static uint64_t InstanceGeneration();
};

// Installs a print system for its own lifetime and then puts back the one installed before.
class ScopedPrintSystem {
public:
    explicit ScopedPrintSystem(PrintSystem& system) : previous_(PrintSystem::SetInstance(&system))
    {}
    ~ScopedPrintSystem() { PrintSystem::SetInstance(previous_); }
    ScopedPrintSystem(const ScopedPrintSystem&) = delete;
    ScopedPrintSystem& operator=(const ScopedPrintSystem&) = delete;

private:
    PrintSystem* previous_;
};
