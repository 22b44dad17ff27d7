#pragma once
// The document's link to the printer driver: reads what the attached printer can do and how it is
// set up, holds the print options the document chooses (accepting only what the driver supports)
// and writes them into the driver's device mode before a job.
#include "printer/dev_mode.h"
#include "printing/printer_orientation.h"
#include "printing/qr_bin.h"
#include "printing/qr_paper_size.h"

#include <array>
#include <cstdint>
#include <string>

class TPrinter;

class TPrinterSettings {
public:
    // Paper size A4, portrait, bin First, no printer attached.
    TPrinterSettings();
    ~TPrinterSettings();
    TPrinterSettings(const TPrinterSettings&) = delete;
    TPrinterSettings& operator=(const TPrinterSettings&) = delete;

    TPrinter* AttachedPrinter() const { return attachedPrinter_; }
    // Stores the printer (not owned; it must outlive its attachment) and captures its driver's
    // state when it lists at least one printer.
    void SetAttachedPrinter(TPrinter* printer);

    // Reads the driver's state into the fields; nothing without an attached printer.
    void CaptureFromDriver();
    // Writes the fields into the driver's device mode and hands it back to the printer; nothing
    // without an attached printer.
    void ApplyToDriver();

    // Whether every bit of mask is set in dmFields of the device mode last captured or applied;
    // false without an attached printer or device mode, and for a negative mask.
    bool SupportsField(int32_t mask) const;
    // Sets mask's bits in dmFields of that device mode.
    void MarkField(int32_t mask);

    // Names as the printer object gives them; DriverName is the driver's file name after a
    // capture (at most 63 characters) and the printer object's driver name after an apply.
    const std::string& DeviceName() const { return deviceName_; }
    const std::string& DriverName() const { return driverName_; }
    const std::string& PortName() const { return portName_; }

    int32_t Copies() const { return copies_; }
    // Stored only while the driver supports DM_COPIES.
    void SetCopies(int32_t copies);
    // Set only by a capture.
    bool Duplex() const { return duplex_; }
    TPrinterOrientation Orientation() const { return orientation_; }
    // Stored only while the driver supports DM_ORIENTATION.
    void SetOrientation(TPrinterOrientation orientation);
    TQRBin OutputBin() const { return outputBin_; }
    // Stored only while the driver supports DM_DEFAULTSOURCE.
    void SetOutputBin(TQRBin bin);
    TQRPaperSize PaperSize() const { return paperSize_; }
    // Default is always stored; Letter to Custom only when the driver lists the size.
    void SetPaperSize(TQRPaperSize size);
    // Whether the driver lists the size (Letter to Custom); false for Default.
    bool PaperSizeAvailable(TQRPaperSize size) const;

    // Tenths of a millimetre: the catalogue's size for a named paper, the stored one for Default
    // and Custom.
    int32_t SheetWidth() const;
    int32_t SheetLength() const;
    // Change the stored size only while PaperSize is Custom.
    void SetSheetWidth(int32_t width);
    void SetSheetLength(int32_t length);

    int32_t PixelsPerInchX() const { return pixelsPerInchX_; }
    int32_t PixelsPerInchY() const { return pixelsPerInchY_; }
    // Tenths of a millimetre from the sheet's edge to the printable area.
    int32_t PrintOffsetTop() const { return printOffsetTop_; }
    int32_t PrintOffsetLeft() const { return printOffsetLeft_; }

private:
    // The device mode under the handle, or nullptr once the printer has released that block.
    TDevMode* View() const;
    void GetPrinterNames();

    std::string deviceName_;
    std::string driverName_;
    std::string portName_;
    TDevModeHandle devModeHandle_ = 0;
    TDevMode* devModeView_ = nullptr;
    int32_t copies_ = 0;
    bool duplex_ = false;
    TPrinterOrientation orientation_ = poPortrait;
    TQRBin outputBin_ = TQRBin::First;
    TQRPaperSize paperSize_ = TQRPaperSize::A4;
    std::array<bool, kPaperSizeCount> paperSizeAvailable_ {}; // Default's entry stays false
    int32_t storedWidth_ = 0;
    int32_t storedLength_ = 0;
    int32_t pixelsPerInchX_ = 0;
    int32_t pixelsPerInchY_ = 0;
    int32_t printOffsetTop_ = 0;
    int32_t printOffsetLeft_ = 0;
    TPrinter* attachedPrinter_ = nullptr;
};
