#pragma once
// The canvas's drawing tools: colours, pen, brush and font, described by value. A canvas compares
// them with what it last selected and makes new device objects only for what changed.
#include "graphics/metafile.h"

#include <QString>
#include <cstdint>

// 0x00BBGGRR, as the platform's colour references.
using TColor = uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBtnFace = 0xF0F0F0;
constexpr TColor clNone = 0x1FFFFFFF;

inline TColor RGB(uint8_t r, uint8_t g, uint8_t b)
{
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}
// The colour reference written to a metafile: only the RGB part is meaningful there.
inline uint32_t ColorToRGB(TColor color)
{
    return color & 0x00FFFFFF;
}

// The values are the platform's pen styles.
enum TPenStyle : uint8_t {
    psSolid = 0,
    psDash = 1,
    psDot = 2,
    psDashDot = 3,
    psDashDotDot = 4,
    psClear = 5,
    psInsideFrame = 6,
};

enum TBrushStyle : uint8_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross,
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A set of TFontStyle values.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(TFontStyle style) : bits_(style) {}

    constexpr bool Contains(TFontStyle style) const { return (bits_ & style) != 0; }
    constexpr TFontStyles& operator|=(TFontStyles other)
    {
        bits_ |= other.bits_;
        return *this;
    }
    constexpr TFontStyles& operator-=(TFontStyles other)
    {
        bits_ &= uint8_t(~other.bits_);
        return *this;
    }
    friend constexpr TFontStyles operator|(TFontStyles a, TFontStyles b) { return a |= b; }
    friend constexpr bool operator==(TFontStyles, TFontStyles) = default;
    constexpr uint8_t Bits() const { return bits_; }

private:
    uint8_t bits_ = 0;
};

constexpr TFontStyles operator|(TFontStyle a, TFontStyle b)
{
    return TFontStyles(a) | TFontStyles(b);
}

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
    friend bool operator==(const TPen&, const TPen&) = default;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    friend bool operator==(const TBrush&, const TBrush&) = default;
};

struct TFont {
    QString Name = QStringLiteral("Arial");
    // < 0: character (em) height in pixels; > 0: cell height; 0: the face's default size.
    int Height = -11;
    // Pixels per inch of the device the font is drawn on; Size converts through it.
    int PixelsPerInch = 96;
    TFontStyles Style;
    TColor Color = clBlack;
    uint8_t Charset = 1; // DEFAULT_CHARSET
    // Angle of the baseline in tenths of a degree, counter-clockwise.
    int Orientation = 0;

    // Point size; negative when the height is a cell height.
    int Size() const { return -MulDiv(Height, 72, PixelsPerInch); }
    void SetSize(int points) { Height = -MulDiv(points, PixelsPerInch, 72); }

    friend bool operator==(const TFont&, const TFont&) = default;
};
