#pragma once
// The additional output formats the preview window's save dialog offers after the report file
// format, and the dialog's filter string built from them.
#include "document/qr_save_filter.h"

#include <memory>
#include <string>
#include <vector>

struct TQRFilterEntry {
    TQRSaveFilterClass FilterClass;
    std::string FilterDescription;
    std::string FilterExtension;  // without the dot
};

class TQRExportFilterLibrary {
public:
    // "DozivAdodoz file(*.QRP)|*.QRP", then "|Description (*.ext)|*.ext" for every entry.
    std::string BuildSaveFilter() const;

    void AddFilter(TQRFilterEntry entry) { entries_.push_back(std::move(entry)); }
    int Count() const { return int(entries_.size()); }
    // The entry at a 0-based index.
    const TQRFilterEntry& Entry(int index) const { return entries_.at(size_t(index)); }

private:
    std::vector<TQRFilterEntry> entries_;
};

// The one library of the program; empty unless an application registers formats.
TQRExportFilterLibrary& FilterLibrary();
