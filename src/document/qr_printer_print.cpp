// Printing the stored pages on the document's own printer.
#include "document/qr_printer.h"

#include "graphics/canvas.h"
#include "graphics/metafile.h"
#include "platform/application.h"
#include "platform/window_message.h"
#include "printer/printer.h"
#include "printing/printer_settings.h"

void TQRPrinter::Print()
{
    // A recorded report belongs to the generator that made it: it prints the report itself.
    if (ownerReport_ && !loadedFromFile_) {
        PostMessage(ownerReport_, QR_PRINT_REQUEST, 0, 0);
        return;
    }
    if (state_ != rdComplete || !printersInstalled_)
        return;
    TPrinter& printer = *printer_;
    struct EndOpenJob {
        TPrinter& printer;
        ~EndOpenJob()
        {
            if (printer.Printing()) {
                try {
                    printer.EndDoc();
                } catch (...) {
                    // An error is already on its way out, or the job was handed over as far as
                    // it could be; a destructor cannot report a second one.
                }
            }
        }
    } guard {printer};

    printer.SetTitle(title_);
    if (printer.Printing())
        printer.Abort();
    settings_->ApplyToDriver();
    printer.BeginDoc();
    const int32_t first = firstPage_ > 0 ? firstPage_ : 1;
    const int32_t last = lastPage_ > 0 && lastPage_ <= pageTotal_ ? lastPage_ : pageTotal_;
    for (int32_t n = first; n <= last; ++n) {
        if (TApplication* app = Application())
            app->ProcessMessages();
        if (!printer.Printing())
            break;  // a job started from a message handled just now has taken the printer over
        {
            const std::unique_ptr<TMetafile> page = PageImage(n);
            if (page)
                printer.Canvas().StretchDraw(TRect {0, 0, printer.PageWidth(), printer.PageHeight()},
                                             *page);
        }
        if (n != last)
            printer.NewPage();
        if (cancelled_) {
            printer.Abort();
            break;
        }
    }
    if (printer.Printing())
        printer.EndDoc();  // reported here, unlike in the guard
}

void TQRPrinter::PrinterSetup(QObject* sender)
{
    if (OnPrinterSetup)
        OnPrinterSetup(sender);
}
