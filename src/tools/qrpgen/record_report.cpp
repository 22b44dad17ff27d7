#include "tools/qrpgen/record_report.h"

#include "document/qr_printer.h"
#include "tools/qrpgen/ledger_report.h"

namespace qrpgen {

bool RecordReport(TQRPrinter& document, TLedgerReport& report,
                  const std::function<void()>& betweenPages)
{
    document.BeginDoc();
    try {
        const int32_t pages = report.PageCount();
        for (int32_t n = 1; n <= pages; ++n) {
            if (betweenPages)
                betweenPages();
            if (document.Cancelled()) {
                document.Abort();
                return false;
            }
            document.NewPage();
            report.DrawPage(n);
            document.SetProgress(int32_t(int64_t(n) * 100 / pages));
        }
        if (betweenPages)
            betweenPages();
        if (document.Cancelled()) {
            document.Abort();
            return false;
        }
        document.EndDoc();
    } catch (...) {
        // A printer job must not stay open behind an error.
        if (document.State() == rdRecording)
            document.Abort();
        throw;
    }
    return true;
}

} // namespace qrpgen
