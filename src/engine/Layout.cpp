#include "Layout.h"

#include "Error.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace orvane {

namespace {

const QString kSource = QStringLiteral("Report engine");

// Every complaint names the file and the path of the element, so a layout
// author finds the fault without a debugger.
[[noreturn]] void fail(const QString &file, const QString &where, const QString &what)
{
    QString text = QFileInfo(file).fileName();
    if (!where.isEmpty())
        text += QLatin1String(": ") + where;
    throw Error(text + QLatin1String(": ") + what, kSource);
}

struct Reader
{
    QString file;

    void checkKeys(const QJsonObject &o, const QString &where, std::initializer_list<const char *> allowed) const
    {
        for (auto it = o.begin(); it != o.end(); ++it) {
            bool known = false;
            for (const char *k : allowed)
                known = known || it.key() == QLatin1String(k);
            if (!known)
                fail(file, where, QStringLiteral("unknown key '%1'").arg(it.key()));
        }
    }

    QJsonObject object(const QJsonValue &v, const QString &where) const
    {
        if (!v.isObject())
            fail(file, where, QStringLiteral("object expected"));
        return v.toObject();
    }

    QString string(const QJsonObject &o, const char *key, const QString &where, bool required = false,
                   const QString &def = QString()) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) {
            if (required)
                fail(file, where, QStringLiteral("'%1' missing").arg(QLatin1String(key)));
            return def;
        }
        if (!v.isString())
            fail(file, where + QLatin1Char('.') + QLatin1String(key), QStringLiteral("text expected"));
        return v.toString();
    }

    double number(const QJsonObject &o, const char *key, const QString &where, double def, bool required = false,
                  double min = -1e9) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) {
            if (required)
                fail(file, where, QStringLiteral("'%1' missing").arg(QLatin1String(key)));
            return def;
        }
        if (!v.isDouble())
            fail(file, where + QLatin1Char('.') + QLatin1String(key), QStringLiteral("number expected"));
        if (v.toDouble() < min)
            fail(file, where + QLatin1Char('.') + QLatin1String(key),
                 QStringLiteral("%1 is below %2").arg(v.toDouble()).arg(min));
        return v.toDouble();
    }

    bool boolean(const QJsonObject &o, const char *key, const QString &where, bool def) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return def;
        if (!v.isBool())
            fail(file, where + QLatin1Char('.') + QLatin1String(key), QStringLiteral("true or false expected"));
        return v.toBool();
    }

    ReportColor color(const QJsonObject &o, const char *key, const QString &where, ReportColor def) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return def;
        bool ok = false;
        const ReportColor c = parseColor(v.toString(), &ok);
        if (!v.isString() || !ok)
            fail(file, where + QLatin1Char('.') + QLatin1String(key),
                 QStringLiteral("colour must be \"#RRGGBB\" or \"none\""));
        return c;
    }

    template <typename T>
    T choice(const QJsonObject &o, const char *key, const QString &where, std::initializer_list<std::pair<const char *, T>> options,
             T def, bool required = false) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) {
            if (required)
                fail(file, where, QStringLiteral("'%1' missing").arg(QLatin1String(key)));
            return def;
        }
        const QString s = v.toString();
        for (const auto &opt : options) {
            if (s == QLatin1String(opt.first))
                return opt.second;
        }
        fail(file, where, QStringLiteral("unknown %1 '%2'").arg(QLatin1String(key), v.isString() ? s : v.toVariant().toString()));
    }

    void readFormat(const QJsonObject &o, const QString &where, FieldFormat &f) const
    {
        f.type = choice<FieldFormat::Type>(o, "format", where,
                                           {{"text", FieldFormat::Text}, {"money", FieldFormat::Money},
                                            {"number", FieldFormat::Number}, {"integer", FieldFormat::Integer},
                                            {"date", FieldFormat::Date}},
                                           f.type);
        f.decimals = int(number(o, "decimals", where, f.type == FieldFormat::Number ? 2 : 0, false, 0));
        if (f.decimals > 9)
            fail(file, where + QLatin1String(".decimals"), QStringLiteral("at most 9 decimals"));
        if (f.type == FieldFormat::Money)
            f.decimals = 2;
        if (f.type == FieldFormat::Integer)
            f.decimals = 0;
        f.blankWhenZero = boolean(o, "blankWhenZero", where, false);
    }

    LayoutObject readObject(const QJsonValue &value, const QString &where) const
    {
        const QJsonObject o = object(value, where);
        checkKeys(o, where,
                  {"name", "kind", "rect", "text", "field", "format", "decimals", "blankWhenZero", "function", "scope",
                   "special", "position", "source", "font", "align", "valign", "border", "foreColor", "backColor",
                   "fillColor", "lineWidth", "elide", "canGrow"});
        LayoutObject obj;
        obj.name = string(o, "name", where, true);
        if (obj.name.isEmpty())
            fail(file, where, QStringLiteral("empty name"));
        obj.kind = choice<ObjectKind>(o, "kind", where,
                                      {{"text", ObjectKind::Text}, {"field", ObjectKind::Field},
                                       {"summary", ObjectKind::Summary}, {"special", ObjectKind::Special},
                                       {"box", ObjectKind::Box}, {"line", ObjectKind::Line},
                                       {"picture", ObjectKind::Picture}},
                                      ObjectKind::Text, true);

        const QJsonValue r = o.value(QLatin1String("rect"));
        const QJsonArray ra = r.toArray();
        if (!r.isArray() || ra.size() != 4)
            fail(file, where + QLatin1String(".rect"), QStringLiteral("[x, y, width, height] in mm expected"));
        for (const QJsonValue &c : ra) {
            if (!c.isDouble())
                fail(file, where + QLatin1String(".rect"), QStringLiteral("[x, y, width, height] in mm expected"));
        }
        obj.rect = QRectF(ra[0].toDouble(), ra[1].toDouble(), ra[2].toDouble(), ra[3].toDouble());
        if (obj.rect.width() < 0 || obj.rect.height() < 0)
            fail(file, where + QLatin1String(".rect"), QStringLiteral("negative width or height"));

        obj.text = string(o, "text", where);
        switch (obj.kind) {
        case ObjectKind::Field:
            obj.field = string(o, "field", where, true);
            readFormat(o, where, obj.format);
            break;
        case ObjectKind::Summary:
            obj.function = choice<LayoutObject::Function>(
                o, "function", where, {{"sum", LayoutObject::Function::Sum}, {"count", LayoutObject::Function::Count}},
                LayoutObject::Function::Sum);
            obj.field = string(o, "field", where, obj.function == LayoutObject::Function::Sum);
            obj.scope = choice<LayoutObject::Scope>(
                o, "scope", where, {{"group", LayoutObject::Scope::Group}, {"report", LayoutObject::Scope::Report}},
                LayoutObject::Scope::Group);
            obj.format.type = obj.function == LayoutObject::Function::Count ? FieldFormat::Integer : FieldFormat::Number;
            readFormat(o, where, obj.format);
            break;
        case ObjectKind::Special:
            obj.special = choice<SpecialField>(o, "special", where,
                                               {{"pageNumber", SpecialField::PageNumber},
                                                {"pageNofM", SpecialField::PageNofM},
                                                {"printDate", SpecialField::PrintDate},
                                                {"reportTitle", SpecialField::ReportTitle},
                                                {"parameter", SpecialField::Parameter},
                                                {"groupContinued", SpecialField::GroupContinued}},
                                               SpecialField::PageNumber, true);
            if (obj.special == SpecialField::Parameter)
                obj.parameter = int(number(o, "position", where, 0, true, 1));
            break;
        case ObjectKind::Picture:
            obj.picture = string(o, "source", where, true);
            break;
        default:
            break;
        }

        if (o.contains(QLatin1String("font"))) {
            const QString fw = where + QLatin1String(".font");
            const QJsonObject f = object(o.value(QLatin1String("font")), fw);
            checkKeys(f, fw, {"family", "size", "bold", "italic"});
            obj.font.family = string(f, "family", fw, false, obj.font.family);
            obj.font.size = number(f, "size", fw, obj.font.size);
            if (obj.font.size < 1 || obj.font.size > 200)
                fail(file, fw + QLatin1String(".size"), QStringLiteral("size %1 is not between 1 and 200 points").arg(obj.font.size));
            obj.font.bold = boolean(f, "bold", fw, false);
            obj.font.italic = boolean(f, "italic", fw, false);
        }

        const Qt::Alignment h = choice<Qt::Alignment>(
            o, "align", where, {{"left", Qt::AlignLeft}, {"center", Qt::AlignHCenter}, {"right", Qt::AlignRight}},
            Qt::AlignLeft);
        const Qt::Alignment v = choice<Qt::Alignment>(
            o, "valign", where, {{"top", Qt::AlignTop}, {"center", Qt::AlignVCenter}, {"bottom", Qt::AlignBottom}},
            Qt::AlignVCenter);
        obj.alignment = h | v;

        if (o.contains(QLatin1String("border"))) {
            const QString bw = where + QLatin1String(".border");
            const QJsonObject b = object(o.value(QLatin1String("border")), bw);
            checkKeys(b, bw, {"sides", "width", "color"});
            const QString sides = string(b, "sides", bw, false, QStringLiteral("LTRB"));
            for (QChar c : sides) {
                switch (c.toUpper().unicode()) {
                case 'L': obj.border.left = true; break;
                case 'T': obj.border.top = true; break;
                case 'R': obj.border.right = true; break;
                case 'B': obj.border.bottom = true; break;
                default: fail(file, bw + QLatin1String(".sides"), QStringLiteral("unknown side '%1'").arg(c));
                }
            }
            obj.border.width = number(b, "width", bw, obj.border.width, false, 0);
            obj.border.color = color(b, "color", bw, 0);
        }
        obj.foreColor = color(o, "foreColor", where, 0);
        obj.backColor = color(o, "backColor", where, NoColor);
        obj.fillColor = color(o, "fillColor", where, NoColor);
        obj.lineWidth = number(o, "lineWidth", where, obj.lineWidth, false, 0);
        obj.elide = boolean(o, "elide", where, true);
        obj.canGrow = boolean(o, "canGrow", where, false);
        if (obj.canGrow && obj.kind != ObjectKind::Text
            && !(obj.kind == ObjectKind::Field && obj.format.type == FieldFormat::Text))
            fail(file, where + QLatin1String(".canGrow"),
                 QStringLiteral("only text objects and text fields can grow; a figure never wraps"));
        return obj;
    }

    Section readSection(const QJsonValue &value, const QString &where) const
    {
        const QJsonObject o = object(value, where);
        checkKeys(o, where, {"name", "kind", "height", "suppress", "newPageBefore", "newPageAfter", "keepTogether", "objects"});
        Section s;
        s.name = string(o, "name", where, true);
        if (s.name.isEmpty())
            fail(file, where, QStringLiteral("empty name"));
        s.kind = choice<SectionKind>(o, "kind", where,
                                     {{"reportHeader", SectionKind::ReportHeader}, {"pageHeader", SectionKind::PageHeader},
                                      {"groupHeader", SectionKind::GroupHeader}, {"detail", SectionKind::Detail},
                                      {"groupFooter", SectionKind::GroupFooter}, {"pageFooter", SectionKind::PageFooter},
                                      {"reportFooter", SectionKind::ReportFooter}},
                                     SectionKind::Detail, true);
        s.suppress = boolean(o, "suppress", where, false);
        s.height = number(o, "height", where, 0, !s.suppress, 0);
        if (!s.suppress && s.height <= 0)
            fail(file, where + QLatin1String(".height"), QStringLiteral("height must be above 0 mm"));
        s.newPageBefore = boolean(o, "newPageBefore", where, false);
        s.newPageAfter = boolean(o, "newPageAfter", where, false);
        s.keepTogether = boolean(o, "keepTogether", where, true);
        const QJsonValue objs = o.value(QLatin1String("objects"));
        if (!objs.isUndefined()) {
            if (!objs.isArray())
                fail(file, where + QLatin1String(".objects"), QStringLiteral("list expected"));
            const QJsonArray a = objs.toArray();
            for (int i = 0; i < a.size(); ++i)
                s.objects.push_back(readObject(a[i], where + QStringLiteral(".objects[%1]").arg(i)));
        }
        return s;
    }
};

} // namespace

