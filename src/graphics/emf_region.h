#pragma once
// Region data (RGNDATA) as the region records carry it: a header and a list of rectangles.
#include <QPainterPath>
#include <cstdint>
#include <span>

// The region's area; false when the data is damaged. The rectangle count is bounded by the
// bytes given.
bool ReadRegion(std::span<const uint8_t> data, QPainterPath& area);
