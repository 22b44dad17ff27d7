#pragma once
// Logical fonts as metafiles and canvases describe them, and the installed font that stands in for
// each face (metric-compatible families for the common Windows faces).
#include <QFont>
#include <cstdint>
#include <string>

struct TLogFont {
    int32_t Height = 0;       // < 0: character (em) height; > 0: cell height; 0: default size
    int32_t Width = 0;        // average character width, 0 for the font's own
    int32_t Escapement = 0;   // tenths of a degree, counter-clockwise
    int32_t Orientation = 0;  // tenths of a degree
    int32_t Weight = 400;     // 0 default, 400 normal, 700 bold
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    uint8_t CharSet = 1;
    uint8_t OutPrecision = 0;
    uint8_t ClipPrecision = 0;
    uint8_t Quality = 0;
    uint8_t PitchAndFamily = 0;
    std::u16string FaceName;
};

// The installed font for a logical font, sized in pixels of the logical units given (the
// height's sign decides between em height and cell height, as the platform does).
QFont MapFont(const TLogFont& font);

// The installed family that stands in for a face name ("Arial" -> "Liberation Sans", ...).
QString MapFaceName(const QString& face);
