#include "printing/progress/qr_progress_form.h"

#include "document/qr_printer.h"
#include "platform/application.h"
#include "platform/guarded.h"
#include "platform/window_message.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

TQRProgressForm::TQRProgressForm(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Printing progress"));
    setFixedSize(149, 97);
    Gauge = new QProgressBar(this);
    Gauge->setGeometry(16, 18, 114, 16);
    Gauge->setRange(0, 100);
    Gauge->setValue(0);
    Gauge->setTextVisible(false);
    Info = new QLabel(this);
    Info->setGeometry(0, 44, 145, 13);
    Info->setAlignment(Qt::AlignCenter);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setGeometry(36, 60, 75, 25);
    CancelButton->setFocus();
    setTabOrder(CancelButton, Gauge);
    connect(CancelButton, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { CancelButtonClick(); }); });
}

void TQRProgressForm::CancelButtonClick()
{
    if (Document)
        Document->Cancel();
}

// The message's parameters are not read: the document's progress at the time of handling is what
// counts, and only whole steps of five are shown.
bool TQRProgressForm::event(QEvent* event)
{
    TMessageEvent* message = AsMessage(event);
    if (!message)
        return QDialog::event(event);
    if (message->Msg == QR_PROGRESS && Document) {
        const int32_t p = Document->Progress();
        if (p % 5 == 0) {
            Gauge->setValue(p);
            Info->setText(QString::number(p) + QStringLiteral("% ") + QStringLiteral(" Completed"));
            if (TApplication* app = Application())
                app->ProcessMessages();
        }
    }
    return true;
}
