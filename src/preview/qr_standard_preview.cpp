#include "preview/qr_standard_preview.h"

#include "document/qr_export_filter_library.h"
#include "document/qr_printer.h"
#include "document/qr_save_filter.h"
#include "document/resource_strings.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/guarded.h"
#include "preview/preview_glyphs.h"
#include "preview/qr_preview.h"
#include "preview/qr_preview_image.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

TQRStandardPreview::TQRStandardPreview(QWidget* owner, TQRPrinter& document)
    : QMainWindow(owner), Document(document)
{
    setAttribute(Qt::WA_DeleteOnClose);  // closing frees the window
    setWindowTitle(QStringLiteral("Print Preview"));
    resize(652, 579);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->setContentsMargins(2, 2, 2, 2);
    zoomGroup_ = new QActionGroup(this);
    zoomGroup_->setExclusive(true);
    ToolBar1->addSeparator();
    ZoomFit = AddButton("Zoom to fit", 0, &TQRStandardPreview::ZoomToFitClick);
    Zoom100 = AddButton("100%", 1, &TQRStandardPreview::ZoomTo100Click);
    ZoomToWidth = AddButton("Zoom to width", 2, &TQRStandardPreview::ZoomToWidthClick);
    for (QAction* zoom : {ZoomFit, Zoom100, ZoomToWidth}) {
        zoom->setCheckable(true);
        zoomGroup_->addAction(zoom);
    }
    ToolBar1->addSeparator();
    FirstPage = AddButton("First page", 3, &TQRStandardPreview::FirstPageClick);
    PreviousPage = AddButton("Previous page", 4, &TQRStandardPreview::PrevPageClick);
    ToolButton2 = AddButton("Next page", 5, &TQRStandardPreview::NextPageClick);
    LastPage = AddButton("Last page", 6, &TQRStandardPreview::LastPageClick);
    ToolBar1->addSeparator();
    PrintSetup = AddButton("Printer setup", 7, &TQRStandardPreview::PrintSetupClick);
    Print = AddButton("Print", 8, &TQRStandardPreview::PrintClick);
    PrintSetup->setEnabled(false);
    Print->setEnabled(false);
    ToolBar1->addSeparator();
    SaveReport = AddButton("Save Report", 10, &TQRStandardPreview::SaveClick);
    LoadReport = AddButton("Load Report", 9, &TQRStandardPreview::LoadClick);
    ToolBar1->addSeparator();
    ExitButton = new QToolButton(ToolBar1);
    ExitButton->setText(QStringLiteral("&Close"));
    ExitButton->setMinimumSize(40, 22);
    ExitButton->setAutoRaise(true);
    connect(ExitButton, &QToolButton::clicked, this, [this] { RunGuarded([this] { ExitClick(); }); });
    ToolBar1->addWidget(ExitButton);

    QRPreview = new TQRPreview(this);
    QRPreview->OnPageAvailable = [this](TQRPreview* sender, int32_t page) {
        QRPreviewPageAvailable(sender, page);
    };
    QRPreview->OnProgressUpdate = [this](TQRPreview* sender, int32_t progress) {
        QRPreviewProgressUpdate(sender, progress);
    };
    QRPreview->SetZoom(100);
    setCentralWidget(QRPreview);

    ProgressPanel = new QLabel(QStringLiteral("0%"));
    ProgressPanel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ProgressPanel->setFixedWidth(40);
    PagePanel = new QLabel(QString::fromLatin1(kPageWord));
    PagePanel->setMinimumWidth(50);
    statusBar()->addWidget(ProgressPanel);
    statusBar()->addWidget(PagePanel, 1);
    statusBar()->setSizeGripEnabled(true);

    // Key preview: the window sees every key before the focused control.
    qApp->installEventFilter(this);

    setWindowState(windowState() | Qt::WindowMaximized);
    QRPreview->SetDocument(&document);
    if (!document.Title().empty())
        setWindowTitle(QString::fromStdString(document.Title()));
    LastProgressShown = 0;
    ZoomToWidth->setChecked(true);
    if (document.State() == rdComplete)
        Print->setEnabled(true);
}

TQRStandardPreview::~TQRStandardPreview()
{
    qApp->removeEventFilter(this);
}

