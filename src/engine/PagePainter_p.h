#pragma once

// Shared by the page painter and the PDF writer: one routine lays out every
// object of a page; a Canvas puts it on a QPainter or straight into PDF.

#include "Document.h"

#include <QHash>
#include <QImage>
#include <QRawFont>
#include <QVarLengthArray>

#include <memory>
#include <vector>

namespace orvane {

/// Glyphs and advances of one font, from the font's design metrics (no
/// hinting, no kerning), so widths are the same on every device.
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

/// What a page is drawn onto. Coordinates are points from the page's
/// top-left corner.
class Canvas
{
public:
    virtual ~Canvas() = default;
    virtual void fillRect(const QRectF &r, ReportColor color) = 0;
    virtual void line(const QPointF &a, const QPointF &b, double width, ReportColor color) = 0;
    virtual void box(const QRectF &r, double width, ReportColor stroke, ReportColor fill) = 0;
    virtual void image(const QRectF &r, const QImage &image, const QString &key) = 0;
    /// `glyphs` of font `font` (index into PageRenderer::fonts()), `advances` in points;
    /// `origin` is the baseline start. `clip` null unless the text must be cut.
    virtual void text(int font, const quint32 *glyphs, const float *advances, int count, const QPointF &origin,
                      ReportColor color, const QRectF *clip) = 0;
};

/// Lays out the objects of a page onto a Canvas; keeps fonts and images
/// between pages.
class PageRenderer
{
public:
    explicit PageRenderer(const Document &document);
    void render(Canvas &canvas, int pageIndex);

    const Document &document() const { return *m_doc; }
    std::vector<FontMetricsTable> &fonts() { return m_fonts; }

private:
    void drawObject(Canvas &canvas, const Placement &pl, int pageIndex, int objectIndex, double top);
    void drawText(Canvas &canvas, const LayoutObject &o, int font, const QRectF &r, const QString &text);

    const Document *m_doc;
    std::vector<FontMetricsTable> m_fonts;
    std::vector<std::vector<int>> m_objectFont;   // per section, per object
    QHash<QString, QImage> m_images;
    QVarLengthArray<quint32, 128> m_glyphs;
    QVarLengthArray<float, 128> m_advances;
};

constexpr double kPtPerMm = 72.0 / 25.4;

} // namespace orvane
