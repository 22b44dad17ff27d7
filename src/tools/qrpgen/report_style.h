#pragma once
// The report's colours.
#include "graphics/drawing_tools.h"

namespace qrpgen {

inline const TColor kInk = RGB(33, 37, 41);
inline const TColor kMuted = RGB(108, 117, 125);
inline const TColor kAccent = RGB(31, 56, 100);
inline const TColor kBand = RGB(235, 241, 248);
inline const TColor kGrid = RGB(186, 196, 208);
inline const TColor kTotalFill = RGB(214, 225, 240);
inline const TColor kShareBar = RGB(22, 120, 140);

} // namespace qrpgen
