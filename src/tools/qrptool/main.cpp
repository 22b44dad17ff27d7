// qrptool: makes, inspects, verifies, converts, renders and prints report files from the command
// line.
#include "tools/qrptool/command.h"

#include "platform/application.h"

#include <QByteArray>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void PrintUsage(std::FILE* out)
{
    std::fprintf(out, "usage:\n");
    std::vector<qrptool::Command> sorted = qrptool::Commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& command : sorted)
        std::fprintf(out, "  qrptool %s %s\n", command.name.c_str(), command.usage.c_str());
}
} // namespace

int main(int argc, char** argv)
{
    // A command-line tool draws off screen unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a desktop session there is no runtime folder; make the private one Qt would pick,
    // so that it does not warn on every run.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const std::string runtime = "/tmp/runtime-" + std::to_string(getuid());
        mkdir(runtime.c_str(), 0700);
        qputenv("XDG_RUNTIME_DIR", runtime.c_str());
    }
    int qtArgc = 1;
    TApplication app(qtArgc, argv);
    app.OnShowException = [](const std::string& message) {
        std::fprintf(stderr, "qrptool: %s\n", message.c_str());
    };

    if (argc < 2 || std::string(argv[1]) == "help" || std::string(argv[1]) == "--help") {
        PrintUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const std::string name = argv[1];
    const auto& commands = qrptool::Commands();
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const auto& c) { return c.name == name; });
    if (command == commands.end()) {
        std::fprintf(stderr, "qrptool: unknown command '%s'\n", name.c_str());
        PrintUsage(stderr);
        return 2;
    }
    const qrptool::Arguments args(argv + 2, argv + argc);
    try {
        return command->run(args);
    } catch (const qrptool::UsageError& e) {
        std::fprintf(stderr, "qrptool %s: %s\nusage: qrptool %s %s\n", name.c_str(), e.what(),
                     name.c_str(), command->usage.c_str());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qrptool %s: %s\n", name.c_str(), e.what());
        return 1;
    }
}
