// Drawing recorded by the metafile canvas and played by the player must give the picture the
// same drawing gives painted directly, and the painter canvas must give that picture too.
#include "graphics/emf_player.h"
#include "graphics/font_mapper.h"
#include "graphics/metafile.h"
#include "graphics/metafile_canvas.h"
#include "graphics/painter_canvas.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <sstream>

namespace {
// Multiples of 24 pixels are whole 0.01 mm at 96 pixels per inch, so the recorded frame is the
// page exactly and playback maps it one to one.
constexpr int kWidth = 240;
constexpr int kHeight = 168;

QImage Blank(int width = kWidth, int height = kHeight)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TFont SceneFont()
{
    TFont font;
    font.Name = "Arial";
    font.Height = -16;
    return font;
}

void DrawScene(TCanvas& canvas)
{
    canvas.Brush.Color = clRed;
    canvas.Rectangle(10, 10, 60, 40);
    canvas.Brush.Color = clGreen;
    canvas.Ellipse(80, 10, 140, 50);
    canvas.MoveTo(10, 60);
    canvas.LineTo(200, 60);
    canvas.MoveTo(220, 10);
    canvas.LineTo(220, 150);
    canvas.Brush.Color = clYellow;
    const TPoint triangle[] = { { 20, 80 }, { 60, 80 }, { 40, 110 } };
    canvas.Polygon(triangle);
    canvas.Brush.Color = clNavy;
    canvas.FillRect(Rect(150, 80, 200, 120));
    canvas.Font = SceneFont();
    canvas.Brush.Style = bsClear;
    canvas.TextOut(70, 120, u"Hello 123");
}

// The scene by hand with plain QPainter calls, in the platform's conventions: a rectangle's
// outline runs along its last pixels inside (right - 1, bottom - 1), a line leaves out its end
// point, a fill covers right - left pixels, text hangs from its top at the font's ascent.
QImage PaintSceneByHand()
{
    QImage image = Blank();
    QPainter p(&image);
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(QColor(255, 0, 0));
    p.drawRect(QRect(10, 10, 49, 29));
    p.setBrush(QColor(0, 128, 0));
    p.drawEllipse(QRect(80, 10, 59, 39));
    p.drawLine(10, 60, 199, 60);
    p.drawLine(220, 10, 220, 149);
    p.setBrush(QColor(255, 255, 0));
    p.drawPolygon(QPolygon({ QPoint(20, 80), QPoint(60, 80), QPoint(40, 110) }));
    p.fillRect(QRect(150, 80, 50, 40), QColor(0, 0, 128));
    const QFont font = MapFont(LogFontOf(SceneFont()));
    p.setFont(font);
    p.drawText(QPointF(70, 120 + std::round(QFontMetricsF(font).ascent())), "Hello 123");
    return image;
}

std::vector<uint8_t> Record(void (*draw)(TCanvas&), int width = kWidth, int height = kHeight)
{
    TMetafile metafile;
    metafile.SetWidth(width);
    metafile.SetHeight(height);
    {
        TMetafileCanvas canvas(metafile);
        draw(canvas);
    }
    return metafile.Bytes();
}

QImage Play(const std::vector<uint8_t>& emf)
{
    QImage image = Blank();
    QPainter painter(&image);
    StretchDrawMetafile(painter, QRectF(0, 0, kWidth, kHeight), emf);
    return image;
}

QImage PaintDirectly(void (*draw)(TCanvas&))
{
    QImage image = Blank();
    QPainter painter(&image);
    {
        TPainterCanvas canvas(painter, 96);
        draw(canvas);
    }
    return image;
}

// Pixels whose colour differs by more than a third of the range in some channel.
int DifferingPixels(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 85 || std::abs(qGreen(p) - qGreen(q)) > 85 ||
                std::abs(qBlue(p) - qBlue(q)) > 85)
                ++count;
        }
    return count;
}

std::string Describe(const QImage& image, int x, int y)
{
    std::ostringstream s;
    s << "pixel (" << x << ", " << y << ") is #" << std::hex << (image.pixel(x, y) & 0xFFFFFF);
    return s.str();
}

struct TProbe {
    int x, y;
    QRgb color;
};

