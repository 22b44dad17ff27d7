// qrptool print: its refusals, and what comes out of the machine's cups-pdf queue "PDF" (set up
// by scripts/print-server): the PDF's pages, their sheet size and their pictures against our own
// renders of the same pages. The queue tests skip when no CUPS server answers, the queue is
// missing, QRP_CUPS_PDF_DIR does not name the folder cups-pdf writes to, or poppler's tools are
// not installed.
#include "graphics/canvas.h"
#include "graphics/metafile.h"
#include "graphics/metafile_canvas.h"
#include "printer/printer.h"
#include "printer/qt_print_system.h"
#include "support/report_fixture.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

constexpr const char* kQueue = "PDF";
constexpr int kDpi = 40; // enough to tell the marks of a page apart, cheap to compare
constexpr int kInk = 245;

// Page n: a frame along the page's edges (so that the inked box is the page), a triangle in the
// top left corner (turned or mirrored pictures differ), "Page n", and cell n of a 2 x 5 grid
// filled (another page differs in two large cells).
std::vector<uint8_t> MarkedPage(int n, int width, int height)
{
    TMetafile page;
    page.SetWidth(width);
    page.SetHeight(height);
    {
        TMetafileCanvas canvas(page);
        canvas.Brush.Color = clBlack;
        const int edge = 8;
        canvas.FillRect(TRect { 0, 0, width, edge });
        canvas.FillRect(TRect { 0, height - edge, width, height });
        canvas.FillRect(TRect { 0, 0, edge, height });
        canvas.FillRect(TRect { width - edge, 0, width, height });
        const TPoint corner[] = { { edge, edge }, { width / 4, edge }, { edge, height / 4 } };
        canvas.Polygon(corner);
        const int left = width / 10, top = height * 35 / 100;
        const int cellWidth = width * 4 / 10, cellHeight = height * 12 / 100;
        const int column = (n - 1) % 2, row = (n - 1) / 2 % 5;
        canvas.FillRect(TRect { left + column * cellWidth, top + row * cellHeight,
                                left + (column + 1) * cellWidth, top + (row + 1) * cellHeight });
        canvas.Brush.Style = bsClear;
        canvas.Rectangle(left, top, left + 2 * cellWidth, top + 5 * cellHeight);
        canvas.Font.Height = -height / 12;
        canvas.TextOut(width * 35 / 100, height / 10, QString("Page %1").arg(n));
    }
    return page.Bytes();
}

struct RunResult {
    int exitCode = -1;
    QString output, errors;
};

RunResult
RunProgram(const QString& program, const QStringList& args, int timeoutMs = 120000,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, args);
    RunResult result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        result.errors = program + " did not finish in time";
        return result;
    }
    result.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.errors = QString::fromLocal8Bit(process.readAllStandardError());
    if (process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    return result;
}

// A grey picture cropped to its inked box.
struct Inked {
    QImage picture;
    QRect box; // in the original picture
    QSize original;
};

Inked CropToInk(const QImage& image)
{
    Inked inked;
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    inked.original = grey.size();
    int left = grey.width(), top = grey.height(), right = -1, bottom = -1;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* line = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            if (line[x] < kInk) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return inked;
    inked.box = QRect(QPoint(left, top), QPoint(right, bottom));
    inked.picture = grey.copy(inked.box);
    return inked;
}

double Aspect(const QRect& box)
{
    return double(box.width()) / std::max(1, box.height());
}

// Share of the pixels inked in either picture whose grey levels differ by at most a quarter of
// the range, after both inked boxes are stretched onto the same grid: a printed page is stretched
// over the printable area, so only the inked boxes correspond.
double Agreement(const Inked& a, const Inked& b)
{
    if (a.picture.isNull() || b.picture.isNull())
        return 0;
    const QSize grid(100, std::max(1, int(std::lround(100 / Aspect(b.box)))));
    const QImage x = a.picture.scaled(grid, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage y = b.picture.scaled(grid, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    long inked = 0, agreeing = 0;
    for (int row = 0; row < grid.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int col = 0; col < grid.width(); ++col) {
            if (p[col] >= kInk && q[col] >= kInk)
                continue;
            ++inked;
            agreeing += std::abs(int(p[col]) - int(q[col])) <= 64;
        }
    }
    return inked ? double(agreeing) / double(inked) : 0;
}

class PrintCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        tool_ = qEnvironmentVariable("QRP_BINARY_DIR") + "/src/tools/qrptool";
        if (!QFile::exists(tool_))
            GTEST_SKIP() << "qrptool is not built";
        ASSERT_TRUE(dir_.isValid());
    }

    std::string Report(const std::string& name, int pages, int width = 794, int height = 1123)
    {
        std::vector<std::vector<uint8_t>> bytes;
        for (int n = 1; n <= pages; ++n)
            bytes.push_back(MarkedPage(n, width, height));
        return WriteReport(dir_, name, bytes);
    }

    RunResult
    Print(const std::string& report, const QStringList& options,
          const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        return RunProgram(tool_, QStringList { "print", QString::fromStdString(report) } + options,
                          120000, environment);
    }

    QString tool_;
    QTemporaryDir dir_;
};

