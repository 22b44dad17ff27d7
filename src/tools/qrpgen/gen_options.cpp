#include "tools/qrpgen/gen_options.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace qrpgen {

namespace {

long ParseNumber(const std::string& text, const std::string& option, long low, long high)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < low || value > high)
        throw UsageError(option + " takes a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + text + "'");
    return value;
}

// The paper sizes the layout is made for; the names are the ones printers use.
TQRPaperSize ParsePaper(const std::string& name)
{
    static const std::pair<const char*, TQRPaperSize> papers[] = {
        { "A4", TQRPaperSize::A4 },
        { "Letter", TQRPaperSize::Letter },
        { "Legal", TQRPaperSize::Legal },
        { "A5", TQRPaperSize::A5 },
    };
    for (const auto& [paperName, size] : papers)
        if (name == paperName)
            return size;
    throw UsageError("--paper takes A4, Letter, Legal or A5, not '" + name + "'");
}

} // namespace

TGenOptions ParseOptions(const std::vector<std::string>& args)
{
    TGenOptions options;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw UsageError(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--pages")
            options.pages = int32_t(ParseNumber(value(), arg, 1, kMaxPages));
        else if (arg == "--paper")
            options.paper = ParsePaper(value());
        else if (arg == "--landscape")
            options.orientation = poLandscape;
        else if (arg == "--compress")
            options.compress = true;
        else if (arg == "--title")
            options.title = value();
        else if (arg == "--seed")
            options.seed = uint32_t(ParseNumber(value(), arg, 0, 2147483647));
        else if (arg == "--preview" || arg == "--print") {
            const TOutputMode mode = arg == "--preview" ? TOutputMode::Preview : TOutputMode::Print;
            if (options.mode != TOutputMode::File && options.mode != mode)
                throw UsageError("--preview and --print cannot be combined");
            options.mode = mode;
        } else if (arg.size() > 1 && arg[0] == '-')
            throw UsageError("unknown option " + arg);
        else
            files.push_back(arg);
    }
    if (options.mode == TOutputMode::Print) {
        if (!files.empty())
            throw UsageError("--print writes no report file, so it takes no OUT.qrp");
        if (options.compress)
            throw UsageError("--compress applies to a report file, not to --print");
    } else {
        if (files.size() != 1)
            throw UsageError(files.empty()
                                 ? "needs the report file to write (OUT.qrp)"
                                 : "takes one report file, not " + std::to_string(files.size()));
        options.outFile = files[0];
    }
    return options;
}

const char* UsageText()
{
    return "usage: qrpgen [--pages N] [--paper A4|Letter|Legal|A5] [--landscape] [--compress]\n"
           "              [--title TEXT] [--seed S] [--preview] OUT.qrp\n"
           "       qrpgen [--pages N] [--paper ...] [--landscape] [--title TEXT] [--seed S] "
           "--print\n"
           "Records a sample sales ledger: a title page and a listing over the remaining pages.\n"
           "  --pages N    pages in all, the title page included (default 12)\n"
           "  --preview    show the preview window while recording; the file is written when\n"
           "               the window is closed\n"
           "  --print      record straight onto the default printer, with a progress window\n";
}

} // namespace qrpgen