// The pixels that show the conventions: the y axis, rectangle edges, fills, line ends.
const TProbe kSceneProbes[] = {
    { 35, 25, qRgb(255, 0, 0) },     // rectangle interior: the brush, near the top
    { 10, 25, qRgb(0, 0, 0) },       // left outline
    { 59, 25, qRgb(0, 0, 0) },       // right outline on the last pixel inside
    { 60, 25, qRgb(255, 255, 255) }, // right edge excluded
    { 35, 39, qRgb(0, 0, 0) },       // bottom outline
    { 35, 40, qRgb(255, 255, 255) },
    { 110, 30, qRgb(0, 128, 0) },     // ellipse
    { 100, 60, qRgb(0, 0, 0) },       // line
    { 200, 60, qRgb(255, 255, 255) }, // its end point is not drawn
    { 40, 90, qRgb(255, 255, 0) },    // polygon interior
    { 150, 80, qRgb(0, 0, 128) },     // fill: first and last pixels
    { 199, 119, qRgb(0, 0, 128) },
    { 200, 100, qRgb(255, 255, 255) },
    { 175, 120, qRgb(255, 255, 255) },
    { 35, 130, qRgb(255, 255, 255) }, // nothing where a flipped picture would put the rectangle
};
} // namespace

TEST(CanvasPlayback, RecordedPageMatchesPaintingByHand)
{
    const QImage played = Play(Record(DrawScene));
    const QImage expected = PaintSceneByHand();
    for (const TProbe& probe : kSceneProbes)
        EXPECT_EQ(played.pixel(probe.x, probe.y) & 0xFFFFFF, probe.color & 0xFFFFFF)
            << Describe(played, probe.x, probe.y);
    // Antialiased text and curve edges may differ; a missing or misplaced shape may not.
    const int differing = DifferingPixels(played, expected);
    EXPECT_LT(differing, kWidth * kHeight * 15 / 1000) << differing << " pixels differ";
}

TEST(CanvasPlayback, PainterCanvasDrawsWhatTheRecordingPlays)
{
    const QImage direct = PaintDirectly(DrawScene);
    const QImage played = Play(Record(DrawScene));
    for (const TProbe& probe : kSceneProbes)
        EXPECT_EQ(direct.pixel(probe.x, probe.y) & 0xFFFFFF, probe.color & 0xFFFFFF)
            << Describe(direct, probe.x, probe.y);
    EXPECT_LE(DifferingPixels(direct, played), kWidth * kHeight / 1000);
}

// The width the canvas reports is where the drawn text ends.
TEST(CanvasPlayback, TextWidthIsTheDrawnWidth)
{
    static const char16_t* const texts[] = { u"Hello 123", u"WWW.iii", u"Total: 12.345,67 EUR" };
    for (const char16_t* text : texts) {
        static const char16_t* current;
        current = text;
        const auto draw = [](TCanvas& canvas) {
            canvas.Font = SceneFont();
            canvas.Font.Height = -20;
            canvas.Brush.Style = bsClear;
            canvas.TextOut(10, 20, current);
        };
        const QImage image = Play(Record(draw));
        int right = -1;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (qGray(image.pixel(x, y)) < 128)
                    right = std::max(right, x);
        TMetafile scratch;
        TMetafileCanvas measure(scratch);
        measure.Font = SceneFont();
        measure.Font.Height = -20;
        const int width = measure.TextWidth(text);
        EXPECT_GT(right, 10 + width - 6) << QString::fromUtf16(text).toStdString();
        EXPECT_LE(right, 10 + width + 1) << QString::fromUtf16(text).toStdString();
    }
}

namespace {
std::vector<uint8_t>* innerPicture = nullptr;

void DrawWithInnerPicture(TCanvas& canvas)
{
    canvas.Brush.Color = clSilver;
    canvas.FillRect(Rect(0, 0, kWidth, kHeight));
    canvas.Pen.Color = clBlue;
    canvas.Brush.Color = clAqua;
    canvas.Rectangle(5, 5, 30, 30);
    TMetafile inner;
    inner.LoadFromBytes(*innerPicture);
    canvas.StretchDraw(Rect(40, 20, 160, 100), inner);
    // The outer tools are in force again after the picture.
    canvas.Rectangle(200, 120, 230, 150);
    canvas.TextOut(170, 20, u"after");
}
} // namespace

