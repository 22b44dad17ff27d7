#include "tools/qrpgen/ledger_summary.h"

#include "tools/qrpgen/sales_ledger.h"

#include <algorithm>

namespace qrpgen {

TLedgerSummary SummariseLedger(uint32_t seed, const TPagePlan& plan)
{
    TLedgerSummary summary;
    summary.regions.resize(size_t(RegionCount()));
    std::vector<bool> seen(size_t(CustomerCount()), false);
    TSalesLedger ledger(seed);
    for (int32_t page = 2; page <= plan.pages; ++page) {
        int64_t pageTotal = 0;
        int64_t pageUnits = 0;
        for (int32_t row = 0; row < plan.InvoicesOn(page); ++row) {
            const TInvoice invoice = ledger.Next();
            if (summary.invoices == 0)
                summary.firstDate = invoice.date;
            summary.lastDate = invoice.date;
            ++summary.invoices;
            summary.units += invoice.quantity;
            summary.total += invoice.amount;
            summary.largestAmount = std::max(summary.largestAmount, invoice.amount);
            pageTotal += invoice.amount;
            pageUnits += invoice.quantity;
            TRegionTotals& region = summary.regions[size_t(Customer(invoice.customer).region)];
            ++region.invoices;
            region.units += invoice.quantity;
            region.amount += invoice.amount;
            if (!seen[size_t(invoice.customer)]) {
                seen[size_t(invoice.customer)] = true;
                ++summary.customers;
            }
        }
        summary.largestPageTotal = std::max(summary.largestPageTotal, pageTotal);
        summary.largestPageUnits = std::max(summary.largestPageUnits, pageUnits);
    }
    return summary;
}

} // namespace qrpgen
