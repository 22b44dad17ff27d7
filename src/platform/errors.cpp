#include "platform/errors.h"

std::string FormatMessage(const std::string& pattern, const std::string& argument)
{
    std::string result = pattern;
    if (auto at = result.find("%s"); at != std::string::npos)
        result.replace(at, 2, argument);
    return result;
}

namespace {
// The platform's text first, so that callers matching on it still match; the operating system's
// reason, when there is one, after it.
std::string WithReason(std::string message, const std::string& reason)
{
    if (!reason.empty())
        message += ": " + reason;
    return message;
}
} // namespace

EFOpenError::EFOpenError(const std::string& fileName, const std::string& reason)
    : EStreamError(WithReason(FormatMessage("Cannot open file %s", fileName), reason))
{
}

EFCreateError::EFCreateError(const std::string& fileName, const std::string& reason)
    : EStreamError(WithReason(FormatMessage("Cannot create file %s", fileName), reason))
{
}

EReadError::EReadError() : EStreamError("Stream read error") {}

EWriteError::EWriteError() : EStreamError("Stream write error") {}

EInvalidGraphic::EInvalidGraphic() : Exception("Metafile is not valid") {}

EInvalidGraphic::EInvalidGraphic(const std::string& detail)
    : Exception("Metafile is not valid: " + detail), detail_(detail)
{
}
