#include "PagePainter.h"

#include "Table.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace orvane {

namespace {

// Pages are painted in points (1/72 inch): fonts then get whole, precise
// pixel sizes in user units whatever the device, and a point stays a point.
constexpr double kPtPerMm = 72.0 / 25.4;

QColor toQColor(ReportColor c)
{
    const uint v = uint(c);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

QRectF pt(const QRectF &mm)
{
    return QRectF(mm.x() * kPtPerMm, mm.y() * kPtPerMm, mm.width() * kPtPerMm, mm.height() * kPtPerMm);
}

struct ShapedText
{
    QList<QGlyphRun> runs;
    qreal width = 0;
    qreal height = 0;
};

struct FontCache
{
    QFont font;
    QHash<QString, ShapedText> texts;
    QHash<QString, ShapedText> elided;   // key: width in 1/100 pt + '|' + text
};

} // namespace

struct PagePainterPrivate
{
    const Document *doc = nullptr;
    int dpiX = 0, dpiY = 0;
    QPaintDevice *device = nullptr;
    std::vector<FontSpec> fontSpecs;
    std::vector<std::vector<int>> objectFont;   // per section, per object
    std::vector<FontCache> fonts;
    QHash<QString, QImage> pictures;

    void prepare(QPaintDevice *dev);
    const ShapedText &shape(int font, const QString &text);
    ShapedText layoutText(const QFont &font, const QString &text) const;
    void drawText(QPainter &p, const LayoutObject &o, int font, const QRectF &r, const QString &text);
    void drawObject(QPainter &p, const Placement &pl, int pageIndex, int objectIndex, qreal top);
};

void PagePainterPrivate::prepare(QPaintDevice *dev)
{
    if (dev->logicalDpiX() == dpiX && dev->logicalDpiY() == dpiY && !fonts.empty()) {
        device = dev;
        return;
    }
    device = dev;
    dpiX = dev->logicalDpiX();
    dpiY = dev->logicalDpiY();
    fonts.clear();
    for (const FontSpec &spec : fontSpecs) {
        FontCache fc;
        fc.font = QFont(spec.family);
        // Qt sizes fonts from the device's resolution; in point units that
        // means P points need P * 72 / dpi "points" on this device.
        fc.font.setPointSizeF(spec.size * 72.0 / dpiY);
        fc.font.setBold(spec.bold);
        fc.font.setItalic(spec.italic);
        fc.font.setHintingPreference(QFont::PreferNoHinting);
        fc.font.setKerning(false);
        fonts.push_back(std::move(fc));
    }
}

ShapedText PagePainterPrivate::layoutText(const QFont &font, const QString &text) const
{
    ShapedText s;
    QTextLayout layout(text, font, device);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setLineWidth(1e7);
    layout.endLayout();
    s.runs = layout.glyphRuns();
    if (line.isValid()) {
        s.width = line.naturalTextWidth();
        s.height = line.ascent() + line.descent();
    }
    return s;
}

const ShapedText &PagePainterPrivate::shape(int font, const QString &text)
{
    FontCache &fc = fonts[size_t(font)];
    auto it = fc.texts.find(text);
    if (it == fc.texts.end())
        it = fc.texts.insert(text, layoutText(fc.font, text));
    return *it;
}

void PagePainterPrivate::drawText(QPainter &p, const LayoutObject &o, int font, const QRectF &r, const QString &text)
{
    if (text.isEmpty())
        return;
    const ShapedText *s = &shape(font, text);
    bool clip = false;
    if (s->width > r.width() + 0.01) {
        if (o.elide) {
            FontCache &fc = fonts[size_t(font)];
            const QString key = QString::number(qRound(r.width() * 100)) + QLatin1Char('|') + text;
            auto it = fc.elided.find(key);
            if (it == fc.elided.end()) {
                QFontMetricsF fm(fc.font, device);
                it = fc.elided.insert(key, layoutText(fc.font, fm.elidedText(text, Qt::ElideRight, r.width())));
            }
            s = &*it;
        } else {
            clip = true;
        }
    }
    qreal x = r.left();
    if (o.alignment & Qt::AlignRight)
        x = r.right() - s->width;
    else if (o.alignment & Qt::AlignHCenter)
        x = r.left() + (r.width() - s->width) / 2;
    qreal y = r.top();
    if (o.alignment & Qt::AlignBottom)
        y = r.bottom() - s->height;
    else if (o.alignment & Qt::AlignVCenter)
        y = r.top() + (r.height() - s->height) / 2;
    if (clip) {
        p.save();
        p.setClipRect(r, Qt::IntersectClip);
    }
    for (const QGlyphRun &run : s->runs)
        p.drawGlyphRun(QPointF(x, y), run);
    if (clip)
        p.restore();
}

void PagePainterPrivate::drawObject(QPainter &p, const Placement &pl, int pageIndex, int objectIndex, qreal top)
{
    const Section &section = doc->content->layout.sections[pl.section];
    const LayoutObject &o = section.objects[size_t(objectIndex)];
    QRectF r = pt(o.rect);
    r.translate(0, top);

    switch (o.kind) {
    case ObjectKind::Box: {
        const QPen pen(toQColor(o.foreColor), o.lineWidth * kPtPerMm);
        p.setPen(o.lineWidth > 0 ? pen : QPen(Qt::NoPen));
        p.setBrush(o.fillColor < 0 ? QBrush(Qt::NoBrush) : QBrush(toQColor(o.fillColor)));
        p.drawRect(r);
        p.setBrush(Qt::NoBrush);
        return;
    }
    case ObjectKind::Line:
        p.setPen(QPen(toQColor(o.foreColor), o.lineWidth * kPtPerMm, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(r.topLeft(), r.bottomRight());
        return;
    case ObjectKind::Picture: {
        auto it = pictures.find(o.picture);
        if (it == pictures.end())
            it = pictures.insert(o.picture, QImage(o.picture));
        if (!it->isNull()) {
            QSizeF s = QSizeF(it->size()).scaled(r.size(), Qt::KeepAspectRatio);
            p.drawImage(QRectF(r.topLeft(), s), *it);
        }
        return;
    }
    default:
        break;
    }

    if (o.backColor >= 0)
        p.fillRect(r, toQColor(o.backColor));
    if (o.border.any()) {
        p.setPen(QPen(toQColor(o.border.color), o.border.width * kPtPerMm, Qt::SolidLine, Qt::SquareCap));
        if (o.border.top) p.drawLine(r.topLeft(), r.topRight());
        if (o.border.bottom) p.drawLine(r.bottomLeft(), r.bottomRight());
        if (o.border.left) p.drawLine(r.topLeft(), r.bottomLeft());
        if (o.border.right) p.drawLine(r.topRight(), r.bottomRight());
    }
    const QString text = objectText(*doc, pageIndex, pl, objectIndex);
    if (text.isEmpty())
        return;
    const QColor c = toQColor(o.foreColor);
    if (p.pen().color() != c || p.pen().style() == Qt::NoPen)
        p.setPen(c);
    drawText(p, o, objectFont[pl.section][size_t(objectIndex)], r, text);
}

PagePainter::PagePainter(const Document &document) : d(std::make_unique<PagePainterPrivate>())
{
    d->doc = &document;
    for (const Section &s : document.layout().sections) {
        std::vector<int> ids;
        for (const LayoutObject &o : s.objects) {
            int found = -1;
            for (size_t i = 0; i < d->fontSpecs.size() && found < 0; ++i) {
                const FontSpec &f = d->fontSpecs[i];
                if (f.family == o.font.family && f.size == o.font.size && f.bold == o.font.bold && f.italic == o.font.italic)
                    found = int(i);
            }
            if (found < 0) {
                found = int(d->fontSpecs.size());
                d->fontSpecs.push_back(o.font);
            }
            ids.push_back(found);
        }
        d->objectFont.push_back(std::move(ids));
    }
}

PagePainter::~PagePainter() = default;

const Document &PagePainter::document() const
{
    return *d->doc;
}

void PagePainter::paint(QPainter &painter, int pageIndex, double scale)
{
    const Document &doc = *d->doc;
    if (pageIndex < 0 || pageIndex >= doc.pageCount())
        return;
    QPaintDevice *dev = painter.device();
    d->prepare(dev);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.scale(d->dpiX / 72.0 * scale, d->dpiY / 72.0 * scale);
    const QMarginsF &m = doc.layout().margins;
    painter.translate(m.left() * kPtPerMm, m.top() * kPtPerMm);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);

    const PageEntry &page = doc.pages[size_t(pageIndex)];
    for (int i = page.first; i < page.first + page.count; ++i) {
        const Placement &pl = doc.placements[size_t(i)];
        const Section &s = doc.layout().sections[pl.section];
        const qreal top = qreal(pl.y) * kPtPerMm;
        for (int j = 0; j < int(s.objects.size()); ++j)
            d->drawObject(painter, pl, pageIndex, j, top);
    }
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
