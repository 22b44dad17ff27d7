#include "tools/qrpgen/sales_ledger.h"

#include <algorithm>
#include <array>

namespace qrpgen {

namespace {

constexpr std::array<const char*, 5> kRegions = { "North", "South", "East", "West", "Central" };

constexpr std::array<const char*, 8> kSalesReps = {
    "A. Novak", "B. Horvat", "C. Kranjc", "D. Zupan",
    "E. Kovač", "F. Mlakar", "G. Vidmar", "H. Kos",
};

constexpr std::array<TCustomer, 32> kCustomers = { {
    { "Alder & Finch Ltd", 0, 0, 30 },
    { "Birchwood Supplies", 1, 1, 30 },
    { "Cobalt Marine Services", 2, 2, 60 },
    { "Dunmore Hardware", 3, 3, 14 },
    { "Elm Street Bakery", 4, 4, 14 },
    { "Fairhaven Hotels Group", 0, 5, 60 },
    { "Granite Peak Outfitters", 1, 6, 30 },
    { "Harbour View Clinic", 2, 7, 30 },
    { "Ironbridge Engineering", 3, 0, 60 },
    { "Juniper Garden Centre", 4, 1, 14 },
    { "Kingsley Office Interiors", 0, 2, 30 },
    { "Lakeside Print Works", 1, 3, 30 },
    { "Meridian Logistics", 2, 4, 60 },
    { "Northgate Pharmacy", 3, 5, 14 },
    { "Oakridge School District", 4, 6, 60 },
    { "Pinecrest Veterinary", 0, 7, 30 },
    { "Quayside Brewing Company", 1, 0, 30 },
    { "Riverside Motors", 2, 1, 30 },
    { "Silverline Electrics", 3, 2, 14 },
    { "Thornbury Farm Cooperative", 4, 3, 60 },
    { "Upland Timber Merchants", 0, 4, 30 },
    { "Valley Dental Practice", 1, 5, 14 },
    { "Westbrook Community Hall", 2, 6, 30 },
    { "Yarrow Design Studio", 3, 7, 14 },
    { "Zenith Sports Club", 4, 0, 30 },
    { "Ashford Municipal Library", 0, 1, 60 },
    { "Bramble Lane Nursery", 1, 2, 14 },
    { "Castlegate Property Management", 2, 3, 60 },
    { "Driftwood Café", 3, 4, 14 },
    { "Eastwick Laboratories", 4, 5, 60 },
    { "Foxglove Florists", 0, 6, 14 },
    { "Greenfield Sports Centre", 1, 7, 30 },
} };

constexpr std::array<TProduct, 20> kProducts = { {
    { "Copy paper A4, box", 2450 },
    { "Toner cartridge, black", 8990 },
    { "Toner cartridge, colour", 11250 },
    { "Ring binders, pack of 10", 1875 },
    { "Desk lamp, LED", 3999 },
    { "Office chair, ergonomic", 24900 },
    { "Filing cabinet, 3 drawers", 18900 },
    { "Whiteboard markers, set", 725 },
    { "Label printer tape", 1590 },
    { "Shredder, cross-cut", 15990 },
    { "Monitor arm, dual", 7450 },
    { "Keyboard and mouse set", 4290 },
    { "Conference phone", 32900 },
    { "Archive boxes, pack of 20", 3120 },
    { "Envelopes C4, box of 250", 2890 },
    { "Coffee machine service", 9500 },
    { "Desk organiser", 1299 },
    { "Laminating pouches, 100", 1150 },
    { "Projector lamp", 21900 },
    { "Headset, noise cancelling", 12900 },
} };

// The first invoice's number and date; the dates then move on by working days.
constexpr int32_t kFirstInvoice = 240001;
const QDate kFirstDate(2026, 1, 5);

} // namespace

int RegionCount()
{
    return int(kRegions.size());
}

const char* RegionName(int region)
{
    return kRegions.at(size_t(region));
}

int CustomerCount()
{
    return int(kCustomers.size());
}

const TCustomer& Customer(int customer)
{
    return kCustomers.at(size_t(customer));
}

int ProductCount()
{
    return int(kProducts.size());
}

const TProduct& Product(int product)
{
    return kProducts.at(size_t(product));
}

const char* SalesRepName(int rep)
{
    return kSalesReps.at(size_t(rep));
}

// Prices vary by up to 10 % either way around the list price.
int64_t MaxUnitPrice()
{
    int64_t highest = 0;
    for (const TProduct& p : kProducts)
        highest = std::max(highest, p.listPrice + p.listPrice / 10);
    return highest;
}

TSalesLedger::TSalesLedger(uint32_t seed) : seed_(seed)
{
    Restart();
}

void TSalesLedger::Restart()
{
    state_ = 0x9E3779B97F4A7C15ull * (uint64_t(seed_) + 1);
    position_ = 0;
    date_ = kFirstDate;
}

// splitmix64: small, fast, and the same sequence on every platform, unlike the standard
// library's distributions.
uint64_t TSalesLedger::Random()
{
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

TInvoice TSalesLedger::Next()
{
    // About three invoices a working day.
    if (position_ > 0 && RandomBelow(3) == 0) {
        do
            date_ = date_.addDays(1);
        while (date_.dayOfWeek() > 5);
    }
    TInvoice invoice;
    invoice.number = kFirstInvoice + int32_t(position_ % 700000);
    invoice.date = date_;
    invoice.customer = int(RandomBelow(kCustomers.size()));
    invoice.product = int(RandomBelow(kProducts.size()));
    // Mostly small orders, now and then a large one.
    invoice.quantity = RandomBelow(8) == 0 ? int32_t(40 + RandomBelow(kMaxQuantity - 39))
                                           : int32_t(1 + RandomBelow(24));
    const int64_t list = kProducts[size_t(invoice.product)].listPrice;
    invoice.unitPrice = list - list / 10 + int64_t(RandomBelow(uint64_t(list / 5) + 1));
    invoice.amount = invoice.unitPrice * invoice.quantity;
    ++position_;
    return invoice;
}

namespace {
QString Grouped(uint64_t value)
{
    QString digits = QString::number(value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}
} // namespace

QString FormatMoney(int64_t cents)
{
    const uint64_t magnitude = cents < 0 ? uint64_t(0) - uint64_t(cents) : uint64_t(cents);
    const QString text = Grouped(magnitude / 100) + QLatin1Char('.') +
                         QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
    return cents < 0 ? QLatin1Char('-') + text : text;
}

QString FormatCount(int64_t count)
{
    return count < 0 ? QLatin1Char('-') + Grouped(uint64_t(0) - uint64_t(count))
                     : Grouped(uint64_t(count));
}

QString FormatDate(const QDate& date)
{
    return date.toString(Qt::ISODate);
}

QString FormatLongDate(const QDate& date)
{
    static const char* const months[] = { "January",   "February", "March",    "April",
                                          "May",       "June",     "July",     "August",
                                          "September", "October",  "November", "December" };
    return QStringLiteral("%1 %2 %3")
        .arg(date.day())
        .arg(QLatin1String(months[date.month() - 1]))
        .arg(date.year());
}

QString InvoiceLabel(int32_t number)
{
    return QStringLiteral("INV-%1").arg(number);
}

} // namespace qrpgen
