// qrpgen: a sample report generator. Records a sales ledger of a made-up company into a report
// file, with the preview window following the recording, or straight onto the printer.
#include "platform/application.h"
#include "tools/qrpgen/gen_options.h"
#include "tools/qrpgen/generator_run.h"

#include <QByteArray>
#include <cstdio>
#include <exception>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Windows are wanted only for the preview and the progress window. Without a display a report
// file is still made, and printing goes on without its progress window.
bool ChoosePlatform(qrpgen::TOutputMode mode)
{
    if (mode == qrpgen::TOutputMode::Preview && !HasDisplay()) {
        std::fprintf(stderr, "qrpgen: --preview needs a display, and DISPLAY is not set\n");
        return false;
    }
    if (mode == qrpgen::TOutputMode::File || !HasDisplay())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a desktop session there is no runtime folder; make the private one Qt would pick,
    // so that it does not warn on every run.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const std::string runtime = "/tmp/runtime-" + std::to_string(getuid());
        mkdir(runtime.c_str(), 0700);
        qputenv("XDG_RUNTIME_DIR", runtime.c_str());
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(qrpgen::UsageText(), stdout);
        return 0;
    }
    qrpgen::TGenOptions options;
    try {
        options = qrpgen::ParseOptions(args);
    } catch (const qrpgen::UsageError& e) {
        std::fprintf(stderr, "qrpgen: %s\n%s", e.what(), qrpgen::UsageText());
        return 2;
    }
    if (!ChoosePlatform(options.mode))
        return 1;
    int qtArgc = 1;
    TApplication app(qtArgc, argv);
    app.OnShowException = [](const std::string& message) {
        std::fprintf(stderr, "qrpgen: %s\n", message.c_str());
    };
    try {
        return qrpgen::RunGenerator(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qrpgen: %s\n", e.what());
        return 1;
    }
}
