#include "graphics/emf_objects.h"
#include "graphics/emf_reader.h"
#include "graphics/emf_records.h"
#include "graphics/emf_text.h"
#include "graphics/font_mapper.h"

#include <unordered_map>

using namespace emf;

std::vector<std::string> ExtractEmfText(std::span<const uint8_t> emf)
{
    struct Font {
        uint8_t charSet = 0;
        QString face;
    };
    // Only the fonts matter here: their character set decodes ANSI text and their face tells
    // symbol fonts apart.
    std::unordered_map<uint32_t, Font> fonts;
    Font current;
    std::vector<std::string> lines;
    std::vector<TEmfTextRun> runs;
    TEmfRecordIterator records(emf);
    std::span<const uint8_t> bytes;
    while (records.Next(bytes)) {
        TEmfRecord r(bytes);
        switch (r.Type()) {
        case EMR_EXTCREATEFONTINDIRECTW: {
            const uint32_t index = r.U32(8);
            if (auto font = FontFromCreateFont(r);
                font && fonts.size() < TEmfObjectTable::kMaxHandles)
                fonts[index] = { font->logFont.CharSet,
                                 QString::fromStdU16String(font->logFont.FaceName) };
            break;
        }
        case EMR_SELECTOBJECT: {
            const uint32_t index = r.U32(8);
            if (!r.Ok())
                break;
            if (index & kStockObjectFlag) {
                const uint32_t stock = index & ~kStockObjectFlag;
                if (stock >= OEM_FIXED_FONT && stock <= DEFAULT_GUI_FONT &&
                    stock != DEFAULT_PALETTE)
                    current = Font();
            } else if (auto found = fonts.find(index); found != fonts.end()) {
                current = found->second;
            }
            break;
        }
        case EMR_EXTTEXTOUTA:
        case EMR_EXTTEXTOUTW:
        case EMR_POLYTEXTOUTA:
        case EMR_POLYTEXTOUTW:
        case EMR_SMALLTEXTOUT:
            runs.clear();
            ReadTextRuns(r, current.charSet, runs);
            for (const TEmfTextRun& run : runs) {
                QString text = MapFontText(current.face, run.text);
                for (QChar& c : text)
                    if (c.unicode() < 0x20 || c == QChar::LineSeparator ||
                        c == QChar::ParagraphSeparator)
                        c = u' ';
                if (!text.trimmed().isEmpty())
                    lines.push_back(text.toStdString());
            }
            break;
        case EMR_EOF:
            return lines;
        default:
            break;
        }
    }
    return lines;
}
