#include "graphics/emf_objects.h"

#include "graphics/emf_bitmap.h"
#include "graphics/emf_reader.h"
#include "graphics/emf_records.h"

#include <cmath>

using namespace emf;

uint32_t TEmfPen::Kind() const
{
    return style & PS_STYLE_MASK;
}

bool TEmfPen::IsNull() const
{
    return Kind() == PS_NULL;
}

bool TEmfPen::IsCosmetic() const
{
    if (extended)
        return (style & PS_TYPE_MASK) != PS_GEOMETRIC;
    return width == 0;
}

const TEmfFont::Metrics& TEmfFont::FontMetrics() const
{
    if (!haveMetrics_) {
        const QString family =
            MapFaceName(QString::fromStdU16String(logFont.FaceName), logFont.PitchAndFamily);
        const int weight = logFont.Weight <= 0 ? 400 : std::clamp(int(logFont.Weight), 100, 900);
        const TFontDesign& d = FontDesign(family, weight, logFont.Italic);
        metrics_.ascent = d.ascent;
        metrics_.descent = d.descent;
        metrics_.averageWidth = d.averageWidth;
        metrics_.underlinePos = d.underlinePos;
        metrics_.lineWidth = d.lineWidth;
        metrics_.strikeOutPos = d.strikeOutPos;
        metrics_.emPerCell = 1.0 / std::max(0.1, d.ascent + d.descent);
        haveMetrics_ = true;
    }
    return metrics_;
}

const QFont& TEmfFont::QtFont(double pixelSize, int stretch) const
{
    if (pixelSize != fontSize_ || stretch != fontStretch_) {
        TLogFont lf = logFont;
        lf.Height = -1;
        lf.Width = 0;
        font_ = MapFont(lf);
        // Sizes below one pixel are kept as a fraction: the caller scales the painter instead.
        font_.setPixelSize(std::max(1, int(std::lround(pixelSize))));
        font_.setUnderline(false);
        font_.setStrikeOut(false);
        if (stretch > 0)
            font_.setStretch(stretch);
        fontSize_ = pixelSize;
        fontStretch_ = stretch;
    }
    return font_;
}

const QRawFont& TEmfFont::RawFont(double pixelSize, int stretch) const
{
    if (!raw_.isValid() || stretch != rawStretch_) {
        QFont f = QtFont(64, stretch);
        raw_ = QRawFont::fromFont(f);
        rawStretch_ = stretch;
        rawSize_ = -1;
    }
    if (pixelSize != rawSize_ && raw_.isValid()) {
        raw_.setPixelSize(pixelSize);
        rawSize_ = pixelSize;
    }
    return raw_;
}

TEmfObject StockObject(uint32_t number)
{
    static const auto brushes = [] {
        std::vector<std::shared_ptr<const TEmfBrush>> list;
        for (int grey : { 255, 192, 128, 64, 0 }) {
            auto brush = std::make_shared<TEmfBrush>();
            brush->style = BS_SOLID;
            brush->color = QColor(grey, grey, grey);
            list.push_back(brush);
        }
        auto null = std::make_shared<TEmfBrush>();
        null->style = BS_NULL;
        list.push_back(null);
        return list;
    }();
    static const auto pens = [] {
        std::vector<std::shared_ptr<const TEmfPen>> list;
        auto white = std::make_shared<TEmfPen>();
        white->color = Qt::white;
        auto black = std::make_shared<TEmfPen>();
        auto null = std::make_shared<TEmfPen>();
        null->style = PS_NULL;
        list = { white, black, null };
        return list;
    }();
    static const auto fonts = [] {
        std::vector<std::shared_ptr<const TEmfFont>> list;
        auto make = [&](const char16_t* face, int height, uint8_t pitch) {
            auto font = std::make_shared<TEmfFont>();
            font->logFont.Height = height;
            font->logFont.FaceName = face;
            font->logFont.PitchAndFamily = pitch;
            list.push_back(font);
        };
        make(u"Courier New", 12, 0x31);   // OEM fixed
        make(u"Courier New", 12, 0x31);   // ANSI fixed
        make(u"MS Sans Serif", 13, 0x22); // ANSI variable
        make(u"System", 16, 0x22);        // system
        make(u"System", 16, 0x22);        // device default
        make(u"Courier New", 16, 0x31);   // system fixed
        make(u"MS Shell Dlg", -11, 0x22); // default GUI
        return list;
    }();
    static const auto palette = std::make_shared<const TEmfPalette>();
    switch (number) {
    case WHITE_BRUSH:
    case LTGRAY_BRUSH:
    case GRAY_BRUSH:
    case DKGRAY_BRUSH:
    case BLACK_BRUSH:
    case NULL_BRUSH:
        return brushes[number];
    case DC_BRUSH:
        return brushes[WHITE_BRUSH];
    case WHITE_PEN:
    case BLACK_PEN:
    case NULL_PEN:
        return pens[number - WHITE_PEN];
    case DC_PEN:
        return pens[1];
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
        return fonts[number - OEM_FIXED_FONT];
    case SYSTEM_FIXED_FONT:
        return fonts[5];
    case DEFAULT_GUI_FONT:
        return fonts[6];
    case DEFAULT_PALETTE:
        return palette;
    default:
        return {};
    }
}

