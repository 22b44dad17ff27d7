#include "tools/qrpgen/text_meter.h"

#include "graphics/canvas.h"
#include "graphics/drawing_tools.h"

namespace qrpgen {

namespace {
// Measured at a large size and scaled down: hinting and whole-pixel advances then cost well
// under a thousandth of the width.
constexpr int kMeasureHeight = 1000;
} // namespace

long double TTextMeter::Width(QStringView text, long double em, bool bold)
{
    TFont font;
    font.Name = QString::fromLatin1(kReportFace);
    font.Height = -kMeasureHeight;
    if (bold)
        font.Style = fsBold;
    measurer_.Select(LogFontOf(font));
    return measurer_.Width(text) * em / kMeasureHeight;
}

} // namespace qrpgen
