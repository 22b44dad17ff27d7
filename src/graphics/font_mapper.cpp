#include "graphics/font_mapper.h"

#include <QFontDatabase>
#include <QHash>
#include <QRawFont>
#include <cmath>

namespace {

const QString kSans = QStringLiteral("Liberation Sans");
const QString kSerif = QStringLiteral("Liberation Serif");
const QString kMono = QStringLiteral("Liberation Mono");
const QString kWideSans = QStringLiteral("DejaVu Sans");

// Pitch-and-family byte: the family in the high nibble, the pitch in the low bits.
constexpr uint8_t kFixedPitch = 0x01;
constexpr uint8_t kFamilyRoman = 0x10;
constexpr uint8_t kFamilyModern = 0x30;

struct FaceRule {
    const char* face; // lower case
    const QString* family;
};

const FaceRule kRules[] = {
    { "arial", &kSans },
    { "arial narrow", &kSans },
    { "arial unicode ms", &kSans },
    { "arial black", &kSans },
    { "helvetica", &kSans },
    { "helv", &kSans },
    { "ms sans serif", &kSans },
    { "microsoft sans serif", &kSans },
    { "ms shell dlg", &kSans },
    { "ms shell dlg 2", &kSans },
    { "tahoma", &kSans },
    { "segoe ui", &kSans },
    { "calibri", &kSans },
    { "candara", &kSans },
    { "corbel", &kSans },
    { "franklin gothic medium", &kSans },
    { "trebuchet ms", &kSans },
    { "century gothic", &kSans },
    { "lucida sans", &kSans },
    { "lucida sans unicode", &kSans },
    { "liberation sans", &kSans },
    { "system", &kSans },
    { "small fonts", &kSans },
    { "verdana", &kWideSans },
    { "dejavu sans", &kWideSans },
    { "bitstream vera sans", &kWideSans },
    { "times new roman", &kSerif },
    { "times", &kSerif },
    { "tms rmn", &kSerif },
    { "ms serif", &kSerif },
    { "georgia", &kSerif },
    { "cambria", &kSerif },
    { "garamond", &kSerif },
    { "book antiqua", &kSerif },
    { "palatino linotype", &kSerif },
    { "century schoolbook", &kSerif },
    { "liberation serif", &kSerif },
    { "courier new", &kMono },
    { "courier", &kMono },
    { "consolas", &kMono },
    { "lucida console", &kMono },
    { "fixedsys", &kMono },
    { "terminal", &kMono },
    { "liberation mono", &kMono },
    { "symbol", &kWideSans },
    { "wingdings", &kWideSans },
    { "webdings", &kWideSans },
    { "marlett", &kWideSans },
};

QString FamilyByName(const QString& lower)
{
    for (const FaceRule& rule : kRules)
        if (lower == QLatin1String(rule.face))
            return *rule.family;
    return {};
}

QString FamilyByHint(const QString& lower, uint8_t pitchAndFamily)
{
    if (lower.contains(QLatin1String("mono")) || lower.contains(QLatin1String("courier")) ||
        lower.contains(QLatin1String("console")) || lower.contains(QLatin1String("typewriter")))
        return kMono;
    if (lower.contains(QLatin1String("sans")) || lower.contains(QLatin1String("gothic")) ||
        lower.contains(QLatin1String("arial")) || lower.contains(QLatin1String("helvet")))
        return kSans;
    if (lower.contains(QLatin1String("serif")) || lower.contains(QLatin1String("times")) ||
        lower.contains(QLatin1String("roman")) || lower.contains(QLatin1String("antiqua")))
        return kSerif;
    if ((pitchAndFamily & 0x03) == kFixedPitch || (pitchAndFamily & 0xF0) == kFamilyModern)
        return kMono;
    if ((pitchAndFamily & 0xF0) == kFamilyRoman)
        return kSerif;
    return kSans;
}

// Adobe Symbol encoding, 0x20..0xFF, as Unicode.
const char16_t kSymbolMap[224] = {
    // 0x20
    u' ', u'!', 0x2200, u'#', 0x2203, u'%', u'&', 0x220B, u'(', u')', 0x2217, u'+', u',', 0x2212,
    u'.', u'/',
    // 0x30
    u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7', u'8', u'9', u':', u';', u'<', u'=', u'>', u'?',
    // 0x40
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A,
    0x039B, 0x039C, 0x039D, 0x039F,
    // 0x50
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, u'[',
    0x2234, u']', 0x22A5, u'_',
    // 0x60
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA,
    0x03BB, 0x03BC, 0x03BD, 0x03BF,
    // 0x70
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, u'{',
    u'|', u'}', 0x223C, u' ',
    // 0x80
    u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ',
    // 0x90
    u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ',
    // 0xA0
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194,
    0x2190, 0x2191, 0x2192, 0x2193,
    // 0xB0
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248,
    0x2026, 0x007C, 0x2015, 0x21B5,
    // 0xC0
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284,
    0x2282, 0x2286, 0x2208, 0x2209,
    // 0xD0
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4,
    0x21D0, 0x21D1, 0x21D2, 0x21D3,
    // 0xE0
    0x25CA, 0x27E8, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3,
    0x23A7, 0x23A8, 0x23A9, 0x23AA,
    // 0xF0
    u' ', 0x27E9, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6,
    0x23AB, 0x23AC, 0x23AD, u' '
};

// The Wingdings characters that documents commonly use; the others show as a bullet.
struct WingdingsEntry {
    uint8_t code;
    char32_t unicode;
};
const WingdingsEntry kWingdings[] = {
    { 0x20, u' ' },   { 0x21, 0x270F }, { 0x22, 0x2702 }, { 0x23, 0x2701 }, { 0x28, 0x260E },
    { 0x29, 0x2706 }, { 0x2A, 0x2709 }, { 0x36, 0x231B }, { 0x37, 0x2328 }, { 0x3E, 0x2707 },
    { 0x3F, 0x270D }, { 0x41, 0x270C }, { 0x45, 0x261C }, { 0x46, 0x261E }, { 0x47, 0x261D },
    { 0x48, 0x261F }, { 0x4A, 0x263A }, { 0x4C, 0x2639 }, { 0x4E, 0x2620 }, { 0x51, 0x2708 },
    { 0x52, 0x263C }, { 0x54, 0x2744 }, { 0x56, 0x271E }, { 0x58, 0x2720 }, { 0x59, 0x2721 },
    { 0x5A, 0x262A }, { 0x5B, 0x262F }, { 0x5C, 0x0950 }, { 0x5D, 0x2638 }, { 0x5E, 0x2648 },
    { 0x6C, 0x25CF }, { 0x6D, 0x274D }, { 0x6E, 0x25A0 }, { 0x6F, 0x25A1 }, { 0x70, 0x25FB },
    { 0x71, 0x2751 }, { 0x72, 0x2752 }, { 0x73, 0x2B27 }, { 0x74, 0x29EB }, { 0x75, 0x25C6 },
    { 0x76, 0x2756 }, { 0x77, 0x2B25 }, { 0x78, 0x2327 }, { 0x79, 0x2353 }, { 0x7A, 0x2318 },
    { 0x7B, 0x2740 }, { 0x7C, 0x273F }, { 0x7D, 0x275D }, { 0x7E, 0x275E }, { 0x9E, 0x00B7 },
    { 0x9F, 0x2022 }, { 0xA0, 0x25AA }, { 0xA1, 0x25CB }, { 0xA2, 0x2B55 }, { 0xA4, 0x25C9 },
    { 0xA5, 0x25CE }, { 0xA7, 0x25AA }, { 0xA8, 0x25FB }, { 0xAA, 0x2726 }, { 0xAB, 0x2605 },
    { 0xAC, 0x2736 }, { 0xAD, 0x2734 }, { 0xAE, 0x2739 }, { 0xAF, 0x2735 }, { 0xB1, 0x2316 },
    { 0xD5, 0x232B }, { 0xD6, 0x2326 }, { 0xD8, 0x27A2 }, { 0xDF, 0x2190 }, { 0xE0, 0x2192 },
    { 0xE1, 0x2191 }, { 0xE2, 0x2193 }, { 0xE8, 0x2794 }, { 0xEF, 0x21E6 }, { 0xF0, 0x21E8 },
    { 0xF1, 0x21E7 }, { 0xF2, 0x21E9 }, { 0xFB, 0x2717 }, { 0xFC, 0x2714 }, { 0xFD, 0x2612 },
    { 0xFE, 0x2611 },
};

char32_t WingdingsChar(uint8_t code)
{
    for (const WingdingsEntry& e : kWingdings)
        if (e.code == code)
            return e.unicode;
    return 0x2022;
}

struct DesignKey {
    QString family;
    int weight;
    bool italic;
    bool operator==(const DesignKey& o) const
    {
        return weight == o.weight && italic == o.italic && family == o.family;
    }
};
size_t qHash(const DesignKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.family, key.weight, key.italic);
}

} // namespace