ReportColor parseColor(const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    if (text.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
        return NoColor;
    if (text.size() == 7 && text.startsWith(QLatin1Char('#'))) {
        bool good = false;
        const uint rgb = text.mid(1).toUInt(&good, 16);
        if (good) {
            const uint r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
            return ReportColor((b << 16) | (g << 8) | r);
        }
    }
    if (ok)
        *ok = false;
    return NoColor;
}

QString colorText(ReportColor color)
{
    if (color < 0)
        return QStringLiteral("none");
    const uint c = uint(color);
    const uint r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    return QStringLiteral("#%1").arg((r << 16) | (g << 8) | b, 6, 16, QLatin1Char('0')).toUpper();
}

Layout Layout::load(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        fail(fileName, QString(), QStringLiteral("cannot open the layout (%1)").arg(f.errorString()));
    return parse(f.readAll(), fileName);
}

Layout Layout::parse(const QByteArray &json, const QString &fileName)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    if (err.error != QJsonParseError::NoError) {
        const int line = int(json.left(err.offset).count('\n')) + 1;
        fail(fileName, QStringLiteral("line %1").arg(line), err.errorString());
    }
    if (!doc.isObject())
        fail(fileName, QString(), QStringLiteral("a JSON object expected"));

    Reader r{fileName};
    const QJsonObject o = doc.object();
    r.checkKeys(o, QString(), {"name", "title", "page", "parameters", "groups", "sections"});
    Layout l;
    l.fileName = fileName;
    l.name = r.string(o, "name", QString(), true);
    l.title = r.string(o, "title", QString());

    if (o.contains(QLatin1String("page"))) {
        const QJsonObject p = r.object(o.value(QLatin1String("page")), QStringLiteral("page"));
        r.checkKeys(p, QStringLiteral("page"), {"size", "orientation", "margins"});
        l.pageSize = r.choice<QPageSize::PageSizeId>(p, "size", QStringLiteral("page"),
                                                     {{"A4", QPageSize::A4}, {"Letter", QPageSize::Letter},
                                                      {"Legal", QPageSize::Legal}, {"A3", QPageSize::A3}},
                                                     QPageSize::A4);
        l.orientation = r.choice<QPageLayout::Orientation>(
            p, "orientation", QStringLiteral("page"),
            {{"portrait", QPageLayout::Portrait}, {"landscape", QPageLayout::Landscape}}, QPageLayout::Portrait);
        if (p.contains(QLatin1String("margins"))) {
            const QString mw = QStringLiteral("page.margins");
            const QJsonObject m = r.object(p.value(QLatin1String("margins")), mw);
            r.checkKeys(m, mw, {"left", "top", "right", "bottom"});
            l.margins = QMarginsF(r.number(m, "left", mw, 10, false, 0), r.number(m, "top", mw, 10, false, 0),
                                  r.number(m, "right", mw, 10, false, 0), r.number(m, "bottom", mw, 10, false, 0));
        }
    }

    const QJsonValue params = o.value(QLatin1String("parameters"));
    if (!params.isUndefined()) {
        if (!params.isArray())
            fail(fileName, QStringLiteral("parameters"), QStringLiteral("list of names expected"));
        const QJsonArray a = params.toArray();
        for (int i = 0; i < a.size(); ++i) {
            if (!a[i].isString())
                fail(fileName, QStringLiteral("parameters[%1]").arg(i), QStringLiteral("text expected"));
            l.parameters << a[i].toString();
        }
    }

    const QJsonValue sections = o.value(QLatin1String("sections"));
    if (!sections.isArray())
        fail(fileName, QStringLiteral("sections"), QStringLiteral("list of sections expected"));
    const QJsonArray sa = sections.toArray();
    QSet<QString> sectionNames, objectNames;
    for (int i = 0; i < sa.size(); ++i) {
        const QString where = QStringLiteral("sections[%1]").arg(i);
        Section s = r.readSection(sa[i], where);
        if (sectionNames.contains(s.name))
            fail(fileName, where, QStringLiteral("section name '%1' used twice").arg(s.name));
        sectionNames.insert(s.name);
        for (size_t j = 0; j < s.objects.size(); ++j) {
            const LayoutObject &obj = s.objects[j];
            const QString ow = where + QStringLiteral(".objects[%1]").arg(j);
            if (objectNames.contains(obj.name))
                fail(fileName, ow, QStringLiteral("object name '%1' used twice").arg(obj.name));
            objectNames.insert(obj.name);
            if (obj.kind == ObjectKind::Special && obj.special == SpecialField::Parameter
                && obj.parameter > l.parameters.size())
                fail(fileName, ow, QStringLiteral("parameter %1 is not declared").arg(obj.parameter));
        }
        l.sections.push_back(std::move(s));
    }
    if (l.sections.size() > 0xFFFF)
        fail(fileName, QStringLiteral("sections"), QStringLiteral("too many sections"));

    const QJsonValue groups = o.value(QLatin1String("groups"));
    if (!groups.isUndefined()) {
        if (!groups.isArray())
            fail(fileName, QStringLiteral("groups"), QStringLiteral("list expected"));
        const QJsonArray ga = groups.toArray();
        for (int i = 0; i < ga.size(); ++i) {
            const QString where = QStringLiteral("groups[%1]").arg(i);
            const QJsonObject go = r.object(ga[i], where);
            r.checkKeys(go, where, {"field", "header", "footer"});
            Group g;
            g.field = r.string(go, "field", where, true);
            g.header = r.string(go, "header", where);
            g.footer = r.string(go, "footer", where);
            auto resolve = [&](const QString &name, SectionKind kind, const char *key) {
                if (name.isEmpty())
                    return -1;
                const int idx = l.sectionIndex(name);
                if (idx < 0)
                    fail(fileName, where + QLatin1Char('.') + QLatin1String(key),
                         QStringLiteral("no section named '%1'").arg(name));
                Section &s = l.sections[size_t(idx)];
                if (s.kind != kind)
                    fail(fileName, where + QLatin1Char('.') + QLatin1String(key),
                         QStringLiteral("section '%1' is not a %2").arg(name, QLatin1String(
                             kind == SectionKind::GroupHeader ? "groupHeader" : "groupFooter")));
                if (s.group >= 0)
                    fail(fileName, where + QLatin1Char('.') + QLatin1String(key),
                         QStringLiteral("section '%1' already belongs to groups[%2]").arg(name).arg(s.group));
                s.group = i;
                return idx;
            };
            g.headerSection = resolve(g.header, SectionKind::GroupHeader, "header");
            g.footerSection = resolve(g.footer, SectionKind::GroupFooter, "footer");
            l.groups.push_back(g);
        }
    }
    for (size_t i = 0; i < l.sections.size(); ++i) {
        const Section &s = l.sections[i];
        if ((s.kind == SectionKind::GroupHeader || s.kind == SectionKind::GroupFooter) && s.group < 0)
            fail(fileName, QStringLiteral("sections[%1]").arg(i),
                 QStringLiteral("section '%1' belongs to no group").arg(s.name));
    }
    return l;
}

QSizeF Layout::pageSizeMm() const
{
    const QSizeF s = QPageSize(pageSize).size(QPageSize::Millimeter);
    return orientation == QPageLayout::Landscape ? s.transposed() : s;
}

QRectF Layout::bodyRectMm() const
{
    const QSizeF s = pageSizeMm();
    return QRectF(margins.left(), margins.top(), s.width() - margins.left() - margins.right(),
                  s.height() - margins.top() - margins.bottom());
}

QPageLayout Layout::pageLayout() const
{
    return QPageLayout(QPageSize(pageSize), orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

int Layout::sectionIndex(const QString &name) const
{
    for (size_t i = 0; i < sections.size(); ++i) {
        if (sections[i].name == name)
            return int(i);
    }
    return -1;
}

} // namespace orvane
