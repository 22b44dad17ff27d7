#pragma once
// Ties one report file name to one report document and shows that document's preview as a wait
// that blocks its caller while the application goes on handling every window's messages.
#include <memory>
#include <string>

class TQRPrinter;

class TQRPHandler {
public:
    TQRPHandler();
    ~TQRPHandler();
    TQRPHandler(const TQRPHandler&) = delete;
    TQRPHandler& operator=(const TQRPHandler&) = delete;

    const std::string& ReportFileName() const { return reportFileName_; }
    // Loads the file into a new document unless the name is exactly the current one. A failed
    // load propagates; the new name and the new, unloaded document stay.
    void SetReportFileName(const std::string& fileName);
    // Shows the document's preview and returns once no preview shows it any more.
    void PreviewAndWait();

    TQRPrinter* Document() const { return document_.get(); }

private:
    std::string reportFileName_;
    std::unique_ptr<TQRPrinter> document_;
};
