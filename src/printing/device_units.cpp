#include "printing/device_units.h"

#include <algorithm>
#include <cmath>

int32_t DeviceToTenthsMM(int32_t pixels, int32_t perInch)
{
    if (perInch <= 0)
        return 0;
    const long double tenths = std::nearbyintl(static_cast<long double>(pixels) / perInch * 254);
    return int32_t(std::clamp<long double>(tenths, INT32_MIN, INT32_MAX));
}
