// qrpgen --preview in process: the preview window opens before the recording, follows it, and the
// report is written only once the user has closed the window; closing it while the recording runs
// cancels the recording and writes nothing.
#include "document/qr_printer.h"
#include "preview/qr_standard_preview.h"
#include "tools/qrpgen/gen_options.h"
#include "tools/qrpgen/generator_run.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace qrpgen;

namespace {

// Closes the preview window as soon as the document it shows is in the given state with at least
// the given number of pages; remembers the page totals it saw while the recording ran.
struct PreviewCloser {
    TQRDocumentState closeIn;
    int32_t closeFrom;
    std::string file; // the report, which must not exist while the window is open
    std::vector<int32_t> seenWhileRecording;
    bool writtenBeforeClosing = false;
    QTimer timer;

    PreviewCloser(TQRDocumentState state, int32_t pages, std::string report)
        : closeIn(state), closeFrom(pages), file(std::move(report))
    {
        timer.setInterval(1);
        QObject::connect(&timer, &QTimer::timeout, [this] { Poll(); });
        timer.start();
    }
    void Poll()
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* preview = qobject_cast<TQRStandardPreview*>(w);
            if (!preview || !preview->isVisible())
                continue;
            const TQRPrinter& doc = preview->Document;
            if (doc.State() == rdRecording)
                seenWhileRecording.push_back(doc.PageTotal());
            if (doc.State() == closeIn && doc.PageTotal() >= closeFrom) {
                writtenBeforeClosing |= QFileInfo::exists(QString::fromStdString(file));
                preview->close();
            }
        }
    }
};

TGenOptions PreviewOptions(const QTemporaryDir& dir, int32_t pages)
{
    TGenOptions options;
    options.pages = pages;
    options.mode = TOutputMode::Preview;
    options.title = "Preview test";
    options.outFile = dir.filePath("preview.qrp").toStdString();
    return options;
}

} // namespace

TEST(QrpgenPreview, ReportIsWrittenWhenTheFinishedPreviewCloses)
{
    QTemporaryDir dir;
    const TGenOptions options = PreviewOptions(dir, 6);
    PreviewCloser closer(rdComplete, 6, options.outFile);
    EXPECT_EQ(RunGenerator(options), 0);
    EXPECT_FALSE(closer.seenWhileRecording.empty()) << "the window did not follow the recording";
    EXPECT_FALSE(closer.writtenBeforeClosing);
    TQRPrinter reloaded;
    reloaded.LoadFromFile(options.outFile);
    EXPECT_EQ(reloaded.PageTotal(), 6);
}

TEST(QrpgenPreview, ClosingThePreviewDuringTheRecordingCancelsIt)
{
    QTemporaryDir dir;
    const TGenOptions options = PreviewOptions(dir, 2000);
    PreviewCloser closer(rdRecording, 3, options.outFile);
    EXPECT_THROW(RunGenerator(options), TGenFailure);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(options.outFile)));
    ASSERT_FALSE(closer.seenWhileRecording.empty());
    EXPECT_LT(closer.seenWhileRecording.back(), 2000) << "the recording ran to its end";
}
