#include "platform/errors.h"
#include "platform/file_stream.h"
#include "platform/replacing_file_stream.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
std::string ReadAll(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& name, const std::string& text)
{
    std::ofstream(name, std::ios::binary) << text;
}

struct FileStreamTest : ::testing::Test {
    QTemporaryDir dir;
    std::string Path(const char* name) { return dir.filePath(name).toStdString(); }
};
} // namespace

TEST_F(FileStreamTest, ReadsWritesAndSeeksThroughItsBuffers)
{
    const auto name = Path("a.bin");
    {
        TFileStream out(name, fmCreate);
        for (int i = 0; i < 200000; ++i)
            out.WriteUInt8(uint8_t(i));
        out.SetPosition(10);
        out.WriteInt32(0x01020304);
        EXPECT_EQ(out.Size(), 200000);
        out.SetPosition(10);
        EXPECT_EQ(out.ReadInt32(), 0x01020304);
    }
    TFileStream in(name, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(in.Size(), 200000);
    in.SetPosition(199999);
    EXPECT_EQ(in.ReadUInt8(), uint8_t(199999));
    uint8_t byte;
    EXPECT_EQ(in.Read(&byte, 1), 0);
    EXPECT_THROW(in.ReadUInt8(), EReadError);
    EXPECT_THROW(in.Seek(-1, soBeginning), EStreamError);
}

TEST_F(FileStreamTest, MissingFileRaisesOpenErrorNamingIt)
{
    const auto name = Path("missing.qrp");
    try {
        TFileStream in(name, fmOpenRead | fmShareDenyNone);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot open file " + name, 0), 0u) << e.what();
    }
}

// An exclusive create must fail, and leave the file's bytes alone, while a reader that shares
// reading and writing holds it; the check works across processes too.
TEST_F(FileStreamTest, ExclusiveCreateFailsBeforeTruncatingWhileFileIsOpen)
{
    const auto name = Path("report.qrp");
    WriteAll(name, "original");
    {
        TFileStream reader(name, fmOpenRead | fmShareDenyNone);
        EXPECT_THROW(TFileStream(name, fmCreate), EFCreateError);
        EXPECT_EQ(ReadAll(name), "original");
        TFileStream secondReader(name, fmOpenRead | fmShareDenyNone);  // sharing readers coexist

        const pid_t child = fork();
        if (child == 0) {
            try {
                TFileStream other(name, fmCreate);
                _exit(1);
            } catch (const EFCreateError&) {
                _exit(0);
            }
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_TRUE(FileIsOpenElsewhere(name));
    }
    EXPECT_FALSE(FileIsOpenElsewhere(name));
    TFileStream writer(name, fmCreate);
    EXPECT_EQ(writer.Size(), 0);
    EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyNone), EFOpenError);
}

TEST_F(FileStreamTest, ReplacingStreamLeavesOldFileUntilCommit)
{
    const auto name = Path("copy.qrp");
    WriteAll(name, "old contents");
    {
        TReplacingFileStream out(name);
        out.WriteBuffer("new", 3);
        EXPECT_EQ(ReadAll(name), "old contents");
    }  // abandoned
    EXPECT_EQ(ReadAll(name), "old contents");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    {
        TReplacingFileStream out(name);
        out.WriteBuffer("new", 3);
        out.Commit();
    }
    EXPECT_EQ(ReadAll(name), "new");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    TFileStream holder(name, fmOpenRead | fmShareDenyNone);
    EXPECT_THROW(TReplacingFileStream{name}, EFCreateError);
    EXPECT_EQ(ReadAll(name), "new");
}
