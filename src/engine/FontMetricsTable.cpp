#include "FontMetricsTable.h"

#include <QFont>

namespace orvane {

FontMetricsTable::FontMetricsTable(const FontSpec &s) : face(s)
{
    QFont f(face.family);
    f.setBold(face.bold);
    f.setItalic(face.italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setPixelSize(1000);
    design = QRawFont::fromFont(f);
    design.setPixelSize(1000);
    ascent = design.ascent();
    descent = design.descent();
    m_blocks.resize(256);
}

const FontMetricsTable::Glyph &FontMetricsTable::glyph(char16_t c)
{
    std::shared_ptr<Block> &block = m_blocks[c >> 8];
    if (!block)
        block = std::make_shared<Block>();
    Glyph &slot = block->glyphs[c & 0xFF];
    if (!block->known[c & 0xFF]) {
        block->known[c & 0xFF] = true;
        const QChar ch(c);
        quint32 index = 0;
        int n = 1;
        if (design.glyphIndexesForChars(&ch, 1, &index, &n) && n == 1) {
            QPointF adv;
            design.advancesForGlyphIndexes(&index, &adv, 1, QRawFont::UseDesignMetrics);
            slot = {index, float(adv.x())};
            if (!unicodeOf.contains(index))
                unicodeOf.insert(index, c);
        }
    }
    return slot;
}

} // namespace orvane
