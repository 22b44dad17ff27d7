#include "canvas_test_support.h"
#include "graphics/metafile.h"
#include "graphics/metafile_canvas.h"

#include <QImage>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace {
const TRecordView* FirstOf(const std::vector<TRecordView>& records, uint32_t type)
{
    for (const auto& r : records)
        if (r.type == type)
            return &r;
    return nullptr;
}

struct TTextRecord {
    int32_t x, y;
    uint32_t options;
    TRect rect;
    std::u16string text;
    std::vector<int32_t> dx;
};

TTextRecord DecodeText(const TRecordView& r)
{
    TTextRecord t;
    t.x = r.SignedField(36);
    t.y = r.SignedField(40);
    const uint32_t chars = r.Field(44);
    const uint32_t offString = r.Field(48);
    t.options = r.Field(52);
    t.rect = TRect { r.SignedField(56), r.SignedField(60), r.SignedField(64), r.SignedField(68) };
    const uint32_t offDx = r.Field(72);
    EXPECT_LE(offString + chars * 2, r.bytes.size());
    EXPECT_LE(offDx + chars * 4, r.bytes.size());
    for (uint32_t i = 0; i < chars; ++i) {
        t.text += char16_t(ReadLE16(r.bytes.data() + offString + 2 * i));
        t.dx.push_back(ReadLE32s(r.bytes.data() + offDx + 4 * i));
    }
    return t;
}
} // namespace

// A page of text cells and grid lines: the pen and the font are made once, the records stay
// one per drawing call plus the few that change colours.
TEST(CanvasRecording, ToolsAreMadeOnlyWhenTheyChange)
{
    TRecordingCanvas canvas;
    canvas.Brush.Style = bsClear;
    canvas.Font.Name = "Arial";
    canvas.Font.SetSize(9);
    for (int row = 0; row < 60; ++row) {
        for (int column = 0; column < 10; ++column)
            canvas.TextOut(20 + column * 70, 20 + row * 16, QString::number(row * 10 + column));
        canvas.MoveTo(20, 35 + row * 16);
        canvas.LineTo(720, 35 + row * 16);
    }
    const auto records = canvas.Records();
    EXPECT_EQ(CountOf(records, emf::EMR_EXTCREATEFONTINDIRECTW), 1u);
    EXPECT_EQ(CountOf(records, emf::EMR_CREATEPEN), 1u);
    EXPECT_EQ(CountOf(records, emf::EMR_CREATEBRUSHINDIRECT), 0u); // clear brush: the stock one
    EXPECT_EQ(CountOf(records, emf::EMR_EXTTEXTOUTW), 600u);
    EXPECT_EQ(CountOf(records, emf::EMR_LINETO), 60u);
    EXPECT_EQ(CountOf(records, emf::EMR_MOVETOEX), 60u);
    EXPECT_LE(records.size(), 600u + 120u + 10u);

    // Colour alone changes no font object; a different face does, and frees the old one.
    const size_t before = canvas.count;
    canvas.Font.Color = clRed;
    canvas.TextOut(0, 0, u"x");
    const auto after = canvas.Records();
    const std::vector<TRecordView> more(after.begin() + std::ptrdiff_t(before), after.end());
    EXPECT_EQ(CountOf(more, emf::EMR_SETTEXTCOLOR), 1u);
    EXPECT_EQ(CountOf(more, emf::EMR_EXTCREATEFONTINDIRECTW), 0u);
    canvas.Font.Name = "Courier New";
    canvas.TextOut(0, 0, u"x");
    canvas.Font.Name = "Arial";
    canvas.TextOut(0, 0, u"x");
    const auto all = canvas.Records();
    EXPECT_EQ(CountOf(all, emf::EMR_EXTCREATEFONTINDIRECTW), 3u);
    EXPECT_EQ(CountOf(all, emf::EMR_DELETEOBJECT), 2u);
    EXPECT_LE(canvas.Handles().HandleCount(), 4);
}

