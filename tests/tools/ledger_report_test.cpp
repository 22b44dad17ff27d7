// The sample report recorded in process: the pages it makes, what a reader finds on them, the
// arithmetic of its totals, and the paper a reloaded report is detected as.
#include "document/qr_printer.h"
#include "graphics/emf_text.h"
#include "graphics/metafile.h"
#include "support/memory_printers.h"
#include "tools/qrpgen/ledger_report.h"
#include "tools/qrpgen/paper_choice.h"
#include "tools/qrpgen/record_report.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qrpgen;

namespace {

struct LedgerReportTest : ::testing::Test {
    TMemoryPrinters printers;
    QTemporaryDir dir;
    // Letter, Legal, A4 and A5 in both orientations, as most office printers.
    LedgerReportTest()
    {
        printers.RemoveAll();
        MemoryPrinter office;
        office.name = "Office";
        office.isDefault = true;
        printers.Add(office);
    }

    std::string Record(const std::string& name, TQRPaperSize paper, TPrinterOrientation orientation,
                       int pages, uint32_t seed = 1, bool compress = false)
    {
        TQRPrinter doc;
        EXPECT_EQ(ChoosePaper(doc, paper, orientation, TPrinterChoice::AnyPrinter), "");
        doc.SetCompression(compress);
        TLedgerReport report(doc, QStringLiteral("Sales Ledger"), pages, seed);
        EXPECT_TRUE(RecordReport(doc, report));
        const std::string file = dir.filePath(QString::fromStdString(name)).toStdString();
        doc.SaveToFile(file);
        return file;
    }
};

std::vector<std::string> PageText(TQRPrinter& doc, int n)
{
    const auto page = doc.PageImage(n);
    return page ? ExtractEmfText(page->Data()) : std::vector<std::string> {};
}

bool Contains(const std::vector<std::string>& lines, const std::string& text)
{
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

// "12,345.67" in cents.
int64_t Cents(const std::string& money)
{
    std::string digits;
    for (char c : money)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits.empty() ? -1 : std::stoll(digits);
}

// The figures after a label in a line of totals.
std::vector<std::string> After(const std::vector<std::string>& lines, const std::string& label,
                               size_t count)
{
    const auto at = std::find(lines.begin(), lines.end(), label);
    if (at == lines.end() || size_t(lines.end() - at) <= count)
        return {};
    return std::vector<std::string>(at + 1, at + 1 + long(count));
}

} // namespace

TEST_F(LedgerReportTest, ReloadedReportKeepsPagesPaperAndOrientation)
{
    const struct {
        TQRPaperSize paper;
        TPrinterOrientation orientation;
    } cases[] = {
        { TQRPaperSize::A4, poPortrait },     { TQRPaperSize::A4, poLandscape },
        { TQRPaperSize::Letter, poPortrait }, { TQRPaperSize::Letter, poLandscape },
        { TQRPaperSize::Legal, poPortrait },  { TQRPaperSize::Legal, poLandscape },
        { TQRPaperSize::A5, poPortrait },     { TQRPaperSize::A5, poLandscape },
    };
    for (const auto& c : cases) {
        const std::string name = std::string(PaperSizeName(c.paper)) +
                                 (c.orientation == poLandscape ? "-landscape" : "") + ".qrp";
        SCOPED_TRACE(name);
        const std::string file = Record(name, c.paper, c.orientation, 3);
        TQRPrinter reloaded;
        reloaded.LoadFromFile(file);
        EXPECT_EQ(reloaded.PageTotal(), 3);
        EXPECT_EQ(reloaded.PaperSize(), c.paper);
        EXPECT_EQ(reloaded.Orientation(), c.orientation);
        for (int n = 1; n <= 3; ++n)
            EXPECT_TRUE(Contains(PageText(reloaded, n), "Page " + std::to_string(n) + " of 3"));
    }
}

// Every figure a reader would add up agrees: running totals, page totals, brought-forward lines
// and the grand total, over several pages and in both text sizes.
TEST_F(LedgerReportTest, TotalsAddUpAcrossPages)
{
    for (TQRPaperSize paper : { TQRPaperSize::A4, TQRPaperSize::A5 }) {
        SCOPED_TRACE(PaperSizeName(paper));
        TQRPrinter doc;
        ASSERT_EQ(ChoosePaper(doc, paper, poPortrait, TPrinterChoice::AnyPrinter), "");
        TLedgerReport report(doc, QStringLiteral("Ledger"), 5, 3);
        ASSERT_TRUE(RecordReport(doc, report));
        const TLedgerLayout& layout = report.Layout();
        const size_t columns = layout.columns.size();
        const size_t amountColumn = size_t(layout.Find(TColumnKind::Amount) - &layout.columns[0]);
        const size_t balanceColumn = columns - 1;

        int64_t balance = 0, sumOfPages = 0, invoices = 0;
        for (int n = 2; n <= 5; ++n) {
            SCOPED_TRACE("page " + std::to_string(n));
            const std::vector<std::string> text = PageText(doc, n);
            if (n > 2) {
                const auto forward = After(text, "Brought forward", 1);
                ASSERT_EQ(forward.size(), 1u);
                EXPECT_EQ(Cents(forward[0]), balance);
            }
            // Invoice rows: one entry per column, starting with the invoice number.
            int64_t pageAmount = 0;
            for (size_t i = 0; i + columns <= text.size(); ++i) {
                if (text[i].rfind("INV-", 0) != 0)
                    continue;
                const int64_t amount = Cents(text[i + amountColumn]);
                balance += amount;
                pageAmount += amount;
                EXPECT_EQ(Cents(text[i + balanceColumn]), balance) << text[i];
                ++invoices;
                i += columns - 1;
            }
            EXPECT_EQ(pageAmount > 0, true);
            const auto total = After(text, "Page total", 3);
            ASSERT_EQ(total.size(), 3u);
            EXPECT_EQ(Cents(total[1]), pageAmount);
            EXPECT_EQ(Cents(total[2]), balance);
            sumOfPages += pageAmount;
        }
        const auto grand = After(PageText(doc, 5), "Grand total", 3);
        ASSERT_EQ(grand.size(), 3u);
        EXPECT_EQ(Cents(grand[1]), sumOfPages);
        EXPECT_EQ(Cents(grand[2]), balance);
        EXPECT_EQ(invoices, report.Plan().Invoices());
        EXPECT_EQ(report.Summary().total, balance);
        EXPECT_TRUE(Contains(PageText(doc, 1), FormatMoney(balance).toStdString()))
            << "the title page shows the total";
    }
}

TEST_F(LedgerReportTest, SameSeedSamePagesPlainOrCompressed)
{
    const std::string a = Record("a.qrp", TQRPaperSize::A4, poPortrait, 4, 7);
    const std::string b = Record("b.qrp", TQRPaperSize::A4, poPortrait, 4, 7, true);
    const std::string c = Record("c.qrp", TQRPaperSize::A4, poPortrait, 4, 8);
    TQRPrinter first, second, other;
    first.LoadFromFile(a);
    second.LoadFromFile(b);
    other.LoadFromFile(c);
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(first.PageImage(n)->Bytes(), second.PageImage(n)->Bytes());
    }
    EXPECT_NE(PageText(first, 2), PageText(other, 2)) << "the seed decides the data";
}

