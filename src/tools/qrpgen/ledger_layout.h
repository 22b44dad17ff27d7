#pragma once
// Where everything goes on a listing page, in report units (0.1 mm from the sheet's top left
// corner): margins, the bands of header, table and footer, the text size, and the columns. The
// columns are sized for their widest values; a wider sheet (landscape) takes more columns, and a
// narrow one a smaller text.
#include "tools/qrpgen/ledger_summary.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace qrpgen {

class TTextMeter;

enum class TColumnKind : uint8_t {
    Invoice,
    Date,
    Customer,
    Product,
    Region,
    SalesRep,
    Terms,
    Quantity,
    UnitPrice,
    Amount,
    RunningTotal,
};

QString ColumnHeading(TColumnKind kind);
// Numbers are set flush right.
bool ColumnIsNumeric(TColumnKind kind);

struct TLedgerColumn {
    TColumnKind kind;
    long double left = 0;
    long double width = 0;
    long double Right() const { return left + width; }
};

struct TLedgerLayout {
    long double pageWidth = 0, pageLength = 0;
    // The printable box inside the margins.
    long double left = 0, top = 0, right = 0, bottom = 0;
    long double em = 0;      // character height of the table's text
    long double padding = 0; // between a cell's edge and its text
    long double rowHeight = 0;
    long double headingHeight = 0;
    long double headerRule = 0; // the rule under the page header
    long double tableTop = 0;   // top of the column headings
    long double footerRule = 0; // the rule above the page footer
    int32_t rowsPerPage = 0;    // invoices on a full listing page
    std::vector<TLedgerColumn> columns;

    long double TableLeft() const { return columns.empty() ? left : columns.front().left; }
    long double TableRight() const { return columns.empty() ? right : columns.back().Right(); }
    // Top of row r of the table body (0 is the first row under the headings).
    long double RowTop(int32_t r) const { return tableTop + headingHeight + r * rowHeight; }
    const TLedgerColumn* Find(TColumnKind kind) const;
};

// The widest values each column must hold.
struct TLedgerExtents {
    int64_t largestAmount = 0;  // an invoice, a page's or the whole ledger's total
    int64_t largestUnits = 0;   // a quantity, a page's or the whole ledger's units
    int64_t largestBalance = 0; // the running total at its end
};
TLedgerExtents ExtentsOf(const TLedgerSummary& summary);

// Lays out a sheet of the given size (0.1 mm, oriented). Always returns at least one row.
TLedgerLayout LayOutLedger(long double pageWidth, long double pageLength,
                           const TLedgerExtents& extents, TTextMeter& meter);

} // namespace qrpgen
