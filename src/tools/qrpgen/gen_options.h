#pragma once
// The command line of qrpgen: what report to make and where it goes.
#include "printing/printer_orientation.h"
#include "printing/qr_paper_size.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace qrpgen {

// A command line that cannot be followed: exit status 2 with the usage text.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class TOutputMode : uint8_t {
    File,    // record into the page store and save the report file
    Preview, // as File, with the preview window following the recording
    Print,   // record straight onto the default printer
};

struct TGenOptions {
    int32_t pages = 12;
    TQRPaperSize paper = TQRPaperSize::A4;
    TPrinterOrientation orientation = poPortrait;
    bool compress = false;
    std::string title = "Sales Ledger";
    uint32_t seed = 1;
    TOutputMode mode = TOutputMode::File;
    std::string outFile; // empty for Print
};

// The most pages one run records; far more than any report needs, and within what a report file
// of this size can hold.
constexpr int32_t kMaxPages = 100000;

// Reads the arguments after the program name; UsageError for anything it cannot take.
TGenOptions ParseOptions(const std::vector<std::string>& args);

const char* UsageText();

} // namespace qrpgen
