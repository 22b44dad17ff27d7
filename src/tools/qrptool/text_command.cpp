// qrptool text: the strings that the pages draw, one text record per line, in drawing order.
#include "graphics/emf_text.h"
#include "graphics/metafile.h"
#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"
#include "tools/qrptool/command.h"
#include "tools/qrptool/page_picture.h"

#include <cstdio>

namespace qrptool {
namespace {

int Text(const Arguments& arguments)
{
    Arguments args = arguments;
    const std::string pageOption = TakeOption(args, "--page");
    RejectUnknownOptions(args);
    if (args.size() != 1)
        throw UsageError("needs one report file");
    const int only = pageOption.empty() ? 0 : ParsePositive(pageOption, "the page number");
    TQRPageList list;
    list.OpenFile(args[0]);
    const int first = only ? only : 1;
    const int last = only ? only : list.PageTotal();
    // Every page is read before anything is printed, so that damage leaves no partial listing.
    std::string out;
    for (int n = first; n <= last; ++n) {
        const auto page = FetchExistingPage(list, args[0], n);
        for (const std::string& line : ExtractEmfText(page->Data())) {
            out += line;
            out += '\n';
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

} // namespace

QRPTOOL_COMMAND("text", "REPORT [--page N]", Text);

} // namespace qrptool
