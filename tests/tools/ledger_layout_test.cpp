// The listing's columns on every paper and orientation the generator offers: inside the
// margins, wide enough for their widest values, and more of them on a wider sheet.
#include "tools/qrpgen/ledger_layout.h"
#include "tools/qrpgen/sales_ledger.h"
#include "tools/qrpgen/text_meter.h"

#include <gtest/gtest.h>

using namespace qrpgen;

namespace {
struct Sheet {
    const char* name;
    long double width, length; // 0.1 mm, oriented
};
const Sheet kSheets[] = {
    { "A4", 2100, 2970 },     { "A4 landscape", 2970, 2100 },
    { "Letter", 2159, 2794 }, { "Letter landscape", 2794, 2159 },
    { "Legal", 2159, 3556 },  { "Legal landscape", 3556, 2159 },
    { "A5", 1480, 2100 },     { "A5 landscape", 2100, 1480 },
};

// A ledger of some 10,000 pages: totals with many digits.
TLedgerExtents LargeLedger()
{
    TLedgerExtents e;
    e.largestAmount = 9'876'543'210'00;
    e.largestUnits = 12'345'678;
    e.largestBalance = 9'876'543'210'00;
    return e;
}
} // namespace

TEST(LedgerLayout, ColumnsFitTheSheetAndTheirValues)
{
    TTextMeter meter;
    for (const TLedgerExtents& extents :
         { TLedgerExtents { 100000, 500, 1000000 }, LargeLedger() }) {
        for (const Sheet& sheet : kSheets) {
            SCOPED_TRACE(sheet.name);
            const TLedgerLayout l = LayOutLedger(sheet.width, sheet.length, extents, meter);
            ASSERT_GE(l.columns.size(), 8u);
            EXPECT_GE(l.TableLeft(), l.left);
            EXPECT_LE(l.TableRight(), l.right + 0.01L) << "the table runs into the margin";
            EXPECT_GT(l.left, 0);
            EXPECT_LT(l.right, sheet.width);
            for (size_t i = 1; i < l.columns.size(); ++i)
                EXPECT_NEAR(double(l.columns[i].left), double(l.columns[i - 1].Right()), 1e-6);
            // Figures are never cut short: each number column holds its widest value.
            const auto fits = [&](TColumnKind kind, const QString& text, bool bold) {
                const TLedgerColumn* c = l.Find(kind);
                ASSERT_NE(c, nullptr) << ColumnHeading(kind).toStdString();
                EXPECT_LE(meter.Width(text, l.em, bold), c->width - 2 * l.padding)
                    << ColumnHeading(kind).toStdString();
            };
            fits(TColumnKind::Invoice, InvoiceLabel(999999), false);
            fits(TColumnKind::Amount, FormatMoney(extents.largestAmount), true);
            fits(TColumnKind::RunningTotal, FormatMoney(extents.largestBalance), true);
            fits(TColumnKind::Quantity, FormatCount(extents.largestUnits), true);
            fits(TColumnKind::UnitPrice, FormatMoney(MaxUnitPrice()), false);
            // The table reaches down no further than the footer.
            EXPECT_GT(l.rowsPerPage, 10);
            EXPECT_LE(l.RowTop(l.rowsPerPage + 2), l.footerRule);
            EXPECT_GT(l.tableTop, l.headerRule);
        }
    }
}

TEST(LedgerLayout, WiderSheetsTakeMoreColumnsAndNarrowOnesSmallerText)
{
    TTextMeter meter;
    const TLedgerExtents extents { 100000, 500, 1000000 };
    const TLedgerLayout portrait = LayOutLedger(2100, 2970, extents, meter);
    const TLedgerLayout landscape = LayOutLedger(2970, 2100, extents, meter);
    const TLedgerLayout a5 = LayOutLedger(1480, 2100, extents, meter);
    EXPECT_GT(landscape.columns.size(), portrait.columns.size());
    EXPECT_NE(landscape.Find(TColumnKind::Product), nullptr);
    EXPECT_EQ(portrait.Find(TColumnKind::Product), nullptr);
    EXPECT_LT(a5.em, portrait.em);
    EXPECT_GT(portrait.rowsPerPage, landscape.rowsPerPage);
}
