#pragma once
// The sample report: a sales ledger of a made-up company. Page 1 is a title page with the logo
// and a summary by region; every later page lists invoices in a ruled table with shaded bands,
// page header and footer, "Page n of m", a brought-forward line, a page total and, on the last
// page, the grand total. The layout is fixed at creation from the document's paper and
// orientation; pages are then drawn one at a time on the document's canvas.
#include "graphics/drawing_tools.h"
#include "tools/qrpgen/ledger_layout.h"
#include "tools/qrpgen/ledger_summary.h"
#include "tools/qrpgen/page_plan.h"
#include "tools/qrpgen/sales_ledger.h"

#include <QImage>
#include <QString>
#include <cstdint>

class TQRPrinter;

namespace qrpgen {

class TReportCanvas;

class TLedgerReport {
public:
    // pages: all pages, the title page included (at least 1).
    TLedgerReport(TQRPrinter& document, QString title, int32_t pages, uint32_t seed);

    int32_t PageCount() const { return plan_.pages; }
    const TPagePlan& Plan() const { return plan_; }
    const TLedgerLayout& Layout() const { return layout_; }
    const TLedgerSummary& Summary() const { return summary_; }

    // Draws page n (1..PageCount) on the document's canvas; pages are cheapest in order.
    void DrawPage(int32_t n);

private:
    void DrawTitlePage(TReportCanvas& canvas);
    void DrawListingPage(TReportCanvas& canvas, int32_t n);
    void DrawPageHeader(TReportCanvas& canvas);
    void DrawPageFooter(TReportCanvas& canvas, int32_t n);
    void DrawColumnHeadings(TReportCanvas& canvas);
    void DrawInvoiceRow(TReportCanvas& canvas, long double top, const TInvoice& invoice);
    // A row of totals: its label in the customer column, figures where given (none: < 0).
    void DrawTotalRow(TReportCanvas& canvas, long double top, const QString& label, int64_t units,
                      int64_t amount, int64_t balance, TColor fill);
    // Positions the ledger at an invoice, keeping the running total of those before it.
    void SeekInvoice(int64_t index);
    QString PeriodText() const;

    TQRPrinter& document_;
    QString title_;
    uint32_t seed_;
    TPagePlan plan_;
    TLedgerLayout layout_;
    TLedgerSummary summary_;
    TSalesLedger ledger_;
    int64_t balance_ = 0; // total of the invoices before the ledger's position
    QImage logo_;
};

} // namespace qrpgen
