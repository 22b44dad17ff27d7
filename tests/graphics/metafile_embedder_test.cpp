#include "canvas_test_support.h"
#include "graphics/metafile.h"
#include "graphics/metafile_canvas.h"
#include "graphics/metafile_embedder.h"

#include <gtest/gtest.h>
#include <set>

namespace {
// Assembles a metafile from records, with a header for a 96 pixels-per-inch reference device
// and a frame of frameWidth x frameHeight pixels.
class TMetafileBuilder {
public:
    TEmfRecordBuilder b;

    void Add(std::span<const uint8_t> record)
    {
        body_.insert(body_.end(), record.begin(), record.end()), ++count_;
    }
    std::vector<uint8_t> Build(int frameWidth, int frameHeight)
    {
        TEmfHeaderInfo info;
        const TEmfReferenceDevice device = ReferenceDeviceAt(96);
        info.deviceCx = device.deviceCx;
        info.deviceCy = device.deviceCy;
        info.mmCx = device.mmCx;
        info.mmCy = device.mmCy;
        info.frame = Rect(0, 0, MulDiv(frameWidth, 2540, 96), MulDiv(frameHeight, 2540, 96));
        info.nRecords = count_ + 2;
        info.nBytes = uint32_t(kEmfHeaderSize + body_.size() + kEmfEofSize);
        std::vector<uint8_t> bytes;
        const auto header = b.Header(info);
        bytes.insert(bytes.end(), header.begin(), header.end());
        bytes.insert(bytes.end(), body_.begin(), body_.end());
        const auto eof = b.Eof();
        bytes.insert(bytes.end(), eof.begin(), eof.end());
        return bytes;
    }

private:
    std::vector<uint8_t> body_;
    uint32_t count_ = 0;
};

bool IsObjectRecord(uint32_t type)
{
    return type == emf::EMR_CREATEPEN || type == emf::EMR_CREATEBRUSHINDIRECT ||
           type == emf::EMR_EXTCREATEFONTINDIRECTW || type == emf::EMR_SELECTOBJECT ||
           type == emf::EMR_DELETEOBJECT;
}

// The logical-to-device mapping of an anisotropic window and viewport, on one axis.
struct TAxis {
    int32_t windowOrg = 0, windowExt = 1, viewportOrg = 0, viewportExt = 1;
    double Map(double v) const { return (v - windowOrg) * viewportExt / windowExt + viewportOrg; }
};
} // namespace

