// The report file handler, the main window and the command line.
#include "app/main_window.h"
#include "app/qrp_handler.h"
#include "document/qr_printer.h"
#include "pagestore/report_file_error.h"
#include "platform/dialogs.h"
#include "preview/qr_preview.h"
#include "preview/qr_standard_preview.h"
#include "preview/qr_standard_preview_interface.h"
#include "support/coloured_pages.h"
#include "support/gui_test_setup.h"
#include "support/report_fixture.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

namespace {
template <typename F>
void Later(F&& f)
{
    QMetaObject::invokeMethod(qApp, std::forward<F>(f), Qt::QueuedConnection);
}

// The open preview windows showing a document with this many pages.
TQRStandardPreview* PreviewOf(int pages)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<TQRStandardPreview*>(w))
            if (p->isVisible() && p->Document.PageTotal() == pages)
                return p;
    return nullptr;
}
} // namespace

class ApplicationTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TGuiTestSetup> setup;
    QTemporaryDir dir;

    std::string Report(int pages, const std::string& name)
    {
        std::vector<std::vector<uint8_t>> bytes;
        for (int n = 1; n <= pages; ++n)
            bytes.push_back(ColouredPage(n));
        return WriteReport(dir, name, bytes);
    }

private slots:
    void initTestCase() { TQRStandardPreviewInterface::Install(); }
    void init() { setup = std::make_unique<TGuiTestSetup>(); }
    void cleanup() { setup.reset(); }

    // Exact, case-sensitive comparison: the same name keeps the document, any other loads anew.
    void handlerLoadsOnlyForANewName()
    {
        const std::string lower = Report(2, "r.qrp");
        const std::string upper = Report(3, "R.qrp");
        TQRPHandler handler;
        handler.SetReportFileName("");
        QCOMPARE(handler.Document(), nullptr);
        handler.SetReportFileName(lower);
        TQRPrinter* first = handler.Document();
        QCOMPARE(first->PageTotal(), 2);
        handler.SetReportFileName(lower);
        QCOMPARE(handler.Document(), first);
        handler.SetReportFileName(upper);
        QCOMPARE(handler.Document()->PageTotal(), 3);

        const std::string missing = dir.filePath("gone.qrp").toStdString();
        QVERIFY_THROWS_EXCEPTION(EFOpenError, handler.SetReportFileName(missing));
        QCOMPARE(handler.ReportFileName(), missing);
        QVERIFY(handler.Document());
        QCOMPARE(handler.Document()->State(), rdIdle);
    }

    // Closing the window ends the wait: the nested loop frees the window, the control detaches and
    // the flag falls. No timer drives it.
    void closingThePreviewEndsTheWait()
    {
        TQRPHandler handler;
        handler.SetReportFileName(Report(2, "wait.qrp"));
        QPointer<QWidget> seen;
        Later([&] {
            seen = handler.Document()->PreviewWindow();
            QVERIFY(handler.Document()->ShowingPreview());
            seen->close();
        });
        handler.PreviewAndWait();
        QVERIFY(seen.isNull());
        QVERIFY(!handler.Document()->ShowingPreview());
    }

    // A second report opened from the main window while a preview shows nests its wait: the first
    // wait can only return after the second.
    void secondOpenNestsItsWait()
    {
        const QString a = QString::fromStdString(Report(2, "a.qrp"));
        const QString b = QString::fromStdString(Report(3, "b.qrp"));
        TOsnovniF mainWindow({"qrpview"});
        QStringList answers {a, b};
        TFileDialog::Runner = [&](TFileDialog& d) {
            d.FileName = answers.takeFirst();
            return true;
        };
        QStringList events;
        Later([&] {
            QVERIFY(PreviewOf(2));
            Later([&] {
                PreviewOf(2)->close();
                events << "closed a";
                Later([&] {
                    PreviewOf(3)->close();
                    events << "closed b";
                });
            });
            mainWindow.bOpen->click();
            events << "wait b returned";
        });
        mainWindow.bOpen->click();
        events << "wait a returned";
        QCOMPARE(events, QStringList({"closed a", "closed b", "wait b returned", "wait a returned"}));
        QVERIFY(setup->errors.empty());
    }

    void cancelledDialogOpensNothing()
    {
        TOsnovniF mainWindow({"qrpview"});
        int asked = 0;
        TFileDialog seen;
        TFileDialog::Runner = [&](TFileDialog& d) {
            ++asked;
            seen = d;
            return false;
        };
        mainWindow.bOpen->click();
        QCOMPARE(asked, 1);
        QCOMPARE(seen.Filter, QStringLiteral("QR Poročila (*.qrp)|*.qrp|Vse datoteke|*.*"));
        QCOMPARE(seen.DefaultExt, QStringLiteral("qrp"));
        QCOMPARE(seen.FilterIndex, 1);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<TQRStandardPreview*>(w) || !w->isVisible());
    }

    // A missing or damaged file named on the command line shows its error; the program then goes
    // on with its main window as if started without an argument.
    void badFileOnTheCommandLineLeavesTheMainWindowUsable()
    {
        const std::string damaged = dir.filePath("damaged.qrp").toStdString();
        { std::ofstream(damaged) << "garbage, not a report file at all"; }
        for (const std::string& name : {dir.filePath("missing.qrp").toStdString(), damaged}) {
            setup->errors.clear();
            TOsnovniF mainWindow({"qrpview", QString::fromStdString(name)});
            QCOMPARE(setup->errors.size(), size_t(1));
            QVERIFY(QString::fromStdString(setup->errors[0]).contains(QString::fromStdString(name)));
            QVERIFY(!Application()->Terminated());
            QCOMPARE(mainWindow.windowTitle(), QStringLiteral("Varnelle"));
            QCOMPARE(mainWindow.bOpen->text(), QStringLiteral("Odpri"));
            QCOMPARE(mainWindow.bOpen->geometry(), QRect(12, 12, 75, 25));
        }
    }

    // The real program: an empty first argument loads nothing and ends at once.
    void emptyArgumentEndsTheProgram()
    {
        const QString program = qEnvironmentVariable("QRP_BINARY_DIR") + "/src/qrpview";
        QProcess process;
        process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        QElapsedTimer clock;
        clock.start();
        process.start(program, {""});
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }
};

QRP_GUI_TEST_MAIN(ApplicationTest)
#include "application_test.moc"
