#include "PagePainter.h"

#include "PagePainter_p.h"
#include "Table.h"

#include <QGlyphRun>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
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
    PainterCanvas(QPainter &painter, std::vector<FontMetricsTable> &fonts, QHash<qint64, QRawFont> &sized)
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

    void text(const PlacedText &t, const quint32 *glyphs, const float *advances, ReportColor color,
              const QRectF *clip) override
    {
        // Sizes come in steps of 1/100 pt, so a page needs few of them.
        const qint64 key = (qint64(t.font) << 32) | qint64(qRound(t.size * 100));
        QRawFont &raw = m_sized[key];
        if (!raw.isValid()) {
            raw = m_fonts[size_t(t.font)].design;
            raw.setPixelSize(t.size);
        }
        const int count = int(t.text.size());
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
        m_p.drawGlyphRun(t.origin, run);
        if (clip)
            m_p.restore();
    }

private:
    QPainter &m_p;
    std::vector<FontMetricsTable> &m_fonts;
    QHash<qint64, QRawFont> &m_sized;
};

// Top of a line `height` high in `r` as the object's vertical alignment puts it.
double lineTop(const QRectF &r, Qt::Alignment alignment, double height)
{
    if (alignment & Qt::AlignBottom)
        return r.bottom() - height;
    if (alignment & Qt::AlignVCenter)
        return r.top() + (r.height() - height) / 2;
    return r.top();
}

// Sizes of shrunk figures go down in steps of 1/20 pt.
double sizeStepDown(double size)
{
    return std::floor(size * 20 + 1e-9) / 20;
}

void drawFrame(Canvas &canvas, const LayoutObject &o, const QRectF &r)
{
    if (o.backColor >= 0)
        canvas.fillRect(r, o.backColor);
    if (!o.border.any())
        return;
    const double w = o.border.width * kPtPerMm;
    if (o.border.top) canvas.line(r.topLeft(), r.topRight(), w, o.border.color);
    if (o.border.bottom) canvas.line(r.bottomLeft(), r.bottomRight(), w, o.border.color);
    if (o.border.left) canvas.line(r.topLeft(), r.bottomLeft(), w, o.border.color);
    if (o.border.right) canvas.line(r.topRight(), r.bottomRight(), w, o.border.color);
}

} // namespace

double PageRenderer::figureFloor(double sizePt)
{
    return std::min(sizePt, std::max(6.0, 0.75 * sizePt));
}

PageRenderer::PageRenderer(const Document &document) : m_doc(&document)
{
    std::vector<FontSpec> specs;
    for (const Section &s : document.layout().sections) {
        std::vector<int> ids;
        double growFrom = -1;
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
            if (o.canGrow)
                growFrom = std::max(growFrom, o.rect.bottom());
        }
        m_objectFont.push_back(std::move(ids));
        m_growFrom.push_back(growFrom < 0 ? 1e9 : growFrom);
    }
    m_fonts.reserve(specs.size());
    for (const FontSpec &f : specs)
        m_fonts.emplace_back(f);
    m_bodyWidth = document.layout().bodyRectMm().width() * kPtPerMm;
}

void PageRenderer::shape(Run &run, FontMetricsTable &fm, const QString &text)
{
    run.text.text = text;
    const size_t first = m_glyphs.size();
    const int n = int(text.size());
    run.glyphs = int(first);
    m_glyphs.resize(first + size_t(n));
    m_advances.resize(first + size_t(n));
    quint32 *glyphs = m_glyphs.data() + first;
    float *advances = m_advances.data() + first;
    const char16_t *chars = reinterpret_cast<const char16_t *>(text.constData());
    double width = 0;
    for (int i = 0; i < n; ++i) {
        const FontMetricsTable::Glyph &g = fm.glyph(chars[i]);
        glyphs[i] = g.index;
        advances[i] = g.advance;
        width += g.advance;
    }
    run.designWidth = width;
}

// Cuts the run's text from the end until it and "…" fit in `limit` (1/1000 em).
void PageRenderer::elide(Run &run, FontMetricsTable &fm, double limit)
{
    const FontMetricsTable::Glyph &dots = fm.glyph(u'\x2026');
    int count = int(run.text.text.size());
    while (count > 0 && run.designWidth + dots.advance > limit)
        run.designWidth -= m_advances[size_t(run.glyphs + --count)];
    m_glyphs.resize(size_t(run.glyphs + count));
    m_advances.resize(size_t(run.glyphs + count));
    m_glyphs.push_back(dots.index);
    m_advances.push_back(dots.advance);
    run.designWidth += dots.advance;
    run.text.text = run.text.text.left(count) + QChar(0x2026);
}

