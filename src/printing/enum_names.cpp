// The names of the paper, bin and orientation members, for messages and listings.
#include "printing/printer_orientation.h"
#include "printing/qr_bin.h"
#include "printing/qr_paper_size.h"

#include <array>
#include <cstddef>

const char* PaperSizeName(TQRPaperSize size)
{
    static constexpr std::array<const char*, kPaperSizeCount> names = {
        "Default",   "Letter", "LetterSmall", "Tabloid", "Ledger", "Legal",  "Statement",
        "Executive", "A3",     "A4",          "A4Small", "A5",     "B4",     "B5",
        "Folio",     "Quarto", "qr10X14",     "qr11X17", "Note",   "Env9",   "Env10",
        "Env11",     "Env12",  "Env14",       "CSheet",  "DSheet", "ESheet", "Custom",
    };
    const auto index = size_t(size);
    return index < names.size() ? names[index] : "?";
}

const char* BinName(TQRBin bin)
{
    static constexpr std::array<const char*, kBinCount> names = {
        "First", "Upper",   "Lower",       "Middle",      "Manual",        "Envelope", "EnvManual",
        "Auto",  "Tractor", "SmallFormat", "LargeFormat", "LargeCapacity", "Cassette", "Last",
    };
    const auto index = size_t(bin);
    return index < names.size() ? names[index] : "?";
}

const char* OrientationName(TPrinterOrientation orientation)
{
    switch (orientation) {
    case poPortrait:
        return "poPortrait";
    case poLandscape:
        return "poLandscape";
    }
    return "?";
}
