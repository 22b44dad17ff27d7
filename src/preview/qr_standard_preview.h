#pragma once
// The standard preview window: a tool bar for zoom, paging, printing, saving and loading, a status
// bar with the recording's progress and the page status, and one preview control. It frees itself
// when closed; its preview control then detaches from the document.
#include <QMainWindow>
#include <cstdint>

class QAction;
class QActionGroup;
class QLabel;
class QToolBar;
class QToolButton;
class TQRPreview;
class TQRPrinter;

class TQRStandardPreview : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window for the document (which must outlive it) and attaches the preview control.
    TQRStandardPreview(QWidget* owner, TQRPrinter& document);
    ~TQRStandardPreview() override;

    // Shows the window (maximised, not modal), then writes the page status.
    void Display();
    // "Page n of m" in the status bar's second panel.
    void UpdatePageStatus();

    void ZoomToFitClick();
    void ZoomTo100Click();
    void ZoomToWidthClick();
    void FirstPageClick();
    void PrevPageClick();
    void NextPageClick();
    void LastPageClick();
    void PrintClick();
    void PrintSetupClick();
    void SaveClick();
    void LoadClick();
    void ExitClick();
    void FormKeyDown(int key, Qt::KeyboardModifiers shift);
    void QRPreviewPageAvailable(TQRPreview* sender, int32_t pageNum);
    void QRPreviewProgressUpdate(TQRPreview* sender, int32_t progress);

    TQRPrinter& Document;
    QToolBar* ToolBar1;
    QAction* ZoomFit;
    QAction* Zoom100;
    QAction* ZoomToWidth;
    QAction* FirstPage;
    QAction* PreviousPage;
    QAction* ToolButton2;  // next page
    QAction* LastPage;
    QAction* PrintSetup;
    QAction* Print;
    QAction* SaveReport;
    QAction* LoadReport;
    QToolButton* ExitButton;
    TQRPreview* QRPreview;
    QLabel* ProgressPanel;  // status panel 0
    QLabel* PagePanel;      // status panel 1
    int32_t LastProgressShown = 0;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* AddButton(const char* hint, int glyph, void (TQRStandardPreview::*handler)());
    QActionGroup* zoomGroup_;
};
