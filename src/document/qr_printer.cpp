#include "document/qr_printer.h"

#include "document/qr_preview_interface.h"
#include "graphics/metafile.h"
#include "graphics/metafile_canvas.h"
#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"
#include "platform/window_message.h"
#include "printer/printer.h"
#include "printing/printer_settings.h"

TQRPrinter::TQRPrinter()
{
    CreatePrinterSide();
    pageList_ = std::make_unique<TQRPageList>();
}

TQRPrinter::~TQRPrinter()
{
    if (state_ != rdIdle)
        CloseDocument();
    // The settings refer to the printer: they go first.
    settings_.reset();
    printer_.reset();
}

void TQRPrinter::CloseDocument()
{
    if (state_ == rdRecording)
        Cancel();
    // A page still being drawn belongs to the recording that is being dropped: it is freed here,
    // so that the generator's following Abort cannot append it to whatever pages the document
    // holds by then.
    pageCanvas_.reset();
    pageImage_.reset();
    canvas_ = nullptr;
    if (spoolStream_) {
        pageList_->CloseSpoolStream();
        spoolStream_ = nullptr;
    }
    pageList_->ResetPageTotal();
    state_ = rdIdle;
}

void TQRPrinter::LoadFromFile(const std::string& fileName)
{
    if (state_ != rdIdle)
        CloseDocument();
    pageList_ = std::make_unique<TQRPageList>();
    pageList_->OpenFile(fileName);
    pageTotal_ = pageList_->PageTotal();
    DetectPaperFromFirstPage();
    spoolStream_ = pageList_->SpoolStream();
    state_ = rdComplete;
    OnPrinterSetup = nullptr;
    OnSaveWithFilter = nullptr;
    loadedFromFile_ = true;
}

void TQRPrinter::SaveToFile(const std::string& fileName)
{
    if (state_ == rdComplete)
        pageList_->CopyToFile(fileName);
}

std::unique_ptr<TMetafile> TQRPrinter::PageImage(int32_t n)
{
    if ((state_ != rdRecording && state_ != rdComplete) || n < 1 || n > pageTotal_)
        return nullptr;
    return pageList_->FetchPage(n);
}

void TQRPrinter::SetCompression(bool value)
{
    pageList_->SetCompression(value);
}

void TQRPrinter::Preview()
{
    if (OnPreview) {
        OnPreview(*this);
        return;
    }
    const std::unique_ptr<TQRPreviewInterface> factory = PreviewInterfaceClass()();
    previewWindow_ = factory->ShowPreview(*this);
}

void TQRPrinter::SetShowingPreview(bool value)
{
    struct StoreOnExit {
        bool& flag;
        bool value;
        ~StoreOnExit() { flag = value; }
    } store {showingPreview_, value};
    if (showingPreview_ && !value) {
        if (state_ == rdRecording)
            Cancel();
        if (AfterPreview)
            AfterPreview(*this);
    }
}

void TQRPrinter::NotifyPreviewClosed()
{
    if (ownerReport_)
        SendMessage(ownerReport_, QR_PREVIEW_CLOSED, 0, reinterpret_cast<intptr_t>(this));
}

void TQRPrinter::SaveWithFilter(TQRSaveFilter& filter)
{
    if (OnSaveWithFilter)
        OnSaveWithFilter(filter);
}

void TQRPrinter::SetAvailablePages(int32_t pages)
{
    availablePages_ = pages;
    if (clientControl_)
        PostMessage(clientControl_, QR_PAGES_AVAILABLE, pages, 0);
}

void TQRPrinter::SetProgress(int32_t percent)
{
    progress_ = percent;
    if (clientControl_)
        PostMessage(clientControl_, QR_PROGRESS, percent, 0);
}
