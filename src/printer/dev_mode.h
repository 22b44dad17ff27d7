#pragma once
// The printer driver's device mode: the block of print options a driver keeps per printer, with
// the field mask that says which members the driver honours. Blocks live in movable memory named
// by a handle; whoever wants to read or edit one locks the handle to get a pointer.
#include <cstdint>

// Bits of dmFields.
constexpr uint32_t DM_ORIENTATION = 0x00000001;
constexpr uint32_t DM_PAPERSIZE = 0x00000002;
constexpr uint32_t DM_PAPERLENGTH = 0x00000004;
constexpr uint32_t DM_PAPERWIDTH = 0x00000008;
constexpr uint32_t DM_COPIES = 0x00000100;
constexpr uint32_t DM_DEFAULTSOURCE = 0x00000200;
constexpr uint32_t DM_PRINTQUALITY = 0x00000400;
constexpr uint32_t DM_COLOR = 0x00000800;
constexpr uint32_t DM_DUPLEX = 0x00001000;
constexpr uint32_t DM_YRESOLUTION = 0x00002000;

// dmOrientation.
constexpr int16_t DMORIENT_PORTRAIT = 1;
constexpr int16_t DMORIENT_LANDSCAPE = 2;

// dmDuplex.
constexpr int16_t DMDUP_SIMPLEX = 1;
constexpr int16_t DMDUP_VERTICAL = 2;
constexpr int16_t DMDUP_HORIZONTAL = 3;

// dmPaperSize: the codes the program names; drivers also report others.
constexpr int16_t DMPAPER_LETTER = 1;
constexpr int16_t DMPAPER_LEGAL = 5;
constexpr int16_t DMPAPER_A3 = 8;
constexpr int16_t DMPAPER_A4 = 9;
constexpr int16_t DMPAPER_A5 = 11;
constexpr int16_t DMPAPER_ESHEET = 26;
constexpr int16_t DMPAPER_USER = 256;

// dmDefaultSource.
constexpr int16_t DMBIN_ONLYONE = 1;
constexpr int16_t DMBIN_UPPER = 1;
constexpr int16_t DMBIN_LOWER = 2;
constexpr int16_t DMBIN_MIDDLE = 3;
constexpr int16_t DMBIN_MANUAL = 4;
constexpr int16_t DMBIN_ENVELOPE = 5;
constexpr int16_t DMBIN_ENVMANUAL = 6;
constexpr int16_t DMBIN_AUTO = 7;
constexpr int16_t DMBIN_TRACTOR = 8;
constexpr int16_t DMBIN_SMALLFMT = 9;
constexpr int16_t DMBIN_LARGEFMT = 10;
constexpr int16_t DMBIN_LARGECAPACITY = 11;
constexpr int16_t DMBIN_CASSETTE = 14;
constexpr int16_t DMBIN_FORMSOURCE = 15;
constexpr int16_t DMBIN_USER = 256;

// Lengths are in tenths of a millimetre, as drivers keep them.
struct TDevMode {
    uint32_t dmFields = 0;
    int16_t dmOrientation = 0;
    int16_t dmPaperSize = 0;
    int16_t dmPaperLength = 0;
    int16_t dmPaperWidth = 0;
    int16_t dmCopies = 0;
    int16_t dmDefaultSource = 0;
    int16_t dmPrintQuality = 0;
    int16_t dmColor = 0;
    int16_t dmDuplex = 0;
    int16_t dmYResolution = 0;

    bool operator==(const TDevMode&) const = default;
};

// Names a block of movable memory holding a device mode; 0 names none. Handles are never reused,
// so a handle whose block has been released stays dead instead of naming someone else's block.
using TDevModeHandle = uint64_t;

// Allocates a block holding a copy of devMode and returns its handle.
TDevModeHandle GlobalAllocDevMode(const TDevMode& devMode);
// Releases the block; a dead or zero handle is ignored.
void GlobalFreeDevMode(TDevModeHandle handle);
// Pins the block and returns a pointer to it, or nullptr for a dead or zero handle. The pointer
// stays valid until the block is released, whether or not it is unlocked before.
TDevMode* GlobalLock(TDevModeHandle handle);
// Undoes one GlobalLock; returns whether the block is still locked.
bool GlobalUnlock(TDevModeHandle handle);
// Outstanding locks of the block (0 for a dead handle), so that callers can check their pairing.
int GlobalLockCount(TDevModeHandle handle);
// Whether the handle names a live block.
bool GlobalIsLive(TDevModeHandle handle);
