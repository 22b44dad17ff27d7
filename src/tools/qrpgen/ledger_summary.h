#pragma once
// Figures over the whole ledger, worked out before the first page is drawn: the title page shows
// them, and the layout sizes its number columns for the largest of them.
#include "tools/qrpgen/page_plan.h"

#include <QDate>
#include <cstdint>
#include <vector>

namespace qrpgen {

struct TRegionTotals {
    int64_t invoices = 0;
    int64_t units = 0;
    int64_t amount = 0; // cents
};

struct TLedgerSummary {
    int64_t invoices = 0;
    int customers = 0; // customers with at least one invoice
    int64_t units = 0;
    int64_t total = 0; // cents
    int64_t largestAmount = 0;
    int64_t largestPageTotal = 0;
    int64_t largestPageUnits = 0;
    QDate firstDate, lastDate;
    std::vector<TRegionTotals> regions;
};

TLedgerSummary SummariseLedger(uint32_t seed, const TPagePlan& plan);

} // namespace qrpgen
