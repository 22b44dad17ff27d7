#pragma once
// The base of the objects the preview window's save dialog makes for a chosen output format. What
// a filter writes is up to the handler of the document's OnSaveWithFilter.
#include <functional>
#include <memory>
#include <string>

class TQRSaveFilter {
public:
    // CreateForFile: keeps the chosen file name and starts with the rest of the state cleared.
    explicit TQRSaveFilter(std::string fileName) : ExportFileName(std::move(fileName)) {}
    virtual ~TQRSaveFilter() = default;

    std::string ExportFileName;
    bool Active = false;
    int32_t Tag = 0;
};

// A filter "class": makes a filter object for a chosen file name.
using TQRSaveFilterClass = std::function<std::unique_ptr<TQRSaveFilter>(const std::string&)>;
