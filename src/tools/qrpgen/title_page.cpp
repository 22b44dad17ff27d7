// The title page: logo, company, title, period and date, then the key figures of the ledger and
// its sales by region with a bar for each region's share.
#include "tools/qrpgen/company_logo.h"
#include "tools/qrpgen/ledger_report.h"
#include "tools/qrpgen/report_canvas.h"
#include "tools/qrpgen/report_style.h"

#include <algorithm>

namespace qrpgen {

namespace {
// The page is designed for this height (0.1 mm) and scaled down to shorter sheets.
constexpr long double kDesignHeight = 2100;
} // namespace

void TLedgerReport::DrawTitlePage(TReportCanvas& canvas)
{
    const TLedgerLayout& l = layout_;
    const long double room = l.footerRule - l.em - l.top;
    const long double s = std::min<long double>(1, room / kDesignHeight);
    const long double width = l.right - l.left;
    const long double centre = l.left + width / 2;
    long double y = l.top + 80 * s;

    const long double logo = 380 * s;
    canvas.Image(centre - logo / 2, y, logo, logo, logo_);
    y += logo + 130 * s;
    canvas.FittedText(centre, y, width, QString::fromUtf8(kCompanyName),
                      TTextStyle { 50 * s, true, kAccent }, THAlign::Center);
    y += 150 * s;
    canvas.FittedText(centre, y, width, title_, TTextStyle { 95 * s, true, kInk }, THAlign::Center);
    y += 110 * s;
    canvas.FittedText(centre, y, width, PeriodText(), TTextStyle { 42 * s, false, kMuted },
                      THAlign::Center);
    y += 70 * s;
    if (summary_.invoices > 0)
        canvas.Text(centre, y, QStringLiteral("Report date: ") + FormatLongDate(summary_.lastDate),
                    TTextStyle { 36 * s, false, kMuted }, THAlign::Center);
    y += 130 * s;

    // The summary box.
    const long double boxWidth = std::min<long double>(width, 1500);
    const long double boxLeft = centre - boxWidth / 2;
    const long double pad = 50 * s;
    const long double inner = boxWidth - 2 * pad;
    const long double line = 62 * s;
    const long double boxTop = y;
    const int regions = int(summary_.regions.size());
    const long double boxHeight = pad + 60 * s + 3 * line + 80 * s + (regions + 2) * line + pad;
    canvas.Fill(boxLeft, boxTop, boxWidth, boxHeight, RGB(246, 248, 251));
    canvas.Frame(boxLeft, boxTop, boxWidth, boxHeight, 4, kAccent);
    y = boxTop + pad + 40 * s;
    const TTextStyle heading { 44 * s, true, kAccent };
    const TTextStyle label { 36 * s, false, kMuted };
    const TTextStyle figure { 36 * s, true, kInk };
    canvas.Text(boxLeft + pad, y, u"Summary", heading);
    y += 20 * s;

    const int64_t average = summary_.invoices > 0 ? summary_.total / summary_.invoices : 0;
    const std::pair<QString, QString> figures[] = {
        { QStringLiteral("Invoices"), FormatCount(summary_.invoices) },
        { QStringLiteral("Total sales"), FormatMoney(summary_.total) },
        { QStringLiteral("Customers"), FormatCount(summary_.customers) },
        { QStringLiteral("Average invoice"), FormatMoney(average) },
        { QStringLiteral("Units sold"), FormatCount(summary_.units) },
        { QStringLiteral("Listing pages"), FormatCount(plan_.ListingPages()) },
    };
    const long double half = inner / 2;
    for (int i = 0; i < 6; ++i) {
        const long double x = boxLeft + pad + (i % 2) * half;
        const long double baseline = y + (i / 2 + 1) * line;
        canvas.Text(x, baseline, figures[i].first, label);
        canvas.Text(x + half - 60 * s, baseline, figures[i].second, figure, THAlign::Right);
    }
    y += 3 * line + 80 * s;

    // Sales by region: figures and a bar for the share.
    const long double cols[] = { 0.00L, 0.36L, 0.52L, 0.75L, 0.80L };
    const long double tableTop = y;
    canvas.Fill(boxLeft + pad, tableTop, inner, line, kAccent);
    const TTextStyle head { 34 * s, true, clWhite };
    const long double textDrop = line * 0.68L;
    canvas.Text(boxLeft + pad + 20 * s, tableTop + textDrop, u"Region", head);
    canvas.Text(boxLeft + pad + inner * cols[1], tableTop + textDrop, u"Invoices", head,
                THAlign::Right);
    canvas.Text(boxLeft + pad + inner * cols[2], tableTop + textDrop, u"Units", head,
                THAlign::Right);
    canvas.Text(boxLeft + pad + inner * cols[3], tableTop + textDrop, u"Sales", head,
                THAlign::Right);
    canvas.Text(boxLeft + pad + inner * cols[4], tableTop + textDrop, u"Share", head);
    const TTextStyle cell { 34 * s, false, kInk };
    const long double barRoom = inner * (1 - cols[4]) - 20 * s;
    for (int r = 0; r < regions; ++r) {
        const TRegionTotals& totals = summary_.regions[size_t(r)];
        const long double top = tableTop + (r + 1) * line;
        if (r % 2 == 1)
            canvas.Fill(boxLeft + pad, top, inner, line, kBand);
        const long double baseline = top + textDrop;
        canvas.Text(boxLeft + pad + 20 * s, baseline, QString::fromUtf8(RegionName(r)), cell);
        canvas.Text(boxLeft + pad + inner * cols[1], baseline, FormatCount(totals.invoices), cell,
                    THAlign::Right);
        canvas.Text(boxLeft + pad + inner * cols[2], baseline, FormatCount(totals.units), cell,
                    THAlign::Right);
        canvas.Text(boxLeft + pad + inner * cols[3], baseline, FormatMoney(totals.amount), cell,
                    THAlign::Right);
        const long double share =
            summary_.total > 0 ? static_cast<long double>(totals.amount) / summary_.total : 0;
        canvas.Fill(boxLeft + pad + inner * cols[4], top + line * 0.22L, barRoom * share,
                    line * 0.56L, kShareBar);
        canvas.Text(boxLeft + pad + inner * cols[4] + barRoom * share + 12 * s, baseline,
                    QStringLiteral("%1 %").arg(double(share * 100), 0, 'f', 1),
                    TTextStyle { 30 * s, false, kMuted });
    }
    const long double totalTop = tableTop + (regions + 1) * line;
    canvas.Line(boxLeft + pad, totalTop, boxLeft + pad + inner, totalTop, 3, kAccent);
    const long double baseline = totalTop + textDrop;
    const TTextStyle bold { 34 * s, true, kInk };
    canvas.Text(boxLeft + pad + 20 * s, baseline, u"All regions", bold);
    canvas.Text(boxLeft + pad + inner * cols[1], baseline, FormatCount(summary_.invoices), bold,
                THAlign::Right);
    canvas.Text(boxLeft + pad + inner * cols[2], baseline, FormatCount(summary_.units), bold,
                THAlign::Right);
    canvas.Text(boxLeft + pad + inner * cols[3], baseline, FormatMoney(summary_.total), bold,
                THAlign::Right);
}

} // namespace qrpgen
