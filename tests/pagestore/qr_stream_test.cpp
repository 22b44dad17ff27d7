#include "pagestore/qr_stream.h"
#include "platform/errors.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

namespace {
// Runs each test with TMPDIR pointing at a fresh folder, so spill files can be seen and counted.
struct QRStreamTest : ::testing::Test {
    QTemporaryDir dir;
    QByteArray oldTmp = qgetenv("TMPDIR");
    void SetUp() override { qputenv("TMPDIR", dir.path().toUtf8()); }
    void TearDown() override { qputenv("TMPDIR", oldTmp); }
    QStringList Files() { return QDir(dir.path()).entryList(QDir::Files); }
};
} // namespace

TEST_F(QRStreamTest, SpillsOnlyPastTheLimitAndKeepsBytesAndPosition)
{
    std::vector<uint8_t> bytes(101);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7);
    std::string spillName;
    {
        TQRStream stream(100);
        stream.WriteBuffer(bytes.data(), 100);
        EXPECT_TRUE(stream.MemoryBacked()) << "a stream exactly at the limit stays in memory";
        EXPECT_TRUE(Files().isEmpty());
        stream.WriteBuffer(&bytes[100], 1);
        EXPECT_FALSE(stream.MemoryBacked());
        ASSERT_EQ(Files().size(), 1);
        EXPECT_TRUE(Files()[0].startsWith("QRP"));
        spillName = stream.SpillFileName();
        EXPECT_EQ(QFileInfo(QString::fromStdString(spillName)).fileName(), Files()[0]);
        EXPECT_EQ(stream.Position(), 101);
        EXPECT_EQ(stream.Size(), 101);
        std::vector<uint8_t> back(101);
        stream.SetPosition(0);
        stream.ReadBuffer(back.data(), 101);
        EXPECT_EQ(back, bytes);
        EXPECT_EQ(stream.Seek(-1, soEnd), 100);
    }
    EXPECT_TRUE(Files().isEmpty()) << "the spill file lives as long as its stream";
}

TEST_F(QRStreamTest, StreamOverAReportLeavesTheFileAndRefusesMissingOnes)
{
    const std::string name = dir.filePath("report.qrp").toStdString();
    std::ofstream(name) << "0123456789";
    {
        TQRStream stream(name);
        EXPECT_EQ(stream.Size(), 10);
        EXPECT_FALSE(stream.MemoryBacked());
        EXPECT_EQ(stream.FileName(), name);
    }
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(name)));
    EXPECT_THROW(TQRStream(dir.filePath("none.qrp").toStdString()), EFOpenError);
}

TEST_F(QRStreamTest, FailedSpillKeepsTheBytesInMemory)
{
    // A folder where no file can be made, not even by root.
    qputenv("TMPDIR", "/proc/self");
    TQRStream stream(4);
    stream.WriteBuffer("abcd", 4);
    EXPECT_THROW(stream.WriteBuffer("e", 1), EFCreateError);
    EXPECT_TRUE(stream.MemoryBacked());
    EXPECT_EQ(stream.Size(), 5);
    stream.SetPosition(4);
    EXPECT_EQ(stream.ReadUInt8(), 'e');
}
