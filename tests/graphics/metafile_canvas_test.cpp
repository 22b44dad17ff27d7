#include "canvas_test_support.h"
#include "graphics/metafile.h"
#include "graphics/metafile_canvas.h"
#include "platform/memory_stream.h"
#include "platform/screen.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

namespace {
constexpr int kPageWidth = 794; // A4 at 96 pixels per inch
constexpr int kPageHeight = 1123;

// A small page with every kind of drawing the writer knows.
void DrawSamplePage(TCanvas& canvas)
{
    canvas.Pen.Width = 2;
    canvas.Brush.Color = clRed;
    canvas.Rectangle(10, 10, 100, 50);
    canvas.MoveTo(10, 60);
    canvas.LineTo(300, 60);
    canvas.Brush.Style = bsCross;
    canvas.Ellipse(120, 10, 200, 50);
    const TPoint triangle[] = { { 20, 80 }, { 60, 80 }, { 40, 110 } };
    canvas.Polygon(triangle);
    canvas.Polyline(triangle);
    const TPoint curve[] = { { 100, 100 }, { 120, 80 }, { 140, 120 }, { 160, 100 } };
    canvas.PolyBezier(curve);
    canvas.Arc(200, 80, 260, 140, 260, 110, 200, 110);
    canvas.Pie(270, 80, 330, 140, 330, 110, 270, 110);
    canvas.Chord(340, 80, 400, 140, 400, 110, 340, 110);
    canvas.RoundRect(410, 80, 470, 140, 10, 10);
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = clNavy;
    canvas.FillRect(Rect(10, 150, 90, 190));
    canvas.FrameRect(Rect(100, 150, 190, 190));
    canvas.Font.Name = "Times New Roman";
    canvas.Font.SetSize(12);
    canvas.Font.Style = fsBold | fsItalic;
    canvas.Brush.Style = bsClear;
    canvas.TextOut(10, 200, u"Report total: 1.234,56");
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = clYellow;
    canvas.TextRect(Rect(10, 230, 120, 250), 12, 232, u"clipped cell text that is too long");
    QImage logo(16, 8, QImage::Format_RGB32);
    logo.fill(Qt::darkGreen);
    canvas.StretchDraw(Rect(500, 10, 532, 26), logo);
}

std::vector<uint8_t> RecordSamplePage(TMetafile& metafile)
{
    metafile.SetWidth(kPageWidth);
    metafile.SetHeight(kPageHeight);
    {
        TMetafileCanvas canvas(metafile, "QRP", "sample page");
        DrawSamplePage(canvas);
    }
    return metafile.Bytes();
}

// The largest object index any record refers to.
uint32_t HighestObjectIndex(const std::vector<TRecordView>& records)
{
    uint32_t highest = 0;
    for (const auto& r : records) {
        switch (r.type) {
        case emf::EMR_CREATEPEN:
        case emf::EMR_CREATEBRUSHINDIRECT:
        case emf::EMR_EXTCREATEFONTINDIRECTW:
        case emf::EMR_SELECTOBJECT:
        case emf::EMR_DELETEOBJECT:
            if (!(r.Field(8) & 0x80000000))
                highest = std::max(highest, r.Field(8));
            break;
        default:
            break;
        }
    }
    return highest;
}
} // namespace

TEST(MetafileCanvas, HeaderDescribesTheRecording)
{
    TMetafile metafile;
    const std::vector<uint8_t> bytes = RecordSamplePage(metafile);
    ASSERT_FALSE(bytes.empty());
    const auto records = RecordsOf(bytes);
    const TEmfHeader& h = metafile.Header();

    EXPECT_EQ(h.nBytes, bytes.size());
    EXPECT_EQ(h.nRecords, records.size());
    EXPECT_EQ(records.front().type, uint32_t(emf::EMR_HEADER));
    EXPECT_EQ(records.back().type, uint32_t(emf::EMR_EOF));
    EXPECT_EQ(records.back().Field(16), kEmfEofSize);
    EXPECT_GE(h.nHandles, HighestObjectIndex(records) + 1);

    // The frame is the requested page; the reference device is the screen, with its pixels and
    // millimetres in exactly the screen's ratio.
    const int ppi = ScreenPixelsPerInch();
    EXPECT_EQ(h.frameLeft, 0);
    EXPECT_EQ(h.frameTop, 0);
    EXPECT_EQ(h.frameRight, MulDiv(kPageWidth, 2540, ppi));
    EXPECT_EQ(h.frameBottom, MulDiv(kPageHeight, 2540, ppi));
    EXPECT_EQ(metafile.Width(), kPageWidth);
    EXPECT_EQ(metafile.Height(), kPageHeight);
    EXPECT_EQ(int64_t(h.deviceCx) * 254, int64_t(h.mmCx) * 10 * ppi);
    EXPECT_EQ(int64_t(h.deviceCy) * 254, int64_t(h.mmCy) * 10 * ppi);
    EXPECT_EQ(h.umCx, h.mmCx * 1000);
    EXPECT_EQ(h.umCy, h.mmCy * 1000);

    // Bounds: inclusive, around what was drawn (the rectangle's pen reaches to x = 9).
    EXPECT_LE(h.boundsLeft, 9);
    EXPECT_LE(h.boundsTop, 9);
    EXPECT_GE(h.boundsRight, 531);
    EXPECT_GE(h.boundsBottom, 249);
    EXPECT_LT(h.boundsRight, 540);
    EXPECT_LT(h.boundsBottom, 300);

    // The description is "creator\0title\0\0" right after the fixed header.
    const TRecordView& header = records.front();
    const uint32_t chars = header.Field(60);
    const uint32_t offset = header.Field(64);
    ASSERT_EQ(offset, kEmfHeaderSize);
    ASSERT_LE(offset + chars * 2, header.bytes.size());
    std::u16string description;
    for (uint32_t i = 0; i < chars; ++i)
        description += char16_t(ReadLE16(header.bytes.data() + offset + 2 * i));
    EXPECT_EQ(description, std::u16string(u"QRP\0sample page\0\0", 17));
}

