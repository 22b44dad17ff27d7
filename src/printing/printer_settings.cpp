#include "printing/printer_settings.h"

#include "printer/printer.h"
#include "printing/code_tables.h"
#include "printing/device_units.h"
#include "printing/paper_catalogue.h"

#include <QPoint>
#include <algorithm>
#include <vector>

namespace {

// Unlocks a device mode handle when the step that locked it ends, however it ends.
class LockedDevMode {
public:
    explicit LockedDevMode(TDevModeHandle handle) : handle_(handle), view_(GlobalLock(handle)) {}
    ~LockedDevMode()
    {
        if (view_)
            GlobalUnlock(handle_);
    }
    LockedDevMode(const LockedDevMode&) = delete;
    LockedDevMode& operator=(const LockedDevMode&) = delete;
    TDevMode* View() const { return view_; }

private:
    TDevModeHandle handle_;
    TDevMode* view_;
};

// The file-name part of a driver path: after the last directory separator or drive colon.
std::string FileNamePart(const std::string& path)
{
    const size_t cut = path.find_last_of("/\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

int16_t Low16(int32_t value)
{
    return int16_t(uint16_t(uint32_t(value)));
}

} // namespace

TPrinterSettings::TPrinterSettings() = default;

TPrinterSettings::~TPrinterSettings() = default;

void TPrinterSettings::SetAttachedPrinter(TPrinter* printer)
{
    attachedPrinter_ = printer;
    if (printer && !printer->Printers().empty())
        CaptureFromDriver();
}

TDevMode* TPrinterSettings::View() const
{
    return devModeView_ && GlobalIsLive(devModeHandle_) ? devModeView_ : nullptr;
}

bool TPrinterSettings::SupportsField(int32_t mask) const
{
    if (!attachedPrinter_ || mask < 0)
        return false;
    const TDevMode* view = View();
    return view && (view->dmFields & uint32_t(mask)) == uint32_t(mask);
}

void TPrinterSettings::MarkField(int32_t mask)
{
    if (TDevMode* view = View())
        view->dmFields |= uint32_t(mask);
}

void TPrinterSettings::GetPrinterNames()
{
    attachedPrinter_->GetPrinter(deviceName_, driverName_, portName_, devModeHandle_);
}

void TPrinterSettings::CaptureFromDriver()
{
    if (!attachedPrinter_)
        return;
    TPrinter& printer = *attachedPrinter_;

    GetPrinterNames();
    if (devModeHandle_ == 0)
        GetPrinterNames();

    // Without a driver file the name the printer object gave stays.
    if (const auto path = printer.GetPrinterDriverPath(deviceName_))
        driverName_ = FileNamePart(*path).substr(0, 63);

    const LockedDevMode locked(devModeHandle_);
    devModeView_ = locked.View();

    pixelsPerInchX_ = printer.GetDeviceCaps(LOGPIXELSX);
    pixelsPerInchY_ = printer.GetDeviceCaps(LOGPIXELSY);

    copies_ = SupportsField(DM_COPIES) ? int32_t(devModeView_->dmCopies) : 1;

    outputBin_ = TQRBin::First;
    if (SupportsField(DM_DEFAULTSOURCE))
        outputBin_ = BinForCode(devModeView_->dmDefaultSource).value_or(TQRBin::First);

    duplex_ = SupportsField(DM_DUPLEX) && devModeView_->dmDuplex != DMDUP_SIMPLEX;

    const auto escapeSupported = [&printer](int16_t escape) {
        return printer.Escape(QUERYESCSUPPORT, sizeof escape, &escape, nullptr) != 0;
    };
    QPoint point;
    if (escapeSupported(GETPRINTINGOFFSET)) {
        printer.Escape(GETPRINTINGOFFSET, 0, nullptr, &point);
        printOffsetLeft_ = DeviceToTenthsMM(point.x(), pixelsPerInchX_);
        printOffsetTop_ = DeviceToTenthsMM(point.y(), pixelsPerInchY_);
    } else {
        printOffsetLeft_ = 0;
        printOffsetTop_ = 0;
    }

    paperSize_ = TQRPaperSize::Default;
    if (SupportsField(DM_PAPERSIZE))
        paperSize_ = PaperSizeForCode(devModeView_->dmPaperSize).value_or(TQRPaperSize::Default);

    point = QPoint();
    if (escapeSupported(GETPHYSPAGESIZE)) {
        printer.Escape(GETPHYSPAGESIZE, 0, nullptr, &point);
        storedWidth_ = DeviceToTenthsMM(point.x(), pixelsPerInchX_);
        storedLength_ = DeviceToTenthsMM(point.y(), pixelsPerInchY_);
    } else {
        storedWidth_ = 0;
        storedLength_ = 0;
    }

    const int listed =
        printer.DeviceCapabilities(deviceName_, portName_, DC_PAPERS, {}, devModeView_);
    std::vector<uint16_t> codes(size_t(std::max(listed, 0)), 0);
    paperSizeAvailable_.fill(false);
    const int filled =
        printer.DeviceCapabilities(deviceName_, portName_, DC_PAPERS, codes, devModeView_);
    // The list may have changed between the two questions; only what was written counts.
    const size_t usable = std::min(codes.size(), size_t(std::max(filled, 0)));
    for (size_t i = 0; i < usable; ++i)
        if (const auto size = PaperSizeForCode(codes[i], TQRPaperSize::Letter))
            paperSizeAvailable_[size_t(*size)] = true;
    paperSizeAvailable_[size_t(TQRPaperSize::Custom)] = true;
}

void TPrinterSettings::ApplyToDriver()
{
    if (!attachedPrinter_)
        return;
    GetPrinterNames();
    // A printer just selected sets its device mode up at the first request.
    if (devModeHandle_ == 0)
        GetPrinterNames();
    const LockedDevMode locked(devModeHandle_);
    devModeView_ = locked.View();
    TDevMode* devMode = devModeView_;
    if (!devMode)
        return;

    if (paperSize_ == TQRPaperSize::Custom) {
        if (SupportsField(DM_PAPERLENGTH)) {
            MarkField(DM_PAPERLENGTH);
            devMode->dmPaperLength = Low16(SheetLength());
        }
        if (SupportsField(DM_PAPERWIDTH)) {
            MarkField(DM_PAPERWIDTH);
            devMode->dmPaperWidth = Low16(SheetWidth());
        }
    }
    if (duplex_) {
        MarkField(DM_DUPLEX);
        devMode->dmDuplex = DMDUP_HORIZONTAL;
    }
    if (SupportsField(DM_PAPERSIZE) && paperSize_ != TQRPaperSize::Default) {
        MarkField(DM_PAPERSIZE);
        devMode->dmPaperSize = Low16(PaperCode(paperSize_));
    }
    MarkField(DM_COPIES);
    devMode->dmCopies = Low16(copies_);
    MarkField(DM_DEFAULTSOURCE);
    devMode->dmDefaultSource = Low16(BinCode(outputBin_) | (devMode->dmDefaultSource & 0x100));
    MarkField(DM_ORIENTATION);
    devMode->dmOrientation = orientation_ == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;

    attachedPrinter_->SetPrinter(deviceName_, driverName_, portName_, devModeHandle_);
}

void TPrinterSettings::SetCopies(int32_t copies)
{
    if (SupportsField(DM_COPIES))
        copies_ = copies;
}

void TPrinterSettings::SetOrientation(TPrinterOrientation orientation)
{
    if (orientation != poPortrait && orientation != poLandscape)
        return;
    if (SupportsField(DM_ORIENTATION))
        orientation_ = orientation;
}

void TPrinterSettings::SetOutputBin(TQRBin bin)
{
    if (int(bin) >= kBinCount)
        return;
    if (SupportsField(DM_DEFAULTSOURCE))
        outputBin_ = bin;
}

void TPrinterSettings::SetPaperSize(TQRPaperSize size)
{
    if (size == TQRPaperSize::Default || PaperSizeAvailable(size))
        paperSize_ = size;
}

bool TPrinterSettings::PaperSizeAvailable(TQRPaperSize size) const
{
    const auto index = size_t(size);
    return index >= size_t(TQRPaperSize::Letter) && index < paperSizeAvailable_.size() &&
           paperSizeAvailable_[index];
}

int32_t TPrinterSettings::SheetWidth() const
{
    const TPaperCatalogueRow* row = PaperCatalogueRow(paperSize_);
    return row ? row->widthTenths : storedWidth_;
}

int32_t TPrinterSettings::SheetLength() const
{
    const TPaperCatalogueRow* row = PaperCatalogueRow(paperSize_);
    return row ? row->lengthTenths : storedLength_;
}

void TPrinterSettings::SetSheetWidth(int32_t width)
{
    if (paperSize_ == TQRPaperSize::Custom)
        storedWidth_ = width;
}

void TPrinterSettings::SetSheetLength(int32_t length)
{
    if (paperSize_ == TQRPaperSize::Custom)
        storedLength_ = length;
}
