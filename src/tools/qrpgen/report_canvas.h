#pragma once
// Draws on the page being recorded in report units (0.1 mm), converted to the device's pixels
// through the document, so that one layout serves the screen's page store and a 1200 dpi printer
// alike.
#include "graphics/drawing_tools.h"

#include <QStringView>

class QImage;
class TCanvas;
class TQRPrinter;

namespace qrpgen {

struct TTextStyle {
    long double em = 30; // character height, 0.1 mm
    bool bold = false;
    TColor color = clBlack;
};

enum class THAlign : uint8_t { Left, Center, Right };

class TReportCanvas {
public:
    // The document's canvas for the page being recorded.
    explicit TReportCanvas(TQRPrinter& document);

    // Text standing on the baseline y; x is its left end, centre or right end.
    void Text(long double x, long double y, QStringView text, const TTextStyle& style,
              THAlign align = THAlign::Left);
    // As Text, cut short with an ellipsis where it would run past width.
    void FittedText(long double x, long double y, long double width, QStringView text,
                    const TTextStyle& style, THAlign align = THAlign::Left);
    void Fill(long double x, long double y, long double width, long double height, TColor color);
    // A line of the given thickness (0.1 mm; at least one device pixel).
    void Line(long double x1, long double y1, long double x2, long double y2, long double thickness,
              TColor color);
    void Frame(long double x, long double y, long double width, long double height,
               long double thickness, TColor color);
    void Image(long double x, long double y, long double width, long double height,
               const QImage& image);

private:
    void SelectFont(const TTextStyle& style);

    TQRPrinter& document_;
    TCanvas& canvas_;
};

} // namespace qrpgen