void PageRenderer::setLine(Run &run, double size, double top)
{
    FontMetricsTable &fm = m_fonts[size_t(run.text.font)];
    PlacedText &t = run.text;
    t.size = size;
    t.width = run.designWidth * size / 1000.0;
    t.ascent = fm.ascent * size / 1000.0;
    t.descent = fm.descent * size / 1000.0;
    double x = run.rect.left();
    if (run.alignment & Qt::AlignRight)
        x = run.rect.right() - t.width;
    else if (run.alignment & Qt::AlignHCenter)
        x = run.rect.left() + (run.rect.width() - t.width) / 2;
    t.origin = QPointF(x, top + t.ascent);
}

void PageRenderer::placeFigure(Run &run, size_t index, double bodyLeft, double bodyRight)
{
    const double nominal = m_fonts[size_t(run.text.font)].face.size;
    const double floor = figureFloor(nominal);
    const QRectF &r = run.rect;
    const double ascentDescent = (run.text.ascent + run.text.descent) / std::max(1e-9, run.text.size);

    // Smaller first: as much as the box needs, down to the floor.
    const double fitting = sizeStepDown(r.width() * 1000.0 / run.designWidth);
    if (fitting >= floor) {
        setLine(run, fitting, lineTop(r, run.alignment, ascentDescent * fitting));
        return;
    }

    // Then room beside the box, up to the nearest text or rule on that side.
    double size = floor;
    const double gap = kFigureGapMm * kPtPerMm;
    const double height = ascentDescent * size;
    const double top = lineTop(r, run.alignment, height);
    double lo = bodyLeft, hi = bodyRight;
    const bool right = run.alignment & Qt::AlignRight;
    const bool centre = run.alignment & Qt::AlignHCenter;
    auto keepClearOf = [&](const QRectF &o) {
        if (o.top() >= top + height - 0.01 || o.bottom() <= top + 0.01)
            return;
        if (right ? o.left() < r.right() : centre ? o.center().x() < r.center().x() : o.right() <= r.left())
            lo = std::max(lo, o.right() + gap);
        else
            hi = std::min(hi, o.left() - gap);
    };
    for (const QRectF &o : m_taken)
        keepClearOf(o);
    for (size_t k = index + 1; k < m_wide.size(); ++k)
        keepClearOf(m_wide[k].rect);
    if (right)
        hi = std::min(hi, r.right());
    else if (!centre)
        lo = std::max(lo, r.left());

    double width = run.designWidth * size / 1000.0;
    if (width > hi - lo) {
        // Past the floor only when nothing else would keep it whole.
        size = std::max(0.5, sizeStepDown(std::max(0.0, hi - lo) * 1000.0 / run.designWidth));
        width = run.designWidth * size / 1000.0;
    }
    setLine(run, size, lineTop(r, run.alignment, ascentDescent * size));
    double x = right ? hi - width : lo;
    if (centre)
        x = std::clamp(r.center().x() - width / 2, lo, std::max(lo, hi - width));
    run.text.origin.setX(x);
}

void PageRenderer::draw(Canvas &canvas, const Run &run)
{
    const float scale = float(run.text.size / 1000.0);
    const int n = int(run.text.text.size());
    m_scaled.resize(n);
    const float *advances = m_advances.data() + run.glyphs;
    for (int i = 0; i < n; ++i)
        m_scaled[i] = advances[i] * scale;
    canvas.text(run.text, m_glyphs.data() + run.glyphs, m_scaled.constData(), run.color, run.clip ? &run.rect : nullptr);
}

bool PageRenderer::drawGraphic(Canvas &canvas, const LayoutObject &o, const QRectF &r, const QRectF &mm)
{
    switch (o.kind) {
    case ObjectKind::Box:
        canvas.box(r, o.lineWidth * kPtPerMm, o.foreColor, o.fillColor);
        return true;
    case ObjectKind::Line:
        canvas.line(r.topLeft(), r.bottomRight(), o.lineWidth * kPtPerMm, o.foreColor);
        if (mm.width() == 0 && mm.height() > 0)
            m_taken.push_back(QRectF(r.left() - o.lineWidth * kPtPerMm / 2, r.top(), o.lineWidth * kPtPerMm, r.height()));
        return true;
    case ObjectKind::Picture: {
        auto it = m_images.find(o.picture);
        if (it == m_images.end())
            it = m_images.insert(o.picture, QImage(o.picture));
        if (!it->isNull())
            canvas.image(QRectF(r.topLeft(), QSizeF(it->size()).scaled(r.size(), Qt::KeepAspectRatio)), *it, o.picture);
        return true;
    }
    default:
        return false;
    }
}

