// Mapping modes, window and viewport, scaling records and world transforms: a filled square
// given in logical units must land on the device pixels (10, 10)-(30, 30).
#include "graphics/emf_player.h"
#include "graphics/emf_test_file.h"

#include <QPainter>
#include <cctype>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int32_t kNullPen = int32_t(0x80000008);

struct MappingCase {
    const char* name;
    std::function<void(TEmfTestFile&)> setUp;
    QRect logical; // the square in logical units (left, top, right, bottom as given)
};

void Iso(TEmfTestFile& f)
{
    f.Add(17, { 7 });       // MM_ISOTROPIC
    f.Add(9, { 100, 100 }); // window extent
    f.Add(11, { 100, 50 }); // viewport extent: shrinks to 50 x 50
}

const MappingCase kCases[] = {
    { "text", [](TEmfTestFile&) {}, QRect(QPoint(10, 10), QPoint(30, 30)) },
    { "anisotropic",
      [](TEmfTestFile& f) {
          f.Add(17, { 8 });
          f.Add(9, { 1000, 1000 });
          f.Add(11, { 100, 100 });
      },
      QRect(QPoint(100, 100), QPoint(300, 300)) },
    { "origins",
      [](TEmfTestFile& f) {
          f.Add(17, { 8 });
          f.Add(10, { 50, 50 }); // window origin
          f.Add(12, { 5, 5 });   // viewport origin
      },
      QRect(QPoint(55, 55), QPoint(75, 75)) },
    { "twips, y upwards", [](TEmfTestFile& f) { f.Add(17, { 6 }); },
      QRect(QPoint(150, -150), QPoint(450, -450)) },
    { "extents ignored outside the scalable modes",
      [](TEmfTestFile& f) {
          f.Add(9, { 1000, 1000 });
          f.Add(11, { 1, 1 });
      },
      QRect(QPoint(10, 10), QPoint(30, 30)) },
    { "isotropic keeps the aspect", Iso, QRect(QPoint(20, 20), QPoint(60, 60)) },
    { "scaled viewport",
      [](TEmfTestFile& f) {
          f.Add(17, { 8 });
          f.Add(9, { 100, 100 });
          f.Add(11, { 100, 100 });
          f.Add(31, { 1, 2, 1, 2 }); // SCALEVIEWPORTEXTEX
      },
      QRect(QPoint(20, 20), QPoint(60, 60)) },
    { "scaled window",
      [](TEmfTestFile& f) {
          f.Add(17, { 8 });
          f.Add(9, { 50, 50 });
          f.Add(11, { 100, 100 });
          f.Add(32, { 4, 1, 4, 1 }); // SCALEWINDOWEXTEX: window 200 x 200
      },
      QRect(QPoint(20, 20), QPoint(60, 60)) },
    { "zero extent refused",
      [](TEmfTestFile& f) {
          f.Add(17, { 8 });
          f.Add(9, { 0, 100 });
          f.Add(11, { 0, 0 });
      },
      QRect(QPoint(10, 10), QPoint(30, 30)) },
    { "world scale and offset",
      [](TEmfTestFile& f) {
          f.AddFloats(35, { 0.5f, 0, 0, 0.5f, 5, 5 });
      },
      QRect(QPoint(10, 10), QPoint(50, 50)) },
    { "world left multiply",
      [](TEmfTestFile& f) {
          f.AddFloats(35, { 1, 0, 0, 1, 5, 5 });
          f.AddFloats(36, { 0.5f, 0, 0, 0.5f, 0, 0 }, 2); // scale first, then the offset
      },
      QRect(QPoint(10, 10), QPoint(50, 50)) },
    { "world right multiply",
      [](TEmfTestFile& f) {
          f.AddFloats(35, { 0.5f, 0, 0, 0.5f, 0, 0 });
          f.AddFloats(36, { 1, 0, 0, 1, 5, 5 }, 3);
      },
      QRect(QPoint(10, 10), QPoint(50, 50)) },
    { "world reset",
      [](TEmfTestFile& f) {
          f.AddFloats(35, { 3, 0, 0, 3, 7, 7 });
          f.AddFloats(36, { 0, 0, 0, 0, 0, 0 }, 1); // MWT_IDENTITY
      },
      QRect(QPoint(10, 10), QPoint(30, 30)) },
    { "restored mapping",
      [](TEmfTestFile& f) {
          f.Add(33, {}); // SAVEDC
          f.Add(17, { 8 });
          f.Add(9, { 1, 1 });
          f.Add(11, { 3, 3 });
          f.Add(33, {});
          f.Add(34, { 1 }); // back to the first saved state: MM_TEXT
      },
      QRect(QPoint(10, 10), QPoint(30, 30)) },
};

class MappingTest : public ::testing::TestWithParam<MappingCase> {};

TEST_P(MappingTest, SquareLandsOnTheDevicePixels)
{
    TEmfTestFile file;
    GetParam().setUp(file);
    file.Add(37, { kNullPen });
    file.Brush(1, 0x000000);
    const QRect& r = GetParam().logical;
    file.Patch(r.left(), r.top(), r.right(), r.bottom());
    const QImage image = file.Render();
    EXPECT_EQ(InkBox(image), QRect(10, 10, 20, 20));
}

TEST(Figures, BoxesLeaveOutTheirRightAndBottomEdges)
{
    // As the platform draws them: a one-pixel outline on the last pixels inside, and a figure
    // without an outline one pixel smaller still.
    TEmfTestFile outlined;
    outlined.Brush(1, 0x0000FF);
    outlined.Add(43, { 10, 10, 30, 30 });
    const QImage a = outlined.Render();
    EXPECT_EQ(InkBox(a), QRect(10, 10, 20, 20));
    EXPECT_EQ(Pixel(a, 29, 20), 0u);
    EXPECT_EQ(Pixel(a, 28, 20), 0xFF0000u);
    TEmfTestFile filled;
    filled.Add(37, { kNullPen });
    filled.Brush(1, 0x000000);
    filled.Add(43, { 10, 10, 30, 30 });
    EXPECT_EQ(InkBox(filled.Render()), QRect(10, 10, 19, 19));
    TEmfTestFile line;
    line.Add(27, { 10, 50 });
    line.Add(54, { 40, 50 });
    EXPECT_EQ(InkBox(line.Render()), QRect(10, 50, 30, 1));
}

INSTANTIATE_TEST_SUITE_P(Modes, MappingTest, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name;
    for (const char* c = info.param.name; *c; ++c)
        name += std::isalnum(uint8_t(*c)) ? *c : '_';
    return name;
});

TEST(FrameMapping, FrameIsStretchedOverTheTarget)
{
    // The frame is half the picture; drawn into a 96-pixel target the square doubles.
    TEmfTestFile file(48, 48);
    file.Add(37, { kNullPen });
    file.Brush(1, 0x000000);
    file.Patch(12, 12, 24, 24);
    const std::vector<uint8_t> bytes = file.Bytes();
    QImage image(96, 96, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    StretchDrawMetafile(painter, QRectF(0, 0, 96, 96), bytes);
    painter.end();
    EXPECT_EQ(InkBox(image), QRect(24, 24, 24, 24));
}

} // namespace
