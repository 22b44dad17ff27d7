// Clipping (rectangles, regions, paths, the save stack) and raster operations, checked on the
// pixels of small metafiles.
#include "graphics/emf_test_file.h"
#include "platform/stream.h"

#include <cctype>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int32_t kNullPen = int32_t(0x80000008);

// A black square over the whole picture, drawn after setUp.
QImage FillAfter(const std::function<void(TEmfTestFile&)>& setUp)
{
    TEmfTestFile file;
    file.Add(37, { kNullPen });
    file.Brush(1, 0x000000);
    setUp(file);
    file.Patch(0, 0, 96, 96);
    return file.Render();
}

std::vector<uint8_t> RegionData(std::initializer_list<QRect> rects)
{
    std::vector<uint8_t> data(32 + 16 * rects.size());
    WriteLE32(data.data(), 32);
    WriteLE32(data.data() + 4, 1);
    WriteLE32(data.data() + 8, uint32_t(rects.size()));
    WriteLE32(data.data() + 12, uint32_t(16 * rects.size()));
    size_t at = 32;
    for (const QRect& r : rects) {
        WriteLE32(data.data() + at, uint32_t(r.left()));
        WriteLE32(data.data() + at + 4, uint32_t(r.top()));
        WriteLE32(data.data() + at + 8, uint32_t(r.right() + 1));
        WriteLE32(data.data() + at + 12, uint32_t(r.bottom() + 1));
        at += 16;
    }
    return data;
}

void SelectRegion(TEmfTestFile& f, std::initializer_list<QRect> rects, int32_t mode)
{
    const std::vector<uint8_t> data = RegionData(rects);
    f.Add(75, { int32_t(data.size()), mode }, data);
}

TEST(Clipping, IntersectAndExcludeRectangles)
{
    EXPECT_EQ(InkBox(FillAfter([](auto& f) {
                  f.Add(30, { 10, 10, 30, 30 });
              })),
              QRect(10, 10, 20, 20));
    const QImage excluded = FillAfter([](auto& f) {
        f.Add(30, { 10, 10, 60, 60 });
        f.Add(29, { 10, 10, 60, 30 }); // leaves (10, 30)-(60, 60)
    });
    EXPECT_EQ(InkBox(excluded), QRect(10, 30, 50, 30));
    EXPECT_FALSE(Dark(excluded, 20, 20));
}

TEST(Clipping, ClipRectanglesFollowTheMapping)
{
    const QImage image = FillAfter([](auto& f) {
        f.Add(17, { 8 });
        f.Add(9, { 10, 10 });
        f.Add(11, { 20, 20 });       // two device pixels per logical unit
        f.Add(30, { 5, 5, 15, 15 }); // device (10, 10)-(30, 30)
    });
    EXPECT_EQ(InkBox(image), QRect(10, 10, 20, 20));
}

TEST(Clipping, SaveAndRestoreBringBackTheClip)
{
    const QImage relative = FillAfter([](auto& f) {
        f.Add(33, {});
        f.Add(30, { 10, 10, 30, 30 });
        f.Add(34, { -1 });
    });
    EXPECT_EQ(InkBox(relative), QRect(0, 0, 96, 96));
    const QImage absolute = FillAfter([](auto& f) {
        f.Add(30, { 0, 0, 50, 50 });
        f.Add(33, {}); // level 1: clipped to 50 x 50
        f.Add(30, { 10, 10, 30, 30 });
        f.Add(33, {});
        f.Add(33, {});
        f.Add(34, { 1 });
    });
    EXPECT_EQ(InkBox(absolute), QRect(0, 0, 50, 50));
    const QImage outOfRange = FillAfter([](auto& f) {
        f.Add(30, { 10, 10, 30, 30 });
        f.Add(34, { -5 }); // nothing saved: ignored
    });
    EXPECT_EQ(InkBox(outOfRange), QRect(10, 10, 20, 20));
}

TEST(Clipping, DeepSaveNestingIsBounded)
{
    const QImage image = FillAfter([](auto& f) {
        for (int i = 0; i < 20000; ++i)
            f.Add(33, {});
        f.Add(30, { 10, 10, 30, 30 });
        f.Add(34, { -1 });
        f.Add(34, { -2147483647 - 1 });
    });
    EXPECT_EQ(InkBox(image), QRect(0, 0, 96, 96));
}

