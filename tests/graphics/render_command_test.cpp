// qrptool render, export and text: exit statuses, output files and their sizes. The tool is the
// one built beside these tests.
#include "graphics/emf_test_file.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RenderCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tool_ = qEnvironmentVariable("QRP_BINARY_DIR") + "/src/tools/qrptool";
        if (!QFile::exists(tool_))
            GTEST_SKIP() << "qrptool is not built";
        ASSERT_TRUE(dir_.isValid());
        TEmfTestFile page(192, 96);
        page.Add(37, { int32_t(0x80000008) });
        page.Brush(1, 0x000000);
        page.Add(43, { 10, 10, 30, 30 });
        page.Font(2, -16, u"Arial");
        page.Text(40, 40, u"Page text");
        Write("page.emf", page.Bytes());
        ASSERT_EQ(Run({ "build", Path("report.qrp"), Path("page.emf"), Path("page.emf") }), 0);
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }
    void Write(const QString& name, const std::vector<uint8_t>& bytes)
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    int Run(const QStringList& args)
    {
        QProcess process;
        process.start(tool_, args);
        process.waitForFinished(60000);
        output_ = process.readAllStandardOutput();
        errors_ = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString tool_;
    QTemporaryDir dir_;
    QByteArray output_, errors_;
};

TEST_F(RenderCommandTest, RendersThePageAtItsFrameSize)
{
    ASSERT_EQ(Run({ "render", Path("report.qrp"), "--page", "2", "--dpi", "192", Path("p.png") }),
              0)
        << errors_.toStdString();
    const QImage image(Path("p.png"));
    EXPECT_EQ(image.size(), QSize(384, 192));
    EXPECT_EQ(image.pixel(40, 40) & 0xFFFFFF, 0u);
    EXPECT_EQ(image.pixel(100, 10) & 0xFFFFFF, 0xFFFFFFu);
    for (const char* vector : { "p.svg", "p.pdf" })
        EXPECT_EQ(Run({ "render", Path("report.qrp"), Path(vector) }), 0) << vector;
    QFile svg(Path("p.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("Page text"));
}

TEST_F(RenderCommandTest, ExportAndText)
{
    ASSERT_EQ(Run({ "export", Path("report.qrp"), Path("all.pdf") }), 0) << errors_.toStdString();
    QFile pdf(Path("all.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_EQ(pdf.readAll().count("/Type /Page\n") + 0, 2);
    ASSERT_EQ(Run({ "text", Path("report.qrp") }), 0);
    EXPECT_EQ(output_, "Page text\nPage text\n");
    ASSERT_EQ(Run({ "text", Path("report.qrp"), "--page", "1" }), 0);
    EXPECT_EQ(output_, "Page text\n");
}

TEST_F(RenderCommandTest, ExitStatuses)
{
    struct Case {
        QStringList args;
        int status;
    };
    const Case cases[] = {
        { { "render", Path("report.qrp"), "--page", "3", Path("x.png") }, 1 },
        { { "render", Path("missing.qrp"), Path("x.png") }, 1 },
        { { "render", Path("page.emf"), Path("x.png") }, 1 },
        { { "render", Path("report.qrp"), "--dpi", "0", Path("x.png") }, 2 },
        { { "render", Path("report.qrp"), Path("x.bmp") }, 2 },
        { { "render", Path("report.qrp") }, 2 },
        { { "render", Path("report.qrp"), "--colour", "red", Path("x.png") }, 2 },
        { { "text", Path("report.qrp"), "--page", "9" }, 1 },
        { { "export", Path("report.qrp"), Path("x.png") }, 2 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), c.status) << c.args.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(Path("x.png")));
        if (c.status == 1) {
            EXPECT_EQ(errors_.count('\n'), 1) << errors_.toStdString();
        }
    }
}

TEST_F(RenderCommandTest, DamagedPageHeaderIsAnInputError)
{
    QFile report(Path("report.qrp"));
    ASSERT_TRUE(report.open(QIODevice::ReadWrite));
    QByteArray bytes = report.readAll();
    const qsizetype signature = bytes.indexOf(" EMF");
    ASSERT_GT(signature, 0);
    bytes[signature] = 'X';
    report.seek(0);
    report.write(bytes);
    report.close();
    EXPECT_EQ(Run({ "render", Path("report.qrp"), Path("x.png") }), 1);
    EXPECT_TRUE(errors_.contains("report.qrp")) << errors_.toStdString();
    EXPECT_FALSE(QFile::exists(Path("x.png")));
}

} // namespace
