// Text playback: advances from Dx arrays, alignment of the whole run, the current position,
// opaque rectangles and backgrounds; and text extraction.
#include "graphics/emf_test_file.h"
#include "graphics/emf_text.h"
#include "graphics/font_mapper.h"

#include <gtest/gtest.h>

namespace {

// Columns that hold ink, as runs [first, last].
std::vector<std::pair<int, int>> InkColumns(const QImage& image)
{
    std::vector<std::pair<int, int>> runs;
    bool inside = false;
    for (int x = 0; x < image.width(); ++x) {
        bool ink = false;
        for (int y = 0; y < image.height() && !ink; ++y)
            ink = Dark(image, x, y);
        if (ink && !inside)
            runs.push_back({ x, x });
        if (ink)
            runs.back().second = x;
        inside = ink;
    }
    return runs;
}

TEST(TextPlayback, DxArrayPlacesEachGlyph)
{
    TEmfTestFile file(200, 60);
    file.Font(1, -30, u"Arial");
    file.Add(18, { 1 }); // transparent background
    file.Text(10, 10, u"lll", { 60, 30, 10 });
    const auto columns = InkColumns(file.Render());
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_NEAR(columns[1].first - columns[0].first, 60, 1);
    EXPECT_NEAR(columns[2].first - columns[1].first, 30, 1);
}

TEST(TextPlayback, AlignmentAppliesToTheWholeRun)
{
    for (int32_t align : { 0, 2, 6 }) { // TA_LEFT, TA_RIGHT, TA_CENTER
        TEmfTestFile file(300, 60);
        file.Font(1, -30, u"Arial");
        file.Add(18, { 1 });
        file.Add(22, { align });
        file.Text(150, 10, u"lll", { 40, 40, 40 });
        const auto columns = InkColumns(file.Render());
        ASSERT_EQ(columns.size(), 3u) << align;
        const int start = align == 0 ? 150 : align == 2 ? 30 : 90;
        EXPECT_NEAR(columns[0].first - start, columns[1].first - (start + 40), 1) << align;
        EXPECT_GE(columns[0].first, start) << align;
        EXPECT_LT(columns[0].first, start + 20) << align;
    }
}

TEST(TextPlayback, VerticalAlignment)
{
    int tops[3];
    int i = 0;
    for (int32_t align : { 0, 24, 8 }) { // TA_TOP, TA_BASELINE, TA_BOTTOM
        TEmfTestFile file(100, 120);
        file.Font(1, -30, u"Arial");
        file.Add(18, { 1 });
        file.Add(22, { align });
        file.Text(10, 60, u"H");
        tops[i++] = InkBox(file.Render()).bottom();
    }
    // The letter's foot sits below the point (top), on it (baseline), above it (bottom).
    EXPECT_GT(tops[0], 60);
    EXPECT_NEAR(tops[1], 59, 1);
    EXPECT_LT(tops[2], 55);
}

TEST(TextPlayback, UpdateCurrentPositionContinuesTheLine)
{
    TEmfTestFile file(200, 60);
    file.Font(1, -30, u"Arial");
    file.Add(18, { 1 });
    file.Add(22, { 1 });           // TA_UPDATECP
    file.Add(27, { 20, 10 });      // MOVETOEX
    file.Text(0, 0, u"l", { 50 }); // the reference point is ignored
    file.Text(0, 0, u"l", { 50 });
    const auto columns = InkColumns(file.Render());
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_GE(columns[0].first, 20);
    EXPECT_NEAR(columns[1].first - columns[0].first, 50, 1);
}

TEST(TextPlayback, OpaqueRectangleWithoutCharacters)
{
    TEmfTestFile file;
    file.Add(25, { 0x0000FF }); // red background colour
    file.Text(0, 0, u"", {}, 0x0002, QRect(10, 10, 20, 20));
    const QImage image = file.Render();
    EXPECT_EQ(InkBox(image), QRect(10, 10, 20, 20));
    EXPECT_EQ(Pixel(image, 15, 15), 0xFF0000u);
}

TEST(TextPlayback, OpaqueBackgroundBehindTheCharacters)
{
    TEmfTestFile file(100, 60);
    file.Font(1, -20, u"Arial");
    file.Add(25, { 0x00FF00 }); // green
    file.Text(10, 10, u"i i");
    const QImage image = file.Render();
    const QRect ink = InkBox(image);
    EXPECT_GT(ink.height(), 18);
    EXPECT_EQ(Pixel(image, ink.left() + 1, ink.top() + 1), 0x00FF00u);
}

TEST(TextPlayback, ClippedRunStaysInItsRectangle)
{
    TEmfTestFile file(200, 60);
    file.Font(1, -40, u"Arial");
    file.Add(18, { 1 });
    file.Text(10, 5, u"WWWW", {}, 0x0004, QRect(10, 5, 30, 50));
    EXPECT_LE(InkBox(file.Render()).right(), 39);
}

TEST(TextPlayback, EscapementTurnsTheRun)
{
    TEmfTestFile file(100, 200);
    file.Font(1, -20, u"Arial", 900); // 90 degrees: upwards
    file.Add(18, { 1 });
    file.Add(22, { 24 });
    file.Text(50, 180, u"lllllll", { 20, 20, 20, 20, 20, 20, 20 });
    const QRect ink = InkBox(file.Render());
    EXPECT_GT(ink.height(), 100);
    EXPECT_LT(ink.width(), 30);
    EXPECT_LE(ink.bottom(), 181);
}

TEST(TextExtraction, RunsInDrawingOrder)
{
    TEmfTestFile file;
    file.Font(1, -12, u"Arial");
    file.Text(0, 0, u"Invoice 2024");
    file.Text(0, 20, u"", {}, 0x0002, QRect(0, 0, 5, 5)); // only a rectangle
    file.Text(0, 40, u"Total\r\n42");
    file.Font(2, -12, u"Symbol");
    file.Text(0, 60, u"\xF061\xF062");
    const std::vector<std::string> lines = ExtractEmfText(file.Bytes());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Invoice 2024");
    EXPECT_EQ(lines[1], "Total  42");
    EXPECT_EQ(lines[2], "\u03b1\u03b2");
}

TEST(TextExtraction, AnsiTextUsesTheFontCharacterSet)
{
    const uint8_t bytes[] = { 0x8A, 0xE8, 0x80 };
    EXPECT_EQ(DecodeAnsiText(bytes, 0), QString::fromUtf8("\u0160\u00e8\u20ac"));
    EXPECT_EQ(DecodeAnsiText(bytes, 238), QString::fromUtf8("\u0160\u010d\u20ac"));
}

TEST(FontMapping, CommonFacesMapToMetricCompatibleFamilies)
{
    EXPECT_EQ(MapFaceName("Arial"), "Liberation Sans");
    EXPECT_EQ(MapFaceName("times new roman"), "Liberation Serif");
    EXPECT_EQ(MapFaceName("Courier New"), "Liberation Mono");
    EXPECT_EQ(MapFaceName("No Such Face", 0x12), "Liberation Serif"); // roman family
    EXPECT_EQ(MapFaceName("No Such Face", 0x31), "Liberation Mono");  // fixed pitch
    EXPECT_EQ(MapFaceName("No Such Face", 0x22), "Liberation Sans");
}

TEST(FontMapping, HeightsAsThePlatformReadsThem)
{
    TLogFont em;
    em.FaceName = u"Arial";
    em.Height = -20;
    EXPECT_EQ(MapFont(em).pixelSize(), 20);
    TLogFont cell = em;
    cell.Height = 23; // cell height: Arial's em is 0.895 of it
    EXPECT_NEAR(EmHeight(cell), 20.6, 0.3);
    TLogFont narrow = em;
    narrow.Width = 5;
    EXPECT_GT(FontStretch(narrow), 0);
    EXPECT_LT(FontStretch(narrow), 100);
}

TEST(FontMapping, SymbolCharactersBecomeUnicode)
{
    EXPECT_EQ(MapFontText("Symbol", QString::fromUtf16(u"\xF070\x0061")),
              QString::fromUtf16(u"\x03C0\x03B1"));
    EXPECT_EQ(MapFontText("Arial", "abc"), "abc");
}

} // namespace
