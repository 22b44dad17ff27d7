#pragma once
// Measures text in the installed font that playback draws a logical font with, so that widths a
// canvas reports, and the character advances it records, agree with the drawn picture.
#include "graphics/font_mapper.h"

#include <QFontMetricsF>
#include <QStringView>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class TTextMeasurer {
public:
    TTextMeasurer();
    ~TTextMeasurer();
    TTextMeasurer(const TTextMeasurer&) = delete;
    TTextMeasurer& operator=(const TTextMeasurer&) = delete;

    // Makes font the one measured with; the last few fonts stay ready.
    void Select(const TLogFont& font);

    // Fills dx with each UTF-16 unit's advance in whole pixels (the cumulative positions rounded,
    // so that the sum is the rounded width) and returns the sum.
    int Advances(QStringView text, std::vector<int32_t>& dx);
    int Width(QStringView text);
    // Cell height (ascent + descent) and ascent, in whole pixels.
    int Height() const;
    int Ascent() const;

private:
    struct Entry;
    double Advance(Entry& entry, QStringView text, qsizetype i);

    std::vector<std::unique_ptr<Entry>> cache_;
    Entry* current_ = nullptr;
    uint64_t clock_ = 0;
};

bool SameLogFont(const TLogFont& a, const TLogFont& b);
