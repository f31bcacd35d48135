#include "Document.h"

#include "Error.h"
#include "Table.h"

#include <algorithm>
#include <cmath>

namespace orvane {

void ReportContent::bindColumns()
{
    auto resolve = [this](const QString &field, const QString &owner) {
        if (field.isEmpty() || !table)
            return -1;
        const int c = table->columnIndex(field);
        if (c < 0)
            throw Error(QStringLiteral("%1: '%2' needs the column '%3', which the bound rows do not have.")
                            .arg(layout.fileName.section(QLatin1Char('/'), -1), owner, field),
                        QStringLiteral("Report engine"));
        return c;
    };
    for (Section &s : layout.sections) {
        for (LayoutObject &o : s.objects) {
            if (o.kind == ObjectKind::Field || o.kind == ObjectKind::Summary)
                o.column = resolve(o.field, o.name);
            if (!o.link.target.isEmpty())
                o.link.column = resolve(o.link.field, o.name + QLatin1String(".link"));
        }
    }
    for (size_t i = 0; i < layout.groups.size(); ++i)
        layout.groups[i].column = resolve(layout.groups[i].field, QStringLiteral("groups[%1]").arg(i));
}

double Document::summaryValue(const Placement &p, int objectIndex) const
{
    if (p.totals < 0)
        return 0;
    const int slot = summarySlot(content->layout.sections[p.section], objectIndex);
    return slot < 0 ? 0 : totals[size_t(p.totals + slot)];
}

qint64 Document::memoryUsage() const
{
    return qint64(sizeof(Document)) + qint64(pages.capacity() * sizeof(PageEntry))
           + qint64(placements.capacity() * sizeof(Placement)) + qint64(totals.capacity() * sizeof(double));
}

int summarySlot(const Section &section, int objectIndex)
{
    if (objectIndex < 0 || size_t(objectIndex) >= section.objects.size()
        || section.objects[size_t(objectIndex)].kind != ObjectKind::Summary)
        return -1;
    int slot = 0;
    for (int i = 0; i < objectIndex; ++i)
        slot += section.objects[size_t(i)].kind == ObjectKind::Summary ? 1 : 0;
    return slot;
}

QString formatNumber(double value, const FieldFormat &format)
{
    if (!std::isfinite(value))
        return QString();
    const int decimals = format.type == FieldFormat::Money ? 2
                         : (format.type == FieldFormat::Integer ? 0 : format.decimals);
    static const double pow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    const double scaled = std::round(std::fabs(value) * pow10[decimals]);
    if (scaled == 0 && format.blankWhenZero)
        return QString();
    if (scaled >= 9e18) {
        // Beyond 64-bit cents: let Qt do it, still with the minus and separators.
        QLocale c(QLocale::C);
        return c.toString(value, 'f', decimals);
    }
    quint64 units = quint64(scaled);
    const quint64 whole = units / quint64(pow10[decimals]);
    quint64 frac = units % quint64(pow10[decimals]);

    // Built backwards into a small buffer: this runs for every cell of a page.
    QChar buf[48];
    int pos = 48;
    for (int i = 0; i < decimals; ++i) {
        buf[--pos] = QChar(char16_t(u'0' + frac % 10));
        frac /= 10;
    }
    if (decimals > 0)
        buf[--pos] = QLatin1Char('.');
    quint64 w = whole;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0 && format.type != FieldFormat::Text)
            buf[--pos] = QLatin1Char(',');
        buf[--pos] = QChar(char16_t(u'0' + w % 10));
        w /= 10;
        ++digits;
    } while (w > 0);
    if (value < 0 && units != 0)
        buf[--pos] = QLatin1Char('-');
    return QString(buf + pos, 48 - pos);
}

namespace {

QString dateText(const QDate &d)
{
    if (!d.isValid())
        return QString();
    int y = 0, m = 0, day = 0;
    d.getDate(&y, &m, &day);
    QChar buf[10] = {QChar(char16_t(u'0' + day / 10)), QChar(char16_t(u'0' + day % 10)), QLatin1Char('/'),
                     QChar(char16_t(u'0' + m / 10)),   QChar(char16_t(u'0' + m % 10)),   QLatin1Char('/'),
                     QChar(char16_t(u'0' + (y / 1000) % 10)), QChar(char16_t(u'0' + (y / 100) % 10)),
                     QChar(char16_t(u'0' + (y / 10) % 10)), QChar(char16_t(u'0' + y % 10))};
    return QString(buf, 10);
}

} // namespace

QString objectText(const Document &doc, int pageIndex, const Placement &placement, int objectIndex)
{
    const ReportContent &c = *doc.content;
    const LayoutObject &o = c.layout.sections[placement.section].objects[size_t(objectIndex)];
    switch (o.kind) {
    case ObjectKind::Text:
        return o.text;
    case ObjectKind::Field: {
        const int row = doc.tableRow(placement);
        if (row < 0 || o.column < 0 || !c.table || c.table->isNull(row, o.column))
            return QString();
        switch (o.format.type) {
        case FieldFormat::Text:
            return c.table->text(row, o.column);
        case FieldFormat::Date:
            return dateText(c.table->date(row, o.column));
        default:
            return formatNumber(c.table->number(row, o.column), o.format);
        }
    }
    case ObjectKind::Summary:
        return formatNumber(doc.summaryValue(placement, objectIndex), o.format);
    case ObjectKind::Special:
        switch (o.special) {
        case SpecialField::PageNumber:
            return QString::number(pageIndex + 1);
        case SpecialField::PageNofM:
            // While pagination runs the count is not known yet.
            return doc.complete ? QStringLiteral("Page %1 of %2").arg(pageIndex + 1).arg(doc.pageCount())
                                : QStringLiteral("Page %1 of %2…").arg(pageIndex + 1).arg(doc.pageCount());
        case SpecialField::PrintDate:
            return dateText(c.printDate);
        case SpecialField::ReportTitle:
            return c.title;
        case SpecialField::Parameter:
            return o.parameter >= 1 && o.parameter <= c.parameters.size() ? c.parameters[o.parameter - 1] : QString();
        case SpecialField::GroupContinued:
            return placement.flags & Placement::Continued ? QStringLiteral("(continued)") : QString();
        }
        return QString();
    default:
        return QString();
    }
}