TEST_F(PrintCommand, RefusesBadArgumentsBeforeLookingForPrinters)
{
    const std::string report = Report("two.qrp", 2);
    const QStringList cases[] = {
        {},
        { "--first", "0" },
        { "--first", "5", "--last", "2" },
        { "--copies", "0" },
        { "--copies", "40000" }, // the driver's copy count is 16 bits wide
        { "--last" },
        { "--pages", "2" },
        { "extra.qrp" },
    };
    for (const QStringList& options : cases) {
        SCOPED_TRACE(options.join(' ').toStdString());
        const RunResult run =
            options.isEmpty() ? RunProgram(tool_, { "print" }) : Print(report, options);
        EXPECT_EQ(run.exitCode, 2) << run.errors.toStdString();
        EXPECT_TRUE(run.output.isEmpty());
    }
}

TEST_F(PrintCommand, NoPrinterInstalledIsAnErrorNotASilentSuccess)
{
    QProcessEnvironment noServer = QProcessEnvironment::systemEnvironment();
    noServer.insert("CUPS_SERVER", dir_.filePath("no-cups-here.sock"));
    const RunResult run = Print(Report("two.qrp", 2), {}, noServer);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors.count('\n'), 1) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("no printer is installed")) << run.errors.toStdString();
    EXPECT_TRUE(run.output.isEmpty());
}

class RealQueuePrint : public PrintCommand {
protected:
    void SetUp() override
    {
        PrintCommand::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        outputFolder_ = qEnvironmentVariable("QRP_CUPS_PDF_DIR");
        if (outputFolder_.isEmpty())
            GTEST_SKIP() << "QRP_CUPS_PDF_DIR does not name the cups-pdf output folder";
        for (const char* needed : { "pdfinfo", "pdftoppm", "lpstat" })
            if (QStandardPaths::findExecutable(needed).isEmpty())
                GTEST_SKIP() << needed << " is not installed";
        QtPrintSystem system;
        TPrinter printer { system };
        const auto& names = printer.Printers();
        if (std::find(names.begin(), names.end(), kQueue) == names.end())
            GTEST_SKIP() << "no CUPS server with the cups-pdf queue " << kQueue;
    }

    void TearDown() override
    {
        for (const QString& file : printed_)
            QFile::remove(file);
    }

    // A title no other job of this or another run shares; cups-pdf names the file after it.
    static QString UniqueTitle(const QString& what)
    {
        static int count = 0;
        return QString("qrp-%1-%2-%3-%4")
            .arg(what)
            .arg(getpid())
            .arg(QDateTime::currentMSecsSinceEpoch())
            .arg(++count);
    }

    // The PDF of the job titled `title`, once CUPS reports the job completed (cups-pdf writes the
    // file while the job runs); empty when that does not happen within the limit.
    QString WaitForJob(const QString& title, int limitMs = 90000)
    {
        // cups-pdf appends to the title what its own buffer holds, then "-job_" and the id.
        const QRegularExpression name("^" + QRegularExpression::escape(title) +
                                      "(_[^/]*)?-job_(\\d+)\\.pdf$");
        QDeadlineTimer deadline(limitMs);
        while (!deadline.hasExpired()) {
            for (const QString& file : QDir(outputFolder_).entryList({ title + "*.pdf" })) {
                const auto match = name.match(file);
                if (!match.hasMatch())
                    continue;
                const QString job = QString("%1-%2 ").arg(kQueue, match.captured(2));
                const RunResult done =
                    RunProgram("lpstat", { "-W", "completed", "-o", kQueue }, 10000);
                const auto lines = done.output.split('\n');
                if (std::any_of(lines.begin(), lines.end(),
                                [&](const QString& l) { return l.startsWith(job); })) {
                    const QString path = QDir(outputFolder_).filePath(file);
                    printed_.push_back(path);
                    return path;
                }
            }
            QThread::msleep(100);
        }
        return {};
    }