QAction* TQRStandardPreview::AddButton(const char* hint, int glyph,
                                       void (TQRStandardPreview::*handler)())
{
    QAction* action = ToolBar1->addAction(PreviewGlyph(TPreviewGlyph(glyph)), QString());
    action->setToolTip(QString::fromLatin1(hint));
    action->setStatusTip(QString::fromLatin1(hint));
    connect(action, &QAction::triggered, this,
            [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
    return action;
}

void TQRStandardPreview::Display()
{
    showMaximized();
    UpdatePageStatus();
}

void TQRStandardPreview::UpdatePageStatus()
{
    TQRPrinter* document = QRPreview->Document();
    PagePanel->setText(QStringLiteral("%1 %2 %3 %4")
                           .arg(QString::fromLatin1(kPageWord))
                           .arg(QRPreview->PageNumber())
                           .arg(QString::fromLatin1(kOfWord))
                           .arg(document ? document->PageTotal() : 0));
}

void TQRStandardPreview::ZoomToFitClick()
{
    Application()->ProcessMessages();
    QRPreview->ZoomToFitPage();
}

void TQRStandardPreview::ZoomTo100Click()
{
    Application()->ProcessMessages();
    QRPreview->SetZoom(100);
}

void TQRStandardPreview::ZoomToWidthClick()
{
    Application()->ProcessMessages();
    QRPreview->ZoomToPageWidth();
}

void TQRStandardPreview::FirstPageClick()
{
    QRPreview->SetPageNumber(1);
    UpdatePageStatus();
}

void TQRStandardPreview::PrevPageClick()
{
    QRPreview->SetPageNumber(QRPreview->PageNumber() - 1);
    UpdatePageStatus();
}

void TQRStandardPreview::NextPageClick()
{
    QRPreview->SetPageNumber(QRPreview->PageNumber() + 1);
    UpdatePageStatus();
}

void TQRStandardPreview::LastPageClick()
{
    QRPreview->SetPageNumber(Document.PageTotal());
    UpdatePageStatus();
}

void TQRStandardPreview::PrintClick()
{
    Document.Print();
}

void TQRStandardPreview::PrintSetupClick()
{
    Document.PrinterSetup(PrintSetup);
}

void TQRStandardPreview::SaveClick()
{
    TFileDialog dialog;
    dialog.DialogKind = TFileDialog::Save;
    dialog.Title = QStringLiteral("Save report");
    dialog.Filter = QString::fromStdString(FilterLibrary().BuildSaveFilter());
    dialog.DefaultExt = QString::fromLatin1(kReportFileExtension);
    if (!dialog.Execute(this))
        return;
    const std::string fileName = dialog.FileName.toStdString();
    if (dialog.FilterIndex <= 1) {
        Document.SaveToFile(fileName);
        return;
    }
    const TQRFilterEntry& entry = FilterLibrary().Entry(dialog.FilterIndex - 2);
    const std::unique_ptr<TQRSaveFilter> filter = entry.FilterClass(fileName);
    Document.SaveWithFilter(*filter);
}

void TQRStandardPreview::LoadClick()
{
    TFileDialog dialog;
    dialog.DialogKind = TFileDialog::Open;
    dialog.Title = QStringLiteral("Load report");
    dialog.Filter = QStringLiteral("%1 (*.%2)|*.%2")
                        .arg(QString::fromLatin1(kReportFileDescription),
                             QString::fromLatin1(kReportFileExtension));
    if (!dialog.Execute(this))
        return;
    if (!QFileInfo(dialog.FileName).isFile()) {
        ShowMessage(QStringLiteral("File does not exist"), this);
        return;
    }
    Document.LoadFromFile(dialog.FileName.toStdString());
    QRPreview->SetPageNumber(1);
    QRPreview->PageImage()->SetPageNumber(1);
    UpdatePageStatus();
    PrintSetup->setEnabled(false);
    Print->setEnabled(true);
}

void TQRStandardPreview::ExitClick()
{
    close();
}

void TQRStandardPreview::FormKeyDown(int key, Qt::KeyboardModifiers shift)
{
    // "Exactly Ctrl": no other modifier and no mouse button held.
    const bool onlyCtrl = (shift & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier |
                                    Qt::MetaModifier)) == Qt::ControlModifier &&
                          QApplication::mouseButtons() == Qt::NoButton;
    switch (key) {
    case Qt::Key_Escape: ExitClick(); break;
    case Qt::Key_PageUp: onlyCtrl ? FirstPageClick() : PrevPageClick(); break;
    case Qt::Key_PageDown: onlyCtrl ? LastPageClick() : NextPageClick(); break;
    case Qt::Key_End: LastPageClick(); break;
    case Qt::Key_Home: FirstPageClick(); break;
    default: break;
    }
}

void TQRStandardPreview::QRPreviewPageAvailable(TQRPreview*, int32_t)
{
    UpdatePageStatus();
    if (Document.State() == rdComplete) {
        PrintSetup->setEnabled(true);
        Print->setEnabled(true);
    }
}

void TQRStandardPreview::QRPreviewProgressUpdate(TQRPreview*, int32_t progress)
{
    if (progress >= LastProgressShown + 5) {
        ProgressPanel->setText(QString::number(progress) + QLatin1Char('%'));
        LastProgressShown = progress;
    }
    if (progress == 0 || progress == 100)
        ProgressPanel->setText(QString());
}

void TQRStandardPreview::closeEvent(QCloseEvent* event)
{
    RunGuarded([this] { Document.NotifyPreviewClosed(); });
    event->accept();
}

void TQRStandardPreview::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    QRPreview->ApplyZoom();
}

bool TQRStandardPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        QWidget* focus = QApplication::focusWidget();
        // The key's first stop: the focused control of this window, or the window itself when
        // nothing in it has the focus. (The toolkit offers it to each parent in turn as well.)
        const bool firstStop =
            widget && widget->window() == this &&
            (widget == focus || ((!focus || focus->window() != this) && widget == this));
        if (firstStop) {
            const auto* key = static_cast<QKeyEvent*>(event);
            RunGuarded([&] { FormKeyDown(key->key(), key->modifiers()); });
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
