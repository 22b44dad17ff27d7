// The standard preview window: tool bar, keys, status bar, save, load and closing.
#include "document/qr_printer.h"
#include "platform/dialogs.h"
#include "preview/qr_preview.h"
#include "preview/qr_preview_image.h"
#include "preview/qr_standard_preview.h"
#include "preview/qr_standard_preview_interface.h"
#include "support/coloured_pages.h"
#include "support/gui_test_setup.h"
#include "support/report_fixture.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <fstream>

class StandardPreviewTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TGuiTestSetup> setup;
    QTemporaryDir dir;
    std::unique_ptr<TQRPrinter> doc;
    QPointer<TQRStandardPreview> window;

    std::string Report(int pages, const std::string& name)
    {
        std::vector<std::vector<uint8_t>> bytes;
        for (int n = 1; n <= pages; ++n)
            bytes.push_back(ColouredPage(n));
        return WriteReport(dir, name, bytes);
    }
    void Open(int pages)
    {
        doc = std::make_unique<TQRPrinter>();
        doc->LoadFromFile(Report(pages, "doc.qrp"));
        window = new TQRStandardPreview(nullptr, *doc);
        window->Display();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }
    QString Status() { return window->PagePanel->text(); }
    // Keys go where the user's keys go: to the focused control, or the window.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != window)
            target = window;
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    void CloseAndFree()
    {
        if (window)
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void init() { setup = std::make_unique<TGuiTestSetup>(); }
    void cleanup()
    {
        CloseAndFree();
        doc.reset();
        setup.reset();
    }

    void opensOnPageOne()
    {
        Open(12);
        QVERIFY(window->isMaximized());
        QCOMPARE(window->windowTitle(), QStringLiteral("Print Preview"));
        QCOMPARE(Status(), QStringLiteral("Page 1 of 12"));
        QCOMPARE(window->ProgressPanel->text(), QStringLiteral("0%"));
        QVERIFY(window->ZoomToWidth->isChecked());
        QCOMPARE(window->QRPreview->Zoom(), 100);
        QVERIFY(window->Print->isEnabled());
        QVERIFY(!window->PrintSetup->isEnabled());
        QVERIFY(doc->ShowingPreview());
        QCOMPARE(window->ToolBar1->actions().count(), 17);
        QCOMPARE(window->ZoomFit->toolTip(), QStringLiteral("Zoom to fit"));
        QCOMPARE(window->ExitButton->text(), QStringLiteral("&Close"));
    }

    void titleNamesTheWindow()
    {
        doc = std::make_unique<TQRPrinter>();
        doc->SetTitle("Invoices 2026");
        doc->LoadFromFile(Report(1, "t.qrp"));
        window = new TQRStandardPreview(nullptr, *doc);
        QCOMPARE(window->windowTitle(), QStringLiteral("Invoices 2026"));
    }

    void keysAndButtonsPage()
    {
        Open(12);
        struct Step {
            std::function<void()> action;
            int page;
        };
        const std::vector<Step> steps {
            {[&] { window->PrevPageClick(); }, 1},
            {[&] { Key(Qt::Key_PageDown, Qt::ControlModifier); }, 12},
            {[&] { Key(Qt::Key_Home); }, 1},
            {[&] { Key(Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier); }, 2},
            {[&] { Key(Qt::Key_PageDown); }, 3},
            {[&] { Key(Qt::Key_PageUp); }, 2},
            {[&] { Key(Qt::Key_End); }, 12},
            {[&] { window->NextPageClick(); }, 12},
            {[&] { Key(Qt::Key_PageUp, Qt::ControlModifier); }, 1},
            {[&] { Key(Qt::Key_Down); }, 1},
            {[&] { window->LastPage->trigger(); }, 12},
            {[&] { window->FirstPage->trigger(); }, 1},
        };
        for (const auto& step : steps) {
            step.action();
            QCOMPARE(window->QRPreview->PageNumber(), step.page);
            QCOMPARE(Status(), QStringLiteral("Page %1 of 12").arg(step.page));
            QCOMPARE(PageShownIn(window->QRPreview->PageImage()->grab().toImage()), step.page);
        }
        Key(Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window);
        QVERIFY(!doc->ShowingPreview());
    }

    void emptyReportStaysOnPageOneOfNone()
    {
        Open(0);
        QCOMPARE(Status(), QStringLiteral("Page 1 of 0"));
        window->NextPageClick();
        window->LastPageClick();
        QCOMPARE(Status(), QStringLiteral("Page 1 of 0"));
    }

    void zoomButtonsFormOneGroup()
    {
        Open(2);
        window->ZoomFit->trigger();
        QVERIFY(window->ZoomFit->isChecked());
        QVERIFY(!window->ZoomToWidth->isChecked());
        QCOMPARE(window->QRPreview->ZoomMode(), zmFitPage);
        window->Zoom100->trigger();
        QCOMPARE(window->QRPreview->Zoom(), 100);
        QCOMPARE(window->QRPreview->ZoomMode(), zmFixed);
        window->ZoomToWidth->trigger();
        window->ZoomToWidth->trigger();
        QVERIFY(window->ZoomToWidth->isChecked());
        QCOMPARE(window->QRPreview->ZoomMode(), zmPageWidth);
    }

    void progressShowsRisingStepsOfFive()
    {
        Open(1);
        QStringList shown;
        for (int p : {3, 5, 7, 10, 100}) {
            window->QRPreviewProgressUpdate(window->QRPreview, p);
            shown << window->ProgressPanel->text();
        }
        QCOMPARE(shown, QStringList({"0%", "5%", "5%", "10%", ""}));
    }

    void saveWritesAnExactCopyOverAnyFile()
    {
        Open(3);
        const QString target = dir.filePath("copy.qrp");
        { std::ofstream(target.toStdString()) << "old file"; }
        TFileDialog asked;
        TFileDialog::Runner = [&](TFileDialog& d) {
            asked = d;
            d.FileName = target;
            d.FilterIndex = 1;
            return true;
        };
        window->SaveClick();
        QCOMPARE(asked.Title, QStringLiteral("Save report"));
        QCOMPARE(asked.Filter, QStringLiteral("DozivAdodoz file(*.QRP)|*.QRP"));
        QCOMPARE(asked.DefaultExt, QStringLiteral("QRP"));
        QFile copy(target), original(dir.filePath("doc.qrp"));
        QVERIFY(copy.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), original.readAll());
    }

    void loadReplacesTheReportOrExplainsWhy()
    {
        Open(3);
        window->NextPageClick();
        QString filter, title, defaultExt = "unset";
        TFileDialog::Runner = [&](TFileDialog& d) {
            filter = d.Filter;
            title = d.Title;
            defaultExt = d.DefaultExt;
            d.FileName = dir.filePath("missing.qrp");
            return true;
        };
        window->LoadClick();
        QCOMPARE(title, QStringLiteral("Load report"));
        QCOMPARE(filter, QStringLiteral("DozivAdodoz file (*.QRP)|*.QRP"));
        QCOMPARE(defaultExt, QString());
        QCOMPARE(setup->messages, QStringList({"File does not exist"}));
        QCOMPARE(Status(), QStringLiteral("Page 2 of 3"));

        const QString other = QString::fromStdString(Report(5, "other.qrp"));
        TFileDialog::Runner = [&](TFileDialog& d) {
            d.FileName = other;
            return true;
        };
        window->LoadClick();
        QCOMPARE(Status(), QStringLiteral("Page 1 of 5"));
        QVERIFY(window->Print->isEnabled());
        QVERIFY(!window->PrintSetup->isEnabled());

        // A damaged file: one clear error, and the window goes on with what it showed.
        const QString damaged = dir.filePath("damaged.qrp");
        { std::ofstream(damaged.toStdString()) << "this is not a report"; }
        TFileDialog::Runner = [&](TFileDialog& d) {
            d.FileName = damaged;
            return true;
        };
        window->LoadReport->trigger();
        QCOMPARE(setup->errors.size(), size_t(1));
        QVERIFY(QString::fromStdString(setup->errors[0]).contains(damaged));
        QVERIFY(window);
        window->LastPageClick();
    }

    // The flag falls only when the window is really freed, after its close handler has run.
    void closingFreesTheWindowBeforeTheFlagFalls()
    {
        Open(2);
        window->ExitButton->click();
        QVERIFY(window);
        QVERIFY(doc->ShowingPreview());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window);
        QVERIFY(!doc->ShowingPreview());
    }

    // The button prints through the document: one job, every page on a sheet of its own, with
    // the detected paper and orientation in the job's device mode.
    void printButtonPrintsTheWholeReportAsOneJob()
    {
        Open(3);
        window->Print->trigger();
        const auto jobs = setup->printers->system.Jobs();
        QCOMPARE(jobs.size(), size_t(1));
        const MemoryJob& job = *jobs.front();
        QVERIFY(job.ended);
        QCOMPARE(job.pages.size(), size_t(3));
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(PageShownIn(job.pages[size_t(n - 1)].image), n);
        QCOMPARE(job.devMode.dmPaperSize, int16_t(DMPAPER_A4));
        QCOMPARE(job.devMode.dmOrientation, int16_t(DMORIENT_PORTRAIT));
        QVERIFY(setup->errors.empty());
    }

    void factoryShowsAWindowThatOutlivesIt()
    {
        TQRStandardPreviewInterface::Install();
        doc = std::make_unique<TQRPrinter>();
        doc->LoadFromFile(Report(2, "f.qrp"));
        doc->Preview();
        window = qobject_cast<TQRStandardPreview*>(doc->PreviewWindow());
        QVERIFY(window);
        QVERIFY(doc->ShowingPreview());
        QVERIFY(window->isVisible());
        QCOMPARE(Status(), QStringLiteral("Page 1 of 2"));
    }
};

QRP_GUI_TEST_MAIN(StandardPreviewTest)
#include "standard_preview_test.moc"