    // pdfinfo's "Page N size" lines: the sheet of each page in points, turned by its rotation.
    std::vector<QSizeF> SheetsOf(const QString& pdf)
    {
        const RunResult info = RunProgram("pdfinfo", { "-f", "1", "-l", "9999", pdf });
        std::vector<QSizeF> sheets;
        const QRegularExpression size("^Page\\s+(\\d+) size:\\s+([\\d.]+) x ([\\d.]+) pts");
        const QRegularExpression rot("^Page\\s+(\\d+) rot:\\s+(\\d+)");
        for (const QString& line : info.output.split('\n')) {
            if (const auto m = size.match(line); m.hasMatch())
                sheets.emplace_back(m.captured(2).toDouble(), m.captured(3).toDouble());
            if (const auto m = rot.match(line); m.hasMatch() && !sheets.empty())
                if (m.captured(2).toInt() % 180 == 90)
                    sheets.back().transpose();
        }
        return sheets;
    }

    QImage PrintedPage(const QString& pdf, int sheet)
    {
        const QString out = dir_.filePath(QString("printed-%1").arg(sheet));
        const RunResult r = RunProgram(
            "pdftoppm", { "-r", QString::number(kDpi), "-f", QString::number(sheet), "-l",
                          QString::number(sheet), "-singlefile", "-png", pdf, out });
        EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
        return QImage(out + ".png");
    }

    QImage OurPage(const std::string& report, int page)
    {
        const QString out = dir_.filePath(QString("ours-%1.png").arg(page));
        const RunResult r =
            RunProgram(tool_, { "render", QString::fromStdString(report), "--page",
                                QString::number(page), "--dpi", QString::number(kDpi), out });
        EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
        return QImage(out);
    }

    // Checks that the printed sheet shows our page stretched over (nearly) the whole sheet, the
    // right way up, and that it is told apart from `other`, a different page of the report.
    void ExpectSheetShows(const QImage& sheet, const QImage& ours, const QImage& other)
    {
        const Inked printed = CropToInk(sheet), expected = CropToInk(ours);
        ASSERT_FALSE(printed.picture.isNull()) << "the printed sheet is blank";
        // The printable area leaves at most a few millimetres at each edge.
        EXPECT_GT(printed.box.width(), 0.9 * printed.original.width());
        EXPECT_GT(printed.box.height(), 0.9 * printed.original.height());
        EXPECT_NEAR(Aspect(printed.box) / Aspect(expected.box), 1.0, 0.05);
        EXPECT_GT(Agreement(printed, expected), 0.95);
        EXPECT_LT(Agreement(printed, CropToInk(other)), 0.8) << "another page looks the same";
    }

    QString outputFolder_;
    std::vector<QString> printed_;
};

TEST_F(RealQueuePrint, PageRangeOfAnA4ReportComesOutAsThoseSheets)
{
    const std::string report = Report("ten.qrp", 10);
    const QString title = UniqueTitle("range");
    const RunResult run = Print(report, { "--title", title, "--first", "3", "--last", "5" });
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QString pdf = WaitForJob(title);
    ASSERT_FALSE(pdf.isEmpty()) << "no completed job titled " << title.toStdString();

    const auto sheets = SheetsOf(pdf);
    ASSERT_EQ(sheets.size(), 3u);
    for (const QSizeF& sheet : sheets) {
        EXPECT_NEAR(sheet.width(), 595, 1); // A4 portrait, in points
        EXPECT_NEAR(sheet.height(), 842, 1);
    }
    for (int sheet = 1; sheet <= 3; ++sheet) {
        SCOPED_TRACE(testing::Message() << "sheet " << sheet);
        const int page = sheet + 2;
        ExpectSheetShows(PrintedPage(pdf, sheet), OurPage(report, page),
                         OurPage(report, page == 5 ? 4 : page + 1));
    }
}

