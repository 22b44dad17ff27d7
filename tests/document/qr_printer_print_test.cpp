#include "document/qr_printer.h"
#include "graphics/canvas.h"
#include "graphics/metafile.h"
#include "platform/application.h"
#include "platform/errors.h"
#include "printer/printer.h"
#include "support/coloured_pages.h"
#include "support/memory_printers.h"
#include "support/message_log.h"
#include "support/report_fixture.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {
struct PrintTest : ::testing::Test {
    TMemoryPrinters printers;
    QTemporaryDir dir;
    PrintTest()
    {
        printers.AddOffice();
    }

    std::string Report(int pages)
    {
        std::vector<std::vector<uint8_t>> bytes;
        for (int n = 1; n <= pages; ++n)
            bytes.push_back(ColouredPage(n));
        return WriteReport(dir, "report" + std::to_string(pages) + ".qrp", bytes);
    }

    // The page drawn on each sheet of the last job.
    std::vector<int> SheetsOfLastJob()
    {
        const auto jobs = printers.system.Jobs();
        std::vector<int> sheets;
        if (!jobs.empty())
            for (const MemoryPage& sheet : jobs.back()->pages)
                sheets.push_back(PageShownIn(sheet.image));
        return sheets;
    }

    long NewPages()
    {
        const auto& log = printers.system.Log();
        return std::count(log.begin(), log.end(), std::string("NewPage"));
    }
};

std::vector<int> Range(int first, int last)
{
    std::vector<int> pages;
    for (int n = first; n <= last; ++n)
        pages.push_back(n);
    return pages;
}
} // namespace

TEST_F(PrintTest, PrintsThePageRangeOneSheetPerPage)
{
    struct Case {
        int first, last;
        std::vector<int> printed;
    };
    const Case cases[] = {
        {0, 0, Range(1, 10)}, {3, 0, Range(3, 10)}, {0, 4, Range(1, 4)},
        {8, 20, Range(8, 10)}, {2, 3, Range(2, 3)},
    };
    const auto name = Report(10);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << ".." << c.last);
        printers.system.ClearLog();
        TQRPrinter doc;
        doc.LoadFromFile(name);
        doc.SetTitle("Monthly sales");
        doc.SetFirstPage(c.first);
        doc.SetLastPage(c.last);
        doc.Print();
        EXPECT_EQ(SheetsOfLastJob(), c.printed);
        EXPECT_EQ(NewPages(), long(c.printed.size()) - 1);
        const auto job = printers.system.Jobs().back();
        EXPECT_TRUE(job->ended);
        EXPECT_EQ(job->title, "Monthly sales");
        EXPECT_EQ(doc.State(), rdComplete);
    }
}

TEST_F(PrintTest, EmptyRangeOpensAndClosesAnEmptyJob)
{
    for (const auto& [pages, first, last] : {std::tuple {10, 5, 2}, {0, 0, 0}}) {
        printers.system.ClearLog();
        TQRPrinter doc;
        doc.LoadFromFile(Report(pages));
        doc.SetFirstPage(first);
        doc.SetLastPage(last);
        doc.Print();
        const auto job = printers.system.Jobs().back();
        EXPECT_TRUE(job->ended);
        EXPECT_EQ(NewPages(), 0);
        for (const MemoryPage& sheet : job->pages)
            EXPECT_EQ(PageShownIn(sheet.image), 0);
    }
}

