#include "graphics/emf_text.h"

#include "graphics/emf_reader.h"
#include "graphics/emf_records.h"
#include "graphics/emf_renderer.h"
#include "graphics/font_mapper.h"
#include "platform/stream.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <QStringDecoder>
#include <cmath>

using namespace emf;

namespace {

constexpr size_t kMaxChars = 1u << 20;

// Windows-1252 code points 0x80..0x9F.
const char16_t kCp1252High[32] = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                   0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };

const char* CodePageName(uint8_t charSet)
{
    switch (charSet) {
    case 238:
        return "windows-1250";
    case 204:
        return "windows-1251";
    case 161:
        return "windows-1253";
    case 162:
        return "windows-1254";
    case 177:
        return "windows-1255";
    case 178:
        return "windows-1256";
    case 186:
        return "windows-1257";
    case 163:
        return "windows-1258";
    case 222:
        return "windows-874";
    case 128:
        return "Shift_JIS";
    case 134:
        return "GBK";
    case 136:
        return "Big5";
    case 129:
        return "EUC-KR";
    default:
        return nullptr;
    }
}

// Standard TrueType glyph order for the printable ASCII range: glyph 3 is the space.
QChar GlyphToChar(uint16_t glyph)
{
    if (glyph >= 3 && glyph <= 97)
        return QChar(char16_t(glyph + 29));
    return QChar(char16_t(0xFFFD));
}

bool ReadOneRun(TEmfRecord& r, size_t at, bool wide, uint8_t charSet, TEmfTextRun& run)
{
    run.reference = QPointF(r.I32(at), r.I32(at + 4));
    const uint32_t chars = r.U32(at + 8);
    const uint32_t offString = r.U32(at + 12);
    run.options = r.U32(at + 16);
    const int32_t left = r.I32(at + 20), top = r.I32(at + 24);
    const int32_t right = r.I32(at + 28), bottom = r.I32(at + 32);
    const uint32_t offDx = r.U32(at + 36);
    if (!r.Ok() || chars > kMaxChars)
        return false;
    run.rect = QRectF(QPointF(left, top), QPointF(right, bottom));
    const auto bytes = r.Bytes(offString, size_t(chars) * (wide ? 2 : 1));
    if (!r.Ok())
        return false;
    if (run.options & ETO_GLYPH_INDEX) {
        run.text.resize(chars);
        for (uint32_t i = 0; i < chars; ++i)
            run.text[i] =
                wide ? GlyphToChar(ReadLE16(bytes.data() + 2 * i)) : GlyphToChar(bytes[i]);
    } else if (wide) {
        run.text.resize(chars);
        for (uint32_t i = 0; i < chars; ++i)
            run.text[i] = QChar(char16_t(ReadLE16(bytes.data() + 2 * i)));
    } else {
        run.text = DecodeAnsiText(bytes, charSet);
    }
    const bool pdy = run.options & ETO_PDY;
    const size_t values = size_t(chars) * (pdy ? 2 : 1);
    if (offDx != 0 && chars > 0 && r.Has(offDx, values * 4)) {
        const auto dx = r.Bytes(offDx, values * 4);
        run.dx.resize(chars);
        if (pdy)
            run.dy.resize(chars);
        for (uint32_t i = 0; i < chars; ++i) {
            if (pdy) {
                run.dx[i] = ReadLE32s(dx.data() + 8 * i);
                run.dy[i] = ReadLE32s(dx.data() + 8 * i + 4);
            } else {
                run.dx[i] = ReadLE32s(dx.data() + 4 * i);
            }
        }
        // Multi-byte ANSI text: the advances belong to the bytes; fold them onto the characters.
        if (!wide && size_t(run.text.size()) != run.dx.size())
            run.dx.clear(), run.dy.clear();
    }
    return true;
}

