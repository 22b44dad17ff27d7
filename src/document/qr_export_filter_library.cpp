#include "document/qr_export_filter_library.h"

#include "document/resource_strings.h"

std::string TQRExportFilterLibrary::BuildSaveFilter() const
{
    std::string filter = std::string(kReportFileDescription) + "(*." + kReportFileExtension +
                         ")|*." + kReportFileExtension;
    for (const auto& entry : entries_)
        filter += "|" + entry.FilterDescription + " (*." + entry.FilterExtension + ")|*." +
                  entry.FilterExtension;
    return filter;
}

TQRExportFilterLibrary& FilterLibrary()
{
    static TQRExportFilterLibrary library;
    return library;
}
