// qrpgen as users and scripts run it: exit statuses, the files it leaves, and its reports as
// qrptool and the viewer's document read them. Paper sizes other than A4 need a real printer that
// offers them (the cups-pdf queue of scripts/print-server); those cases skip without one.
#include "document/qr_printer.h"
#include "support/memory_printers.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

struct ProcessResult {
    int status = -1;
    QString out, err;
};

QString Tool(const char* name)
{
    return qEnvironmentVariable("QRP_BINARY_DIR") + "/src/tools/" + name;
}

ProcessResult Execute(const QString& program, const QStringList& args,
                      const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    ProcessResult run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

ProcessResult Qrpgen(const QStringList& args,
                     const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    return Execute(Tool("qrpgen"), args, env);
}

// A child that sees no printers at all, whatever this machine has.
QProcessEnvironment WithoutPrinters()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CUPS_SERVER", "/nonexistent/cups.sock");
    return env;
}

// Whether the machine's default printer offers the paper, as qrptool reports it.
bool DefaultPrinterOffers(const QString& paper)
{
    const ProcessResult printers = Execute(Tool("qrptool"), { "printers" });
    for (const QString& line : printers.out.split('\n'))
        if (line.trimmed().startsWith("paper sizes:") &&
            line.split(' ', Qt::SkipEmptyParts).contains(paper))
            return true;
    return false;
}

struct QrpgenProcess : ::testing::Test {
    QTemporaryDir dir;
    // Reloading here uses a printer that lists the four papers qrpgen offers, so that detection
    // does not depend on this machine's printers.
    TMemoryPrinters printers;
    QrpgenProcess()
    {
        printers.RemoveAll();
        MemoryPrinter office;
        office.name = "Office";
        office.isDefault = true;
        printers.Add(office);
    }
    QString File(const QString& name) const { return dir.filePath(name); }
};

} // namespace

TEST_F(QrpgenProcess, UsageErrorsExitTwoAndWriteNothing)
{
    const QStringList cases[] = {
        {},
        { "--pages", "none", File("a.qrp") },
        { "--paper", "Tabloid", File("a.qrp") },
        { "--print", File("a.qrp") },
        { "--frobnicate", File("a.qrp") },
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const ProcessResult run = Qrpgen(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains("usage: qrpgen"));
        EXPECT_TRUE(QDir(dir.path()).isEmpty());
    }
    EXPECT_EQ(Qrpgen({ "--help" }).status, 0);
}

