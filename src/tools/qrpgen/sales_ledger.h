#pragma once
// The sample data: a company's sales invoices, made up by a seeded generator so that the same
// seed always gives the same ledger. Money is held in cents.
#include <QDate>
#include <QString>
#include <cstdint>

namespace qrpgen {

struct TInvoice {
    int32_t number = 0;
    QDate date;
    int customer = 0;
    int product = 0;
    int32_t quantity = 0;
    int64_t unitPrice = 0; // cents
    int64_t amount = 0;    // cents
};

struct TCustomer {
    const char* name;
    int region;
    int salesRep;
    int termsDays;
};

struct TProduct {
    const char* name;
    int64_t listPrice; // cents
};

int RegionCount();
const char* RegionName(int region);
int CustomerCount();
const TCustomer& Customer(int customer);
int ProductCount();
const TProduct& Product(int product);
const char* SalesRepName(int rep);

// Largest quantity and unit price an invoice can carry, for sizing columns.
constexpr int32_t kMaxQuantity = 240;
int64_t MaxUnitPrice();

class TSalesLedger {
public:
    explicit TSalesLedger(uint32_t seed);

    // The invoice with index Position(), then moves on.
    TInvoice Next();
    // Index of the invoice Next returns.
    int64_t Position() const { return position_; }
    // Back to the first invoice.
    void Restart();

private:
    uint64_t Random();
    uint64_t RandomBelow(uint64_t n) { return Random() % n; }

    uint32_t seed_;
    uint64_t state_ = 0;
    int64_t position_ = 0;
    QDate date_;
};

// 1234567 cents as "12,345.67"; counts as "1,234".
QString FormatMoney(int64_t cents);
QString FormatCount(int64_t count);
// "2026-01-05".
QString FormatDate(const QDate& date);
// "5 January 2026".
QString FormatLongDate(const QDate& date);
QString InvoiceLabel(int32_t number);

} // namespace qrpgen