TEST(Clipping, RegionsCombineWithTheirModes)
{
    EXPECT_EQ(InkBox(FillAfter([](auto& f) { SelectRegion(f, { QRect(5, 5, 10, 10) }, 5); })),
              QRect(5, 5, 10, 10));
    const QImage twoRects = FillAfter([](auto& f) {
        SelectRegion(f, { QRect(0, 0, 10, 10), QRect(50, 50, 10, 10) }, 5);
    });
    EXPECT_TRUE(Dark(twoRects, 5, 5));
    EXPECT_TRUE(Dark(twoRects, 55, 55));
    EXPECT_FALSE(Dark(twoRects, 30, 30));
    const QImage anded = FillAfter([](auto& f) {
        f.Add(30, { 0, 0, 40, 40 });
        SelectRegion(f, { QRect(20, 20, 40, 40) }, 1); // RGN_AND
    });
    EXPECT_EQ(InkBox(anded), QRect(20, 20, 20, 20));
    const QImage reset = FillAfter([](auto& f) {
        f.Add(30, { 0, 0, 40, 40 });
        f.Add(75, { 0, 5 }); // RGN_COPY without data: no clip
    });
    EXPECT_EQ(InkBox(reset), QRect(0, 0, 96, 96));
    const QImage offset = FillAfter([](auto& f) {
        f.Add(30, { 0, 0, 10, 10 });
        f.Add(26, { 20, 30 }); // OFFSETCLIPRGN
    });
    EXPECT_EQ(InkBox(offset), QRect(20, 30, 10, 10));
}

TEST(Clipping, MetaRegionBoundsLaterClips)
{
    const QImage image = FillAfter([](auto& f) {
        f.Add(30, { 0, 0, 40, 40 });
        f.Add(28, {}); // SETMETARGN: the clip becomes the meta region
        SelectRegion(f, { QRect(20, 20, 60, 60) }, 5);
    });
    EXPECT_EQ(InkBox(image), QRect(20, 20, 20, 20));
}

TEST(Clipping, PathBecomesTheClip)
{
    const QImage image = FillAfter([](auto& f) {
        f.Add(59, {}); // BEGINPATH
        f.Add(43, { 10, 10, 30, 30 });
        f.Add(60, {});    // ENDPATH
        f.Add(67, { 5 }); // SELECTCLIPPATH, RGN_COPY
    });
    EXPECT_EQ(InkBox(image), QRect(10, 10, 20, 20));
}

TEST(Paths, FillAndStrokeTheClosedPath)
{
    TEmfTestFile file;
    file.Add(37, { kNullPen });
    file.Brush(1, 0x0000FF); // red
    file.Add(59, {});
    file.Add(27, { 10, 10 }); // MOVETOEX
    file.Add(54, { 50, 10 }); // LINETO
    file.Add(54, { 50, 50 });
    file.Add(54, { 10, 50 });
    file.Add(61, {}); // CLOSEFIGURE
    file.Add(60, {});
    file.Add(62, { 0, 0, -1, -1 }); // FILLPATH
    file.Add(62, { 0, 0, -1, -1 }); // the path is gone: nothing more
    const QImage image = file.Render();
    EXPECT_EQ(InkBox(image), QRect(10, 10, 40, 40));
    EXPECT_EQ(Pixel(image, 30, 30), 0xFF0000u);
}

struct RopCase {
    const char* name;
    int32_t rop2; // SETROP2 before a white filled square, 0 for none
    int32_t blit; // BITBLT raster operation without a source, 0 for none
    QRgb centre;  // the pixel in the square afterwards, over a white picture
};

const RopCase kRops[] = {
    { "copy pen", 13, 0, 0xFFFFFF },
    { "no operation", 11, 0, 0xFFFFFF },
    { "xor pen", 7, 0, 0x000000 },
    { "not destination", 6, 0, 0x000000 },
    { "black", 1, 0, 0x000000 },
    { "not copy pen", 4, 0, 0x000000 },
    { "blackness", 0, 0x00000042, 0x000000 },
    { "destination inverted", 0, 0x00550009, 0x000000 },
    { "pattern copy", 0, 0x00F00021, 0x808080 },
    { "whiteness", 0, 0x00FF0062, 0xFFFFFF },
};

class RopTest : public ::testing::TestWithParam<RopCase> {};

TEST_P(RopTest, CombinesWithTheWhitePicture)
{
    const RopCase& c = GetParam();
    TEmfTestFile file;
    file.Add(37, { kNullPen });
    if (c.rop2) {
        file.Brush(1, 0xFFFFFF);
        file.Add(20, { c.rop2 });
        file.Add(43, { 10, 10, 31, 31 });
    } else {
        file.Brush(1, 0x808080);
        file.Add(76, { 0, 0, -1,         -1, 10, 10, 20, 20, c.blit, 0, 0, 0x3F800000,
                       0, 0, 0x3F800000, 0,  0,  0,  0,  0,  0,      0, 0 });
    }
    const QImage image = file.Render();
    EXPECT_EQ(Pixel(image, 20, 20), c.centre);
    EXPECT_EQ(Pixel(image, 50, 50), 0xFFFFFFu);
}

INSTANTIATE_TEST_SUITE_P(Operations, RopTest, ::testing::ValuesIn(kRops), [](const auto& info) {
    std::string name;
    for (const char* c = info.param.name; *c; ++c)
        name += std::isalnum(uint8_t(*c)) ? *c : '_';
    return name;
});

} // namespace
