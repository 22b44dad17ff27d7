#pragma once
// Small, valid enhanced metafiles for tests that need page data but not pictures.
#include <cstdint>
#include <vector>

// A metafile of exactly `size` bytes (a multiple of 4, at least 108): header, one comment record
// filled with `fill`, end-of-file record. The frame is widthMm x heightMm (0.01 mm units).
std::vector<uint8_t> MakeEmf(uint32_t size = 108, uint8_t fill = 0, int32_t frameWidth = 21000,
                             int32_t frameHeight = 29700);
