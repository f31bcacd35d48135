#include "PagePainter.h"

#include "PagePainter_p.h"

#include <QGlyphRun>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace orvane {

namespace {

QColor toQColor(ReportColor c)
{
    const uint v = uint(c);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

QRectF pt(const QRectF &mm)
{
    return QRectF(mm.x() * kPtPerMm, mm.y() * kPtPerMm, mm.width() * kPtPerMm, mm.height() * kPtPerMm);
}

// Draws through QPainter in point units; glyph runs are built from the
// shared metrics, so the screen and the printer place every glyph where the
// PDF does.
class PainterCanvas final : public Canvas
{
public:
    PainterCanvas(QPainter &painter, std::vector<FontMetricsTable> &fonts, std::vector<QRawFont> &sized)
        : m_p(painter), m_fonts(fonts), m_sized(sized)
    {
    }

    void fillRect(const QRectF &r, ReportColor color) override { m_p.fillRect(r, toQColor(color)); }

    void line(const QPointF &a, const QPointF &b, double width, ReportColor color) override
    {
        m_p.setPen(QPen(toQColor(color), width, Qt::SolidLine, Qt::FlatCap));
        m_p.drawLine(a, b);
    }

    void box(const QRectF &r, double width, ReportColor stroke, ReportColor fill) override
    {
        m_p.setPen(width > 0 ? QPen(toQColor(stroke), width) : QPen(Qt::NoPen));
        m_p.setBrush(fill < 0 ? QBrush(Qt::NoBrush) : QBrush(toQColor(fill)));
        m_p.drawRect(r);
        m_p.setBrush(Qt::NoBrush);
    }

    void image(const QRectF &r, const QImage &image, const QString &) override { m_p.drawImage(r, image); }

    void text(int font, const quint32 *glyphs, const float *advances, int count, const QPointF &origin,
              ReportColor color, const QRectF *clip) override
    {
        if (m_sized.size() <= size_t(font))
            m_sized.resize(m_fonts.size());
        QRawFont &raw = m_sized[size_t(font)];
        if (!raw.isValid()) {
            raw = m_fonts[size_t(font)].design;
            raw.setPixelSize(m_fonts[size_t(font)].face.size);
        }
        QList<QPointF> positions(count);
        qreal x = 0;
        for (int i = 0; i < count; ++i) {
            positions[i] = QPointF(x, 0);
            x += advances[i];
        }
        QGlyphRun run;
        run.setRawFont(raw);
        run.setRawData(glyphs, positions.constData(), count);
        m_p.setPen(toQColor(color));
        if (clip) {
            m_p.save();
            m_p.setClipRect(*clip, Qt::IntersectClip);
        }
        m_p.drawGlyphRun(origin, run);
        if (clip)
            m_p.restore();
    }

private:
    QPainter &m_p;
    std::vector<FontMetricsTable> &m_fonts;
    std::vector<QRawFont> &m_sized;
};

} // namespace

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

PageRenderer::PageRenderer(const Document &document) : m_doc(&document)
{
    std::vector<FontSpec> specs;
    for (const Section &s : document.layout().sections) {
        std::vector<int> ids;
        for (const LayoutObject &o : s.objects) {
            int found = -1;
            for (size_t i = 0; i < specs.size() && found < 0; ++i) {
                const FontSpec &f = specs[i];
                if (f.family == o.font.family && f.size == o.font.size && f.bold == o.font.bold && f.italic == o.font.italic)
                    found = int(i);
            }
            const bool drawsText = o.kind != ObjectKind::Box && o.kind != ObjectKind::Line && o.kind != ObjectKind::Picture;
            if (found < 0 && drawsText) {
                found = int(specs.size());
                specs.push_back(o.font);
            }
            ids.push_back(found);
        }
        m_objectFont.push_back(std::move(ids));
    }
    m_fonts.reserve(specs.size());
    for (const FontSpec &f : specs)
        m_fonts.emplace_back(f);
}

void PageRenderer::drawText(Canvas &canvas, const LayoutObject &o, int font, const QRectF &r, const QString &text)
{
    FontMetricsTable &fm = m_fonts[size_t(font)];
    const double scale = fm.face.size / 1000.0;
    const int n = int(text.size());
    m_glyphs.resize(n);
    m_advances.resize(n);
    double width = 0;
    const char16_t *chars = reinterpret_cast<const char16_t *>(text.constData());
    for (int i = 0; i < n; ++i) {
        const FontMetricsTable::Glyph &g = fm.glyph(chars[i]);
        m_glyphs[i] = g.index;
        m_advances[i] = float(g.advance * scale);
        width += m_advances[i];
    }
    int count = n;
    bool clip = false;
    if (width > r.width() + 0.01) {
        if (o.elide) {
            // Cut from the end until the text and "…" fit.
            const FontMetricsTable::Glyph &dots = fm.glyph(u'\x2026');
            const double dotsWidth = dots.advance * scale;
            while (count > 0 && width + dotsWidth > r.width() + 0.01)
                width -= m_advances[--count];
            m_glyphs.resize(count + 1);
            m_advances.resize(count + 1);
            m_glyphs[count] = dots.index;
            m_advances[count] = float(dotsWidth);
            width += dotsWidth;
            ++count;
        } else {
            clip = true;
        }
    }
    double x = r.left();
    if (o.alignment & Qt::AlignRight)
        x = r.right() - width;
    else if (o.alignment & Qt::AlignHCenter)
        x = r.left() + (r.width() - width) / 2;
    const double height = (fm.ascent + fm.descent) * scale;
    double top = r.top();
    if (o.alignment & Qt::AlignBottom)
        top = r.bottom() - height;
    else if (o.alignment & Qt::AlignVCenter)
        top = r.top() + (r.height() - height) / 2;
    canvas.text(font, m_glyphs.constData(), m_advances.constData(), count, QPointF(x, top + fm.ascent * scale),
                o.foreColor, clip ? &r : nullptr);
}

void PageRenderer::drawObject(Canvas &canvas, const Placement &pl, int pageIndex, int objectIndex, double top)
{
    const Section &section = m_doc->content->layout.sections[pl.section];
    const LayoutObject &o = section.objects[size_t(objectIndex)];
    QRectF r = pt(o.rect);
    r.translate(m_doc->layout().margins.left() * kPtPerMm, top);

    switch (o.kind) {
    case ObjectKind::Box:
        canvas.box(r, o.lineWidth * kPtPerMm, o.foreColor, o.fillColor);
        return;
    case ObjectKind::Line:
        canvas.line(r.topLeft(), r.bottomRight(), o.lineWidth * kPtPerMm, o.foreColor);
        return;
    case ObjectKind::Picture: {
        auto it = m_images.find(o.picture);
        if (it == m_images.end())
            it = m_images.insert(o.picture, QImage(o.picture));
        if (!it->isNull())
            canvas.image(QRectF(r.topLeft(), QSizeF(it->size()).scaled(r.size(), Qt::KeepAspectRatio)), *it, o.picture);
        return;
    }
    default:
        break;
    }

    if (o.backColor >= 0)
        canvas.fillRect(r, o.backColor);
    if (o.border.any()) {
        const double w = o.border.width * kPtPerMm;
        if (o.border.top) canvas.line(r.topLeft(), r.topRight(), w, o.border.color);
        if (o.border.bottom) canvas.line(r.bottomLeft(), r.bottomRight(), w, o.border.color);
        if (o.border.left) canvas.line(r.topLeft(), r.bottomLeft(), w, o.border.color);
        if (o.border.right) canvas.line(r.topRight(), r.bottomRight(), w, o.border.color);
    }
    const QString text = objectText(*m_doc, pageIndex, pl, objectIndex);
    if (!text.isEmpty())
        drawText(canvas, o, m_objectFont[pl.section][size_t(objectIndex)], r, text);
}

void PageRenderer::render(Canvas &canvas, int pageIndex)
{
    const Document &doc = *m_doc;
    if (pageIndex < 0 || pageIndex >= doc.pageCount())
        return;
    const double bodyTop = doc.layout().margins.top() * kPtPerMm;
    const PageEntry &page = doc.pages[size_t(pageIndex)];
    for (int i = page.first; i < page.first + page.count; ++i) {
        const Placement &pl = doc.placements[size_t(i)];
        const Section &s = doc.layout().sections[pl.section];
        const double top = bodyTop + double(pl.y) * kPtPerMm;
        for (int j = 0; j < int(s.objects.size()); ++j)
            drawObject(canvas, pl, pageIndex, j, top);
    }
}

struct PagePainterPrivate
{
    explicit PagePainterPrivate(const Document &doc) : renderer(doc) {}
    PageRenderer renderer;
    std::vector<QRawFont> sized;
};

PagePainter::PagePainter(const Document &document) : d(std::make_unique<PagePainterPrivate>(document)) {}

PagePainter::~PagePainter() = default;

const Document &PagePainter::document() const
{
    return d->renderer.document();
}

void PagePainter::paint(QPainter &painter, int pageIndex, double scale)
{
    QPaintDevice *dev = painter.device();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // Points as user units: the device's resolution decides the rest.
    painter.scale(dev->logicalDpiX() / 72.0 * scale, dev->logicalDpiY() / 72.0 * scale);
    PainterCanvas canvas(painter, d->renderer.fonts(), d->sized);
    d->renderer.render(canvas, pageIndex);
    painter.restore();
}

void paintPage(QPainter &painter, const Document &document, int pageIndex, double scale)
{
    PagePainter(document).paint(painter, pageIndex, scale);
}

QSize pageSizePixels(const Document &document, const QPaintDevice &device, double scale)
{
    const QSizeF mm = document.layout().pageSizeMm();
    return QSize(qRound(mm.width() / 25.4 * device.logicalDpiX() * scale),
                 qRound(mm.height() / 25.4 * device.logicalDpiY() * scale));
}

} // namespace orvane
