#include "graphics/metafile.h"
#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"
#include "pagestore/report_file_error.h"
#include "pagestore/report_header.h"
#include "platform/errors.h"
#include "platform/file_stream.h"
#include "platform/ole_date.h"
#include "support/emf_fixture.h"

#include <QTemporaryDir>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace {
std::vector<uint8_t> ReadFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
}

TMetafile Page(uint32_t size, uint8_t fill)
{
    TMetafile m;
    m.LoadFromBytes(MakeEmf(size, fill));
    return m;
}

struct PageListTest : ::testing::Test {
    QTemporaryDir dir;
    std::string Path(const char* name) { return dir.filePath(name).toStdString(); }

    // Records pages into a fresh memory-backed list, as a recording does.
    std::unique_ptr<TQRPageList> Record(const std::vector<TMetafile>& pages, bool compress,
                                        bool finish = true)
    {
        auto list = std::make_unique<TQRPageList>();
        list->SetSpoolStream(std::make_unique<TQRStream>(100000));
        list->SetCompression(compress);
        for (const auto& page : pages)
            list->AppendPage(page);
        if (finish)
            list->StoreHeader();
        return list;
    }

    std::vector<TMetafile> ThreePages()
    {
        return {Page(108, 1), Page(112, 2), Page(116, 3)};
    }
};
} // namespace

TEST_F(PageListTest, PlainLayoutMatchesTheLinkedRecordFormat)
{
    auto list = Record({Page(108, 1), Page(112, 2)}, false);
    const auto name = Path("two.qrp");
    list->CopyToFile(name);
    const auto bytes = ReadFile(name);
    ASSERT_EQ(bytes.size(), 148u + 108 + 112);
    const auto at = [&](size_t offset) { return ReadLE32s(&bytes[offset]); };
    EXPECT_EQ(ReadLE16(&bytes[0]), 3);
    EXPECT_EQ(ReadLE16(&bytes[2]), 305);
    EXPECT_EQ(at(8), 2);
    EXPECT_EQ(bytes[21], 0);
    EXPECT_EQ(at(124), 1);
    EXPECT_EQ(at(128), 136 + 108);
    EXPECT_EQ(at(132 + 108), 124);
    EXPECT_EQ(at(136 + 108), 2);
    EXPECT_EQ(at(140 + 108), 148 + 108 + 112);
    EXPECT_EQ(at(bytes.size() - 4), 136 + 108);
    uint8_t header[124];
    std::copy_n(bytes.begin(), 124, header);
    EXPECT_NEAR(TQRReportHeader::Decode(header).dateWritten, OleDateNow(), 1.0 / 24);
}

// Fetches in every order a viewer uses: in sequence, last then backwards, first, during a
// recording right after an append; plain and compressed, from memory and from a saved file.
TEST_F(PageListTest, FetchesEveryPageInAnyOrder)
{
    std::vector<TMetafile> pages;
    for (int i = 0; i < 5; ++i)
        pages.push_back(Page(108 + 4 * uint32_t(i), uint8_t(i + 1)));
    for (bool compress : {false, true}) {
        auto list = Record(pages, compress);
        const auto name = Path(compress ? "c.qrp" : "p.qrp");
        list->CopyToFile(name);
        TQRPageList opened;
        opened.OpenFile(name);
        EXPECT_EQ(opened.PageTotal(), 5);
        EXPECT_EQ(opened.Compression(), compress);
        for (TQRPageList* l : {list.get(), &opened}) {
            for (int n : {1, 2, 3, 4, 5, 5, 2, 4, 3, 1, 5, 1, 3}) {
                auto page = l->FetchPage(n);
                ASSERT_TRUE(page) << n;
                EXPECT_EQ(page->Bytes(), pages[size_t(n - 1)].Bytes()) << "page " << n;
            }
            EXPECT_EQ(l->FetchPage(6), nullptr);
            EXPECT_EQ(l->FetchPage(0), nullptr);
        }
        // After fetching the last page the stream stands at its end.
        opened.FetchPage(5);
        EXPECT_EQ(opened.SpoolStream()->Position(), opened.SpoolStream()->Size());
    }

    auto recording = Record({pages[0], pages[1]}, true, false);
    EXPECT_EQ(recording->FetchPage(2)->Bytes(), pages[1].Bytes());
    recording->AppendPage(pages[2]);
    EXPECT_EQ(recording->FetchPage(1)->Bytes(), pages[0].Bytes());
    recording->AppendPage(pages[3]);
    EXPECT_EQ(recording->FetchPage(3)->Bytes(), pages[2].Bytes());
    EXPECT_EQ(recording->FetchPage(4)->Bytes(), pages[3].Bytes());
}

