// The printer side of the document: its own printer and settings, the paper detected from page 1,
// the oriented page size and the conversion of report units (0.1 mm) into device pixels.
#include "document/qr_printer.h"

#include "graphics/metafile.h"
#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"
#include "platform/screen.h"
#include "printer/printer.h"
#include "printing/paper_catalogue.h"
#include "printing/printer_settings.h"
#include "printing/restore_driver_defaults.h"

#include <climits>
#include <cmath>

namespace {
// Nearest integer, ties to even (the default rounding mode), kept within 32 bits.
int32_t RoundToInt(long double value)
{
    const long double rounded = std::nearbyintl(value);
    if (!(rounded == rounded))
        return 0;
    if (rounded >= static_cast<long double>(INT32_MAX))
        return INT32_MAX;
    if (rounded <= static_cast<long double>(INT32_MIN))
        return INT32_MIN;
    return int32_t(rounded);
}
} // namespace

void TQRPrinter::CreatePrinterSide()
{
    printersInstalled_ = !Printer().Printers().empty();
    printer_ = std::make_unique<TPrinter>();
    settings_ = std::make_unique<TPrinterSettings>();
    if (printersInstalled_) {
        settings_->SetAttachedPrinter(printer_.get());
        const int index = Printer().PrinterIndex();
        if (index < int(printer_->Printers().size()))
            printer_->SetPrinterIndex(index);
    }
    printOffsetTop_ = settings_->PrintOffsetTop();
    printOffsetLeft_ = settings_->PrintOffsetLeft();
    scaleX_ = 1.0L;
    scaleY_ = 1.0L;
}

void TQRPrinter::UseScreenScales()
{
    scaleY_ = static_cast<long double>(ScreenPixelsPerInch()) / 254.0L;
    scaleX_ = scaleY_;
}

void TQRPrinter::UsePrinterScales()
{
    scaleX_ = static_cast<long double>(printer_->GetDeviceCaps(LOGPIXELSX)) / 254.0L;
    scaleY_ = static_cast<long double>(printer_->GetDeviceCaps(LOGPIXELSY)) / 254.0L;
}

// Compares page 1 in whole 4 mm units with every catalogue row, portrait and turned. Every match
// is offered to the settings, which accept only what the driver supports, so the last accepted
// match wins (a square page matches its row both ways, and landscape comes second).
void TQRPrinter::DetectPaperFromFirstPage()
{
    UseScreenScales();
    if (pageTotal_ <= 0)
        return;
    long double w, h;  // tenths of a millimetre
    {
        const std::unique_ptr<TMetafile> first = pageList_->FetchPage(1);
        if (!first)
            return;
        // The size in screen pixels divided by the screen's scale is the frame's size; it is
        // taken from the frame directly, since whole pixels would turn a 148 mm page (559.37
        // pixels) into 147.9 mm, one 4 mm unit short of A5.
        w = first->MMWidth() / 10.0L;
        h = first->MMHeight() / 10.0L;
    }
    const long double width = std::truncl(w / 40.0L);
    const long double length = std::truncl(h / 40.0L);
    for (const TPaperCatalogueRow& row : PaperCatalogue()) {
        if (row.width4mm == width && row.length4mm == length) {
            SetPaperSize(row.size);
            SetOrientation(poPortrait);
        }
        if (row.width4mm == length && row.length4mm == width) {
            SetPaperSize(row.size);
            SetOrientation(poLandscape);
        }
    }
}

TQRPaperSize TQRPrinter::PaperSize() const
{
    return settings_->PaperSize();
}

void TQRPrinter::SetPaperSize(TQRPaperSize size)
{
    settings_->SetPaperSize(size);
}

TPrinterOrientation TQRPrinter::Orientation() const
{
    return settings_->Orientation();
}

void TQRPrinter::SetOrientation(TPrinterOrientation orientation)
{
    settings_->SetOrientation(orientation);
}

int32_t TQRPrinter::SheetWidth() const
{
    return settings_->SheetWidth();
}

void TQRPrinter::SetSheetWidth(int32_t width)
{
    settings_->SetSheetWidth(width);
}

int32_t TQRPrinter::SheetLength() const
{
    return settings_->SheetLength();
}

void TQRPrinter::SetSheetLength(int32_t length)
{
    settings_->SetSheetLength(length);
}

void TQRPrinter::SetOutputBin(TQRBin bin)
{
    settings_->SetOutputBin(bin);
}

void TQRPrinter::SetCopies(int32_t copies)
{
    settings_->SetCopies(copies);
}

void TQRPrinter::SetPrinterIndex(int32_t index)
{
    if (!printersInstalled_)
        return;
    printer_->SetPrinterIndex(index);
    RestoreDriverDefaults(*printer_);
    settings_->CaptureFromDriver();
}

// A custom size is held already turned the way the page is; the driver's default size and the
// catalogue sizes are portrait and turn for landscape.
int32_t TQRPrinter::OrientedWidth() const
{
    const bool turned = Orientation() == poLandscape && PaperSize() != TQRPaperSize::Custom;
    return turned ? settings_->SheetLength() : settings_->SheetWidth();
}

int32_t TQRPrinter::OrientedLength() const
{
    const bool turned = Orientation() == poLandscape && PaperSize() != TQRPaperSize::Custom;
    return turned ? settings_->SheetWidth() : settings_->SheetLength();
}

int32_t TQRPrinter::DeviceX(long double x) const
{
    return RoundToInt((x - printOffsetLeft_) * scaleX_);
}

int32_t TQRPrinter::DeviceY(long double y) const
{
    return RoundToInt((y - printOffsetTop_) * scaleY_);
}

int32_t TQRPrinter::DeviceSizeX(long double w) const
{
    return RoundToInt(w * scaleX_);
}

int32_t TQRPrinter::DeviceSizeY(long double h) const
{
    return RoundToInt(h * scaleY_);
}
