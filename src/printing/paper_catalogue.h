#pragma once
// The sheet dimensions of the named paper sizes, portrait, with the derived columns the paper
// detection and the sheet size use.
#include "printing/qr_paper_size.h"

#include <array>
#include <cstdint>

struct TPaperCatalogueRow {
    TQRPaperSize size;
    long double widthMM; // the nearest extended values to the tabulated decimals
    long double lengthMM;
    int32_t width4mm; // trunc(mm / 4): what the paper detection compares
    int32_t length4mm;
    int32_t widthTenths; // mm × 10 to the nearest integer, ties to even
    int32_t lengthTenths;
};

// Rows for Letter (ordinal 1) to ESheet (ordinal 26), in ordinal order: row i - 1 holds
// ordinal i. CSheet, DSheet and ESheet all carry 100 × 100 mm.
const std::array<TPaperCatalogueRow, 26>& PaperCatalogue();
// The row of a size; nullptr for Default, Custom and values outside the enumeration.
const TPaperCatalogueRow* PaperCatalogueRow(TQRPaperSize size);
