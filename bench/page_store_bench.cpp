// Page store speed: the coder through the page list and the spool stream next to a bare loop of
// the same algorithm over arrays; opening long and short reports; fetching pages in order.
#include "graphics/metafile.h"
#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"
#include "platform/application.h"
#include "platform/stream.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <map>
#include <vector>

namespace {

std::string CorpusDir()
{
    const char* source = std::getenv("QRP_CORPUS");
    return source ? source : "/work/shared/corpus/emf";
}

// The largest metafile of the corpus: the realistic worst case for the coder.
const TMetafile& LargestPage()
{
    static TMetafile page = [] {
        TMetafile m;
        std::ifstream in(CorpusDir() + "/test-164.emf", std::ios::binary);
        std::vector<uint8_t> bytes {std::istreambuf_iterator<char>(in), {}};
        m.LoadFromBytes(std::move(bytes));
        return m;
    }();
    return page;
}

// The same semi-splaying coder as the page store's, in the same form (child and side tables, the
// climb that gathers the code and splays in one pass), on plain arrays with no stream at all: the
// yardstick for the real path.
struct BareCoder {
    uint16_t child[256][2];
    uint8_t parent[513], side[513];
    BareCoder()
    {
        for (int i = 1; i <= 512; ++i) {
            parent[i] = uint8_t((i - 1) / 2);
            side[i] = uint8_t(i % 2 == 0);
        }
        parent[0] = side[0] = 0;
        for (int i = 0; i < 256; ++i) {
            child[i][0] = uint16_t(2 * i + 1);
            child[i][1] = uint16_t(2 * i + 2);
        }
    }
    void Step(int a, int aSide, int c, int cSide, int d)
    {
        const int uncle = cSide ^ 1;
        const int s = child[d][uncle];
        child[d][uncle] = uint16_t(a);
        parent[a] = uint8_t(d);
        side[a] = uint8_t(uncle);
        child[c][aSide] = uint16_t(s);
        parent[s] = uint8_t(c);
        side[s] = uint8_t(aSide);
    }
    void Encode(const std::vector<uint8_t>& in, std::vector<uint8_t>& out)
    {
        uint64_t pending = 0;
        unsigned bits = 0;
        for (uint8_t b : in) {
            // Paths deeper than 56 levels do not occur in this data; the real coder handles them.
            uint64_t path = 0;
            unsigned depth = 0;
            int a = 256 + b;
            while (a != 0) {
                const int c = parent[a];
                const int aSide = side[a];
                path = (path << 1) | unsigned(aSide);
                ++depth;
                if (c == 0)
                    break;
                const int d = parent[c];
                const int cSide = side[c];
                path = (path << 1) | unsigned(cSide);
                ++depth;
                Step(a, aSide, c, cSide, d);
                a = d;
            }
            pending |= path << bits;
            bits += depth;
            while (bits >= 8) {
                out.push_back(uint8_t(pending));
                pending >>= 8;
                bits -= 8;
            }
        }
        if (bits != 0)
            out.push_back(uint8_t(pending));
    }
    void Decode(const std::vector<uint8_t>& in, size_t count, std::vector<uint8_t>& out)
    {
        unsigned bit = 7, input = 0;
        size_t at = 0;
        for (size_t i = 0; i < count; ++i) {
            int a = 0;
            while (a < 256) {
                if (bit == 7) {
                    input = in[at++];
                    bit = 0;
                } else {
                    ++bit;
                }
                a = child[a][(input >> bit) & 1u];
            }
            for (int n = a; n != 0;) {
                const int p = parent[n];
                if (p == 0)
                    break;
                Step(n, side[n], p, side[p], parent[p]);
                n = parent[n];
            }
            out.push_back(uint8_t(a - 256));
        }
    }
};

void BM_EncodeBareLoop(benchmark::State& state)
{
    const auto& bytes = LargestPage().Bytes();
    std::vector<uint8_t> out;
    for (auto _ : state) {
        out.clear();
        BareCoder().Encode(bytes, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void BM_EncodeThroughPageList(benchmark::State& state)
{
    const TMetafile& page = LargestPage();
    for (auto _ : state) {
        TQRPageList list;
        list.SetSpoolStream(std::make_unique<TQRStream>(INT32_MAX));
        list.SetCompression(true);
        list.AppendPage(page);
        list.StoreHeader();  // waits until the page is coded and its record written
        benchmark::DoNotOptimize(list.SpoolStream());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.Bytes().size()));
}

void BM_DecodeBareLoop(benchmark::State& state)
{
    const auto& bytes = LargestPage().Bytes();
    std::vector<uint8_t> coded, out;
    BareCoder().Encode(bytes, coded);
    for (auto _ : state) {
        out.clear();
        BareCoder().Decode(coded, bytes.size(), out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void BM_DecodeThroughPageList(benchmark::State& state)
{
    const TMetafile& page = LargestPage();
    TQRPageList list;
    list.SetSpoolStream(std::make_unique<TQRStream>(INT32_MAX));
    list.SetCompression(true);
    list.AppendPage(page);
    for (auto _ : state)
        benchmark::DoNotOptimize(list.FetchPage(1));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.Bytes().size()));
}

// Report files of 10 and 10,000 small pages, written once per run.
const std::string& ReportOf(int pages)
{
    static QTemporaryDir dir;
    static std::map<int, std::string> names;
    auto& name = names[pages];
    if (name.empty()) {
        name = dir.filePath(QString("r%1.qrp").arg(pages)).toStdString();
        TQRPageList list;
        list.SetSpoolStream(std::make_unique<TQRStream>(100000));
        std::ifstream in(CorpusDir() + "/test-012.emf", std::ios::binary);
        TMetafile page;
        page.LoadFromBytes({std::istreambuf_iterator<char>(in), {}});
        for (int i = 0; i < pages; ++i)
            list.AppendPage(page);
        list.StoreHeader();
        list.CopyToFile(name);
    }
    return name;
}

void BM_OpenAndFetchFirstPage(benchmark::State& state)
{
    const std::string& name = ReportOf(int(state.range(0)));
    for (auto _ : state) {
        TQRPageList list;
        list.OpenFile(name);
        benchmark::DoNotOptimize(list.FetchPage(1));
    }
}

// In order, each page is found where the previous fetch left the stream: the cost per page must
// not grow with the report's length.
void BM_FetchAllInOrder(benchmark::State& state)
{
    const std::string& name = ReportOf(int(state.range(0)));
    TQRPageList list;
    list.OpenFile(name);
    for (auto _ : state)
        for (int n = 1; n <= list.PageTotal(); ++n)
            benchmark::DoNotOptimize(list.FetchPage(n));
    state.SetItemsProcessed(int64_t(state.iterations()) * list.PageTotal());
}

} // namespace

// Elapsed time: the page list codes compressed pages on a thread of its own.
BENCHMARK(BM_EncodeBareLoop)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EncodeThroughPageList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecodeBareLoop)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecodeThroughPageList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenAndFetchFirstPage)->Arg(10)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FetchAllInOrder)->Arg(10)->Arg(10000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
