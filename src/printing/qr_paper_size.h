#pragma once
// The paper sizes a report can ask for. Letter to ESheet carry the ordinals of the driver paper
// codes of the same names; Default leaves the size to the driver and Custom uses the sheet
// dimensions held with the settings.
#include <cstdint>

enum class TQRPaperSize : uint8_t {
    Default,
    Letter,
    LetterSmall,
    Tabloid,
    Ledger,
    Legal,
    Statement,
    Executive,
    A3,
    A4,
    A4Small,
    A5,
    B4,
    B5,
    Folio,
    Quarto,
    qr10X14,
    qr11X17,
    Note,
    Env9,
    Env10,
    Env11,
    Env12,
    Env14,
    CSheet,
    DSheet,
    ESheet,
    Custom,
};

constexpr int kPaperSizeCount = int(TQRPaperSize::Custom) + 1;

// The member's name as written above ("A4", "qr10X14"); "?" for a value outside the enumeration.
const char* PaperSizeName(TQRPaperSize size);
