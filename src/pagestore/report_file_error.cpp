#include "pagestore/report_file_error.h"

EReportFileError::EReportFileError(const std::string& fileName, const std::string& problem)
    : problem_(problem), message_("Report file " + fileName + " is damaged: " + problem)
{
}
