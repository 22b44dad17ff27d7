#pragma once
#include <cstdint>

enum TPrinterOrientation : uint8_t { poPortrait, poLandscape };

// "poPortrait" or "poLandscape"; "?" for anything else.
const char* OrientationName(TPrinterOrientation orientation);
