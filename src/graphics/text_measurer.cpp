#include "graphics/text_measurer.h"

#include <cmath>

namespace {
constexpr size_t kCachedFonts = 8;
}

struct TTextMeasurer::Entry {
    explicit Entry(const TLogFont& f) : font(f), metrics(MapFont(f))
    {
        latin.fill(-1.0f);
        ascent = int(std::lround(metrics.ascent()));
        height = ascent + int(std::lround(metrics.descent()));
    }
    TLogFont font;
    QFontMetricsF metrics;
    std::array<float, 256> latin; // advances looked up so far; negative: not yet
    int ascent = 0;
    int height = 0;
    uint64_t lastUse = 0;
};

bool SameLogFont(const TLogFont& a, const TLogFont& b)
{
    return a.Height == b.Height && a.Width == b.Width && a.Escapement == b.Escapement &&
           a.Orientation == b.Orientation && a.Weight == b.Weight && a.Italic == b.Italic &&
           a.Underline == b.Underline && a.StrikeOut == b.StrikeOut && a.CharSet == b.CharSet &&
           a.OutPrecision == b.OutPrecision && a.ClipPrecision == b.ClipPrecision &&
           a.Quality == b.Quality && a.PitchAndFamily == b.PitchAndFamily &&
           a.FaceName == b.FaceName;
}

TTextMeasurer::TTextMeasurer() = default;
TTextMeasurer::~TTextMeasurer() = default;

void TTextMeasurer::Select(const TLogFont& font)
{
    ++clock_;
    if (current_ && SameLogFont(current_->font, font)) {
        current_->lastUse = clock_;
        return;
    }
    for (auto& entry : cache_) {
        if (SameLogFont(entry->font, font)) {
            current_ = entry.get();
            current_->lastUse = clock_;
            return;
        }
    }
    auto entry = std::make_unique<Entry>(font);
    entry->lastUse = clock_;
    current_ = entry.get();
    if (cache_.size() < kCachedFonts) {
        cache_.push_back(std::move(entry));
        return;
    }
    auto oldest = cache_.begin();
    for (auto it = cache_.begin(); it != cache_.end(); ++it)
        if ((*it)->lastUse < (*oldest)->lastUse)
            oldest = it;
    *oldest = std::move(entry);
}

double TTextMeasurer::Advance(Entry& entry, QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    if (c < entry.latin.size()) {
        float& cached = entry.latin[c];
        if (cached < 0)
            cached = float(entry.metrics.horizontalAdvance(QChar(c)));
        return cached;
    }
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
        QChar::isLowSurrogate(text[i + 1].unicode()))
        return entry.metrics.horizontalAdvance(text.mid(i, 2).toString());
    if (QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(text[i - 1].unicode()))
        return 0; // the pair's advance went with its first half
    return entry.metrics.horizontalAdvance(QChar(c));
}

int TTextMeasurer::Advances(QStringView text, std::vector<int32_t>& dx)
{
    dx.resize(size_t(text.size()));
    if (!current_)
        Select(TLogFont {});
    double position = 0;
    int64_t placed = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        position += Advance(*current_, text, i);
        const int64_t next = std::llround(position);
        dx[size_t(i)] = int32_t(next - placed);
        placed = next;
    }
    return int(placed);
}

int TTextMeasurer::Width(QStringView text)
{
    if (!current_)
        Select(TLogFont {});
    double position = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        position += Advance(*current_, text, i);
    return int(std::llround(position));
}

int TTextMeasurer::Height() const
{
    return current_ ? current_->height : 0;
}

int TTextMeasurer::Ascent() const
{
    return current_ ? current_->ascent : 0;
}
