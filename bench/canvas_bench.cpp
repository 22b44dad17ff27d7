// Recording speed of the metafile canvas: a report page of 600 text cells with a bold heading row
// and grid lines, recorded and finished into a metafile. The target is well under a millisecond
// per hundred drawing calls.
#include "graphics/metafile.h"
#include "graphics/metafile_canvas.h"
#include "platform/application.h"

#include <QString>
#include <benchmark/benchmark.h>
#include <vector>

namespace {
constexpr int kRows = 60;
constexpr int kColumns = 10;

const std::vector<QString>& CellTexts()
{
    static const std::vector<QString> texts = [] {
        std::vector<QString> t;
        for (int i = 0; i < kRows * kColumns; ++i)
            t.push_back(i % kColumns == 0 ? QString("Article %1").arg(i / kColumns)
                                          : QString::number(i * 37.25, 'f', 2));
        return t;
    }();
    return texts;
}

// Returns the number of canvas calls made.
int64_t RecordPage(TMetafile& metafile)
{
    int64_t calls = 0;
    TMetafileCanvas canvas(metafile);
    canvas.Brush.Style = bsClear;
    canvas.Font.Name = "Arial";
    for (int row = 0; row < kRows; ++row) {
        canvas.Font.Style = row == 0 ? TFontStyles(fsBold) : TFontStyles();
        canvas.Font.SetSize(row == 0 ? 10 : 8);
        for (int column = 0; column < kColumns; ++column) {
            const QString& text = CellTexts()[size_t(row * kColumns + column)];
            const int x = 40 + column * 72;
            // Numbers are right-aligned in their column, as report generators do.
            const int left = column == 0 ? x + 2 : x + 70 - canvas.TextWidth(text);
            canvas.TextOut(left, 40 + row * 17, text);
            calls += column == 0 ? 1 : 2;
        }
    }
    canvas.Pen.Color = clGray;
    for (int row = 0; row <= kRows; ++row) {
        canvas.MoveTo(40, 38 + row * 17);
        canvas.LineTo(40 + kColumns * 72, 38 + row * 17);
        calls += 2;
    }
    for (int column = 0; column <= kColumns; ++column) {
        canvas.MoveTo(40 + column * 72, 38);
        canvas.LineTo(40 + column * 72, 38 + kRows * 17);
        calls += 2;
    }
    canvas.Finish();
    return calls;
}

void BM_RecordReportPage(benchmark::State& state)
{
    TMetafile metafile;
    metafile.SetWidth(794);
    metafile.SetHeight(1123);
    int64_t calls = 0;
    for (auto _ : state) {
        calls = RecordPage(metafile);
        benchmark::DoNotOptimize(metafile.Bytes().data());
    }
    state.SetItemsProcessed(state.iterations() * calls);
    state.counters["calls"] = double(calls);
    state.counters["bytes"] = double(metafile.Bytes().size());
    // Shown as time per hundred calls.
    state.counters["per_100_calls"] =
        benchmark::Counter(double(state.iterations()) * double(calls) / 100.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
} // namespace

BENCHMARK(BM_RecordReportPage)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
