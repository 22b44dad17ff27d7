#include "tools/qrptool/command.h"

#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <cstring>
#include <unistd.h>

namespace qrptool {

namespace {
std::vector<Command>& Registry()
{
    static std::vector<Command> commands;
    return commands;
}
} // namespace

bool RegisterCommand(Command command)
{
    Registry().push_back(std::move(command));
    return true;
}

const std::vector<Command>& Commands()
{
    return Registry();
}

int ParsePositive(const std::string& text, const std::string& what)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < 1 || value > INT32_MAX)
        throw UsageError(what + " must be a whole number from 1 up, not '" + text + "'");
    return int(value);
}

std::string TakeOption(Arguments& args, const std::string& name, const std::string& fallback)
{
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != name)
            continue;
        if (i + 1 >= args.size())
            throw UsageError(name + " needs a value");
        std::string value = args[i + 1];
        args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
        return value;
    }
    return fallback;
}

bool TakeFlag(Arguments& args, const std::string& name)
{
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            args.erase(args.begin() + long(i));
            return true;
        }
    }
    return false;
}

void RejectUnknownOptions(const Arguments& args)
{
    for (const auto& arg : args)
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0)
            throw UsageError("unknown option " + arg);
}

void WriteOutputFile(const std::string& fileName,
                     const std::function<void(const std::string& tempName)>& write)
{
    const QFileInfo info(QString::fromStdString(fileName));
    if (info.isDir())
        throw InputError("cannot write " + fileName + ": it is a folder");
    std::string temp = (info.absolutePath() + "/." + info.fileName() + ".XXXXXX").toStdString();
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        throw InputError("cannot write " + fileName + ": " + std::strerror(errno));
    ::close(fd);
    try {
        write(temp);
    } catch (...) {
        std::remove(temp.c_str());
        throw;
    }
    // mkstemp made the file private; an output file gets the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(temp.c_str(), 0666 & ~mask);
    if (std::rename(temp.c_str(), fileName.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(temp.c_str());
        throw InputError("cannot write " + fileName + ": " + reason);
    }
}

} // namespace qrptool