TEST_F(PrintTest, CancelWhilePageFourPrintsAbortsAfterItsNewSheet)
{
    TQRPrinter doc;
    doc.LoadFromFile(Report(10));
    // Counts the message-loop turns the print loop gives, one per page, and cancels in the fourth.
    struct Canceller : QObject {
        TQRPrinter& doc;
        int turns = 0;
        explicit Canceller(TQRPrinter& d) : doc(d) {}
        bool event(QEvent* e) override
        {
            if (e->type() != QEvent::User)
                return QObject::event(e);
            if (++turns == 4)
                doc.Cancel();
            else
                QCoreApplication::postEvent(this, new QEvent(QEvent::User));
            return true;
        }
    } canceller(doc);
    QCoreApplication::postEvent(&canceller, new QEvent(QEvent::User));
    printers.system.ClearLog();
    doc.Print();  // no error
    const auto job = printers.system.Jobs().back();
    EXPECT_TRUE(job->aborted);
    EXPECT_FALSE(job->ended);
    EXPECT_EQ(NewPages(), 4);
    std::vector<int> drawn;
    for (const MemoryPage& sheet : job->pages)
        drawn.push_back(PageShownIn(sheet.image));
    EXPECT_EQ(drawn, (std::vector<int> {1, 2, 3, 4, 0}));
}

TEST_F(PrintTest, AnOpenJobIsAbortedBeforeTheNewOneAndOnePageIsHeldAtATime)
{
    TQRPrinter doc;
    doc.LoadFromFile(Report(3));
    doc.OwnPrinter().BeginDoc();
    const int before = TMetafile::LiveCount();
    int most = 0;
    struct Watcher : QObject {
        int& most;
        int before;
        Watcher(int& m, int b) : most(m), before(b) {}
        bool event(QEvent* e) override
        {
            if (e->type() != QEvent::User)
                return QObject::event(e);
            most = std::max(most, TMetafile::LiveCount() - before);
            QCoreApplication::postEvent(this, new QEvent(QEvent::User));
            return true;
        }
    } watcher(most, before);
    QCoreApplication::postEvent(&watcher, new QEvent(QEvent::User));
    doc.Print();
    QCoreApplication::removePostedEvents(&watcher);
    const auto jobs = printers.system.Jobs();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_TRUE(jobs[0]->aborted);
    EXPECT_TRUE(jobs[1]->ended);
    EXPECT_EQ(jobs[1]->pages.size(), 3u);
    EXPECT_EQ(most, 0) << "no page metafile is held while messages are handled";
    EXPECT_EQ(TMetafile::LiveCount(), before);
}

TEST_F(PrintTest, RecordedDocumentWithAnOwnerHandsThePrintingOver)
{
    TMessageLog owner;
    TQRPrinter recorded;
    recorded.SetOwnerReport(&owner);
    recorded.BeginDoc();
    recorded.NewPage();
    recorded.EndDoc();
    recorded.Print();
    QCoreApplication::sendPostedEvents(&owner);
    EXPECT_EQ(owner.messages, (std::vector<TLoggedMessage> {{0x0402, 0, 0}}));
    EXPECT_TRUE(printers.system.Jobs().empty());

    TQRPrinter loaded;
    loaded.LoadFromFile(Report(2));
    loaded.SetOwnerReport(&owner);
    loaded.Print();
    EXPECT_EQ(printers.system.Jobs().size(), 1u);
}

TEST_F(PrintTest, NothingHappensWithoutPrintersOrPages)
{
    TQRPrinter idle;
    idle.Print();
    printers.RemoveAll();
    TQRPrinter doc;
    doc.LoadFromFile(Report(2));
    doc.Print();
    EXPECT_TRUE(printers.system.Jobs().empty());
}

TEST_F(PrintTest, PrinterSetupGoesToItsHandler)
{
    TQRPrinter doc;
    doc.PrinterSetup(nullptr);
    QObject button;
    QObject* received = nullptr;
    doc.OnPrinterSetup = [&](QObject* sender) { received = sender; };
    doc.PrinterSetup(&button);
    EXPECT_EQ(received, &button);
}

TEST_F(PrintTest, RefusedJobReachesTheCaller)
{
    printers.system.Find("Office")->refuseJobs = true;
    TQRPrinter doc;
    doc.LoadFromFile(Report(2));
    EXPECT_THROW(doc.Print(), EPrinter);
    EXPECT_FALSE(doc.OwnPrinter().Printing());
}
