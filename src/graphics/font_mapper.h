#pragma once
// Logical fonts as metafiles and canvases describe them, and the installed font that stands in for
// each face (metric-compatible families for the common Windows faces).
#include <QFont>
#include <cstdint>
#include <string>

struct TLogFont {
    int32_t Height = 0;      // < 0: character (em) height; > 0: cell height; 0: default size
    int32_t Width = 0;       // average character width, 0 for the font's own
    int32_t Escapement = 0;  // tenths of a degree, counter-clockwise
    int32_t Orientation = 0; // tenths of a degree
    int32_t Weight = 400;    // 0 default, 400 normal, 700 bold
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

// The installed family for a face, falling back on the pitch-and-family byte for unknown faces.
QString MapFaceName(const QString& face, uint8_t pitchAndFamily);

// Metrics of an installed font per unit of em height (the platform's text metrics: ascent and
// descent of the character cell, average character width, underline and strike-out lines).
struct TFontDesign {
    double ascent = 0.905;
    double descent = 0.212;
    double averageWidth = 0.5;
    double underlinePos = 0.106; // below the baseline
    double lineWidth = 0.073;
    double strikeOutPos = 0.259; // above the baseline
};
const TFontDesign& FontDesign(const QString& family, int weight, bool italic);

// The em height, in the logical font's units, of a logical font (a positive height is the cell
// height, from which the em height is derived with the stand-in font's ascent and descent).
double EmHeight(const TLogFont& font);

// The horizontal stretch (percent, as QFont::setStretch takes it) that a logical font's average
// character width asks for; 0 when the font keeps its own proportions.
int FontStretch(const TLogFont& font);

// The text as the stand-in font shows it: for symbol faces (Symbol, Wingdings) whose installed
// stand-in has no such private code points, the characters become the Unicode characters the
// face draws for them. Other faces return the text unchanged.
QString MapFontText(const QString& face, const QString& text);
bool IsSymbolFace(const QString& face);
