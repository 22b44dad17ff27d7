#include "tools/qrpgen/generator_run.h"

#include "document/qr_printer.h"
#include "platform/application.h"
#include "preview/qr_standard_preview_interface.h"
#include "printer/printer.h"
#include "printing/progress/qr_progress_form.h"
#include "tools/qrpgen/ledger_report.h"
#include "tools/qrpgen/paper_choice.h"
#include "tools/qrpgen/record_report.h"

#include <QFileInfo>
#include <cstdio>

namespace qrpgen {

namespace {

// A report that cannot be saved should say so before it is recorded, not after the user has
// watched it in the preview.
void CheckOutputFile(const std::string& fileName)
{
    const QFileInfo file(QString::fromStdString(fileName));
    if (file.isDir())
        throw TGenFailure("cannot write " + fileName + ": it is a folder");
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        throw TGenFailure("cannot write " + fileName + ": the folder " +
                          folder.filePath().toStdString() + " does not exist");
    if (!folder.isWritable())
        throw TGenFailure("cannot write " + fileName + ": the folder " +
                          folder.filePath().toStdString() + " is not writable");
}

void Prepare(TQRPrinter& document, const TGenOptions& options, TPrinterChoice choice)
{
    const std::string problem = ChoosePaper(document, options.paper, options.orientation, choice);
    if (!problem.empty())
        throw TGenFailure(problem);
    document.SetTitle(options.title);
    document.SetCompression(options.compress);
}

void LetWindowsFollow()
{
    Application()->ProcessMessages();
}

int RecordToFile(const TGenOptions& options)
{
    CheckOutputFile(options.outFile);
    TQRPrinter document;
    Prepare(document, options, TPrinterChoice::AnyPrinter);
    TLedgerReport report(document, QString::fromStdString(options.title), options.pages,
                         options.seed);
    RecordReport(document, report);
    document.SaveToFile(options.outFile);
    return 0;
}

// The preview is opened before the recording starts and shows each page as soon as it is
// finished; closing it cancels the recording. The finished report is saved once the user has
// closed the window.
int RecordWithPreview(const TGenOptions& options)
{
    CheckOutputFile(options.outFile);
    TQRStandardPreviewInterface::Install();
    TQRPrinter document;
    Prepare(document, options, TPrinterChoice::AnyPrinter);
    TLedgerReport report(document, QString::fromStdString(options.title), options.pages,
                         options.seed);
    document.Preview();
    if (!RecordReport(document, report, LetWindowsFollow))
        throw TGenFailure("the preview was closed before the report was complete; " +
                          options.outFile + " was not written");
    do
        Application()->HandleMessage();
    while (document.ShowingPreview());
    document.SaveToFile(options.outFile);
    return 0;
}

int RecordToPrinter(const TGenOptions& options)
{
    TQRPrinter document;
    if (!document.PrintersInstalled())
        throw TGenFailure("no printer is installed to print on");
    document.SetDestination(qdPrinter);
    Prepare(document, options, TPrinterChoice::DefaultOnly);
    TLedgerReport report(document, QString::fromStdString(options.title), options.pages,
                         options.seed);
    TPrinter& printer = document.OwnPrinter();
    const int index = printer.PrinterIndex();
    const std::string printerName = index >= 0 && size_t(index) < printer.Printers().size()
                                        ? printer.Printers()[size_t(index)]
                                        : std::string("the default printer");
    bool complete = false;
    {
        TQRProgressForm progress;
        progress.Document = &document;
        document.SetClientControl(&progress);
        progress.show();
        complete = RecordReport(document, report, LetWindowsFollow);
        document.SetClientControl(nullptr);
    }
    if (!complete)
        throw TGenFailure("printing was cancelled; the job on " + printerName + " was discarded");
    std::printf("%d pages sent to %s\n", int(report.PageCount()), printerName.c_str());
    return 0;
}

} // namespace

int RunGenerator(const TGenOptions& options)
{
    switch (options.mode) {
    case TOutputMode::File:
        return RecordToFile(options);
    case TOutputMode::Preview:
        return RecordWithPreview(options);
    case TOutputMode::Print:
        return RecordToPrinter(options);
    }
    return 2;
}

} // namespace qrpgen
