#pragma once
#include <cstdint>

// A length of pixels device pixels at perInch pixels per inch in tenths of a millimetre:
// pixels / perInch × 254 in extended precision, to the nearest integer with ties to even.
// 0 for a resolution that is not positive; clamped to the 32-bit range.
int32_t DeviceToTenthsMM(int32_t pixels, int32_t perInch);