QString MapFaceName(const QString& face, uint8_t pitchAndFamily)
{
    static QHash<QPair<QString, uint8_t>, QString> cache;
    const auto key = qMakePair(face, pitchAndFamily);
    const auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;
    const QString lower = face.trimmed().toLower();
    QString family = FamilyByName(lower);
    if (family.isEmpty() && !lower.isEmpty() &&
        QFontDatabase::families().contains(face.trimmed(), Qt::CaseInsensitive))
        family = face.trimmed();
    if (family.isEmpty())
        family = FamilyByHint(lower, pitchAndFamily);
    cache.insert(key, family);
    return family;
}

QString MapFaceName(const QString& face)
{
    return MapFaceName(face, 0);
}

bool IsSymbolFace(const QString& face)
{
    const QString lower = face.trimmed().toLower();
    return lower == QLatin1String("symbol") || lower.startsWith(QLatin1String("wingdings")) ||
           lower == QLatin1String("webdings") || lower == QLatin1String("marlett");
}

QString MapFontText(const QString& face, const QString& text)
{
    if (!IsSymbolFace(face))
        return text;
    const bool symbol = face.trimmed().compare(QLatin1String("symbol"), Qt::CaseInsensitive) == 0;
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        uint16_t code = c.unicode();
        // Symbol fonts are addressed either by their byte codes or in the private use area.
        if (code >= 0xF020 && code <= 0xF0FF)
            code -= 0xF000;
        if (code < 0x20 || code > 0xFF) {
            out += c;
            continue;
        }
        const char32_t mapped = symbol ? char32_t(kSymbolMap[code - 0x20]) : WingdingsChar(code);
        out += QString::fromUcs4(&mapped, 1);
    }
    return out;
}

