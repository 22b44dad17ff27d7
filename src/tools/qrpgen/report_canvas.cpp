#include "tools/qrpgen/report_canvas.h"

#include "document/qr_printer.h"
#include "graphics/canvas.h"
#include "tools/qrpgen/text_meter.h"

#include <QImage>
#include <algorithm>

namespace qrpgen {

TReportCanvas::TReportCanvas(TQRPrinter& document)
    : document_(document), canvas_(*document.Canvas())
{}

void TReportCanvas::SelectFont(const TTextStyle& style)
{
    canvas_.Font.Name = QString::fromLatin1(kReportFace);
    canvas_.Font.Height = -std::max(1, document_.DeviceSizeY(style.em));
    canvas_.Font.Style = style.bold ? TFontStyles(fsBold) : TFontStyles();
    canvas_.Font.Color = style.color;
}

void TReportCanvas::Text(long double x, long double y, QStringView text, const TTextStyle& style,
                         THAlign align)
{
    SelectFont(style);
    const uint32_t horizontal = align == THAlign::Left    ? taLeft
                                : align == THAlign::Right ? taRight
                                                          : taCenter;
    canvas_.SetTextAlign(taBaseline | horizontal);
    // Text lies on shaded bands: only the glyphs are drawn.
    canvas_.SetBkMode(bmTransparent);
    canvas_.TextOut(document_.DeviceX(x), document_.DeviceY(y), text);
}

void TReportCanvas::FittedText(long double x, long double y, long double width, QStringView text,
                               const TTextStyle& style, THAlign align)
{
    SelectFont(style);
    const int room = document_.DeviceSizeX(width);
    if (canvas_.TextWidth(text) <= room) {
        Text(x, y, text, style, align);
        return;
    }
    // The longest start of the text that fits with the ellipsis; found by halving, since
    // widths grow with the length.
    qsizetype low = 0, high = text.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (canvas_.TextWidth(text.left(mid).trimmed().toString() + QChar(0x2026)) <= room)
            low = mid;
        else
            high = mid - 1;
    }
    Text(x, y, text.left(low).trimmed().toString() + QChar(0x2026), style, align);
}

void TReportCanvas::Fill(long double x, long double y, long double width, long double height,
                         TColor color)
{
    canvas_.Brush.Color = color;
    canvas_.Brush.Style = bsSolid;
    // Both edges are converted as positions, so that bands laid side by side meet exactly.
    canvas_.FillRect(TRect { document_.DeviceX(x), document_.DeviceY(y),
                             document_.DeviceX(x + width), document_.DeviceY(y + height) });
}

void TReportCanvas::Line(long double x1, long double y1, long double x2, long double y2,
                         long double thickness, TColor color)
{
    canvas_.Pen.Color = color;
    canvas_.Pen.Style = psSolid;
    canvas_.Pen.Width = std::max(1, document_.DeviceSizeX(thickness));
    canvas_.MoveTo(document_.DeviceX(x1), document_.DeviceY(y1));
    canvas_.LineTo(document_.DeviceX(x2), document_.DeviceY(y2));
}

void TReportCanvas::Frame(long double x, long double y, long double width, long double height,
                          long double thickness, TColor color)
{
    canvas_.Pen.Color = color;
    canvas_.Pen.Style = psSolid;
    canvas_.Pen.Width = std::max(1, document_.DeviceSizeX(thickness));
    canvas_.Brush.Style = bsClear;
    canvas_.Rectangle(document_.DeviceX(x), document_.DeviceY(y), document_.DeviceX(x + width),
                      document_.DeviceY(y + height));
    canvas_.Brush.Style = bsSolid;
}

void TReportCanvas::Image(long double x, long double y, long double width, long double height,
                          const QImage& image)
{
    canvas_.StretchDraw(TRect { document_.DeviceX(x), document_.DeviceY(y),
                                document_.DeviceX(x + width), document_.DeviceY(y + height) },
                        image);
}

} // namespace qrpgen
