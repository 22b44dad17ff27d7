#pragma once
// The platform printer object: the installed printers, the selected one with its device mode,
// the device's capabilities and geometry, and jobs drawn through a canvas. Everything goes
// through a PrintSystem, the Qt/CUPS one unless another is installed.
#include "printer/dev_mode.h"
#include "printer/print_system.h"

#include <QPoint>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class TCanvas;

// GetDeviceCaps indexes.
constexpr int HORZSIZE = 4; // printable width in millimetres
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8; // printable width in device pixels
constexpr int VERTRES = 10;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;

// Escape numbers.
constexpr int QUERYESCSUPPORT = 8;    // input: the 16-bit number of the escape asked about
constexpr int GETPHYSPAGESIZE = 12;   // output: the sheet's width and height in device pixels
constexpr int GETPRINTINGOFFSET = 13; // output: the printable area's offset in device pixels

// DeviceCapabilities indexes.
constexpr int DC_PAPERS = 2;

class TPrinter {
public:
    TPrinter();
    explicit TPrinter(PrintSystem& system);
    // An open job is ended, as if EndDoc had been called; the device mode block is released.
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    PrintSystem& System() const { return *system_; }

    // Device names of the installed printers, read once and kept until Refresh.
    const std::vector<std::string>& Printers();
    // Reads the list again; the selection and the device mode are dropped.
    void Refresh();

    // The selected printer; reading it selects the default printer when none is selected yet.
    // -1 when no printer is installed.
    int PrinterIndex();
    // Selects printer index (-1: the default printer). Selecting another printer drops the device
    // mode. EPrinter "Printer index out of range" for an index outside Printers, "Printing in
    // progress" during a job.
    void SetPrinterIndex(int index);

    // The selected printer's device, driver and port names and its device mode handle. The
    // handle is 0 while no device mode has been set up; such a call sets one up with the
    // driver's defaults, so that the next call gives it. All empty and 0 without printers.
    void GetPrinter(std::string& device, std::string& driver, std::string& port,
                    TDevModeHandle& devMode);
    // Selects the printer with that device and port name. devMode 0 releases the device mode and
    // builds a fresh one with the driver's defaults; the handle the printer already holds keeps
    // that block with the caller's edits; any other live handle replaces the block (the printer
    // takes the new block over and releases the old one); a dead handle counts as 0. Whatever
    // device information was set up before is dropped, so that what follows sees the block.
    // EPrinter "Printer selected is not valid" for an unknown printer, "Printing in progress"
    // during a job.
    void SetPrinter(const std::string& device, const std::string& driver, const std::string& port,
                    TDevModeHandle devMode);

    // A capability of the device set up with the current device mode (during a job, of the
    // job's device); 0 for an unknown index or without printers.
    int GetDeviceCaps(int index);
    // QUERYESCSUPPORT answers 1 for a supported escape and 0 otherwise; GETPRINTINGOFFSET and
    // GETPHYSPAGESIZE write their point and answer 1 when supported, 0 (output untouched)
    // otherwise. Malformed requests (short input, missing output) answer 0.
    int Escape(int escape, int inputSize, const void* input, QPoint* output);
    // DC_PAPERS: the driver's paper codes for the named printer. Writes as many codes as output
    // holds and returns how many the driver lists; -1 for an unknown printer or capability.
    int DeviceCapabilities(const std::string& device, const std::string& port, int capability,
                           std::span<uint16_t> output, const TDevMode* devMode);
    // The named printer's driver file, or none when it cannot be opened.
    std::optional<std::string> GetPrinterDriverPath(const std::string& device);

    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }

    // Opens a job on the selected printer with its device mode and title; its first sheet is
    // open. EPrinter "Printing in progress" when a job is open, or the service's error.
    void BeginDoc();
    // Ends the current sheet and opens the next. EPrinter "Printer is not currently printing"
    // outside a job.
    void NewPage();
    // Ends the job and hands it to the printer. EPrinter outside a job.
    void EndDoc();
    // Discards the job. EPrinter outside a job.
    void Abort();
    bool Printing() const { return job_ != nullptr; }
    // Whether the last job was aborted.
    bool Aborted() const { return aborted_; }
    // The sheet being drawn, from 1; 0 outside a job.
    int PageNumber() const { return job_ ? pageNumber_ : 0; }

    // The canvas on the current sheet, in device pixels from the printable area's corner; the same
    // object for the whole job, gone when the job ends. EPrinter "Printer is not currently
    // printing" outside a job.
    TCanvas& Canvas();

    // The printable area of the current sheet in device pixels (HORZRES, VERTRES).
    int PageWidth();
    int PageHeight();

private:
    const std::vector<PrinterInfo>& PrinterList();
    int DefaultIndex();
    void SelectIndex(int index);
    void ReleaseDevMode();
    // Builds the driver's default device mode for the selected printer when there is none.
    void EnsureDevMode();
    // A copy of the current block; the driver's defaults when it has none.
    TDevMode CurrentDevMode();
    const DeviceMetrics& Information();
    const PrinterInfo* Selected();
    void CheckPrinting(bool printing) const;
    void CloseJob();

    PrintSystem* system_;
    std::optional<std::vector<PrinterInfo>> printers_;
    std::vector<std::string> names_;
    int index_ = -1;
    TDevModeHandle devMode_ = 0;
    std::optional<DeviceMetrics> information_;
    std::unique_ptr<PrintJob> job_;
    std::string title_;
    int pageNumber_ = 0;
    bool aborted_ = false;
};

// The application-wide printer object, over the print system installed at the time of the call.
// Installing another print system makes the next call build a new one; references to the old one
// must not be kept across that.
TPrinter& Printer();
