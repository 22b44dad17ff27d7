#pragma once
// How the invoices are spread over the pages: page 1 is the title page; every later page lists
// a full page of invoices, except the last, which lists one fewer to leave room for the grand
// total.
#include <cstdint>

namespace qrpgen {

struct TPagePlan {
    int32_t pages = 1;
    int32_t rowsPerPage = 1;

    int32_t ListingPages() const { return pages > 1 ? pages - 1 : 0; }
    bool IsListing(int32_t page) const { return page >= 2 && page <= pages; }
    bool IsLast(int32_t page) const { return page == pages; }
    int64_t Invoices() const
    {
        return ListingPages() == 0 ? 0 : int64_t(ListingPages()) * rowsPerPage - 1;
    }
    // Index of the first invoice listed on a listing page.
    int64_t FirstInvoice(int32_t page) const { return int64_t(page - 2) * rowsPerPage; }
    int32_t InvoicesOn(int32_t page) const
    {
        if (!IsListing(page))
            return 0;
        return IsLast(page) ? rowsPerPage - 1 : rowsPerPage;
    }
};

} // namespace qrpgen
