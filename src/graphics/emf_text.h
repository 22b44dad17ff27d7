#pragma once
// Text records: decoding the runs of EXTTEXTOUTA/W, POLYTEXTOUTA/W and SMALLTEXTOUT, and drawing
// a run with the device context's font, colours, alignment and current position.
#include <QPointF>
#include <QRectF>
#include <QString>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TEmfRecord;
class TEmfRenderer;

struct TEmfTextRun {
    QPointF reference;      // logical units
    QString text;           // as the characters were stored (ANSI runs decoded)
    std::vector<double> dx; // advance after each character, logical units (empty: the font's)
    std::vector<double> dy; // vertical advances (ETO_PDY), logical units, up is positive
    uint32_t options = 0;   // ETO_*
    QRectF rect;            // ETO_OPAQUE / ETO_CLIPPED rectangle, logical units
};

// Decodes the runs of a text record. charSet is the selected font's character set, used for
// ANSI strings. Returns false when the record is damaged (runs decoded so far are kept).
bool ReadTextRuns(TEmfRecord& record, uint8_t charSet, std::vector<TEmfTextRun>& runs);

// Draws one run through the renderer's device context.
void DrawTextRun(TEmfRenderer& renderer, const TEmfTextRun& run);

// Decodes 8-bit text in a font character set (ANSI_CHARSET, EASTEUROPE_CHARSET, ...).
QString DecodeAnsiText(std::span<const uint8_t> bytes, uint8_t charSet);

// The text that a metafile's text records draw, one entry per run in drawing order (runs with
// no characters are left out; line breaks inside a run become spaces). Symbol-font characters
// come out as the Unicode characters they show.
std::vector<std::string> ExtractEmfText(std::span<const uint8_t> emf);
