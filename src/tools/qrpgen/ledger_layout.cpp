#include "tools/qrpgen/ledger_layout.h"

#include "tools/qrpgen/sales_ledger.h"
#include "tools/qrpgen/text_meter.h"

#include <algorithm>
#include <cmath>

namespace qrpgen {

namespace {

// Text heights tried from the largest down until the essential columns fit the sheet's width.
constexpr long double kTextSizes[] = { 30, 28, 26, 24, 22, 20, 18 };

constexpr long double kHintingSlack = 1.06L;

constexpr TColumnKind kEssential[] = {
    TColumnKind::Invoice,  TColumnKind::Date,      TColumnKind::Customer, TColumnKind::Region,
    TColumnKind::Quantity, TColumnKind::UnitPrice, TColumnKind::Amount,   TColumnKind::RunningTotal,
};
// Taken in this order while they fit at their natural width.
constexpr TColumnKind kOptional[] = { TColumnKind::Product, TColumnKind::SalesRep,
                                      TColumnKind::Terms };

// Customer names are cut short with an ellipsis rather than dropped or squeezed into a tiny text;
// this many characters of a name stay readable.
const QString kShortestCustomer = QStringLiteral("Castlegate Pro…");

long double Clamp(long double v, long double low, long double high)
{
    return std::min(high, std::max(low, v));
}

struct TColumnNeed {
    TColumnKind kind;
    long double natural; // widest value or heading, padding included
    long double least;   // what the column can shrink to
};

long double WidestOf(TTextMeter& meter, long double em, bool bold, int count, QString (*text)(int))
{
    long double widest = 0;
    for (int i = 0; i < count; ++i)
        widest = std::max(widest, meter.Width(text(i), em, bold));
    return widest;
}

TColumnNeed Need(TColumnKind kind, const TLedgerExtents& extents, TTextMeter& meter, long double em)
{
    const long double pad = 2 * em * 0.5L;
    const long double heading = meter.Width(ColumnHeading(kind), em, true);
    long double value = 0;
    long double least = -1;
    switch (kind) {
    case TColumnKind::Invoice:
        value = meter.Width(InvoiceLabel(999999), em);
        break;
    case TColumnKind::Date:
        value = meter.Width(u"0000-00-00", em);
        break;
    case TColumnKind::Customer:
        value = WidestOf(meter, em, false, CustomerCount(),
                         [](int i) { return QString::fromUtf8(Customer(i).name); });
        // Page and grand totals are labelled in this column.
        value = std::max(value, meter.Width(u"Brought forward", em, true));
        least = std::max({ heading, meter.Width(kShortestCustomer, em),
                           meter.Width(u"Brought forward", em, true) });
        break;
    case TColumnKind::Product:
        value = WidestOf(meter, em, false, ProductCount(),
                         [](int i) { return QString::fromUtf8(Product(i).name); });
        break;
    case TColumnKind::Region:
        value = WidestOf(meter, em, false, RegionCount(),
                         [](int i) { return QString::fromUtf8(RegionName(i)); });
        break;
    case TColumnKind::SalesRep:
        value =
            WidestOf(meter, em, false, 8, [](int i) { return QString::fromUtf8(SalesRepName(i)); });
        break;
    case TColumnKind::Terms:
        value = meter.Width(u"Net 60", em);
        break;
    case TColumnKind::Quantity:
        value = meter.Width(FormatCount(std::max<int64_t>(extents.largestUnits, 999)), em, true);
        break;
    case TColumnKind::UnitPrice:
        value = meter.Width(FormatMoney(MaxUnitPrice()), em);
        break;
    case TColumnKind::Amount:
        value = meter.Width(FormatMoney(extents.largestAmount), em, true);
        break;
    case TColumnKind::RunningTotal:
        value = meter.Width(FormatMoney(extents.largestBalance), em, true);
        break;
    }
    // Small text on a coarse device is set with whole-pixel advances, which run a few percent
    // wider than the text's true width.
    const long double natural = std::max(heading, value) * kHintingSlack + pad;
    return { kind, natural, least < 0 ? natural : std::min(least * kHintingSlack + pad, natural) };
}

long double Sum(const std::vector<TColumnNeed>& needs, long double TColumnNeed::*width)
{
    long double total = 0;
    for (const TColumnNeed& n : needs)
        total += n.*width;
    return total;
}

// The columns in the order of the table, essential ones first picked, optional ones added while
// they fit.
std::vector<TColumnNeed> PickColumns(const TLedgerExtents& extents, TTextMeter& meter,
                                     long double em, long double available)
{
    std::vector<TColumnNeed> picked;
    for (TColumnKind kind : kEssential)
        picked.push_back(Need(kind, extents, meter, em));
    for (TColumnKind kind : kOptional) {
        const TColumnNeed need = Need(kind, extents, meter, em);
        if (Sum(picked, &TColumnNeed::natural) + need.natural <= available)
            picked.push_back(need);
    }
    std::sort(picked.begin(), picked.end(),
              [](const TColumnNeed& a, const TColumnNeed& b) { return a.kind < b.kind; });
    return picked;
}

// Fits the columns into the available width: spare width goes to the text columns that hold
// names, and a shortage is taken from the customer column down to its least width.
void PlaceColumns(TLedgerLayout& layout, const std::vector<TColumnNeed>& needs,
                  long double available)
{
    const long double natural = Sum(needs, &TColumnNeed::natural);
    long double spare = available - natural;
    long double stretchable = 0;
    for (const TColumnNeed& n : needs)
        if (n.kind == TColumnKind::Customer || n.kind == TColumnKind::Product)
            stretchable += n.natural;
    long double x = layout.left;
    for (const TColumnNeed& n : needs) {
        long double width = n.natural;
        if (spare >= 0) {
            if (n.kind == TColumnKind::Customer || n.kind == TColumnKind::Product)
                width += spare * n.natural / stretchable;
        } else if (n.kind == TColumnKind::Customer) {
            width = std::max(n.least, n.natural + spare);
        }
        layout.columns.push_back(TLedgerColumn { n.kind, x, width });
        x += width;
    }
}

} // namespace

QString ColumnHeading(TColumnKind kind)
{
    switch (kind) {
    case TColumnKind::Invoice:
        return QStringLiteral("Invoice");
    case TColumnKind::Date:
        return QStringLiteral("Date");
    case TColumnKind::Customer:
        return QStringLiteral("Customer");
    case TColumnKind::Product:
        return QStringLiteral("Product");
    case TColumnKind::Region:
        return QStringLiteral("Region");
    case TColumnKind::SalesRep:
        return QStringLiteral("Sales rep");
    case TColumnKind::Terms:
        return QStringLiteral("Terms");
    case TColumnKind::Quantity:
        return QStringLiteral("Qty");
    case TColumnKind::UnitPrice:
        return QStringLiteral("Unit price");
    case TColumnKind::Amount:
        return QStringLiteral("Amount");
    case TColumnKind::RunningTotal:
        return QStringLiteral("Running total");
    }
    return {};
}

bool ColumnIsNumeric(TColumnKind kind)
{
    return kind >= TColumnKind::Quantity;
}

const TLedgerColumn* TLedgerLayout::Find(TColumnKind kind) const
{
    for (const TLedgerColumn& c : columns)
        if (c.kind == kind)
            return &c;
    return nullptr;
}

TLedgerExtents ExtentsOf(const TLedgerSummary& summary)
{
    TLedgerExtents extents;
    // The grand total row shows the whole ledger's amount in the amount column.
    extents.largestAmount =
        std::max({ summary.largestAmount, summary.largestPageTotal, summary.total });
    extents.largestUnits =
        std::max<int64_t>({ summary.units, summary.largestPageUnits, kMaxQuantity });
    extents.largestBalance = summary.total;
    return extents;
}

TLedgerLayout LayOutLedger(long double pageWidth, long double pageLength,
                           const TLedgerExtents& extents, TTextMeter& meter)
{
    TLedgerLayout layout;
    layout.pageWidth = pageWidth;
    layout.pageLength = pageLength;
    const long double side = std::round(Clamp(pageWidth * 0.07L, 100, 180));
    const long double edge = std::round(Clamp(pageLength * 0.045L, 90, 150));
    layout.left = side;
    layout.right = pageWidth - side;
    layout.top = edge;
    layout.bottom = pageLength - edge;
    const long double available = layout.right - layout.left;

    std::vector<TColumnNeed> needs;
    long double em = kTextSizes[std::size(kTextSizes) - 1];
    for (long double size : kTextSizes) {
        std::vector<TColumnNeed> essential;
        for (TColumnKind kind : kEssential)
            essential.push_back(Need(kind, extents, meter, size));
        if (Sum(essential, &TColumnNeed::least) <= available) {
            em = size;
            break;
        }
    }
    needs = PickColumns(extents, meter, em, available);
    layout.em = em;
    layout.padding = em * 0.5L;
    PlaceColumns(layout, needs, available);

    // Header: the company's name over the report's title, then a rule; the footer mirrors it.
    layout.headerRule = layout.top + em * 3.6L;
    layout.tableTop = layout.headerRule + em * 1.4L;
    layout.footerRule = layout.bottom - em * 2.0L;
    layout.headingHeight = em * 2.0L;
    layout.rowHeight = std::round(em * 1.65L);
    const long double body = layout.footerRule - em * 1.2L - layout.tableTop - layout.headingHeight;
    // Two rows are kept for "brought forward" and the page total.
    layout.rowsPerPage = std::max(2, int32_t(body / layout.rowHeight) - 2);
    return layout;
}

} // namespace qrpgen