TEST(MetafileCanvas, RecordingRoundTripsThroughLoading)
{
    TMetafile metafile;
    const std::vector<uint8_t> bytes = RecordSamplePage(metafile);

    TMetafile reloaded;
    reloaded.LoadFromBytes(bytes);
    EXPECT_EQ(reloaded.Bytes(), bytes);
    EXPECT_EQ(reloaded.Width(), kPageWidth);

    // Saved into a stream with something after it, loading takes exactly the metafile.
    TMemoryStream stream;
    metafile.SaveToStream(stream);
    stream.WriteInt32(0x12345678);
    stream.SetPosition(0);
    TMetafile streamed;
    streamed.LoadFromStream(stream);
    EXPECT_EQ(streamed.Bytes(), bytes);
    EXPECT_EQ(stream.ReadInt32(), 0x12345678);
}

TEST(MetafileCanvas, EmptyRecordingIsAValidPicture)
{
    struct Case {
        int width, height;
        int frameRight, frameBottom;
    };
    const int ppi = ScreenPixelsPerInch();
    for (const Case& c :
         { Case { 100, 50, MulDiv(100, 2540, ppi), MulDiv(50, 2540, ppi) }, Case { 0, 0, 0, 0 } }) {
        TMetafile metafile;
        metafile.SetWidth(c.width);
        metafile.SetHeight(c.height);
        TMetafileCanvas(metafile).Finish();
        const TEmfHeader& h = metafile.Header();
        EXPECT_EQ(h.nRecords, 2u);
        EXPECT_EQ(h.nBytes, kEmfHeaderSize + kEmfEofSize);
        EXPECT_EQ(h.nHandles, 1);
        EXPECT_LT(h.boundsRight, h.boundsLeft); // nothing drawn
        EXPECT_EQ(h.frameRight, c.frameRight);
        EXPECT_EQ(h.frameBottom, c.frameBottom);
    }
}

TEST(MetafileCanvas, FrameFollowsTheDrawingWhenNoSizeWasSet)
{
    TMetafile metafile;
    {
        TMetafileCanvas canvas(metafile);
        canvas.Pen.Style = psClear;
        canvas.Rectangle(96, 48, 192, 96); // without a pen: pixels 96..191 x 48..95
    }
    const TEmfHeader& h = metafile.Header();
    const int ppi = ScreenPixelsPerInch();
    EXPECT_EQ(h.boundsLeft, 96);
    EXPECT_EQ(h.boundsRight, 191);
    EXPECT_EQ(h.frameLeft, MulDiv(96, 2540, ppi));
    EXPECT_EQ(h.frameRight, MulDiv(192, 2540, ppi));
    EXPECT_EQ(h.frameBottom, MulDiv(96, 2540, ppi));
}

TEST(MetafileCanvas, FinishingTwiceOrDrawingAfterwardsChangesNothing)
{
    TMetafile metafile;
    metafile.SetWidth(100);
    metafile.SetHeight(100);
    TMetafileCanvas canvas(metafile);
    canvas.Rectangle(1, 1, 50, 50);
    canvas.Finish();
    const std::vector<uint8_t> first = metafile.Bytes();
    canvas.Rectangle(2, 2, 60, 60);
    canvas.Finish();
    EXPECT_TRUE(canvas.Finished());
    EXPECT_EQ(metafile.Bytes(), first);
}

// Other programs must be able to open what the writer produces.
TEST(MetafileCanvas, Emf2SvgOpensTheRecording)
{
    const QString converter = QStandardPaths::findExecutable("emf2svg-conv");
    if (converter.isEmpty())
        GTEST_SKIP() << "emf2svg-conv is not installed";
    TMetafile metafile;
    const std::vector<uint8_t> bytes = RecordSamplePage(metafile);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString in = dir.filePath("page.emf");
    const QString out = dir.filePath("page.svg");
    {
        std::ofstream file(in.toStdString(), std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    QProcess process;
    process.start(converter, { "-i", in, "-o", out });
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QFile svgFile(out);
    ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(svgFile.readAll());
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_TRUE(svg.contains("Report total: 1.234,56"));
    EXPECT_TRUE(svg.contains("clipped cell text"));
    EXPECT_TRUE(svg.contains("Times New Roman") || svg.contains("Liberation Serif"));
    // The red rectangle and the navy filled rectangle arrive as fills, the logo as an image.
    EXPECT_TRUE(svg.contains("#FF0000", Qt::CaseInsensitive));
    EXPECT_TRUE(svg.contains("#000080", Qt::CaseInsensitive));
    EXPECT_TRUE(svg.contains("<image"));
}
