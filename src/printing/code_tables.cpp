#include "printing/code_tables.h"

const std::array<int32_t, kBinCount> BinCodeTable = {
    1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 14
};

const std::array<int32_t, kPaperSizeCount> PaperCodeTable = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
    14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 256,
};

int32_t BinCode(TQRBin bin)
{
    const auto index = size_t(bin);
    return index < BinCodeTable.size() ? BinCodeTable[index] : BinCodeTable[0];
}

int32_t PaperCode(TQRPaperSize size)
{
    const auto index = size_t(size);
    return index < PaperCodeTable.size() ? PaperCodeTable[index] : 0;
}

std::optional<TQRBin> BinForCode(int32_t code)
{
    for (size_t i = 0; i < BinCodeTable.size(); ++i)
        if (BinCodeTable[i] == code)
            return TQRBin(i);
    return std::nullopt;
}

std::optional<TQRPaperSize> PaperSizeForCode(int32_t code, TQRPaperSize first)
{
    for (size_t i = size_t(first); i < PaperCodeTable.size(); ++i)
        if (PaperCodeTable[i] == code)
            return TQRPaperSize(i);
    return std::nullopt;
}
