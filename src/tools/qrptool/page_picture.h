#pragma once
// Pictures of report pages for the render and export commands: the page's size at a resolution
// and its drawing onto any painter.
#include <QSize>
#include <QSizeF>
#include <memory>
#include <string>

class QPainter;
class TMetafile;
class TQRPageList;

namespace qrptool {

// The largest raster picture made, in pixels; larger pages are drawn at a lower resolution.
constexpr double kMaxPicturePixels = 16.0 * 1024 * 1024;

// The page's frame size in inches; InputError when the page has no area.
QSizeF PageSizeInches(const TMetafile& page, const std::string& what);
// The resolution at which the page fits kMaxPicturePixels (dpi itself when it fits).
double FittingResolution(QSizeF inches, double dpi);
// Draws the page's frame over (0, 0, size) of the painter with smooth lines, text and pictures.
void DrawPage(QPainter& painter, const TMetafile& page, QSizeF size);
// Page n of an open report; InputError naming the report when there is no such page.
std::unique_ptr<TMetafile> FetchExistingPage(TQRPageList& list, const std::string& report, int n);

} // namespace qrptool
