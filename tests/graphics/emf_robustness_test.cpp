// Damaged metafiles: the corrupted corpus, and every corpus file cut short and with bytes
// changed, play without crashing (the sanitizer build checks the reads), and playback of a
// damaged file still draws its valid records.
#include "graphics/emf_player.h"
#include "graphics/emf_test_file.h"
#include "graphics/emf_text.h"

#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>
#include <random>

namespace {

void PlayEverywhere(std::span<const uint8_t> bytes)
{
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    StretchDrawMetafile(painter, QRectF(0, 0, 64, 64), bytes);
    TEmfPlayer player(painter, QTransform::fromScale(0.1, 0.1));
    player.PlayAll(bytes);
    ExtractEmfText(bytes);
}

QStringList Files(const std::string& folder)
{
    const QDir dir(QString::fromStdString(SharedDir() + "/" + folder));
    QStringList files;
    for (const QString& name : dir.entryList({ "*.emf" }, QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}

TEST(Robustness, CorruptedCorpusPlays)
{
    const QStringList files = Files("corpus/emf-corrupted");
    if (files.isEmpty())
        GTEST_SKIP() << "no corrupted corpus beside the project";
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        PlayEverywhere(ReadFileBytes(file.toStdString()));
    }
}

TEST(Robustness, CutAndChangedCorpusPlays)
{
    QStringList files = Files("corpus/emf");
    if (files.isEmpty())
        GTEST_SKIP() << "no corpus beside the project";
    std::mt19937 random(20240611);
    int played = 0;
    for (const QString& file : files) {
        std::vector<uint8_t> bytes = ReadFileBytes(file.toStdString());
        if (bytes.size() > 200000)
            continue; // the large files add time, not cases
        SCOPED_TRACE(file.toStdString());
        for (size_t cut : { bytes.size() / 3, bytes.size() / 2, bytes.size() - 5 })
            PlayEverywhere(std::span(bytes).first(cut));
        std::vector<uint8_t> changed = bytes;
        for (int i = 0; i < 40; ++i) {
            const size_t at = 88 + random() % (changed.size() - 88);
            changed[at] = uint8_t(random());
        }
        PlayEverywhere(changed);
        ++played;
    }
    EXPECT_GT(played, 10);
}

TEST(Robustness, ValidRecordsBeforeDamageAreDrawn)
{
    TEmfTestFile file;
    file.Add(37, { int32_t(0x80000008) });
    file.Brush(1, 0x000000);
    file.Patch(10, 10, 30, 30);
    file.Patch(50, 50, 70, 70);
    std::vector<uint8_t> bytes = file.Bytes();
    // The second rectangle's size field claims far more than there is: playback stops there.
    const size_t second = bytes.size() - 20 - 100;
    bytes[second + 4] = 0xF0;
    bytes[second + 5] = 0xFF;
    QImage image(96, 96, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        StretchDrawMetafile(painter, QRectF(0, 0, 96, 96), bytes);
    }
    EXPECT_EQ(InkBox(image), QRect(10, 10, 20, 20));
}

TEST(Robustness, HugeAndDegenerateValues)
{
    TEmfTestFile file;
    file.Add(17, { 8 });
    file.Add(9, { 1, 1 });
    file.Add(11, { 2147483647, -2147483647 }); // enormous scale
    file.Add(43, { -2147483647, -2147483647, 2147483647, 2147483647 });
    file.Add(42, { 0, 0, 0, 0 });               // zero-sized ellipse
    file.Add(45, { 0, 0, 10, 10, 5, 5, 5, 5 }); // arc with radial points at the centre
    file.AddFloats(35, { 0, 0, 0, 0, 0, 0 });   // singular world transform: refused
    file.AddFloats(35, { 1e30f, 0, 0, 1e30f, 0, 0 });
    file.Add(43, { 0, 0, 10, 10 });
    file.Add(95, { 1, 0, 0, 0, 0, 0x10000 | 1, 2000000000, 0, 0, 0, 0 }); // vast dashed pen
    file.Add(37, { 1 });
    file.Add(54, { 2147483647, 0 });
    file.Font(2, -2147483647, u"Arial");
    file.Text(0, 0, u"x");
    file.Add(4, { 0, 0, -1, -1, 2000000000 }); // polyline claiming too many points
    const std::vector<uint8_t> bytes = file.Bytes();
    PlayEverywhere(bytes);
}

} // namespace