void appendOutline(const Document &doc, int fromPage, std::vector<OutlineEntry> &entries)
{
    const Layout &layout = doc.layout();
    for (int page = std::max(0, fromPage); page < doc.pageCount(); ++page) {
        const PageEntry &entry = doc.pages[size_t(page)];
        for (qint32 i = entry.first; i < entry.first + entry.count; ++i) {
            const Placement &p = doc.placements[size_t(i)];
            const Section &section = layout.sections[p.section];
            if (section.kind == SectionKind::GroupHeader && !(p.flags & Placement::Continued))
                entries.push_back({qint32(page), i, qint32(section.group)});
        }
    }
}

QString outlineText(const Document &doc, const OutlineEntry &entry)
{
    const Placement &p = doc.placements[size_t(entry.placement)];
    const Group &group = doc.layout().groups[size_t(entry.level)];
    if (group.outlineObjects.empty()) {
        const int row = doc.tableRow(p);
        return row < 0 || group.column < 0 ? QString() : doc.content->table->text(row, group.column);
    }
    QStringList parts;
    for (int object : group.outlineObjects)
        parts << objectText(doc, entry.page, p, object);
    return parts.join(QLatin1String("  "));
}

QRectF objectRectMm(const Document &doc, const Placement &placement, int objectIndex)
{
    const Layout &layout = doc.layout();
    const Section &section = layout.sections[placement.section];
    const LayoutObject &object = section.objects[size_t(objectIndex)];
    QRectF mm = object.rect;
    const double growMm = placement.grow * kGrowStepMm;
    if (growMm > 0) {
        // As the painter places it: the growing text and boxes reaching the
        // band's foot get taller, whatever stands below the growing text moves down.
        double growFrom = -1;
        for (const LayoutObject &o : section.objects) {
            if (o.canGrow)
                growFrom = std::max(growFrom, o.rect.bottom());
        }
        if (object.canGrow)
            mm.setHeight(mm.height() + growMm);
        else if (mm.top() >= growFrom - 0.01)
            mm.translate(0, growMm);
        else if ((object.kind == ObjectKind::Box || object.kind == ObjectKind::Line) && mm.height() > 0
                 && mm.bottom() >= section.height - 0.01)
            mm.setHeight(mm.height() + growMm);
    }
    const QRectF body = layout.bodyRectMm();
    return mm.translated(body.left(), body.top() + double(placement.y));
}

PlacedObject objectAt(const Document &doc, int pageIndex, const QPointF &pointMm)
{
    if (pageIndex < 0 || pageIndex >= doc.pageCount())
        return {};
    const PageEntry &page = doc.pages[size_t(pageIndex)];
    for (qint32 i = page.first; i < page.first + page.count; ++i) {
        const Placement &p = doc.placements[size_t(i)];
        const double top = doc.layout().bodyRectMm().top() + double(p.y);
        if (pointMm.y() < top || pointMm.y() >= top + doc.bandHeight(p))
            continue;
        const std::vector<LayoutObject> &objects = doc.layout().sections[p.section].objects;
        // Later objects are drawn over earlier ones.
        for (int o = int(objects.size()) - 1; o >= 0; --o) {
            const ObjectKind kind = objects[size_t(o)].kind;
            if (kind == ObjectKind::Box || kind == ObjectKind::Line || kind == ObjectKind::Picture)
                continue;
            if (objectRectMm(doc, p, o).contains(pointMm))
                return {i, qint32(o)};
        }
    }
    return {};
}

std::optional<ReportLink> linkOf(const Document &doc, const PlacedObject &placed)
{
    if (!placed.isValid())
        return std::nullopt;
    const Placement &p = doc.placements[size_t(placed.placement)];
    const LayoutObject &object = doc.layout().sections[p.section].objects[size_t(placed.object)];
    const int row = doc.tableRow(p);
    if (object.link.target.isEmpty() || object.link.column < 0 || row < 0 || doc.content->table->isNull(row, object.link.column))
        return std::nullopt;
    const QString value = doc.content->table->text(row, object.link.column);
    if (value.trimmed().isEmpty())
        return std::nullopt;
    return ReportLink{object.link.target, value};
}

std::vector<PlacedObject> pageLinks(const Document &doc, int pageIndex)
{
    std::vector<PlacedObject> links;
    if (pageIndex < 0 || pageIndex >= doc.pageCount())
        return links;
    const PageEntry &page = doc.pages[size_t(pageIndex)];
    for (qint32 i = page.first; i < page.first + page.count; ++i) {
        const Placement &p = doc.placements[size_t(i)];
        const std::vector<LayoutObject> &objects = doc.layout().sections[p.section].objects;
        const size_t first = links.size();
        for (int o = 0; o < int(objects.size()); ++o) {
            if (!objects[size_t(o)].link.target.isEmpty() && linkOf(doc, {i, qint32(o)}))
                links.push_back({i, qint32(o)});
        }
        std::stable_sort(links.begin() + qsizetype(first), links.end(), [&](const PlacedObject &a, const PlacedObject &b) {
            return objects[size_t(a.object)].rect.left() < objects[size_t(b.object)].rect.left();
        });
    }
    return links;
}

} // namespace orvane
