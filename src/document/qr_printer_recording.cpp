// The writing side of the document: a report generator records pages into the page store (as
// metafiles, previewable while the recording runs) or straight onto the own printer.
#include "document/qr_error.h"
#include "document/qr_printer.h"

#include "graphics/canvas.h"
#include "graphics/metafile.h"
#include "graphics/metafile_canvas.h"
#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"
#include "printer/printer.h"
#include "printing/printer_settings.h"

#include <algorithm>
#include <climits>

namespace {
constexpr int32_t kSpillLimit = 100000;
}

bool TQRPrinter::PageInRange() const
{
    return (firstPage_ <= 0 || pageTotal_ >= firstPage_) &&
           (lastPage_ <= 0 || pageTotal_ <= lastPage_);
}

void TQRPrinter::BeginDoc()
{
    // A second BeginDoc during a recording fails below, but only after the driver settings, the
    // counters and the offsets were taken again; the page being drawn stays with its recording.
    if (state_ == rdIdle)
        ReleaseThrowAwayPage();
    availablePages_ = 0;
    cancelled_ = false;
    if (destination_ == qdPrinter)
        settings_->ApplyToDriver();
    if (destination_ == qdPrinter) {
        printOffsetTop_ = settings_->PrintOffsetTop();
        printOffsetLeft_ = settings_->PrintOffsetLeft();
    } else {
        printOffsetTop_ = 0;
        printOffsetLeft_ = 0;
    }
    if (state_ != rdIdle)
        throw EQRError("QRPrinter not ready");
    pageNumber_ = 0;
    pageTotal_ = 0;
    state_ = rdRecording;
    if (destination_ == qdPageStore) {
        pageList_->SetSpoolStream(std::make_unique<TQRStream>(kSpillLimit));
        spoolStream_ = pageList_->SpoolStream();
        UseScreenScales();
    } else {
        UsePrinterScales();
    }
}

void TQRPrinter::NewPage()
{
    if (state_ != rdRecording)
        throw EQRError("Illegal call to NewPage");
    if (pageNumber_ > 0) {
        if (destination_ == qdPageStore) {
            StorePageImage();
        } else if (PageInRange()) {
            // The range's last page stays open until the job ends.
            if (printer_->Printing() && pageTotal_ != lastPage_)
                printer_->NewPage();
        } else {
            ReleaseThrowAwayPage();
        }
        SetAvailablePages(availablePages_ + 1);
    }
    ++pageTotal_;
    ++pageNumber_;
    if (destination_ == qdPrinter && PageInRange())
        StartPrinterPage();
    else
        StartStorePage();  // for a printer recording, a throw-away surface for a page not printed
}

void TQRPrinter::StartStorePage()
{
    pageImage_ = std::make_unique<TMetafile>();
    pageImage_->SetWidth(DeviceSizeX(OrientedWidth()));
    pageImage_->SetHeight(DeviceSizeY(OrientedLength()));
    // The frame keeps the sheet's exact size: taken back from whole pixels, a 148 mm sheet would
    // measure 147.9 mm, one 4 mm unit short of A5 when the report is loaded again.
    pageImage_->SetMMWidth(int(std::clamp<int64_t>(int64_t(OrientedWidth()) * 10, 0, INT32_MAX)));
    pageImage_->SetMMHeight(int(std::clamp<int64_t>(int64_t(OrientedLength()) * 10, 0, INT32_MAX)));
    pageCanvas_ = std::make_unique<TMetafileCanvas>(*pageImage_);
    canvas_ = pageCanvas_.get();
    UseScreenScales();
}

void TQRPrinter::StartPrinterPage()
{
    if (!printer_->Printing()) {
        printer_->SetTitle(title_);
        printer_->BeginDoc();
    }
    canvas_ = &printer_->Canvas();
    canvas_->Refresh();
    UsePrinterScales();
}

// Finishing the canvas completes the metafile.
void TQRPrinter::ReleasePageCanvas()
{
    pageCanvas_.reset();
    canvas_ = nullptr;
}

void TQRPrinter::StorePageImage()
{
    ReleasePageCanvas();
    if (pageImage_) {
        const std::unique_ptr<TMetafile> image = std::move(pageImage_);
        pageList_->AppendPage(*image);
    }
}

void TQRPrinter::ReleaseThrowAwayPage()
{
    ReleasePageCanvas();
    pageImage_.reset();
}

void TQRPrinter::EndDoc()
{
    if (state_ != rdRecording)
        return;
    if (destination_ == qdPrinter) {
        if (printer_->Printing())
            printer_->EndDoc();
        canvas_ = nullptr;
        // A last page outside the range was drawn on a throw-away image: it goes now.
        ReleaseThrowAwayPage();
    } else if (pageTotal_ > 0) {
        StorePageImage();
    }
    SetAvailablePages(availablePages_ + 1);
    state_ = rdComplete;
    if (destination_ == qdPageStore)
        pageList_->StoreHeader();
    else if (AfterPrint)
        AfterPrint(*this);
}

void TQRPrinter::Abort()
{
    if (destination_ == qdPrinter) {
        if (printer_->Printing())
            printer_->Abort();
        canvas_ = nullptr;
        ReleaseThrowAwayPage();
    } else if (pageImage_) {
        StorePageImage();  // the partly drawn page becomes the last page
    }
    state_ = rdComplete;
}
