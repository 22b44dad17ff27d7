#pragma once
// Measures text in report units before any page exists, so that a layout can be fixed once for
// the whole report, whatever device the pages are drawn on later.
#include "graphics/text_measurer.h"

#include <QStringView>

namespace qrpgen {

class TTextMeter {
public:
    // Width in 0.1 mm of text set in the report's face with a character height of em (0.1 mm).
    long double Width(QStringView text, long double em, bool bold = false);

private:
    TTextMeasurer measurer_;
};

// The face every text of the report is set in.
inline constexpr const char* kReportFace = "Arial";

} // namespace qrpgen