TEST(CanvasRecording, ObjectsCarryTheTools)
{
    TRecordingCanvas canvas;
    canvas.Pen = TPen { clBlue, 3, psDash };
    canvas.Brush = TBrush { clGreen, bsDiagCross };
    canvas.Rectangle(0, 0, 10, 10);
    canvas.Font.Name = "Courier New";
    canvas.Font.Height = -20;
    canvas.Font.Style = fsBold | fsUnderline;
    canvas.Font.Orientation = 900;
    canvas.TextOut(5, 5, u"A");
    const auto records = canvas.Records();

    const TRecordView* pen = FirstOf(records, emf::EMR_CREATEPEN);
    ASSERT_NE(pen, nullptr);
    EXPECT_EQ(pen->Field(12), uint32_t(psDash));
    EXPECT_EQ(pen->Field(16), 3u);
    EXPECT_EQ(pen->Field(24), uint32_t(clBlue));

    const TRecordView* brush = FirstOf(records, emf::EMR_CREATEBRUSHINDIRECT);
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(brush->Field(12), 2u); // hatched
    EXPECT_EQ(brush->Field(16), uint32_t(clGreen));
    EXPECT_EQ(brush->Field(20), 5u); // diagonal cross

    const TRecordView* font = FirstOf(records, emf::EMR_EXTCREATEFONTINDIRECTW);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->SignedField(12), -20);
    EXPECT_EQ(font->SignedField(20), 900); // escapement
    EXPECT_EQ(font->SignedField(28), 700); // weight
    EXPECT_EQ(font->bytes[32], 0);         // not italic
    EXPECT_EQ(font->bytes[33], 1);         // underlined
    std::u16string face;
    for (size_t i = 0; i < 32 && ReadLE16(font->bytes.data() + 40 + 2 * i); ++i)
        face += char16_t(ReadLE16(font->bytes.data() + 40 + 2 * i));
    EXPECT_EQ(face, u"Courier New");

    // The hatched brush and the dashed pen draw over a transparent background, as the brush asks.
    const TRecordView* mode = FirstOf(records, emf::EMR_SETBKMODE);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->Field(8), uint32_t(bmTransparent));
}

TEST(CanvasRecording, TextCarriesItsAdvances)
{
    TRecordingCanvas canvas;
    canvas.Font.SetSize(10);
    const std::u16string text = u"Wall\u00e9 \U0001F600!";
    canvas.TextOut(30, 40, text);
    const int width = canvas.TextWidth(text);
    EXPECT_EQ(canvas.PenPos(), Point(30 + width, 40));

    const int dx[] = { 50, 0, 7 };
    canvas.TextOutDx(100, 40, u"abcd", dx);
    const auto records = canvas.Records();
    std::vector<TTextRecord> texts;
    for (const auto& r : records)
        if (r.type == emf::EMR_EXTTEXTOUTW)
            texts.push_back(DecodeText(r));
    ASSERT_EQ(texts.size(), 2u);

    EXPECT_EQ(texts[0].x, 30);
    EXPECT_EQ(texts[0].y, 40);
    EXPECT_EQ(texts[0].text, text);
    int64_t sum = 0;
    for (int32_t d : texts[0].dx)
        sum += d;
    EXPECT_EQ(sum, width);
    EXPECT_EQ(texts[0].dx[7], 0); // the second half of the surrogate pair
    EXPECT_GT(texts[0].dx[5], 0); // the space

    EXPECT_EQ(texts[1].text, u"abcd");
    EXPECT_EQ(texts[1].dx[0], 50);
    EXPECT_EQ(texts[1].dx[1], 0);
    EXPECT_EQ(texts[1].dx[2], 7);
    EXPECT_EQ(texts[1].dx[3], canvas.TextWidth(u"d"));
}

// TextRect fills its rectangle unless the brush is clear, and always clips to it.
TEST(CanvasRecording, TextRectIsOpaqueWithASolidBrush)
{
    struct Case {
        TBrushStyle style;
        uint32_t options;
    };
    for (const Case& c :
         { Case { bsSolid, etoOpaque | etoClipped }, Case { bsClear, etoClipped } }) {
        TRecordingCanvas canvas;
        canvas.Brush.Style = c.style;
        canvas.Brush.Color = clAqua;
        canvas.TextRect(Rect(10, 20, 110, 40), 12, 22, u"cell");
        const auto records = canvas.Records();
        const TRecordView* text = FirstOf(records, emf::EMR_EXTTEXTOUTW);
        ASSERT_NE(text, nullptr);
        const TTextRecord t = DecodeText(*text);
        EXPECT_EQ(t.options, c.options);
        EXPECT_EQ(t.rect, Rect(10, 20, 110, 40));
        if (c.style == bsSolid) {
            const TRecordView* color = FirstOf(records, emf::EMR_SETBKCOLOR);
            ASSERT_NE(color, nullptr);
            EXPECT_EQ(color->Field(8), uint32_t(clAqua));
        }
    }
}

