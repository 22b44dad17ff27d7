#pragma once
// One run of qrpgen: prepares a document for the chosen paper, records the sample report into it
// and delivers it to a report file, a preview window that follows the recording, or the printer.
#include "tools/qrpgen/gen_options.h"

#include <stdexcept>

namespace qrpgen {

// A run that cannot be completed: exit status 1 with the message on one line.
struct TGenFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Needs the application object. Returns the exit status; throws TGenFailure, or the error of the
// document, the printer or a file, when the report cannot be made.
int RunGenerator(const TGenOptions& options);

} // namespace qrpgen
