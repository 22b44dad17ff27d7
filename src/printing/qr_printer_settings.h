#pragma once
// Print options a report generator keeps with a report design and copies into a document before
// printing. The viewer makes none.
#include "printing/qr_bin.h"

#include <cstdint>

class TQRPrinterSettings {
public:
    int32_t Copies = 1;
    bool Duplex = false;
    TQRBin OutputBin = TQRBin::Auto;
    int32_t PrinterIndex = -1; // -1: the default printer
    int32_t FirstPage = 0;     // 0: from the start
    int32_t LastPage = 0;      // 0: to the end
};