// The brush sets the background mode whenever it changes; an explicit mode lasts until then.
TEST(CanvasRecording, BackgroundModeFollowsTheBrushUntilSet)
{
    TRecordingCanvas canvas;
    std::vector<uint32_t> modes;
    const auto modesSoFar = [&] {
        modes.clear();
        for (const auto& r : canvas.Records())
            if (r.type == emf::EMR_SETBKMODE)
                modes.push_back(r.Field(8));
        return modes;
    };
    canvas.TextOut(0, 0, u"a"); // solid white brush: opaque, the device's default
    EXPECT_TRUE(modesSoFar().empty());
    EXPECT_EQ(canvas.BkMode(), bmOpaque);
    canvas.SetBkMode(bmTransparent);
    canvas.TextOut(0, 0, u"b");
    EXPECT_EQ(modesSoFar(), std::vector<uint32_t>({ 1 }));
    canvas.TextOut(0, 0, u"c");
    EXPECT_EQ(modesSoFar(), std::vector<uint32_t>({ 1 }));
    canvas.Brush.Color = clYellow;
    canvas.TextOut(0, 0, u"d");
    EXPECT_EQ(modesSoFar(), std::vector<uint32_t>({ 1, 2 }));
    EXPECT_EQ(canvas.BkMode(), bmOpaque);
}

// Drawing that cannot mean anything writes nothing and does not fail.
TEST(CanvasRecording, AbsurdInputsDrawNothing)
{
    const TPoint one[] = { { 1, 1 } };
    const TPoint five[] = { { 1, 1 }, { 2, 2 }, { 3, 3 }, { 4, 4 }, { 5, 5 } };
    TMetafile empty;
    TMetafile zeroFrame;
    {
        TMetafileCanvas canvas(zeroFrame); // nothing drawn, no size: a frame of nothing
    }
    const std::vector<std::pair<const char*, std::function<void(TCanvas&)>>> cases = {
        { "polygon of no points", [](TCanvas& c) { c.Polygon({}); } },
        { "polygon of one point", [&](TCanvas& c) { c.Polygon(one); } },
        { "polyline of one point", [&](TCanvas& c) { c.Polyline(one); } },
        { "bezier of five points", [&](TCanvas& c) { c.PolyBezier(five); } },
        { "inverted fill", [](TCanvas& c) { c.FillRect(Rect(50, 50, 10, 10)); } },
        { "empty fill", [](TCanvas& c) { c.FillRect(Rect(10, 10, 10, 50)); } },
        { "inverted frame", [](TCanvas& c) { c.FrameRect(Rect(50, 10, 10, 50)); } },
        { "clear-brush fill",
          [](TCanvas& c) {
              c.Brush.Style = bsClear;
              c.FillRect(Rect(0, 0, 10, 10));
          } },
        { "empty text", [](TCanvas& c) { c.TextOut(5, 5, u""); } },
        { "null image", [](TCanvas& c) { c.StretchDraw(Rect(0, 0, 10, 10), QImage()); } },
        { "image into an inverted rectangle",
          [](TCanvas& c) {
              QImage image(4, 4, QImage::Format_RGB32);
              image.fill(Qt::red);
              c.StretchDraw(Rect(10, 10, 0, 0), image);
          } },
        { "empty metafile", [&](TCanvas& c) { c.StretchDraw(Rect(0, 0, 10, 10), empty); } },
        { "metafile without a frame",
          [&](TCanvas& c) { c.StretchDraw(Rect(0, 0, 10, 10), zeroFrame); } },
        { "metafile at zero size", [&](TCanvas& c) { c.Draw(0, 0, zeroFrame); } },
    };
    for (const auto& [name, draw] : cases) {
        TRecordingCanvas canvas;
        draw(canvas);
        EXPECT_EQ(canvas.count, 0u) << name;
    }
}

TEST(CanvasRecording, ExtremeCoordinatesAreWrittenAsGiven)
{
    TRecordingCanvas canvas;
    constexpr int lo = std::numeric_limits<int>::min();
    constexpr int hi = std::numeric_limits<int>::max();
    canvas.Pen.Width = hi;
    canvas.Rectangle(hi, hi, lo, lo);
    canvas.FillRect(Rect(lo, lo, hi, hi));
    canvas.MoveTo(lo, lo);
    canvas.LineTo(hi, hi);
    canvas.TextOut(hi, hi, u"edge");
    canvas.RoundRect(0, 0, 10, 10, lo, lo);
    const TPoint wide[] = { { 0, 0 }, { 40000, 5 }, { 5, -40000 } };
    canvas.Polygon(wide);
    const TPoint narrow[] = { { 0, 0 }, { 32767, 5 }, { 5, -32768 } };
    canvas.Polygon(narrow);
    const auto records = canvas.Records();
    const TRecordView* rect = FirstOf(records, emf::EMR_RECTANGLE);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->SignedField(8), lo); // corners put in order
    EXPECT_EQ(rect->SignedField(16), hi);
    EXPECT_EQ(CountOf(records, emf::EMR_POLYGON), 1u);
    EXPECT_EQ(CountOf(records, emf::EMR_POLYGON16), 1u);
    const TRecordView* polygon = FirstOf(records, emf::EMR_POLYGON);
    EXPECT_EQ(polygon->Field(24), 3u);
    EXPECT_EQ(polygon->SignedField(28 + 8), 40000);
    const TRecordView* polygon16 = FirstOf(records, emf::EMR_POLYGON16);
    EXPECT_EQ(int16_t(ReadLE16(polygon16->bytes.data() + 28 + 10)), -32768);
}