// A metafile drawn into a recording (embedded) and drawn directly (played over the rectangle)
// give the same picture, at half size here.
TEST(CanvasPlayback, EmbeddedMetafileMatchesDirectStretchDraw)
{
    std::vector<uint8_t> inner = Record(DrawScene);
    innerPicture = &inner;
    const QImage direct = PaintDirectly(DrawWithInnerPicture);
    const QImage played = Play(Record(DrawWithInnerPicture));
    innerPicture = nullptr;
    EXPECT_LE(DifferingPixels(direct, played), kWidth * kHeight * 5 / 1000);
    // The inner rectangle's red interior lands at half scale inside the target.
    EXPECT_EQ(played.pixel(40 + 35 / 2, 20 + 25 / 2) & 0xFFFFFF, 0xFF0000u)
        << Describe(played, 57, 32);
    EXPECT_EQ(played.pixel(215, 135) & 0xFFFFFF, 0x00FFFFu) << Describe(played, 215, 135);
    EXPECT_EQ(played.pixel(200, 135) & 0xFFFFFF, 0x0000FFu) << Describe(played, 200, 135);
}

namespace {
void DrawBitmaps(TCanvas& canvas)
{
    QImage checker(4, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            checker.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 255) : qRgb(255, 255, 0));
    canvas.StretchDraw(Rect(10, 10, 50, 30), checker); // 10 x 10 pixels per cell
    canvas.Brush.Color = clRed;
    canvas.FillRect(Rect(100, 10, 140, 50));
    QImage veil(2, 2, QImage::Format_ARGB32);
    veil.fill(qRgba(0, 0, 255, 0));
    veil.setPixel(1, 1, qRgba(0, 0, 255, 255));
    canvas.StretchDraw(Rect(100, 10, 140, 50), veil);
}
} // namespace

TEST(CanvasPlayback, BitmapsLandWhereDrawn)
{
    for (const QImage& image : { Play(Record(DrawBitmaps)), PaintDirectly(DrawBitmaps) }) {
        EXPECT_EQ(image.pixel(14, 14) & 0xFFFFFF, 0xFFFF00u) << Describe(image, 14, 14);
        EXPECT_EQ(image.pixel(24, 14) & 0xFFFFFF, 0x0000FFu) << Describe(image, 24, 14);
        EXPECT_EQ(image.pixel(14, 24) & 0xFFFFFF, 0x0000FFu) << Describe(image, 14, 24);
        EXPECT_EQ(image.pixel(9, 14) & 0xFFFFFF, 0xFFFFFFu) << Describe(image, 9, 14);
        EXPECT_EQ(image.pixel(105, 15) & 0xFFFFFF, 0xFF0000u) << Describe(image, 105, 15); // clear
        EXPECT_EQ(image.pixel(135, 45) & 0xFFFFFF, 0x0000FFu) << Describe(image, 135, 45); // opaque
    }
}

// A painter canvas draws in the painter's coordinates as it found them, metafiles included,
// whatever the player did to the painter in between.
TEST(CanvasPlayback, PainterCanvasKeepsThePaintersTransform)
{
    TMetafile inner;
    inner.SetWidth(24);
    inner.SetHeight(24);
    {
        TMetafileCanvas canvas(inner);
        canvas.Brush.Color = clBlue;
        canvas.FillRect(Rect(0, 0, 24, 24));
    }
    QImage image = Blank();
    {
        QPainter painter(&image);
        painter.translate(20, 10);
        TPainterCanvas canvas(painter, 96);
        canvas.Pen.Style = psClear;
        canvas.Brush.Color = clRed;
        canvas.Rectangle(0, 0, 11, 11);
        canvas.StretchDraw(Rect(50, 50, 98, 74), inner);
        canvas.Rectangle(100, 0, 111, 11);
    }
    EXPECT_EQ(image.pixel(25, 15) & 0xFFFFFF, 0xFF0000u) << Describe(image, 25, 15);
    EXPECT_EQ(image.pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu) << Describe(image, 5, 5);
    EXPECT_EQ(image.pixel(71, 61) & 0xFFFFFF, 0x0000FFu) << Describe(image, 71, 61);
    EXPECT_EQ(image.pixel(116, 81) & 0xFFFFFF, 0x0000FFu) << Describe(image, 116, 81);
    EXPECT_EQ(image.pixel(119, 61) & 0xFFFFFF, 0xFFFFFFu) << Describe(image, 119, 61);
    EXPECT_EQ(image.pixel(60, 55) & 0xFFFFFF, 0xFFFFFFu) << Describe(image, 60, 55);
    EXPECT_EQ(image.pixel(125, 15) & 0xFFFFFF, 0xFF0000u) << Describe(image, 125, 15);
}