void PageRenderer::addFigure(Run &run, FontMetricsTable &fm, const QString &text)
{
    const double size = fm.face.size;
    shape(run, fm, text);
    if (run.designWidth * size / 1000.0 <= run.rect.width() + 0.01) {
        setLine(run, size, lineTop(run.rect, run.alignment, (fm.ascent + fm.descent) * size / 1000.0));
        m_runs.push_back(std::move(run));
        return;
    }
    // Placed once every other text of the band is (placeWideFigures).
    run.text.size = size;
    run.text.ascent = fm.ascent * size / 1000.0;
    run.text.descent = fm.descent * size / 1000.0;
    m_wide.push_back(std::move(run));
}

void PageRenderer::addWrapped(const Run &run, FontMetricsTable &fm, const QString &text, double limit, double growMm)
{
    const double size = fm.face.size;
    const double lineHeight = (fm.ascent + fm.descent) * size / 1000.0;
    m_glyphs.resize(size_t(run.glyphs));
    m_advances.resize(size_t(run.glyphs));
    // As many lines as the paginator made room for.
    const int maxLines = 1 + int((growMm + 1e-6) / fm.lineHeightMm(size));
    bool cut = false;
    fm.wrap(text, limit, maxLines, &m_lines, &cut);
    double y = lineTop(run.rect, run.alignment, lineHeight);
    for (size_t k = 0; k < m_lines.size(); ++k) {
        const FontMetricsTable::Line &line = m_lines[k];
        Run part = run;
        if (cut && k + 1 == m_lines.size()) {
            QString rest = text.mid(line.start);
            rest.replace(QLatin1Char('\n'), QLatin1Char(' '));
            shape(part, fm, rest);
            elide(part, fm, limit + 0.5);
        } else if (line.start == 0 && line.length == text.size()) {
            shape(part, fm, text);
        } else {
            shape(part, fm, text.mid(line.start, line.length));
        }
        setLine(part, size, y);
        m_runs.push_back(std::move(part));
        y += lineHeight;
    }
}

void PageRenderer::addText(Run &run, const LayoutObject &o, const QString &text, double growMm)
{
    FontMetricsTable &fm = m_fonts[size_t(run.text.font)];
    if (run.text.figure) {
        addFigure(run, fm, text);
        return;
    }
    const double size = fm.face.size;
    const double limit = FontMetricsTable::emUnits(o.rect.width(), size);
    shape(run, fm, text);
    // Most names fit on their line; the others wrap as the paginator wrapped them.
    if (o.canGrow && (run.designWidth > limit + 0.5 || text.contains(QLatin1Char('\n')))) {
        addWrapped(run, fm, text, limit, growMm);
        return;
    }
    if (!o.canGrow && run.designWidth * size / 1000.0 > run.rect.width() + 0.01) {
        if (o.elide)
            elide(run, fm, limit + 0.5);
        else
            run.clip = true;
    }
    setLine(run, size, lineTop(run.rect, o.alignment, (fm.ascent + fm.descent) * size / 1000.0));
    m_runs.push_back(std::move(run));
}

void PageRenderer::placeWideFigures(double bodyLeft, double bodyRight)
{
    for (const Run &run : m_runs)
        m_taken.push_back(run.clip ? run.text.box().intersected(run.rect) : run.text.box());
    // Right-aligned figures grow leftwards: place them from the left, so
    // each sees the final extent of those before it; left-aligned ones mirror that.
    auto order = [](const Run &run) {
        return run.alignment & Qt::AlignRight ? run.rect.left()
               : run.alignment & Qt::AlignHCenter ? 1e9 + run.rect.left()
                                                  : 2e9 - run.rect.right();
    };
    std::sort(m_wide.begin(), m_wide.end(), [&](const Run &a, const Run &b) { return order(a) < order(b); });
    for (size_t k = 0; k < m_wide.size(); ++k) {
        placeFigure(m_wide[k], k, bodyLeft, bodyRight);
        m_taken.push_back(m_wide[k].text.box());
        m_runs.push_back(m_wide[k]);
    }
}