// The embedded picture's objects live in slots the outer recording is not using, are all gone
// when it ends, and the outer recording's own tools stay selected.
TEST(MetafileEmbedder, ObjectsMoveToFreeSlots)
{
    TMetafile inner;
    inner.SetWidth(100);
    inner.SetHeight(50);
    {
        TMetafileCanvas canvas(inner);
        canvas.Brush.Color = clRed;
        canvas.Rectangle(0, 0, 50, 50);
        canvas.Font.Name = "Courier New";
        canvas.TextOut(2, 2, u"inner");
        canvas.Pen.Color = clBlue;
        canvas.LineTo(100, 50);
    }

    TRecordingCanvas outer;
    outer.Brush.Color = clYellow;
    outer.Rectangle(0, 0, 10, 10);
    outer.TextOut(0, 20, u"before");
    const size_t before = outer.count;
    outer.StretchDraw(Rect(200, 100, 400, 200), inner);
    const size_t embedded = outer.count;
    outer.Rectangle(0, 0, 10, 10);
    outer.TextOut(0, 20, u"after");
    const auto records = outer.Records();

    std::set<uint32_t> live; // the outer slots in use before the picture
    for (size_t i = 0; i < before; ++i)
        if (records[i].type == emf::EMR_CREATEPEN ||
            records[i].type == emf::EMR_CREATEBRUSHINDIRECT ||
            records[i].type == emf::EMR_EXTCREATEFONTINDIRECTW)
            live.insert(records[i].Field(8));
    ASSERT_EQ(live.size(), 3u);

    ASSERT_EQ(records[before].type, uint32_t(emf::EMR_SAVEDC));
    std::set<uint32_t> created, deleted;
    for (size_t i = before; i < embedded; ++i) {
        const TRecordView& r = records[i];
        EXPECT_NE(r.type, uint32_t(emf::EMR_HEADER));
        EXPECT_NE(r.type, uint32_t(emf::EMR_EOF));
        if (!IsObjectRecord(r.type) || (r.Field(8) & 0x80000000))
            continue;
        const uint32_t index = r.Field(8);
        EXPECT_FALSE(live.count(index)) << "record " << i << " uses an outer slot";
        if (r.type == emf::EMR_DELETEOBJECT) {
            EXPECT_TRUE(created.count(index));
            deleted.insert(index);
        } else if (r.type != emf::EMR_SELECTOBJECT) {
            created.insert(index);
        } else {
            EXPECT_TRUE(created.count(index)) << "selects an object it never made";
        }
    }
    EXPECT_EQ(created, deleted);
    EXPECT_FALSE(created.empty());
    // The one RestoreDC that ends the picture comes before its objects are deleted.
    size_t restore = 0;
    for (size_t i = before; i < embedded; ++i)
        if (records[i].type == emf::EMR_RESTOREDC) {
            restore = i;
            EXPECT_EQ(records[i].SignedField(8), -1);
        }
    ASSERT_GT(restore, before);
    for (size_t i = restore + 1; i < embedded; ++i)
        EXPECT_EQ(records[i].type, uint32_t(emf::EMR_DELETEOBJECT));
    // The outer tools were restored with the device context: nothing is made again.
    for (size_t i = embedded; i < records.size(); ++i) {
        EXPECT_NE(records[i].type, uint32_t(emf::EMR_CREATEPEN));
        EXPECT_NE(records[i].type, uint32_t(emf::EMR_CREATEBRUSHINDIRECT));
        EXPECT_NE(records[i].type, uint32_t(emf::EMR_EXTCREATEFONTINDIRECTW));
    }
}

