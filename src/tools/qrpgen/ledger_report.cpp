#include "tools/qrpgen/ledger_report.h"

#include "document/qr_printer.h"
#include "tools/qrpgen/company_logo.h"
#include "tools/qrpgen/report_canvas.h"
#include "tools/qrpgen/report_style.h"
#include "tools/qrpgen/text_meter.h"

#include <algorithm>
#include <stdexcept>

namespace qrpgen {

namespace {
// The logo is painted once, at a size that stays sharp on screen at its 38 mm and keeps the
// title page small.
constexpr int kLogoPixels = 128;
} // namespace

// The number columns are sized for the largest totals, and the totals depend on how many
// invoices a page holds, which depends on the text size the columns allow: a few rounds settle
// it (the first guess is a typical page).
TLedgerReport::TLedgerReport(TQRPrinter& document, QString title, int32_t pages, uint32_t seed)
    : document_(document), title_(std::move(title)), seed_(seed), ledger_(seed),
      logo_(CompanyLogo(kLogoPixels))
{
    if (pages < 1)
        throw std::invalid_argument("a report has at least one page");
    plan_.pages = pages;
    plan_.rowsPerPage = 40;
    TLedgerExtents extents = ExtentsOf(SummariseLedger(seed_, plan_));
    plan_.rowsPerPage = 0;
    TTextMeter meter;
    for (int round = 0; round < 4; ++round) {
        layout_ =
            LayOutLedger(document_.OrientedWidth(), document_.OrientedLength(), extents, meter);
        if (layout_.rowsPerPage == plan_.rowsPerPage)
            break;
        plan_.rowsPerPage = layout_.rowsPerPage;
        summary_ = SummariseLedger(seed_, plan_);
        extents = ExtentsOf(summary_);
    }
    if (layout_.rowsPerPage != plan_.rowsPerPage) {
        plan_.rowsPerPage = layout_.rowsPerPage;
        summary_ = SummariseLedger(seed_, plan_);
    }
}

void TLedgerReport::DrawPage(int32_t n)
{
    if (n < 1 || n > plan_.pages)
        throw std::out_of_range("the report has no page " + std::to_string(n));
    TReportCanvas canvas(document_);
    if (n == 1)
        DrawTitlePage(canvas);
    else
        DrawListingPage(canvas, n);
    DrawPageFooter(canvas, n);
}

void TLedgerReport::SeekInvoice(int64_t index)
{
    if (index < ledger_.Position()) {
        ledger_.Restart();
        balance_ = 0;
    }
    while (ledger_.Position() < index)
        balance_ += ledger_.Next().amount;
}

QString TLedgerReport::PeriodText() const
{
    if (summary_.invoices == 0)
        return QStringLiteral("No invoices");
    return QStringLiteral("Invoices from %1 to %2")
        .arg(FormatLongDate(summary_.firstDate), FormatLongDate(summary_.lastDate));
}

void TLedgerReport::DrawPageHeader(TReportCanvas& canvas)
{
    const TLedgerLayout& l = layout_;
    const TTextStyle name { l.em * 1.35L, true, kAccent };
    const TTextStyle line { l.em, false, kMuted };
    const long double half = (l.right - l.left) / 2;
    canvas.FittedText(l.left, l.top + l.em * 1.35L, half, QString::fromUtf8(kCompanyName), name);
    canvas.FittedText(l.right, l.top + l.em * 1.35L, half - l.em, title_,
                      TTextStyle { l.em * 1.35L, true, kInk }, THAlign::Right);
    canvas.FittedText(l.left, l.top + l.em * 2.9L, half, PeriodText(), line);
    if (summary_.invoices > 0)
        canvas.Text(l.right, l.top + l.em * 2.9L,
                    QStringLiteral("Report date ") + FormatLongDate(summary_.lastDate), line,
                    THAlign::Right);
    canvas.Line(l.left, l.headerRule, l.right, l.headerRule, 4, kAccent);
}

void TLedgerReport::DrawPageFooter(TReportCanvas& canvas, int32_t n)
{
    const TLedgerLayout& l = layout_;
    const TTextStyle style { l.em * 0.9L, false, kMuted };
    const long double baseline = l.footerRule + l.em * 1.5L;
    const long double third = (l.right - l.left) / 3;
    canvas.Line(l.left, l.footerRule, l.right, l.footerRule, 2, kGrid);
    canvas.FittedText(l.left, baseline, third, title_, style);
    canvas.FittedText(l.left + third * 1.5L, baseline, third, QString::fromUtf8(kCompanyName),
                      style, THAlign::Center);
    canvas.Text(l.right, baseline, QStringLiteral("Page %1 of %2").arg(n).arg(plan_.pages),
                TTextStyle { l.em * 0.9L, true, kInk }, THAlign::Right);
}

} // namespace qrpgen
