#pragma once
// The metafile's object table as a writer fills it: index 0 belongs to the metafile itself, every
// created object takes the lowest free index, and the header states the highest index used + 1.
#include <cstdint>
#include <vector>

class TEmfHandleTable {
public:
    // The header's handle count is 16 bits wide.
    static constexpr uint32_t kCapacity = 0xFFFF;

    // The lowest free index, or 0 when the table is full.
    uint32_t Allocate();
    void Release(uint32_t index);
    bool InUse(uint32_t index) const { return index < used_.size() && used_[index]; }
    // Highest index ever used + 1, at least 1: the header's nHandles.
    uint16_t HandleCount() const { return uint16_t(highWater_ + 1); }

private:
    std::vector<bool> used_ = { true };
    uint32_t firstFree_ = 1;
    uint32_t highWater_ = 0;
};