const TFontDesign& FontDesign(const QString& family, int weight, bool italic)
{
    static QHash<DesignKey, TFontDesign> cache;
    const DesignKey key { family, weight, italic };
    const auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;
    QFont font(family);
    font.setPixelSize(1000);
    font.setWeight(QFont::Weight(weight));
    font.setItalic(italic);
    const QRawFont raw = QRawFont::fromFont(font);
    TFontDesign design;
    if (raw.isValid() && raw.pixelSize() > 0) {
        const double em = raw.pixelSize();
        design.ascent = raw.ascent() / em;
        design.descent = raw.descent() / em;
        design.averageWidth = raw.averageCharWidth() / em;
        design.underlinePos = raw.underlinePosition() / em;
        design.lineWidth = raw.lineThickness() / em;
        design.strikeOutPos = design.ascent / 3.5;
        if (design.ascent + design.descent <= 0.1)
            design = TFontDesign();
    }
    return *cache.insert(key, design);
}

namespace {
int NormalWeight(int32_t weight)
{
    if (weight <= 0)
        return 400;
    return std::clamp(int(weight), 100, 900);
}
} // namespace

double EmHeight(const TLogFont& font)
{
    if (font.Height < 0)
        return -double(font.Height);
    if (font.Height == 0)
        return 12.0;
    const QString family =
        MapFaceName(QString::fromStdU16String(font.FaceName), font.PitchAndFamily);
    const TFontDesign& d = FontDesign(family, NormalWeight(font.Weight), font.Italic);
    return font.Height / (d.ascent + d.descent);
}

int FontStretch(const TLogFont& font)
{
    if (font.Width == 0)
        return 0;
    const QString family =
        MapFaceName(QString::fromStdU16String(font.FaceName), font.PitchAndFamily);
    const TFontDesign& d = FontDesign(family, NormalWeight(font.Weight), font.Italic);
    const double natural = EmHeight(font) * d.averageWidth;
    if (natural <= 0)
        return 0;
    const double stretch = 100.0 * std::abs(double(font.Width)) / natural;
    if (std::abs(stretch - 100.0) < 0.5)
        return 0;
    return int(std::lround(std::clamp(stretch, 1.0, 4000.0)));
}

QFont MapFont(const TLogFont& font)
{
    static QHash<QString, QFont> cache;
    const QString key = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                            .arg(font.Height)
                            .arg(font.Width)
                            .arg(font.Weight)
                            .arg(int(font.Italic))
                            .arg(int(font.Underline))
                            .arg(int(font.StrikeOut))
                            .arg(int(font.PitchAndFamily))
                            .arg(int(font.CharSet))
                            .arg(QString::fromStdU16String(font.FaceName));
    const auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;
    QFont f(MapFaceName(QString::fromStdU16String(font.FaceName), font.PitchAndFamily));
    f.setPixelSize(std::max(1, int(std::lround(EmHeight(font)))));
    f.setWeight(QFont::Weight(NormalWeight(font.Weight)));
    f.setItalic(font.Italic);
    f.setUnderline(font.Underline);
    f.setStrikeOut(font.StrikeOut);
    f.setKerning(false);
    if (const int stretch = FontStretch(font))
        f.setStretch(stretch);
    if (cache.size() > 4096)
        cache.clear();
    cache.insert(key, f);
    return f;
}