TEST_F(RealQueuePrint, LandscapeReportPrintsLandscape)
{
    const std::string report = Report("wide.qrp", 2, 1123, 794);
    const QString title = UniqueTitle("landscape");
    const RunResult run = Print(report, { "--title", title });
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QString pdf = WaitForJob(title);
    ASSERT_FALSE(pdf.isEmpty()) << "no completed job titled " << title.toStdString();

    const auto sheets = SheetsOf(pdf);
    ASSERT_EQ(sheets.size(), 2u);
    for (int sheet = 1; sheet <= 2; ++sheet) {
        SCOPED_TRACE(testing::Message() << "sheet " << sheet);
        // An A4 sheet either way round, with the wide page filling it.
        const QSizeF size = sheets[size_t(sheet - 1)];
        EXPECT_NEAR(std::max(size.width(), size.height()), 842, 1);
        EXPECT_NEAR(std::min(size.width(), size.height()), 595, 1);
        // CUPS lays a landscape page onto the portrait sheet turned a quarter; which way round
        // is the queue's choice.
        const QImage printed = PrintedPage(pdf, sheet);
        const QImage ours = OurPage(report, sheet);
        const Inked expected = CropToInk(ours);
        QImage upright = printed;
        double best = -1;
        for (const int degrees : { 90, -90 }) {
            const QImage turned = printed.transformed(QTransform().rotate(degrees));
            const double agreement = Agreement(CropToInk(turned), expected);
            if (agreement > best) {
                best = agreement;
                upright = turned;
            }
        }
        ExpectSheetShows(upright, ours, OurPage(report, 3 - sheet));
    }
}

TEST_F(RealQueuePrint, UnknownPrinterIsRefusedNamingTheInstalledOnes)
{
    const RunResult run = Print(Report("two.qrp", 2), { "--printer", "No such printer" });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors.count('\n'), 1) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("'No such printer'")) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(kQueue)) << run.errors.toStdString();
}

// Nothing of a report that cannot be printed whole reaches the queue: a range past the end, or a
// damaged page in the middle of the range.
TEST_F(RealQueuePrint, ReportThatCannotBePrintedWholeSendsNothing)
{
    const std::string report = Report("three.qrp", 3);
    QFile file(QString::fromStdString(report));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    const qsizetype second = bytes.indexOf(" EMF", bytes.indexOf(" EMF") + 1);
    ASSERT_GT(second, 0);
    bytes.replace(second, 4, "XXXX");
    const std::string damaged = dir_.filePath("damaged.qrp").toStdString();
    QFile out(QString::fromStdString(damaged));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();

    const QString pastTheEnd = UniqueTitle("past"), broken = UniqueTitle("damaged");
    const RunResult past = Print(report, { "--title", pastTheEnd, "--first", "4" });
    EXPECT_EQ(past.exitCode, 1);
    EXPECT_TRUE(past.errors.contains("no page 4")) << past.errors.toStdString();
    const RunResult bad = Print(damaged, { "--title", broken });
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.errors.contains("page 2")) << bad.errors.toStdString();
    // A job would have been handed over before the command ended; cups-pdf writes it within
    // seconds.
    EXPECT_TRUE(WaitForJob(pastTheEnd, 3000).isEmpty());
    EXPECT_TRUE(WaitForJob(broken, 100).isEmpty());
}

TEST_F(RealQueuePrint, QueueThatRejectsTheJobFailsTheCommand)
{
    if (getuid() != 0)
        GTEST_SKIP() << "only root adds a queue";
    // A queue added without being enabled refuses jobs.
    const QString queue = QString("qrp-rejecting-%1").arg(getpid());
    const RunResult added = RunProgram(
        "lpadmin", { "-p", queue, "-v", "cups-pdf:/", "-m", "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd" });
    if (added.exitCode != 0)
        GTEST_SKIP() << "cannot add a queue: " << added.errors.toStdString();
    struct RemoveQueue {
        QString name;
        ~RemoveQueue() { RunProgram("lpadmin", { "-x", name }); }
    } removeQueue { queue };
    RunProgram("cupsreject", { queue });

    const RunResult run = Print(Report("two.qrp", 2), { "--printer", queue });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors.count('\n'), 1) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("did not accept the job")) << run.errors.toStdString();
    EXPECT_TRUE(run.output.isEmpty());
}

} // namespace
