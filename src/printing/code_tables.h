#pragma once
// The driver codes of the paper sizes and paper sources. Each entry is 32 bits wide; only its low
// 16 bits reach the device mode.
#include "printing/qr_bin.h"
#include "printing/qr_paper_size.h"

#include <array>
#include <cstdint>
#include <optional>

// dmDefaultSource of each TQRBin. First shares code 1 with Upper and Last code 14 with Cassette.
extern const std::array<int32_t, kBinCount> BinCodeTable;
// dmPaperSize of each TQRPaperSize: Default 0 (never written), Letter to ESheet their own
// ordinal, Custom 256.
extern const std::array<int32_t, kPaperSizeCount> PaperCodeTable;

int32_t BinCode(TQRBin bin);
int32_t PaperCode(TQRPaperSize size);

// The first member, in ordinal order, whose code is code; none when no entry has it.
std::optional<TQRBin> BinForCode(int32_t code);
// As BinForCode, scanning the paper sizes from first on.
std::optional<TQRPaperSize> PaperSizeForCode(int32_t code,
                                             TQRPaperSize first = TQRPaperSize::Default);
