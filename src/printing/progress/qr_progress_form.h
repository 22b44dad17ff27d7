#pragma once
// A small window that shows the progress of a recording that goes straight to the printer and
// lets the user cancel it. Its creator makes it the document's client control, so that every
// setting of the document's progress reaches it as a message.
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class TQRPrinter;

class TQRProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TQRProgressForm(QWidget* owner = nullptr);

    // The document whose progress is shown; not owned, kept alive by the creator.
    TQRPrinter* Document = nullptr;

    void CancelButtonClick();

    QLabel* Info;
    QPushButton* CancelButton;
    QProgressBar* Gauge;

protected:
    bool event(QEvent* event) override;
};