bool ReadSmallText(TEmfRecord& r, uint8_t charSet, TEmfTextRun& run)
{
    run.reference = QPointF(r.I32(8), r.I32(12));
    const uint32_t chars = r.U32(16);
    run.options = r.U32(20);
    if (!r.Ok() || chars > kMaxChars)
        return false;
    size_t at = 36;
    if (!(run.options & ETO_NO_RECT)) {
        run.rect = QRectF(QPointF(r.I32(36), r.I32(40)), QPointF(r.I32(44), r.I32(48)));
        at += 16;
    }
    const bool small = run.options & ETO_SMALL_CHARS;
    const auto bytes = r.Bytes(at, size_t(chars) * (small ? 1 : 2));
    if (!r.Ok())
        return false;
    if (small) {
        run.text = DecodeAnsiText(bytes, charSet);
    } else {
        run.text.resize(chars);
        for (uint32_t i = 0; i < chars; ++i)
            run.text[i] = QChar(char16_t(ReadLE16(bytes.data() + 2 * i)));
    }
    run.options &= ~uint32_t(ETO_GLYPH_INDEX | ETO_PDY);
    return true;
}

} // namespace

QString DecodeAnsiText(std::span<const uint8_t> bytes, uint8_t charSet)
{
    if (const char* name = CodePageName(charSet)) {
        QStringDecoder decoder(name);
        if (decoder.isValid())
            return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    }
    QString text;
    text.resize(qsizetype(bytes.size()));
    const bool symbol = charSet == 2;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const uint8_t b = bytes[i];
        text[qsizetype(i)] =
            (!symbol && b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

bool ReadTextRuns(TEmfRecord& r, uint8_t charSet, std::vector<TEmfTextRun>& runs)
{
    switch (r.Type()) {
    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW: {
        TEmfTextRun run;
        if (!ReadOneRun(r, 36, r.Type() == EMR_EXTTEXTOUTW, charSet, run))
            return false;
        runs.push_back(std::move(run));
        return true;
    }
    case EMR_POLYTEXTOUTA:
    case EMR_POLYTEXTOUTW: {
        const uint32_t count = r.U32(36);
        if (!r.Ok() || !r.Has(40, size_t(count) * 40))
            return false;
        for (uint32_t i = 0; i < count; ++i) {
            TEmfTextRun run;
            if (!ReadOneRun(r, 40 + 40 * size_t(i), r.Type() == EMR_POLYTEXTOUTW, charSet, run))
                return false;
            runs.push_back(std::move(run));
        }
        return true;
    }
    case EMR_SMALLTEXTOUT: {
        TEmfTextRun run;
        if (!ReadSmallText(r, charSet, run))
            return false;
        runs.push_back(std::move(run));
        return true;
    }
    default:
        return false;
    }
}

void DrawTextRun(TEmfRenderer& renderer, const TEmfTextRun& run)
{
    TEmfDcState& dc = renderer.Dc();
    QPainter& painter = renderer.Painter();
    const TEmfFont& font = *dc.font;
    const TLogFont& lf = font.logFont;
    const TEmfFont::Metrics& metrics = font.FontMetrics();

    if ((run.options & ETO_OPAQUE) && !run.rect.isEmpty() && !run.rect.normalized().isEmpty())
        renderer.FillRectWith(run.rect.normalized(), dc.bkColor);
    if (run.text.isEmpty())
        return;

    const bool updateCp = dc.textAlign & TA_UPDATECP;
    const QPointF reference = updateCp ? dc.position : run.reference;
    const double em = lf.Height < 0   ? -double(lf.Height)
                      : lf.Height > 0 ? lf.Height * metrics.emPerCell
                                      : 12.0;

    // Glyph space: x along the baseline, y downwards, in logical units. The page mapping's
    // flips do not mirror text; the escapement turns it counter-clockwise as seen on the page.
    const QTransform page = dc.PageToDevice() * renderer.DeviceToPainter();
    const double fx = page.m11() < 0 ? -1 : 1, fy = page.m22() < 0 ? -1 : 1;
    const double angle = lf.Escapement / 10.0 * M_PI / 180.0;
    const double c = std::cos(angle), s = std::sin(angle);
    const QTransform glyphToLogical(c * fx, -s * fy, s * fx, c * fy, 0, 0);
    const QTransform full = glyphToLogical *
                            QTransform::fromTranslate(reference.x(), reference.y()) *
                            renderer.LogicalToPainter();
    const double sx = std::hypot(full.m11(), full.m12());
    const double sy = std::hypot(full.m21(), full.m22());
    if (!(sx > 1e-9) || !(sy > 1e-9) || !std::isfinite(sx) || !std::isfinite(sy))
        return;
    // Drawing space: glyph space measured in painter pixels.
    const QTransform drawing(full.m11() / sx, full.m12() / sx, full.m21() / sy, full.m22() / sy,
                             full.dx(), full.dy());
    const double emPx = em * sy;
    const int stretchPercent = FontStretch(lf);
    const double stretch = stretchPercent > 0 ? stretchPercent / 100.0 : 1.0;

    const QString text = MapFontText(QString::fromStdU16String(lf.FaceName), run.text);
    const qsizetype n = text.size();
    const bool drawable = emPx >= 0.05 && emPx <= 20000;
    QRawFont raw;
    if (drawable)
        raw = font.RawFont(emPx, 0);

    // Advances in drawing space.
    QList<quint32> glyphs(n, 0);
    QList<QPointF> advances(n, QPointF());
    if (raw.isValid()) {
        int count = int(n);
        if (!raw.glyphIndexesForChars(text.constData(), int(n), glyphs.data(), &count) ||
            count != n) {
            // Surrogate pairs: map one character at a time so indexes stay aligned.
            count = 0;
            for (qsizetype i = 0; i < n; ++i) {
                int one = 1;
                quint32 g = 0;
                raw.glyphIndexesForChars(text.constData() + i, 1, &g, &one);
                glyphs[i] = g;
            }
        }
        raw.advancesForGlyphIndexes(glyphs.constData(), advances.data(), int(n),
                                    QRawFont::UseDesignMetrics);
    }
    std::vector<double> xs(size_t(n) + 1, 0.0), ys(size_t(n) + 1, 0.0);
    const bool haveDx = run.dx.size() == size_t(n);
    double breakExtra = 0;
    if (!haveDx && dc.justifyCount > 0)
        breakExtra = double(dc.justifyExtra) / dc.justifyCount * sx;
    for (qsizetype i = 0; i < n; ++i) {
        double advance;
        if (haveDx)
            advance = run.dx[size_t(i)] * sx;
        else
            advance = advances[i].x() * stretch + (text[i] == u' ' ? breakExtra : 0);
        xs[size_t(i) + 1] = xs[size_t(i)] + advance;
        ys[size_t(i) + 1] =
            ys[size_t(i)] - (run.dy.size() == size_t(n) ? run.dy[size_t(i)] * sy : 0);
    }
    const double width = xs[size_t(n)];
    double x0 = 0;
    switch (dc.textAlign & TA_HORIZONTAL_MASK) {
    case TA_RIGHT:
        x0 = -width;
        break;
    case TA_CENTER:
        x0 = -width / 2;
        break;
    default:
        break;
    }
    double baseline = 0;
    switch (dc.textAlign & TA_VERTICAL_MASK) {
    case TA_BASELINE:
        break;
    case TA_BOTTOM:
        baseline = -metrics.descent * emPx;
        break;
    default:
        baseline = metrics.ascent * emPx;
        break;
    }

    if (updateCp) {
        const uint32_t h = dc.textAlign & TA_HORIZONTAL_MASK;
        if (h != TA_CENTER) {
            const double end = (h == TA_RIGHT ? -width : width) / sx;
            dc.position = reference + glyphToLogical.map(QPointF(end, 0));
        }
    }
    if (!drawable || dc.rop2 == R2_NOP)
        return;

    // The device context's clip goes onto the painter before its state is saved, so that
    // restoring it afterwards leaves the renderer's view of the painter true.
    renderer.PrepareWith(drawing);
    painter.save();
    if (run.options & ETO_CLIPPED) {
        painter.setTransform(renderer.LogicalToPainter());
        painter.setClipRect(run.rect.normalized(), Qt::IntersectClip);
        painter.setTransform(drawing);
    }
    if (dc.bkMode == OPAQUE) {
        painter.fillRect(QRectF(x0, baseline - metrics.ascent * emPx, width,
                                (metrics.ascent + metrics.descent) * emPx),
                         dc.bkColor);
    }
    painter.setPen(dc.textColor);
    painter.setBrush(Qt::NoBrush);
    painter.setBackgroundMode(Qt::TransparentMode);

    // Drawings that keep text as text (SVG) get strings: one per stretch of characters whose
    // placement agrees with the font's own advances, so the text stays searchable.
    const QPaintEngine* engine = painter.paintEngine();
    if (engine && engine->type() == QPaintEngine::SVG) {
        QFont qfont = font.QtFont(emPx, 0);
        qfont.setPixelSize(std::max(1, int(std::lround(emPx))));
        painter.setFont(qfont);
        if (stretch != 1.0)
            painter.setTransform(QTransform::fromScale(stretch, 1) * drawing);
        qsizetype start = 0;
        double natural = 0;
        for (qsizetype i = 0; i <= n; ++i) {
            const bool end = i == n;
            if (!end) {
                const double drift = xs[size_t(i)] - (xs[size_t(start)] + natural);
                if (std::fabs(drift) <= 0.5 && (ys[size_t(i)] == ys[size_t(start)])) {
                    natural += advances[i].x() * stretch;
                    continue;
                }
            }
            painter.drawText(
                QPointF((x0 + xs[size_t(start)]) / stretch, baseline + ys[size_t(start)]),
                text.mid(start, i - start));
            start = i;
            natural = end ? 0 : advances[i].x() * stretch;
        }
        if (stretch != 1.0)
            painter.setTransform(drawing);
    } else {
        QList<quint32> runGlyphs;
        QList<QPointF> positions;
        runGlyphs.reserve(n);
        positions.reserve(n);
        std::vector<qsizetype> missing;
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t ch = text[i].unicode();
            if (ch < 0x20 || QChar::isLowSurrogate(ch))
                continue;
            if (glyphs[i] == 0) {
                missing.push_back(i);
                continue;
            }
            runGlyphs.push_back(glyphs[i]);
            positions.push_back(QPointF((x0 + xs[size_t(i)]) / stretch, baseline + ys[size_t(i)]));
        }
        const QTransform stretched = QTransform::fromScale(stretch, 1) * drawing;
        if (stretch != 1.0)
            painter.setTransform(stretched);
        if (!runGlyphs.isEmpty()) {
            QGlyphRun glyphRun;
            glyphRun.setRawFont(raw);
            glyphRun.setGlyphIndexes(runGlyphs);
            glyphRun.setPositions(positions);
            painter.drawGlyphRun(QPointF(0, 0), glyphRun);
        }
        if (!missing.empty()) {
            // Characters the stand-in font lacks come from the system's fallback fonts.
            painter.setFont(font.QtFont(emPx, 0));
            for (qsizetype i : missing) {
                QString one = text.mid(i, QChar::isHighSurrogate(text[i].unicode()) ? 2 : 1);
                painter.drawText(QPointF((x0 + xs[size_t(i)]) / stretch, baseline + ys[size_t(i)]),
                                 one);
            }
        }
        if (stretch != 1.0)
            painter.setTransform(drawing);
    }
    if (lf.Underline || lf.StrikeOut) {
        const double thickness = std::max(metrics.lineWidth * emPx, 1.0);
        if (lf.Underline)
            painter.fillRect(QRectF(x0, baseline + metrics.underlinePos * emPx, width, thickness),
                             dc.textColor);
        if (lf.StrikeOut)
            painter.fillRect(QRectF(x0, baseline - metrics.strikeOutPos * emPx - thickness / 2,
                                    width, thickness),
                             dc.textColor);
    }
    painter.restore();
}