TEST_F(PageListTest, CompressedPagesAreSmallerAndFramedWithTheirLength)
{
    auto list = Record({Page(4000, 0)}, true);
    const auto name = Path("c.qrp");
    list->CopyToFile(name);
    const auto bytes = ReadFile(name);
    EXPECT_EQ(bytes[21], 1);
    EXPECT_EQ(ReadLE32s(&bytes[132]), 4000);
    EXPECT_LT(bytes.size(), 124u + 12 + 4 + 4000 / 4);
    EXPECT_EQ(ReadLE32s(&bytes[128]), int32_t(bytes.size()));
}

// The header keeps page count 1 until the recording ends normally; an abandoned recording saved
// as it is opens as a one-page report although its other records are present.
TEST_F(PageListTest, HeaderCountFollowsStoreHeaderOnly)
{
    auto list = Record(ThreePages(), false, false);
    EXPECT_EQ(list->PageTotal(), 3);
    const auto name = Path("abandoned.qrp");
    list->CopyToFile(name);
    TQRPageList opened;
    opened.OpenFile(name);
    EXPECT_EQ(opened.PageTotal(), 1);
    EXPECT_EQ(opened.FetchPage(1)->Bytes(), ThreePages()[0].Bytes());
    EXPECT_EQ(opened.FetchPage(2), nullptr);

    auto empty = Record({}, false, true);
    EXPECT_EQ(empty->SpoolStream()->Size(), 124);
    const auto emptyName = Path("empty.qrp");
    empty->CopyToFile(emptyName);
    TQRPageList none;
    none.OpenFile(emptyName);
    EXPECT_EQ(none.PageTotal(), 0);
    EXPECT_EQ(none.FetchPage(1), nullptr);
}

TEST_F(PageListTest, SavedCopyIsByteForByteAndTheOpenFileCannotBeOverwritten)
{
    const auto original = Path("original.qrp");
    Record(ThreePages(), true)->CopyToFile(original);
    TQRPageList opened;
    opened.OpenFile(original);
    const auto copy = Path("copy.qrp");
    WriteFile(copy, std::vector<uint8_t>(5000, 'x'));  // an existing file is replaced
    opened.CopyToFile(copy);
    EXPECT_EQ(ReadFile(copy), ReadFile(original));

    const auto before = ReadFile(original);
    try {
        opened.CopyToFile(original);
        FAIL() << "saving over the open report must fail";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create file " + original, 0), 0u);
    }
    EXPECT_EQ(ReadFile(original), before);
    EXPECT_EQ(opened.FetchPage(3)->Bytes(), ThreePages()[2].Bytes());
}

TEST_F(PageListTest, MissingFileRaisesOpenError)
{
    TQRPageList list;
    EXPECT_THROW(list.OpenFile(Path("missing.qrp")), EFOpenError);
    EXPECT_EQ(list.SpoolStream(), nullptr);
}