// A picture with its own window and viewport, unbalanced saves, stray indexes and a clip region
// lands where the frame mapping puts it.
TEST(MetafileEmbedder, InnerMappingAndStateAreContained)
{
    TMetafileBuilder m;
    TEmfRecordBuilder& b = m.b;
    m.Add(b.Simple(emf::EMR_SETMAPMODE, 8u));
    m.Add(b.Simple(emf::EMR_SETWINDOWEXTEX, 1000, 1000));
    m.Add(b.Simple(emf::EMR_SETVIEWPORTEXTEX, 100, 100));
    m.Add(b.Simple(emf::EMR_SAVEDC, 0u));
    m.Add(b.Simple(emf::EMR_SAVEDC, 0u));
    b.Begin(emf::EMR_RESTOREDC);
    b.PutS32(-5); // more than were saved
    m.Add(b.Finish());
    m.Add(b.Simple(emf::EMR_SELECTOBJECT, 7u)); // never created
    b.Begin(emf::EMR_CREATEPEN);
    b.Put32(1);
    b.Put32(0);
    b.PutS32(1);
    b.PutS32(0);
    b.Put32(clRed);
    m.Add(b.Finish());
    m.Add(b.Simple(emf::EMR_SELECTOBJECT, 1u));
    b.Begin(emf::EMR_GDICOMMENT);
    b.Put32(4);
    b.Put32(0x2B464D45); // EMF+ records describe a second copy of the picture
    m.Add(b.Finish());
    b.Begin(emf::EMR_GDICOMMENT);
    b.Put32(4);
    b.Put32(0x43494447); // a public comment stays
    m.Add(b.Finish());
    b.Begin(emf::EMR_EXTSELECTCLIPRGN);
    b.Put32(48);
    b.Put32(5); // copy
    b.Put32(32);
    b.Put32(1);
    b.Put32(1);
    b.Put32(16);
    b.PutRect(Rect(10, 10, 50, 50));
    b.PutRect(Rect(10, 10, 50, 50));
    m.Add(b.Finish());
    b.Begin(emf::EMR_RECTANGLE);
    b.PutRect(Rect(0, 0, 1000, 1000));
    m.Add(b.Finish());
    TMetafile inner;
    inner.LoadFromBytes(m.Build(100, 100));

    TRecordingCanvas outer;
    outer.TextOut(0, 0, u"x"); // the outer font takes slot 1
    const size_t before = outer.count;
    outer.StretchDraw(Rect(100, 200, 150, 250), inner);
    const auto all = outer.Records();
    const std::vector<TRecordView> records(all.begin() + std::ptrdiff_t(before), all.end());

    TAxis x, y;
    std::vector<int32_t> restores;
    size_t comments = 0;
    bool sawRectangle = false;
    for (const auto& r : records) {
        switch (r.type) {
        case emf::EMR_SETWINDOWORGEX:
            x.windowOrg = r.SignedField(8), y.windowOrg = r.SignedField(12);
            break;
        case emf::EMR_SETWINDOWEXTEX:
            x.windowExt = r.SignedField(8), y.windowExt = r.SignedField(12);
            break;
        case emf::EMR_SETVIEWPORTORGEX:
            x.viewportOrg = r.SignedField(8), y.viewportOrg = r.SignedField(12);
            break;
        case emf::EMR_SETVIEWPORTEXTEX:
            x.viewportExt = r.SignedField(8), y.viewportExt = r.SignedField(12);
            break;
        case emf::EMR_RESTOREDC:
            restores.push_back(r.SignedField(8));
            break;
        case emf::EMR_GDICOMMENT:
            ++comments;
            EXPECT_NE(r.Field(12), 0x2B464D45u);
            break;
        case emf::EMR_SELECTOBJECT:
            EXPECT_NE(r.Field(8), 7u);
            break;
        case emf::EMR_CREATEPEN:
            EXPECT_NE(r.Field(8), 1u) << "the outer font's slot";
            break;
        case emf::EMR_EXTSELECTCLIPRGN:
            // Regions are in device units: only the frame mapping (half size, moved) applies.
            EXPECT_EQ(
                Rect(r.SignedField(48), r.SignedField(52), r.SignedField(56), r.SignedField(60)),
                Rect(105, 205, 125, 225));
            break;
        case emf::EMR_RECTANGLE:
            sawRectangle = true;
            // Where the rectangle's corners land under the transform in force.
            EXPECT_NEAR(x.Map(0), 100, 0.01);
            EXPECT_NEAR(y.Map(0), 200, 0.01);
            EXPECT_NEAR(x.Map(1000), 150, 0.01);
            EXPECT_NEAR(y.Map(1000), 250, 0.01);
            break;
        default:
            break;
        }
    }
    EXPECT_TRUE(sawRectangle);
    EXPECT_EQ(comments, 1u);
    // Only the final restore, which also undoes the picture's two unbalanced saves.
    EXPECT_EQ(restores, std::vector<int32_t>({ -3 }));
}

TEST(MetafileEmbedder, DamageEndsThePictureCleanly)
{
    TMetafileBuilder m;
    TEmfRecordBuilder& b = m.b;
    m.Add(b.Simple(emf::EMR_SAVEDC, 0u));
    b.Begin(emf::EMR_RECTANGLE);
    b.PutRect(Rect(0, 0, 10, 10));
    m.Add(b.Finish());
    std::vector<uint8_t> bytes = m.Build(20, 20);
    // The rectangle's size now claims more than the metafile holds.
    WriteLE32(bytes.data() + kEmfHeaderSize + 12 + 4, 4000);

    TEmfHandleTable handles;
    TEmfRecordBuilder builder;
    std::vector<uint32_t> types;
    const auto write = [&](std::span<const uint8_t> r) { types.push_back(ReadLE32(r.data())); };
    ASSERT_TRUE(EmbedMetafile(bytes, Rect(0, 0, 20, 20), handles, builder, write));
    EXPECT_EQ(std::count(types.begin(), types.end(), uint32_t(emf::EMR_RECTANGLE)), 0);
    EXPECT_EQ(types.back(), uint32_t(emf::EMR_RESTOREDC));

    // Not a metafile at all, or an empty target: nothing is written.
    types.clear();
    const std::vector<uint8_t> garbage(64, 0xAB);
    EXPECT_FALSE(EmbedMetafile(garbage, Rect(0, 0, 20, 20), handles, builder, write));
    EXPECT_FALSE(EmbedMetafile(bytes, Rect(20, 20, 0, 0), handles, builder, write));
    EXPECT_TRUE(types.empty());
}
