#include "app/qrp_handler.h"

#include "document/qr_printer.h"
#include "platform/application.h"

TQRPHandler::TQRPHandler() = default;

TQRPHandler::~TQRPHandler() = default;

void TQRPHandler::SetReportFileName(const std::string& fileName)
{
    if (fileName == reportFileName_)
        return;
    document_.reset();
    document_ = std::make_unique<TQRPrinter>();
    reportFileName_ = fileName;
    document_->LoadFromFile(fileName);
}

void TQRPHandler::PreviewAndWait()
{
    if (!document_)
        return;
    document_->Preview();
    // One message at a time, idle while none is queued; at least one is handled even when no
    // preview attached.
    do
        Application()->HandleMessage();
    while (document_->ShowingPreview());
}
