// Where a recording keeps its pages: in memory until the spool outgrows 100000 bytes, then in a
// "QRP" temporary file that lives exactly as long as the recording's stream. The header on the
// spool counts one page until EndDoc writes the real count.
#include "document/qr_printer.h"
#include "graphics/canvas.h"
#include "platform/stream.h"
#include "support/memory_printers.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct SpoolTest : ::testing::Test {
    TMemoryPrinters printers; // none installed: the test does not depend on the machine's
    QTemporaryDir tmp;
    QByteArray previousTmp = qgetenv("TMPDIR");
    bool hadTmp = qEnvironmentVariableIsSet("TMPDIR");

    SpoolTest()
    {
        printers.RemoveAll();
        qputenv("TMPDIR", tmp.path().toUtf8());
    }
    ~SpoolTest() override
    {
        if (hadTmp)
            qputenv("TMPDIR", previousTmp);
        else
            qunsetenv("TMPDIR");
    }

    QStringList SpillFiles() const { return QDir(tmp.path()).entryList({ "QRP*" }, QDir::Files); }

    // The page count in the header of the one spill file. Fetching a page reads the spool,
    // which first writes out what the file stream still holds in its buffer.
    int32_t SpilledHeaderCount(TQRPrinter& doc) const
    {
        doc.PageImage(1);
        const QStringList files = SpillFiles();
        if (files.size() != 1)
            return -1;
        QFile file(tmp.filePath(files[0]));
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray head = file.read(12);
        return head.size() == 12 ? ReadLE32s(reinterpret_cast<const uint8_t*>(head.data()) + 8)
                                 : -1;
    }
};

// Some thousand text records: a page that takes well over ten kilobytes as a metafile.
void DrawBusyPage(TQRPrinter& doc)
{
    TCanvas& canvas = *doc.Canvas();
    for (int line = 0; line < 60; ++line)
        for (int column = 0; column < 6; ++column)
            canvas.TextOut(
                10 + column * 120, 10 + line * 16,
                QStringLiteral("P%1 L%2 C%3").arg(doc.PageNumber()).arg(line).arg(column));
}

} // namespace

TEST_F(SpoolTest, RecordingMovesToATemporaryFileThatGoesWithTheDocument)
{
    for (bool compress : { false, true }) {
        SCOPED_TRACE(compress ? "compressed" : "plain");
        auto doc = std::make_unique<TQRPrinter>();
        doc->SetCompression(compress);
        doc->BeginDoc();
        int pages = 0;
        // Small reports never touch the disk.
        doc->NewPage();
        DrawBusyPage(*doc);
        doc->NewPage();
        ++pages;
        EXPECT_TRUE(SpillFiles().empty());
        while (SpillFiles().empty() && pages < 400) {
            DrawBusyPage(*doc);
            doc->NewPage();
            ++pages;
        }
        ASSERT_EQ(SpillFiles().size(), 1) << "the spool never left memory";
        EXPECT_TRUE(SpillFiles()[0].startsWith("QRP"));
        EXPECT_GT(QFileInfo(tmp.filePath(SpillFiles()[0])).size(), 100000);
        EXPECT_EQ(SpilledHeaderCount(*doc), 1) << "the count is written only by EndDoc";
        DrawBusyPage(*doc);
        doc->NewPage();
        DrawBusyPage(*doc);
        EXPECT_EQ(SpilledHeaderCount(*doc), 1);
        doc->EndDoc();
        EXPECT_EQ(doc->PageTotal(), pages + 2);
        EXPECT_EQ(SpilledHeaderCount(*doc), doc->PageTotal());
        const std::string copy = tmp.filePath("copy.qrp").toStdString();
        doc->SaveToFile(copy);
        QFile saved(QString::fromStdString(copy));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        const QByteArray head = saved.read(12);
        EXPECT_EQ(ReadLE32s(reinterpret_cast<const uint8_t*>(head.data()) + 8), doc->PageTotal());
        saved.remove();
        // Pages spilled to the file read back as recorded.
        ASSERT_NE(doc->PageImage(1), nullptr);
        ASSERT_NE(doc->PageImage(doc->PageTotal()), nullptr);
        doc.reset();
        EXPECT_TRUE(SpillFiles().empty()) << "the spill file outlived its document";
    }
}

// Dropping a recording, by closing the document or by loading another report into it, removes
// its spill file at once.
TEST_F(SpoolTest, DroppedRecordingRemovesItsSpillFile)
{
    for (bool reload : { false, true }) {
        SCOPED_TRACE(reload ? "LoadFromFile" : "CloseDocument");
        TQRPrinter doc;
        doc.BeginDoc();
        while (SpillFiles().empty() && doc.PageTotal() < 400) {
            doc.NewPage();
            DrawBusyPage(doc);
        }
        ASSERT_EQ(SpillFiles().size(), 1);
        if (reload) {
            TQRPrinter other;
            other.BeginDoc();
            other.NewPage();
            other.EndDoc();
            const std::string file = tmp.filePath("other.qrp").toStdString();
            other.SaveToFile(file);
            doc.LoadFromFile(file);
            EXPECT_EQ(doc.PageTotal(), 1);
        } else {
            doc.CloseDocument();
        }
        EXPECT_TRUE(SpillFiles().empty());
        doc.Abort();
        EXPECT_TRUE(SpillFiles().empty());
    }
}