// Damaged files: every kind of damage ends in one clear error naming the file and the problem,
// never a hang, a crash or a read outside the stream. Offsets refer to three plain pages of 108,
// 112 and 116 bytes: records at 124, 244 and 368, file length 496.
TEST_F(PageListTest, DamagedFilesRaiseClearErrors)
{
    using Bytes = std::vector<uint8_t>;
    const auto set = [](Bytes& b, size_t offset, int32_t value) {
        WriteLE32(&b[offset], uint32_t(value));
    };
    struct Case {
        const char* what;
        bool compressed;
        std::function<void(Bytes&)> damage;
        std::vector<int> fetch;  // pages fetched in this order; the last one must fail
        const char* message;     // part of the error's text
    };
    const Case cases[] = {
        {"shorter than the header", false, [](Bytes& b) { b.resize(100); }, {}, "124-byte header"},
        {"negative page count", false, [&](Bytes& b) { set(b, 8, -3); }, {}, "negative"},
        {"more pages than records", false, [&](Bytes& b) { set(b, 8, 5); }, {1, 4},
         "page 4 is missing"},
        {"count names a page the last record lacks", false, [&](Bytes& b) { set(b, 8, 5); }, {5},
         "holds page 3, not page 5"},
        {"forward link outside", false, [&](Bytes& b) { set(b, 128, 100000); }, {2},
         "outside the file"},
        {"forward link of the fetched page outside", false, [&](Bytes& b) { set(b, 128, 9999); },
         {1}, "outside the file"},
        {"forward link backwards", false, [&](Bytes& b) { set(b, 128, 124); }, {2}, "backwards"},
        {"forward loop", false, [&](Bytes& b) { set(b, 248, 124); }, {2}, "page 2"},
        {"back link forwards", false, [&](Bytes& b) { set(b, 364, 368); }, {3, 2}, "forwards"},
        {"last-record link outside", false, [&](Bytes& b) { set(b, 492, 7); }, {3},
         "outside the file"},
        {"page number does not match", false, [&](Bytes& b) { set(b, 244, 7); }, {2},
         "page 2 is missing"},
        {"metafile runs past its record", false, [&](Bytes& b) { set(b, 252 + 48, 2000); }, {2},
         "runs past"},
        {"page data is no metafile", false, [&](Bytes& b) { set(b, 252 + 40, 0); }, {2},
         "signature"},
        {"huge coded length", true, [&](Bytes& b) { set(b, 132, 0x7FFFFFFF); }, {1},
         "impossible"},
        {"negative coded length", true, [&](Bytes& b) { set(b, 132, -5); }, {1}, "impossible"},
        {"coded block cut off", true, [&](Bytes& b) { set(b, 132, (ReadLE32s(&b[128]) - 140) * 8); },
         {1}, "cut off"},
    };
    int i = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto name = Path(("damaged" + std::to_string(i++) + ".qrp").c_str());
        Record(ThreePages(), c.compressed)->CopyToFile(name);
        Bytes bytes = ReadFile(name);
        c.damage(bytes);
        WriteFile(name, bytes);
        try {
            TQRPageList list;
            list.OpenFile(name);
            for (size_t k = 0; k + 1 < c.fetch.size(); ++k)
                list.FetchPage(c.fetch[k]);
            ASSERT_FALSE(c.fetch.empty()) << "opening should have failed";
            list.FetchPage(c.fetch.back());
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find(name), std::string::npos) << text;
            EXPECT_NE(text.find(c.message), std::string::npos) << text;
        }
    }
}

// Compressed pages may still be coding when the next ones are appended or earlier ones fetched:
// every fetch still sees whole records in page order.
TEST_F(PageListTest, CompressedRecordingInterleavesAppendsAndFetches)
{
    std::vector<TMetafile> pages;
    for (int i = 0; i < 60; ++i)
        pages.push_back(Page(108 + 4 * uint32_t((i * 37) % 500), uint8_t(i)));
    auto list = Record({}, true, false);
    for (int i = 0; i < 60; ++i) {
        list->AppendPage(pages[size_t(i)]);
        EXPECT_EQ(list->PageTotal(), i + 1);
        const int n = (i * 7) % (i + 1) + 1;
        ASSERT_EQ(list->FetchPage(n)->Bytes(), pages[size_t(n - 1)].Bytes()) << "page " << n;
    }
    list->StoreHeader();
    EXPECT_EQ(list->CheckRecords(), 60);
    for (int n = 60; n >= 1; n -= 3)
        EXPECT_EQ(list->FetchPage(n)->Bytes(), pages[size_t(n - 1)].Bytes());
}

// A page whose record cannot be written (here its spill file cannot be made) is reported by the
// next call that waits for it; the page total falls back and the stream keeps whole records.
TEST_F(PageListTest, FailedCompressedAppendIsReportedAndRolledBack)
{
    const QByteArray oldTmp = qgetenv("TMPDIR");
    auto list = std::make_unique<TQRPageList>();
    list->SetSpoolStream(std::make_unique<TQRStream>(2000));
    list->SetCompression(true);
    list->AppendPage(Page(400, 1));
    qputenv("TMPDIR", "/proc/self");  // no spill file can be made here
    bool raised = false;
    try {
        list->AppendPage(Page(40000, 2));  // past the limit: the write must spill
        list->AppendPage(Page(108, 3));
        list->StoreHeader();
    } catch (const EFCreateError&) {
        raised = true;
    }
    qputenv("TMPDIR", oldTmp);
    EXPECT_TRUE(raised);
    EXPECT_EQ(list->PageTotal(), 1);
    list->AppendPage(Page(40000, 4));
    list->StoreHeader();
    EXPECT_EQ(list->PageTotal(), 2);
    EXPECT_EQ(list->CheckRecords(), 2);
    EXPECT_EQ(list->FetchPage(2)->Bytes(), Page(40000, 4).Bytes());
}