void PageRenderer::renderBand(Canvas &canvas, int pageIndex, int index)
{
    const Document &doc = *m_doc;
    const Placement &pl = doc.placements[size_t(index)];
    const Layout &layout = doc.layout();
    const Section &section = layout.sections[pl.section];
    const double left = layout.margins.left() * kPtPerMm;
    const double top = (layout.margins.top() + double(pl.y)) * kPtPerMm;
    const double growMm = pl.grow * kGrowStepMm;
    const double growFrom = m_growFrom[pl.section];
    const int row = doc.tableRow(pl);
    const Table *table = doc.content->table.get();
    m_runs.clear();
    m_wide.clear();
    m_taken.clear();
    m_glyphs.clear();
    m_advances.clear();

    for (int j = 0; j < int(section.objects.size()); ++j) {
        const LayoutObject &o = section.objects[size_t(j)];
        QRectF mm = o.rect;
        if (growMm > 0) {
            // Below the growing text everything moves down; boxes and rules
            // that reach the band's foot stretch with it.
            if (mm.top() >= growFrom - 0.01)
                mm.translate(0, growMm);
            else if ((o.kind == ObjectKind::Box || o.kind == ObjectKind::Line) && mm.height() > 0
                     && mm.bottom() >= section.height - 0.01)
                mm.setHeight(mm.height() + growMm);
        }
        QRectF r = pt(mm);
        r.translate(left, top);
        if (drawGraphic(canvas, o, r, mm))
            continue;
        drawFrame(canvas, o, r);
        const QString text = objectText(doc, pageIndex, pl, j);
        if (text.isEmpty())
            continue;

        Run run;
        run.text.placement = index;
        run.text.object = j;
        run.text.font = m_objectFont[pl.section][size_t(j)];
        run.rect = r;
        run.alignment = o.alignment;
        run.color = o.foreColor;
        // A code or number in a text field is a figure too: cut, it would name another document.
        run.text.figure = o.isFigure()
                          || (o.kind == ObjectKind::Field && !o.canGrow && row >= 0 && o.column >= 0 && table
                              && (table->cellType(row, o.column) == Table::Type::Integer
                                  || table->cellType(row, o.column) == Table::Type::Real));
        addText(run, o, text, growMm);
    }

    if (!m_wide.empty())
        placeWideFigures(left, left + m_bodyWidth);
    for (const Run &run : m_runs)
        draw(canvas, run);
}

void PageRenderer::render(Canvas &canvas, int pageIndex)
{
    const Document &doc = *m_doc;
    if (pageIndex < 0 || pageIndex >= doc.pageCount())
        return;
    const PageEntry &page = doc.pages[size_t(pageIndex)];
    for (int i = page.first; i < page.first + page.count; ++i)
        renderBand(canvas, pageIndex, i);
}

struct PagePainterPrivate
{
    explicit PagePainterPrivate(const Document &doc) : renderer(doc) {}
    PageRenderer renderer;
    QHash<qint64, QRawFont> sized;   // the fonts at the sizes drawn
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

QRectF PagePainter::textBoundsMm(int pageIndex, const PlacedObject &placed)
{
    // The renderer decides where a text stands (alignment, a figure made
    // smaller or moved beside its box): ask it rather than guess.
    struct Bounds final : Canvas
    {
        PlacedObject wanted;
        QRectF points;
        void fillRect(const QRectF &, ReportColor) override {}
        void line(const QPointF &, const QPointF &, double, ReportColor) override {}
        void box(const QRectF &, double, ReportColor, ReportColor) override {}
        void image(const QRectF &, const QImage &, const QString &) override {}
        void text(const PlacedText &t, const quint32 *, const float *, ReportColor, const QRectF *clip) override
        {
            if (t.placement == wanted.placement && t.object == wanted.object)
                points |= clip ? t.box().intersected(*clip) : t.box();
        }
    } bounds;
    bounds.wanted = placed;
    d->renderer.render(bounds, pageIndex);
    const QRectF &r = bounds.points;
    return QRectF(r.x() / kPtPerMm, r.y() / kPtPerMm, r.width() / kPtPerMm, r.height() / kPtPerMm);
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
