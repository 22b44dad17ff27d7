// Opening a report to a shown first page, for short and long reports, and the memory that paging
// through a report holds. Run without arguments for the timings; with "--paging-memory N" it pages
// through a report of N pages and prints its peak memory (bench/preview_paging_memory.sh compares).
#include "bench_reports.h"

#include "document/qr_printer.h"
#include "platform/application.h"
#include "preview/qr_preview.h"
#include "preview/qr_preview_image.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

namespace {
// A preview control showing page 1 of the document at page width, as the window opens it.
std::unique_ptr<TQRPreview> PreviewOf(TQRPrinter& document)
{
    auto preview = std::make_unique<TQRPreview>();
    preview->resize(900, 700);
    preview->SetDocument(&document);
    preview->ZoomToPageWidth();
    return preview;
}

// Everything the viewer does up to the first page on screen: load, attach, lay out, paint.
void BM_OpenToShownFirstPage(benchmark::State& state)
{
    const std::string& name = BenchReport(int(state.range(0)));
    for (auto _ : state) {
        TQRPrinter document;
        document.LoadFromFile(name);
        const auto preview = PreviewOf(document);
        QImage screen(preview->PageImage()->size(), QImage::Format_ARGB32_Premultiplied);
        preview->PageImage()->render(&screen);
        benchmark::DoNotOptimize(screen.bits());
        preview->SetDocument(nullptr);
    }
}

int PagingMemory(int pages)
{
    const std::string& name = BenchReport(pages);
    TQRPrinter document;
    document.LoadFromFile(name);
    const auto preview = PreviewOf(document);
    QImage screen(preview->PageImage()->size(), QImage::Format_ARGB32_Premultiplied);
    for (int n = 1; n <= document.PageTotal(); ++n) {
        preview->SetPageNumber(n);
        preview->PageImage()->render(&screen);
    }
    preview->SetDocument(nullptr);
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", usage.ru_maxrss);
    return 0;
}
} // namespace

BENCHMARK(BM_OpenToShownFirstPage)->Arg(10)->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--paging-memory") == 0)
        return PagingMemory(std::atoi(argv[2]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
