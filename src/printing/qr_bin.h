#pragma once
// The paper sources a report can ask for.
#include <cstdint>

enum class TQRBin : uint8_t {
    First,
    Upper,
    Lower,
    Middle,
    Manual,
    Envelope,
    EnvManual,
    Auto,
    Tractor,
    SmallFormat,
    LargeFormat,
    LargeCapacity,
    Cassette,
    Last,
};

constexpr int kBinCount = int(TQRBin::Last) + 1;

// The member's name as written above; "?" for a value outside the enumeration.
const char* BinName(TQRBin bin);