// Pages can be drawn out of order (a preview may ask for them so); each one is drawn the same.
TEST_F(LedgerReportTest, PagesDrawnOutOfOrderAreTheSame)
{
    const auto pagesInOrder = [&](const std::vector<int>& order) {
        TQRPrinter doc;
        TLedgerReport report(doc, QStringLiteral("Ledger"), 4, 2);
        doc.BeginDoc();
        for (int n : order) {
            doc.NewPage();
            report.DrawPage(n);
        }
        doc.EndDoc();
        std::vector<std::vector<std::string>> texts(5);
        for (size_t i = 0; i < order.size(); ++i)
            texts[size_t(order[i])] = PageText(doc, int(i) + 1);
        return texts;
    };
    EXPECT_EQ(pagesInOrder({ 1, 2, 3, 4 }), pagesInOrder({ 4, 2, 3, 1 }));
}

TEST_F(LedgerReportTest, RecordsStraightOntoThePrinterAndStopsWhenCancelled)
{
    for (bool cancel : { false, true }) {
        SCOPED_TRACE(cancel ? "cancelled" : "complete");
        TQRPrinter doc;
        doc.SetDestination(qdPrinter);
        doc.SetTitle("Direct ledger");
        ASSERT_EQ(ChoosePaper(doc, TQRPaperSize::Letter, poLandscape, TPrinterChoice::DefaultOnly),
                  "");
        TLedgerReport report(doc, QStringLiteral("Direct ledger"), 5, 1);
        const size_t jobsBefore = printers.system.Jobs().size();
        const bool complete = RecordReport(doc, report, [&] {
            if (cancel && doc.PageNumber() == 2)
                doc.Cancel();
        });
        EXPECT_EQ(complete, !cancel);
        EXPECT_EQ(doc.State(), rdComplete);
        ASSERT_EQ(printers.system.Jobs().size(), jobsBefore + 1);
        const auto job = printers.system.Jobs().back();
        EXPECT_EQ(job->title, "Direct ledger");
        EXPECT_EQ(job->aborted, cancel);
        EXPECT_EQ(job->ended, !cancel);
        EXPECT_EQ(job->pages.size(), cancel ? 2u : 5u);
        EXPECT_EQ(job->devMode.dmOrientation, DMORIENT_LANDSCAPE);
        EXPECT_EQ(job->devMode.dmPaperSize, DMPAPER_LETTER);
    }
}
