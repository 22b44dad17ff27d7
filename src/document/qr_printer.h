#pragma once
// The report document: the pages of one report with the printer and print settings that go with
// them. Pages come from a report file (LoadFromFile) or from a report generator that records them
// (BeginDoc, NewPage, EndDoc); they are handed out one at a time as metafiles to the preview and
// to printing, saved as a report file, and shown in a preview window.
#include "printing/printer_orientation.h"
#include "printing/qr_bin.h"
#include "printing/qr_paper_size.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TCanvas;
class TMetafile;
class TMetafileCanvas;
class TPrinter;
class TPrinterSettings;
class TQRPageList;
class TQRSaveFilter;
class TQRStream;

enum TQRDocumentState : uint8_t { rdIdle, rdRecording, rdComplete };
enum TQRDestination : uint8_t { qdPageStore, qdPrinter };

// Messages the document sends to its windows.
constexpr uint32_t QR_PROGRESS = 0x0400;          // to ClientControl: percentage, 0
constexpr uint32_t QR_PAGES_AVAILABLE = 0x0401;   // to ClientControl: finished pages, 0
constexpr uint32_t QR_PRINT_REQUEST = 0x0402;     // to OwnerReport: 0, 0
constexpr uint32_t QR_PREVIEW_CLOSED = 0x0404;    // to OwnerReport: 0, the document

class TQRPrinter {
public:
    TQRPrinter();
    // Closes the document when it is not idle. It does not detach a preview: whoever shows the
    // document waits until no preview shows it.
    ~TQRPrinter();
    TQRPrinter(const TQRPrinter&) = delete;
    TQRPrinter& operator=(const TQRPrinter&) = delete;

    // --- pages, states and files ---
    TQRDocumentState State() const { return state_; }
    // Ends whatever the document holds and returns it to rdIdle.
    void CloseDocument();
    // Replaces the pages by those of a report file; rdComplete. Failures propagate and leave the
    // document rdIdle.
    void LoadFromFile(const std::string& fileName);
    // Writes the pages as a report file; only in rdComplete, otherwise does nothing.
    void SaveToFile(const std::string& fileName);
    // Page n as a new metafile the caller owns; null outside 1..PageTotal, while idle, or for a
    // page still being recorded.
    std::unique_ptr<TMetafile> PageImage(int32_t n);
    int32_t PageTotal() const { return pageTotal_; }
    bool LoadedFromFile() const { return loadedFromFile_; }
    // Sets the compression flag of the current page list (for a recording).
    void SetCompression(bool value);

    // --- preview ---
    // Shows the document: OnPreview when set, otherwise a window of the installed preview factory.
    void Preview();
    QWidget* PreviewWindow() const { return previewWindow_; }
    bool ShowingPreview() const { return showingPreview_; }
    // Falling from true to false cancels a running recording and raises AfterPreview.
    void SetShowingPreview(bool value);
    // Sends OwnerReport the preview-closed message and waits until it is handled.
    void NotifyPreviewClosed();
    // Hands the filter to OnSaveWithFilter when set.
    void SaveWithFilter(TQRSaveFilter& filter);
    void Cancel() { cancelled_ = true; }
    bool Cancelled() const { return cancelled_; }

    QObject* ClientControl() const { return clientControl_; }
    void SetClientControl(QObject* control) { clientControl_ = control; }
    QObject* OwnerReport() const { return ownerReport_; }
    void SetOwnerReport(QObject* window) { ownerReport_ = window; }

