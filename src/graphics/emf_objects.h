#pragma once
// The graphics objects a metafile creates (pens, brushes, fonts, palettes), the stock objects, and
// the handle table that playback keeps them in. Objects are shared so that one that is deleted
// while still selected into the device context (or a saved copy of it) stays usable there.
#include "graphics/font_mapper.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRawFont>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

class TEmfRecord;

struct TEmfPen {
    uint32_t style = 0; // PS_* style, cap, join and type bits
    double width = 0;   // logical units; 0 draws one device pixel
    QColor color = Qt::black;
    std::vector<double> dashes; // PS_USERSTYLE lengths in logical units
    bool extended = false;      // made by EXTCREATEPEN (type bits are meaningful)

    uint32_t Kind() const; // the PS_STYLE_MASK part
    bool IsNull() const;
    bool IsCosmetic() const;
};

struct TEmfBrush {
    uint32_t style = 0; // BS_*
    QColor color = Qt::white;
    uint32_t hatch = 0;
    QImage pattern;          // BS_DIBPATTERN: the tile
    bool monochrome = false; // a 1-bit pattern, painted in the text and background colours
    QImage monoMask;         // the 1-bit pattern for a monochrome brush

    bool IsNull() const { return style == 1; }
};

// A logical font with the installed font that stands in for it, resolved once per pixel size.
struct TEmfFont {
    TLogFont logFont;

    // Font metrics per unit of em height, taken from the installed font.
    struct Metrics {
        double ascent = 0.905, descent = 0.212, averageWidth = 0.5;
        double underlinePos = 0.1, lineWidth = 0.07, strikeOutPos = 0.26;
        double emPerCell = 0.89; // em height / (ascent + descent)
    };
    const Metrics& FontMetrics() const;
    // The installed font at the given pixel (em) size and horizontal stretch.
    const QFont& QtFont(double pixelSize, int stretch) const;
    const QRawFont& RawFont(double pixelSize, int stretch) const;

private:
    mutable bool haveMetrics_ = false;
    mutable Metrics metrics_;
    mutable QFont font_;
    mutable double fontSize_ = -1;
    mutable int fontStretch_ = 0;
    mutable QRawFont raw_;
    mutable double rawSize_ = -1;
    mutable int rawStretch_ = 0;
};

struct TEmfPalette {
    std::vector<QRgb> entries;
};

using TEmfObject =
    std::variant<std::monostate, std::shared_ptr<const TEmfPen>, std::shared_ptr<const TEmfBrush>,
                 std::shared_ptr<const TEmfFont>, std::shared_ptr<const TEmfPalette>>;

// A COLORREF as stored (red in the low byte).
inline QColor ColorFromRef(uint32_t ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

// The stock object with the given number (without the stock flag), or an empty object.
TEmfObject StockObject(uint32_t number);

// Object creation from records; null when the record is damaged.
std::shared_ptr<TEmfPen> PenFromCreatePen(TEmfRecord& record);
std::shared_ptr<TEmfPen> PenFromExtCreatePen(TEmfRecord& record);
std::shared_ptr<TEmfBrush> BrushFromCreateBrush(TEmfRecord& record);
std::shared_ptr<TEmfBrush> BrushFromDibPattern(TEmfRecord& record, bool monochrome);
std::shared_ptr<TEmfFont> FontFromCreateFont(TEmfRecord& record);
std::shared_ptr<TEmfPalette> PaletteFromCreatePalette(TEmfRecord& record);

// The handle table. Its size comes from the header and is bounded.
class TEmfObjectTable {
public:
    static constexpr size_t kMaxHandles = 65536;

    void Resize(size_t handles);
    // Stores the object at index; false when the index is out of range.
    bool Put(uint32_t index, TEmfObject object);
    const TEmfObject* Get(uint32_t index) const;
    void Remove(uint32_t index);

private:
    std::vector<TEmfObject> objects_;
};
