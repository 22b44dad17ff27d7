// The listing pages of the sales ledger: one table per page, brought forward from the page
// before, totalled at its foot.
#include "tools/qrpgen/ledger_report.h"
#include "tools/qrpgen/report_canvas.h"
#include "tools/qrpgen/report_style.h"

namespace qrpgen {

namespace {
// Text stands on a baseline a little below the middle of its row.
long double Baseline(const TLedgerLayout& l, long double top, long double height)
{
    return top + height / 2 + l.em * 0.36L;
}

void Cell(TReportCanvas& canvas, const TLedgerLayout& l, const TLedgerColumn& column,
          long double baseline, const QString& text, const TTextStyle& style)
{
    // Text may reach into the far side's padding before it is cut short.
    const long double room = column.width - 1.4L * l.padding;
    if (ColumnIsNumeric(column.kind))
        canvas.FittedText(column.Right() - l.padding, baseline, room, text, style, THAlign::Right);
    else
        canvas.FittedText(column.left + l.padding, baseline, room, text, style);
}
} // namespace

void TLedgerReport::DrawColumnHeadings(TReportCanvas& canvas)
{
    const TLedgerLayout& l = layout_;
    canvas.Fill(l.TableLeft(), l.tableTop, l.TableRight() - l.TableLeft(), l.headingHeight,
                kAccent);
    const long double baseline = Baseline(l, l.tableTop, l.headingHeight);
    for (const TLedgerColumn& column : l.columns)
        Cell(canvas, l, column, baseline, ColumnHeading(column.kind),
             TTextStyle { l.em, true, clWhite });
}

void TLedgerReport::DrawInvoiceRow(TReportCanvas& canvas, long double top, const TInvoice& invoice)
{
    const TLedgerLayout& l = layout_;
    const TCustomer& customer = Customer(invoice.customer);
    const long double baseline = Baseline(l, top, l.rowHeight);
    const TTextStyle style { l.em, false, kInk };
    for (const TLedgerColumn& column : l.columns) {
        QString text;
        switch (column.kind) {
        case TColumnKind::Invoice:
            text = InvoiceLabel(invoice.number);
            break;
        case TColumnKind::Date:
            text = FormatDate(invoice.date);
            break;
        case TColumnKind::Customer:
            text = QString::fromUtf8(customer.name);
            break;
        case TColumnKind::Product:
            text = QString::fromUtf8(Product(invoice.product).name);
            break;
        case TColumnKind::Region:
            text = QString::fromUtf8(RegionName(customer.region));
            break;
        case TColumnKind::SalesRep:
            text = QString::fromUtf8(SalesRepName(customer.salesRep));
            break;
        case TColumnKind::Terms:
            text = QStringLiteral("Net %1").arg(customer.termsDays);
            break;
        case TColumnKind::Quantity:
            text = FormatCount(invoice.quantity);
            break;
        case TColumnKind::UnitPrice:
            text = FormatMoney(invoice.unitPrice);
            break;
        case TColumnKind::Amount:
            text = FormatMoney(invoice.amount);
            break;
        case TColumnKind::RunningTotal:
            text = FormatMoney(balance_);
            break;
        }
        Cell(canvas, l, column, baseline, text, style);
    }
}

void TLedgerReport::DrawTotalRow(TReportCanvas& canvas, long double top, const QString& label,
                                 int64_t units, int64_t amount, int64_t balance, TColor fill)
{
    const TLedgerLayout& l = layout_;
    canvas.Fill(l.TableLeft(), top, l.TableRight() - l.TableLeft(), l.rowHeight, fill);
    const long double baseline = Baseline(l, top, l.rowHeight);
    const TTextStyle style { l.em, true, kInk };
    for (const TLedgerColumn& column : l.columns) {
        if (column.kind == TColumnKind::Customer)
            Cell(canvas, l, column, baseline, label, style);
        else if (column.kind == TColumnKind::Quantity && units >= 0)
            Cell(canvas, l, column, baseline, FormatCount(units), style);
        else if (column.kind == TColumnKind::Amount && amount >= 0)
            Cell(canvas, l, column, baseline, FormatMoney(amount), style);
        else if (column.kind == TColumnKind::RunningTotal && balance >= 0)
            Cell(canvas, l, column, baseline, FormatMoney(balance), style);
    }
}

void TLedgerReport::DrawListingPage(TReportCanvas& canvas, int32_t n)
{
    const TLedgerLayout& l = layout_;
    DrawPageHeader(canvas);
    DrawColumnHeadings(canvas);
    SeekInvoice(plan_.FirstInvoice(n));

    int32_t row = 0;
    if (n > 2)
        DrawTotalRow(canvas, l.RowTop(row++), QStringLiteral("Brought forward"), -1, -1, balance_,
                     kBand);
    const int32_t firstInvoiceRow = row;
    int64_t pageUnits = 0;
    int64_t pageAmount = 0;
    for (int32_t i = 0; i < plan_.InvoicesOn(n); ++i, ++row) {
        const TInvoice invoice = ledger_.Next();
        balance_ += invoice.amount;
        pageUnits += invoice.quantity;
        pageAmount += invoice.amount;
        const long double top = l.RowTop(row);
        // Every other row is shaded, so that the eye can follow a line across the sheet.
        if ((row - firstInvoiceRow) % 2 == 1)
            canvas.Fill(l.TableLeft(), top, l.TableRight() - l.TableLeft(), l.rowHeight, kBand);
        DrawInvoiceRow(canvas, top, invoice);
        if (i > 0)
            canvas.Line(l.TableLeft(), top, l.TableRight(), top, 1, kGrid);
    }
    const long double totalsTop = l.RowTop(row);
    DrawTotalRow(canvas, l.RowTop(row++), QStringLiteral("Page total"), pageUnits, pageAmount,
                 balance_, kTotalFill);
    if (plan_.IsLast(n))
        DrawTotalRow(canvas, l.RowTop(row++), QStringLiteral("Grand total"), summary_.units,
                     summary_.total, balance_, kTotalFill);

    // Rules: a column line at every inner edge, firmer rules over the totals and round the table.
    const long double bottom = l.RowTop(row);
    const long double bodyTop = l.tableTop + l.headingHeight;
    for (size_t c = 1; c < l.columns.size(); ++c) {
        const long double x = l.columns[c].left;
        canvas.Line(x, bodyTop, x, bottom, 1, kGrid);
    }
    if (n > 2)
        canvas.Line(l.TableLeft(), bodyTop + l.rowHeight, l.TableRight(), bodyTop + l.rowHeight, 3,
                    kAccent);
    canvas.Line(l.TableLeft(), totalsTop, l.TableRight(), totalsTop, 3, kAccent);
    if (plan_.IsLast(n))
        canvas.Line(l.TableLeft(), totalsTop + l.rowHeight, l.TableRight(), totalsTop + l.rowHeight,
                    1, kAccent);
    canvas.Frame(l.TableLeft(), l.tableTop, l.TableRight() - l.TableLeft(), bottom - l.tableTop, 3,
                 kAccent);
}

} // namespace qrpgen