TEST_F(QrpgenProcess, FailuresExitOneWithOneLineAndNoFile)
{
    const struct {
        const char* name;
        QStringList args;
        bool withoutPrinters;
        const char* says;
    } cases[] = {
        { "Letter without printers",
          { "--paper", "Letter", File("l.qrp") },
          true,
          "qrpgen: paper size Letter is not available (no printer is installed); the report would "
          "be A4 portrait\n" },
        { "landscape without printers",
          { "--landscape", File("l.qrp") },
          true,
          "qrpgen: landscape A4 is not available (no printer is installed); the report would be A4 "
          "portrait\n" },
        { "printing without printers",
          { "--print" },
          true,
          "qrpgen: no printer is installed to print on\n" },
        { "missing folder", { File("missing/r.qrp") }, false, "does not exist" },
        { "folder as output", { dir.path() }, false, "it is a folder" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessResult run =
            Qrpgen(c.args, c.withoutPrinters ? WithoutPrinters()
                                             : QProcessEnvironment::systemEnvironment());
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(QDir(dir.path()).isEmpty());
    }
}

// A4 portrait needs no printer, so this holds on every machine, with or without one.
TEST_F(QrpgenProcess, ReportPassesVerifyAndReadsBack)
{
    for (bool compress : { false, true }) {
        SCOPED_TRACE(compress ? "compressed" : "plain");
        const QString out = File(compress ? "c.qrp" : "p.qrp");
        QStringList args { "--pages", "5", out };
        if (compress)
            args.prepend("--compress");
        for (bool printersToo : { false, true }) {
            const ProcessResult run = Qrpgen(
                args, printersToo ? QProcessEnvironment::systemEnvironment() : WithoutPrinters());
            ASSERT_EQ(run.status, 0) << run.err.toStdString();
            EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        }
        const ProcessResult verify = Execute(Tool("qrptool"), { "verify", out });
        EXPECT_EQ(verify.status, 0) << verify.err.toStdString();
        const ProcessResult text = Execute(Tool("qrptool"), { "text", out, "--page", "2" });
        EXPECT_EQ(text.status, 0);
        EXPECT_TRUE(text.out.split('\n').contains("Page 2 of 5"));
        const ProcessResult info = Execute(Tool("qrptool"), { "info", out });
        EXPECT_TRUE(info.out.contains(compress ? "compression: yes" : "compression: no"));

        TQRPrinter reloaded;
        reloaded.LoadFromFile(out.toStdString());
        EXPECT_EQ(reloaded.PageTotal(), 5);
        EXPECT_EQ(reloaded.PaperSize(), TQRPaperSize::A4);
        EXPECT_EQ(reloaded.Orientation(), poPortrait);
        // No temporary file is left beside the report.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), compress ? 2 : 1);
    }
}

// Letter, Legal and landscape from a real printer's paper list.
TEST_F(QrpgenProcess, OtherPapersFromTheInstalledPrinter)
{
    if (!DefaultPrinterOffers("Letter") || !DefaultPrinterOffers("Legal"))
        GTEST_SKIP() << "no installed printer offers Letter and Legal (scripts/print-server)";
    const struct {
        QStringList args;
        TQRPaperSize paper;
        TPrinterOrientation orientation;
    } cases[] = {
        { { "--paper", "Letter" }, TQRPaperSize::Letter, poPortrait },
        { { "--paper", "Legal", "--landscape" }, TQRPaperSize::Legal, poLandscape },
        { { "--paper", "A4", "--landscape", "--compress" }, TQRPaperSize::A4, poLandscape },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const QString out = File("paper.qrp");
        const ProcessResult run =
            Qrpgen(QStringList { "--pages", "3" } + c.args + QStringList { out });
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(Execute(Tool("qrptool"), { "verify", out }).status, 0);
        TQRPrinter reloaded;
        reloaded.LoadFromFile(out.toStdString());
        EXPECT_EQ(reloaded.PageTotal(), 3);
        EXPECT_EQ(reloaded.PaperSize(), c.paper);
        EXPECT_EQ(reloaded.Orientation(), c.orientation);
    }
}

// Straight to the default printer; with the cups-pdf queue the job comes out as a PDF file.
TEST_F(QrpgenProcess, PrintsOnTheDefaultPrinter)
{
    if (!DefaultPrinterOffers("A4"))
        GTEST_SKIP() << "no installed printer offers A4 (scripts/print-server)";
    const QString pdfDir = qEnvironmentVariable("QRP_CUPS_PDF_DIR");
    const auto pdfs = [&] {
        return pdfDir.isEmpty() ? QStringList {} : QDir(pdfDir).entryList({ "*.pdf" }, QDir::Files);
    };
    const QStringList before = pdfs();
    const ProcessResult run = Qrpgen({ "--pages", "3", "--print", "--title", "qrpgen print test" });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("3 pages sent to ")) << run.out.toStdString();
    if (pdfDir.isEmpty())
        return;
    // cups-pdf names the file after the job's title, and writes it while it converts the job:
    // wait until it has content.
    QString arrived;
    for (int i = 0; i < 150 && arrived.isEmpty(); ++i) {
        QThread::msleep(200);
        for (const QString& f : pdfs())
            if (!before.contains(f) && f.startsWith("qrpgen_print_test") &&
                QFileInfo(QDir(pdfDir).filePath(f)).size() > 1000)
                arrived = f;
    }
    EXPECT_FALSE(arrived.isEmpty()) << "no PDF arrived in " << pdfDir.toStdString();
}
