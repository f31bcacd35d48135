#pragma once

#include "Layout.h"

#include <QHash>
#include <QRawFont>

#include <memory>
#include <vector>

namespace orvane {

/// Glyphs and advances of one font, from the font's design metrics (no
/// hinting, no kerning), so widths are the same on every device and the
/// paginator can measure text without a painter. Not thread-safe: each
/// pagination and each renderer keeps its own.
class FontMetricsTable
{
public:
    explicit FontMetricsTable(const FontSpec &face);

    struct Glyph
    {
        quint32 index = 0;
        float advance = 0;   // 1/1000 em
    };
    const Glyph &glyph(char16_t c);

    /// One line of wrapped text: characters [start, start + length) of the text.
    struct Line
    {
        int start = 0;
        int length = 0;
    };

    /// Breaks `text` into lines no wider than `width` (1/1000 em): at spaces
    /// and after hyphens, inside a word only when the word alone is too wide,
    /// and at line feeds. Spaces at a break are dropped. Stops after
    /// `maxLines` lines (>= 1); `truncated` tells whether text was left over.
    /// Returns the number of lines (at least 1), filling `lines` when given.
    int wrap(const QString &text, double width, int maxLines, std::vector<Line> *lines = nullptr,
             bool *truncated = nullptr)
    {
        return wrapText(text, width, maxLines, [this](char16_t c) { return glyph(c).advance; }, lines, truncated);
    }

    /// wrap() with the advances (1/1000 em) from `advance(char16_t)`.
    template <typename Advance>
    static int wrapText(const QString &text, double width, int maxLines, Advance &&advance,
                        std::vector<Line> *lines = nullptr, bool *truncated = nullptr);

    /// Height of one line of text at `sizePt`, in mm.
    double lineHeightMm(double sizePt) const { return (ascent + descent) * sizePt / 1000.0 * 25.4 / 72.0; }
    /// A width in mm as 1/1000 em of text at `sizePt`.
    static double emUnits(double widthMm, double sizePt) { return widthMm * 72.0 / 25.4 * 1000.0 / sizePt; }

    const FontSpec face;
    QRawFont design;         // pixel size 1000: one unit = 1/1000 em
    double ascent = 0;       // 1/1000 em
    double descent = 0;
    QHash<quint32, char16_t> unicodeOf;   // glyphs handed out so far, for text extraction

private:
    struct Block
    {
        Glyph glyphs[256];
        bool known[256] = {};
    };
    std::vector<std::shared_ptr<Block>> m_blocks;   // by UTF-16 code unit / 256, made on first use
};

template <typename Advance>
int FontMetricsTable::wrapText(const QString &text, double width, int maxLines, Advance &&advance,
                               std::vector<Line> *lines, bool *truncated)
{
    const char16_t *s = reinterpret_cast<const char16_t *>(text.constData());
    const int n = int(text.size());
    // Half a unit of slack: the renderer's fit test and this one must agree.
    const double limit = width + 0.5;
    if (lines)
        lines->clear();
    if (truncated)
        *truncated = false;
    int count = 0;
    int pos = 0;
    do {
        const int start = pos;
        double w = 0;
        int breakAt = -1;    // line end at the last break opportunity
        int resume = -1;     // where the next line starts then
        bool hardBreak = false;
        int i = start;
        for (; i < n; ++i) {
            const char16_t c = s[i];
            if (c == u'\n') {
                hardBreak = true;
                break;
            }
            const double a = advance(c);
            if (c == u' ') {
                // A space may hang past the edge; the line ends before it.
                breakAt = i;
                resume = i + 1;
            } else if (w + a > limit && i > start) {
                break;
            }
            w += a;
            if (c == u'-' && i > start && i + 1 < n && s[i + 1] != u' ') {
                breakAt = i + 1;
                resume = i + 1;
            }
        }
        int end = i;
        if (hardBreak) {
            pos = i + 1;
        } else if (i >= n) {
            pos = n;
        } else if (breakAt > start) {
            end = breakAt;
            pos = resume;
        } else {
            pos = i;   // a word wider than the line is cut where it overflows
        }
        if (!hardBreak) {
            while (pos < n && s[pos] == u' ')
                ++pos;
        }
        while (end > start && s[end - 1] == u' ')
            --end;
        ++count;
        if (lines)
            lines->push_back({start, end - start});
        if (count >= maxLines && pos < n) {
            if (truncated)
                *truncated = true;
            break;
        }
    } while (pos < n);
    return count;
}

} // namespace orvane
