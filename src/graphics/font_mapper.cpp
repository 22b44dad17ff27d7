#include "graphics/font_mapper.h"

// Bootstrap placeholder; the font mapping proper replaces this file.
QString MapFaceName(const QString& face)
{
    return face;
}

QFont MapFont(const TLogFont& font)
{
    QFont f(MapFaceName(QString::fromStdU16String(font.FaceName)));
    f.setPixelSize(font.Height < 0 ? -font.Height : (font.Height > 0 ? font.Height : 12));
    return f;
}
