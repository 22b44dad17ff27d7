#pragma once
// The commands of qrptool. Each command lives in a file of its own and registers itself with
// QRPTOOL_COMMAND; main dispatches on the first argument.
//
// Exit statuses: 0 success; 1 bad or damaged input (one line on stderr naming the file and the
// problem, no partial output left behind); 2 usage error.
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qrptool {

using Arguments = std::vector<std::string>;

// Thrown for a usage error: main prints the message and the command's usage, exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Thrown for a bad input: main prints the message, exit status 1.
struct InputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Command {
    std::string name;
    std::string usage;  // the arguments, as shown by "qrptool help"
    std::function<int(const Arguments&)> run;
};

bool RegisterCommand(Command command);
const std::vector<Command>& Commands();

// Parsing helpers shared by the commands.
int ParsePositive(const std::string& text, const std::string& what);
// Removes "--name VALUE" from args; returns VALUE or fallback when absent.
std::string TakeOption(Arguments& args, const std::string& name, const std::string& fallback = {});
// Removes "--name" from args; returns whether it was there.
bool TakeFlag(Arguments& args, const std::string& name);
// Fails with UsageError when any argument still starts with "--".
void RejectUnknownOptions(const Arguments& args);

// Writes an output file under a temporary name beside it and renames it into place only when
// write returned without throwing; on failure nothing is left behind.
void WriteOutputFile(const std::string& fileName,
                     const std::function<void(const std::string& tempName)>& write);

} // namespace qrptool

#define QRPTOOL_CONCAT2(a, b) a##b
#define QRPTOOL_CONCAT(a, b) QRPTOOL_CONCAT2(a, b)
#define QRPTOOL_COMMAND(name, usage, function)                                                      \
    static const bool QRPTOOL_CONCAT(registered_, __LINE__) =                                      \
        ::qrptool::RegisterCommand({name, usage, function})
