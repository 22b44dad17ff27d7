// Commands that make, inspect, verify and convert report files without drawing them.
#include "tools/qrptool/command.h"

#include "graphics/metafile.h"
#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"
#include "pagestore/report_header.h"
#include "platform/errors.h"
#include "platform/file_stream.h"
#include "platform/ole_date.h"
#include "tools/qrptool/report_info.h"

#include <cstdio>

namespace qrptool {
namespace {

constexpr int32_t kSpillLimit = 100000;

std::unique_ptr<TQRPageList> NewRecording(bool compress)
{
    auto list = std::make_unique<TQRPageList>();
    list->SetSpoolStream(std::make_unique<TQRStream>(kSpillLimit));
    list->SetCompression(compress);
    return list;
}

TMetafile LoadMetafile(const std::string& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    TMetafile metafile;
    try {
        metafile.LoadFromStream(file);
    } catch (const EInvalidGraphic& e) {
        throw InputError(fileName + ": " + e.what());
    }
    return metafile;
}

int Build(const Arguments& arguments)
{
    Arguments args = arguments;
    const bool compress = TakeFlag(args, "--compress");
    RejectUnknownOptions(args);
    if (args.size() < 2)
        throw UsageError("needs an output file and at least one metafile");
    auto list = NewRecording(compress);
    for (size_t i = 1; i < args.size(); ++i)
        list->AppendPage(LoadMetafile(args[i]));
    list->StoreHeader();
    list->CopyToFile(args[0]);
    return 0;
}

int Info(const Arguments& arguments)
{
    Arguments args = arguments;
    RejectUnknownOptions(args);
    if (args.size() != 1)
        throw UsageError("needs one report file");
    for (const auto& [key, value] : DescribeReport(args[0]))
        std::printf("%-12s %s\n", (key + ":").c_str(), value.c_str());
    return 0;
}

int Verify(const Arguments& arguments)
{
    Arguments args = arguments;
    RejectUnknownOptions(args);
    if (args.size() != 1)
        throw UsageError("needs one report file");
    TQRPageList list;
    list.OpenFile(args[0]);
    const int32_t records = list.CheckRecords();
    for (int32_t n = 1; n <= list.PageTotal(); ++n)
        list.FetchPage(n);
    std::printf("%s: %d pages, all readable", args[0].c_str(), list.PageTotal());
    if (records > list.PageTotal())
        std::printf(" (%d more records after them: the recording was not finished)",
                    records - list.PageTotal());
    std::printf("\n");
    return 0;
}

int Extract(const Arguments& arguments)
{
    Arguments args = arguments;
    RejectUnknownOptions(args);
    if (args.size() != 3)
        throw UsageError("needs a report file, a page number and an output file");
    const int page = ParsePositive(args[1], "the page number");
    TQRPageList list;
    list.OpenFile(args[0]);
    if (page > list.PageTotal())
        throw InputError(args[0] + " has " + std::to_string(list.PageTotal()) + " pages, no page " +
                         std::to_string(page));
    const auto metafile = list.FetchPage(page);
    WriteOutputFile(args[2], [&](const std::string& temp) {
        TFileStream out(temp, fmCreate);
        metafile->SaveToStream(out);
        out.Flush();
    });
    return 0;
}

int Convert(const Arguments& arguments)
{
    Arguments args = arguments;
    const bool compress = TakeFlag(args, "--compress");
    const bool plain = TakeFlag(args, "--plain");
    RejectUnknownOptions(args);
    if (compress == plain)
        throw UsageError("needs exactly one of --compress and --plain");
    if (args.size() != 2)
        throw UsageError("needs an input and an output report file");
    TQRPageList in;
    in.OpenFile(args[0]);
    auto out = NewRecording(compress);
    for (int32_t n = 1; n <= in.PageTotal(); ++n)
        out->AppendPage(*in.FetchPage(n));
    out->StoreHeader();
    out->CopyToFile(args[1]);
    return 0;
}

} // namespace

QRPTOOL_COMMAND("build", "[--compress] OUT.qrp PAGE.emf...", Build);
QRPTOOL_COMMAND("info", "REPORT", Info);
QRPTOOL_COMMAND("verify", "REPORT", Verify);
QRPTOOL_COMMAND("extract", "REPORT N OUT.emf", Extract);
QRPTOOL_COMMAND("convert", "(--compress|--plain) IN.qrp OUT.qrp", Convert);

} // namespace qrptool