    int32_t AvailablePages() const { return availablePages_; }
    // Stores the count and posts it to ClientControl.
    void SetAvailablePages(int32_t pages);
    int32_t Progress() const { return progress_; }
    // Stores the percentage and posts it to ClientControl.
    void SetProgress(int32_t percent);

    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }
    // Print range; a bound of 0 or less is open.
    int32_t FirstPage() const { return firstPage_; }
    void SetFirstPage(int32_t page) { firstPage_ = page; }
    int32_t LastPage() const { return lastPage_; }
    void SetLastPage(int32_t page) { lastPage_ = page; }

    std::function<void(TQRPrinter&)> OnPreview;
    std::function<void(TQRPrinter&)> AfterPreview;
    std::function<void(TQRPrinter&)> AfterPrint;
    std::function<void(TQRSaveFilter&)> OnSaveWithFilter;
    std::function<void(QObject* sender)> OnPrinterSetup;

    // --- recording ---
    TQRDestination Destination() const { return destination_; }
    void SetDestination(TQRDestination destination) { destination_ = destination; }
    void BeginDoc();
    void NewPage();
    void EndDoc();
    void Abort();
    // The surface of the page being recorded; null between pages.
    TCanvas* Canvas() const { return canvas_; }
    int32_t PageNumber() const { return pageNumber_; }
    // Whether the page being recorded lies within the print range.
    bool PageInRange() const;

    // --- printing stored pages ---
    // Prints the range FirstPage..LastPage on the own printer, one sheet per page, each page
    // stretched over the printable area.
    void Print();
    // Hands the request to OnPrinterSetup when set.
    void PrinterSetup(QObject* sender);

    // --- printer, paper and page geometry ---
    bool PrintersInstalled() const { return printersInstalled_; }
    TPrinter& OwnPrinter() { return *printer_; }
    TPrinterSettings& Settings() { return *settings_; }
    TQRPaperSize PaperSize() const;
    void SetPaperSize(TQRPaperSize size);
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation orientation);
    int32_t SheetWidth() const;
    void SetSheetWidth(int32_t width);
    int32_t SheetLength() const;
    void SetSheetLength(int32_t length);
    void SetOutputBin(TQRBin bin);
    void SetCopies(int32_t copies);
    // Selects printer i and captures its driver's defaults; ignored without installed printers.
    void SetPrinterIndex(int32_t index);
    // The page size in 0.1 mm with the orientation applied.
    int32_t OrientedWidth() const;
    int32_t OrientedLength() const;
    int32_t PrintOffsetLeft() const { return printOffsetLeft_; }
    int32_t PrintOffsetTop() const { return printOffsetTop_; }
    long double ScaleX() const { return scaleX_; }
    long double ScaleY() const { return scaleY_; }
    // Report units (0.1 mm) to device pixels, nearest integer with ties to even.
    int32_t DeviceX(long double x) const;
    int32_t DeviceY(long double y) const;
    int32_t DeviceSizeX(long double w) const;
    int32_t DeviceSizeY(long double h) const;

private:
    void CreatePrinterSide();
    void DetectPaperFromFirstPage();
    void StartStorePage();
    void StartPrinterPage();
    void ReleasePageCanvas();
    void StorePageImage();
    void ReleaseThrowAwayPage();
    void UseScreenScales();
    void UsePrinterScales();

    // Printer side.
    std::unique_ptr<TPrinter> printer_;
    std::unique_ptr<TPrinterSettings> settings_;
    bool printersInstalled_ = false;
    int32_t printOffsetLeft_ = 0;
    int32_t printOffsetTop_ = 0;
    long double scaleX_ = 1.0L;
    long double scaleY_ = 1.0L;

    // Pages.
    std::unique_ptr<TQRPageList> pageList_;
    TQRStream* spoolStream_ = nullptr;  // the page list's stream while the document has pages
    TQRDocumentState state_ = rdIdle;
    TQRDestination destination_ = qdPageStore;
    int32_t pageTotal_ = 0;
    int32_t pageNumber_ = 0;
    int32_t availablePages_ = 0;
    int32_t progress_ = 0;
    int32_t firstPage_ = 0;
    int32_t lastPage_ = 0;
    std::string title_;
    bool cancelled_ = false;
    bool showingPreview_ = false;
    bool loadedFromFile_ = false;

    // The page being recorded: a metafile with its canvas, or the printer's canvas.
    TCanvas* canvas_ = nullptr;
    std::unique_ptr<TMetafile> pageImage_;
    std::unique_ptr<TMetafileCanvas> pageCanvas_;

    // Windows are not owned; they may go away at any time, and these references then read null.
    QPointer<QObject> clientControl_;
    QPointer<QObject> ownerReport_;
    QPointer<QWidget> previewWindow_;
};
