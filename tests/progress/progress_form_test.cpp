// The progress window of a recording that goes straight to the printer.
#include "document/qr_printer.h"
#include "platform/window_message.h"
#include "printing/progress/qr_progress_form.h"
#include "support/gui_test_setup.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

class ProgressFormTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TGuiTestSetup> setup;

private slots:
    void init() { setup = std::make_unique<TGuiTestSetup>(); }
    void cleanup() { setup.reset(); }

    void layout()
    {
        TQRProgressForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Printing progress"));
        QCOMPARE(form.Gauge->geometry(), QRect(16, 18, 114, 16));
        QCOMPARE(form.Gauge->maximum(), 100);
        QCOMPARE(form.Info->text(), QString());
        QCOMPARE(form.CancelButton->text(), QStringLiteral("Cancel"));
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
    }

    // The window reads the document's progress when the message arrives and shows only whole
    // steps of five.
    void showsTheDocumentsProgressInStepsOfFive()
    {
        TQRPrinter doc;
        TQRProgressForm form;
        form.Document = &doc;
        doc.SetClientControl(&form);
        doc.SetProgress(40);
        QCoreApplication::sendPostedEvents(&form);
        QCOMPARE(form.Gauge->value(), 40);
        QCOMPARE(form.Info->text(), QStringLiteral("40%  Completed"));
        doc.SetProgress(37);
        QCoreApplication::sendPostedEvents(&form);
        QCOMPARE(form.Gauge->value(), 40);
        QCOMPARE(form.Info->text(), QStringLiteral("40%  Completed"));
        // Posted at 41, handled when the document already says 45.
        doc.SetProgress(41);
        doc.SetProgress(45);
        SendMessage(&form, 0x400, 0, 0);
        QCOMPARE(form.Gauge->value(), 45);
        QCoreApplication::sendPostedEvents(&form);
        QCOMPARE(form.Info->text(), QStringLiteral("45%  Completed"));
    }

    void cancelOnlyAsksTheDocumentToStop()
    {
        TQRPrinter doc;
        TQRProgressForm form;
        form.Document = &doc;
        form.show();
        QVERIFY(!doc.Cancelled());
        QTest::mouseClick(form.CancelButton, Qt::LeftButton);
        QVERIFY(doc.Cancelled());
        QVERIFY(form.isVisible());
        QCOMPARE(form.Info->text(), QString());
    }
};

QRP_GUI_TEST_MAIN(ProgressFormTest)
#include "progress_form_test.moc"
