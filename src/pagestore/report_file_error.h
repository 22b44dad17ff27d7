#pragma once
#include "platform/errors.h"

#include <string>

// A report file whose structure is damaged: cut short, links pointing outside it, backwards or in
// a loop, page numbers that do not match. The message names the file and the problem.
class EReportFileError : public EReadError {
public:
    EReportFileError(const std::string& fileName, const std::string& problem);
    const std::string& Problem() const { return problem_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string problem_;
    std::string message_;
};