// The device's current position is written only when a line needs it.
TEST(CanvasRecording, CurrentPositionIsWrittenWhenALineNeedsIt)
{
    TRecordingCanvas canvas;
    canvas.LineTo(10, 0); // from the device's own start at the origin
    canvas.LineTo(10, 10);
    canvas.MoveTo(50, 50);
    canvas.MoveTo(60, 60);
    canvas.LineTo(70, 60);
    canvas.TextOut(100, 100, u"x");
    canvas.LineTo(120, 100);
    const auto records = canvas.Records();
    std::vector<TPoint> moves;
    for (const auto& r : records)
        if (r.type == emf::EMR_MOVETOEX)
            moves.push_back(Point(r.SignedField(8), r.SignedField(12)));
    const int after = 100 + canvas.TextWidth(u"x");
    EXPECT_EQ(moves, std::vector<TPoint>({ Point(60, 60), Point(after, 100) }));
    EXPECT_EQ(CountOf(records, emf::EMR_LINETO), 4u);
}

TEST(CanvasRecording, BitmapsBecomeDeviceIndependentBitmaps)
{
    QImage opaque(3, 2, QImage::Format_RGB32);
    opaque.fill(QColor(10, 20, 30));
    opaque.setPixel(0, 0, qRgb(200, 100, 50));
    QImage translucent(2, 2, QImage::Format_ARGB32);
    translucent.fill(qRgba(255, 0, 0, 128));

    TRecordingCanvas canvas;
    canvas.Draw(5, 6, opaque);
    canvas.StretchDraw(Rect(10, 10, 30, 30), translucent);
    const auto records = canvas.Records();

    const TRecordView* dib = FirstOf(records, emf::EMR_STRETCHDIBITS);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->SignedField(24), 5); // xDest
    EXPECT_EQ(dib->SignedField(28), 6); // yDest
    EXPECT_EQ(dib->SignedField(72), 3); // cxDest
    EXPECT_EQ(dib->SignedField(76), 2); // cyDest
    const uint32_t offBmi = dib->Field(48);
    const uint32_t offBits = dib->Field(56);
    EXPECT_EQ(ReadLE16(dib->bytes.data() + offBmi + 14), 24); // bits per pixel
    // Bottom-up rows of BGR, padded to 4 bytes: the top-left pixel starts the second row.
    const uint8_t* topLeft = dib->bytes.data() + offBits + 12;
    EXPECT_EQ(topLeft[0], 50);
    EXPECT_EQ(topLeft[1], 100);
    EXPECT_EQ(topLeft[2], 200);

    const TRecordView* blend = FirstOf(records, emf::EMR_ALPHABLEND);
    ASSERT_NE(blend, nullptr);
    const uint32_t blendBits = blend->Field(92);
    EXPECT_EQ(ReadLE16(blend->bytes.data() + blend->Field(84) + 14), 32);
    EXPECT_EQ(blend->bytes[blendBits + 3], 128);      // alpha
    EXPECT_NEAR(blend->bytes[blendBits + 2], 128, 1); // premultiplied red
}

// After Refresh the tools are made and selected again, without using up object slots.
TEST(CanvasRecording, RefreshSelectsTheToolsAgain)
{
    TRecordingCanvas canvas;
    canvas.Rectangle(0, 0, 10, 10);
    canvas.TextOut(0, 0, u"a");
    for (int i = 0; i < 3; ++i) {
        canvas.Refresh();
        canvas.Rectangle(0, 0, 10, 10);
        canvas.TextOut(0, 0, u"a");
    }
    const auto records = canvas.Records();
    EXPECT_EQ(CountOf(records, emf::EMR_CREATEPEN), 4u);
    EXPECT_EQ(CountOf(records, emf::EMR_CREATEBRUSHINDIRECT), 4u);
    EXPECT_EQ(CountOf(records, emf::EMR_EXTCREATEFONTINDIRECTW), 4u);
    EXPECT_EQ(CountOf(records, emf::EMR_DELETEOBJECT), 9u);
    EXPECT_EQ(canvas.Handles().HandleCount(), 4);
}