std::shared_ptr<TEmfPen> PenFromCreatePen(TEmfRecord& r)
{
    auto pen = std::make_shared<TEmfPen>();
    pen->style = r.U32(12);
    pen->width = std::abs(double(r.I32(16)));
    pen->color = ColorFromRef(r.U32(24));
    // Plain pens wider than one unit draw solid, whatever style they ask for.
    if (pen->width > 1 && pen->Kind() >= PS_DASH && pen->Kind() <= PS_DASHDOTDOT)
        pen->style &= ~uint32_t(PS_STYLE_MASK);
    if (pen->width > 1e6)
        pen->width = 1e6;
    return r.Ok() ? pen : nullptr;
}

std::shared_ptr<TEmfPen> PenFromExtCreatePen(TEmfRecord& r)
{
    auto pen = std::make_shared<TEmfPen>();
    pen->extended = true;
    pen->style = r.U32(28);
    pen->width = double(r.U32(32));
    const uint32_t brushStyle = r.U32(36);
    pen->color = ColorFromRef(r.U32(40));
    const uint32_t entries = r.U32(48);
    if (!r.Ok())
        return nullptr;
    if (brushStyle == BS_NULL)
        pen->style = (pen->style & ~uint32_t(PS_STYLE_MASK)) | PS_NULL;
    if (pen->width > 1e6)
        pen->width = 1e6;
    if ((pen->style & PS_STYLE_MASK) == PS_USERSTYLE && entries > 0 && entries <= 64 &&
        r.Has(52, size_t(entries) * 4)) {
        for (uint32_t i = 0; i < entries; ++i)
            pen->dashes.push_back(double(r.U32(52 + 4 * i)));
    }
    return pen;
}

std::shared_ptr<TEmfBrush> BrushFromCreateBrush(TEmfRecord& r)
{
    auto brush = std::make_shared<TEmfBrush>();
    brush->style = r.U32(12);
    brush->color = ColorFromRef(r.U32(16));
    brush->hatch = r.U32(20);
    if (!r.Ok())
        return nullptr;
    if (brush->style != BS_SOLID && brush->style != BS_NULL && brush->style != BS_HATCHED)
        brush->style = BS_SOLID;
    return brush;
}

std::shared_ptr<TEmfBrush> BrushFromDibPattern(TEmfRecord& r, bool monochrome)
{
    const uint32_t usage = r.U32(12);
    const uint32_t offBmi = r.U32(16), cbBmi = r.U32(20), offBits = r.U32(24), cbBits = r.U32(28);
    const auto info = r.Bytes(offBmi, cbBmi);
    const auto bits = r.Bytes(offBits, cbBits);
    if (!r.Ok())
        return nullptr;
    auto brush = std::make_shared<TEmfBrush>();
    brush->style = BS_DIBPATTERN;
    TDibInfo header;
    if (!TDibDecoder::ReadInfo(info, usage, header))
        return nullptr;
    if (monochrome || header.bitCount == 1) {
        // One-bit patterns are painted in the text colour (0) and the background colour (1).
        header.colors = { qRgb(0, 0, 0), qRgb(255, 255, 255) };
        brush->monochrome = true;
    }
    brush->pattern = TDibDecoder::Decode(header, bits, false);
    if (brush->pattern.isNull())
        return nullptr;
    if (brush->monochrome)
        brush->monoMask = brush->pattern;
    return brush;
}

std::shared_ptr<TEmfFont> FontFromCreateFont(TEmfRecord& r)
{
    auto font = std::make_shared<TEmfFont>();
    TLogFont& lf = font->logFont;
    lf.Height = r.I32(12);
    lf.Width = r.I32(16);
    lf.Escapement = r.I32(20);
    lf.Orientation = r.I32(24);
    lf.Weight = r.I32(28);
    lf.Italic = r.U8(32) != 0;
    lf.Underline = r.U8(33) != 0;
    lf.StrikeOut = r.U8(34) != 0;
    lf.CharSet = r.U8(35);
    lf.OutPrecision = r.U8(36);
    lf.ClipPrecision = r.U8(37);
    lf.Quality = r.U8(38);
    lf.PitchAndFamily = r.U8(39);
    if (!r.Ok())
        return nullptr;
    for (size_t i = 0; i < 32 && r.Has(40 + 2 * i, 2); ++i) {
        const char16_t c = char16_t(r.U16(40 + 2 * i));
        if (c == 0)
            break;
        lf.FaceName.push_back(c);
    }
    if (lf.Height == INT32_MIN)
        lf.Height = 0;
    return font;
}

std::shared_ptr<TEmfPalette> PaletteFromCreatePalette(TEmfRecord& r)
{
    const uint16_t count = r.U16(14);
    if (!r.Ok() || !r.Has(16, size_t(count) * 4))
        return nullptr;
    auto palette = std::make_shared<TEmfPalette>();
    palette->entries.reserve(count);
    for (uint16_t i = 0; i < count; ++i) {
        const size_t at = 16 + 4 * size_t(i);
        palette->entries.push_back(qRgb(r.U8(at), r.U8(at + 1), r.U8(at + 2)));
    }
    return palette;
}

void TEmfObjectTable::Resize(size_t handles)
{
    objects_.clear();
    objects_.resize(std::min(std::max<size_t>(handles, 1), kMaxHandles));
}

bool TEmfObjectTable::Put(uint32_t index, TEmfObject object)
{
    if (index >= kMaxHandles)
        return false;
    // Some writers state too few handles in the header; the table grows within its bound.
    if (index >= objects_.size())
        objects_.resize(size_t(index) + 1);
    objects_[index] = std::move(object);
    return true;
}

const TEmfObject* TEmfObjectTable::Get(uint32_t index) const
{
    if (index >= objects_.size())
        return nullptr;
    return &objects_[index];
}

void TEmfObjectTable::Remove(uint32_t index)
{
    if (index < objects_.size())
        objects_[index] = std::monostate {};
}
