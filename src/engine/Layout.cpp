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

    QRectF readRect(const QJsonObject &o, const QString &where) const
    {
        const QJsonValue r = o.value(QLatin1String("rect"));
        const QJsonArray ra = r.toArray();
        if (!r.isArray() || ra.size() != 4)
            fail(file, where + QLatin1String(".rect"), QStringLiteral("[x, y, width, height] in mm expected"));
        for (const QJsonValue &c : ra) {
            if (!c.isDouble())
                fail(file, where + QLatin1String(".rect"), QStringLiteral("[x, y, width, height] in mm expected"));
        }
        const QRectF rect(ra[0].toDouble(), ra[1].toDouble(), ra[2].toDouble(), ra[3].toDouble());
        if (rect.width() < 0 || rect.height() < 0)
            fail(file, where + QLatin1String(".rect"), QStringLiteral("negative width or height"));
        return rect;
    }

    // What only some kinds of object carry: a field, a summary's function, a special's meaning, a picture.
    void readKindKeys(const QJsonObject &o, const QString &where, LayoutObject &obj) const
    {
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
    }

    void readFont(const QJsonObject &o, const QString &where, FontSpec &font) const
    {
        if (!o.contains(QLatin1String("font")))
            return;
        const QString fw = where + QLatin1String(".font");
        const QJsonObject f = object(o.value(QLatin1String("font")), fw);
        checkKeys(f, fw, {"family", "size", "bold", "italic"});
        font.family = string(f, "family", fw, false, font.family);
        font.size = number(f, "size", fw, font.size);
        if (font.size < 1 || font.size > 200)
            fail(file, fw + QLatin1String(".size"), QStringLiteral("size %1 is not between 1 and 200 points").arg(font.size));
        font.bold = boolean(f, "bold", fw, false);
        font.italic = boolean(f, "italic", fw, false);
    }

    void readBorder(const QJsonObject &o, const QString &where, Border &border) const
    {
        if (!o.contains(QLatin1String("border")))
            return;
        const QString bw = where + QLatin1String(".border");
        const QJsonObject b = object(o.value(QLatin1String("border")), bw);
        checkKeys(b, bw, {"sides", "width", "color"});
        const QString sides = string(b, "sides", bw, false, QStringLiteral("LTRB"));
        for (QChar c : sides) {
            switch (c.toUpper().unicode()) {
            case 'L': border.left = true; break;
            case 'T': border.top = true; break;
            case 'R': border.right = true; break;
            case 'B': border.bottom = true; break;
            default: fail(file, bw + QLatin1String(".sides"), QStringLiteral("unknown side '%1'").arg(c));
            }
        }
        border.width = number(b, "width", bw, border.width, false, 0);
        border.color = color(b, "color", bw, 0);
    }

    LayoutObject readObject(const QJsonValue &value, const QString &where) const
    {
        const QJsonObject o = object(value, where);
        checkKeys(o, where,
                  {"name", "kind", "rect", "text", "field", "format", "decimals", "blankWhenZero", "function", "scope",
                   "special", "position", "source", "font", "align", "valign", "border", "foreColor", "backColor",
                   "fillColor", "lineWidth", "elide", "canGrow", "link"});
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
        obj.rect = readRect(o, where);
        obj.text = string(o, "text", where);
        readKindKeys(o, where, obj);
        readFont(o, where, obj.font);
        const Qt::Alignment h = choice<Qt::Alignment>(
            o, "align", where, {{"left", Qt::AlignLeft}, {"center", Qt::AlignHCenter}, {"right", Qt::AlignRight}},
            Qt::AlignLeft);
        const Qt::Alignment v = choice<Qt::Alignment>(
            o, "valign", where, {{"top", Qt::AlignTop}, {"center", Qt::AlignVCenter}, {"bottom", Qt::AlignBottom}},
            Qt::AlignVCenter);
        obj.alignment = h | v;
        readBorder(o, where, obj.border);
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
        readLink(o, where, obj);
        return obj;
    }

    void readLink(const QJsonObject &o, const QString &where, LayoutObject &obj) const
    {
        if (!o.contains(QLatin1String("link")))
            return;
        const QString lw = where + QLatin1String(".link");
        if (obj.kind != ObjectKind::Field)
            fail(file, lw, QStringLiteral("only a field can be a link"));
        const QJsonObject l = object(o.value(QLatin1String("link")), lw);
        checkKeys(l, lw, {"target", "field"});
        obj.link.target = string(l, "target", lw, true);
        if (obj.link.target.isEmpty())
            fail(file, lw + QLatin1String(".target"), QStringLiteral("empty target"));
        obj.link.field = string(l, "field", lw, false, obj.field);
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

    void readPage(const QJsonObject &o, Layout &l) const
    {
        if (!o.contains(QLatin1String("page")))
            return;
        const QJsonObject p = object(o.value(QLatin1String("page")), QStringLiteral("page"));
        checkKeys(p, QStringLiteral("page"), {"size", "orientation", "margins"});
        l.pageSize = choice<QPageSize::PageSizeId>(p, "size", QStringLiteral("page"),
                                                   {{"A4", QPageSize::A4}, {"Letter", QPageSize::Letter},
                                                    {"Legal", QPageSize::Legal}, {"A3", QPageSize::A3}},
                                                   QPageSize::A4);
        l.orientation = choice<QPageLayout::Orientation>(
            p, "orientation", QStringLiteral("page"),
            {{"portrait", QPageLayout::Portrait}, {"landscape", QPageLayout::Landscape}}, QPageLayout::Portrait);
        if (p.contains(QLatin1String("margins"))) {
            const QString mw = QStringLiteral("page.margins");
            const QJsonObject m = object(p.value(QLatin1String("margins")), mw);
            checkKeys(m, mw, {"left", "top", "right", "bottom"});
            l.margins = QMarginsF(number(m, "left", mw, 10, false, 0), number(m, "top", mw, 10, false, 0),
                                  number(m, "right", mw, 10, false, 0), number(m, "bottom", mw, 10, false, 0));
        }
    }

    // A list of texts under `key` ("" entries allowed); empty when absent.
    QStringList texts(const QJsonObject &o, const char *key, const QString &where) const
    {
        QStringList list;
        const QJsonValue value = o.value(QLatin1String(key));
        if (value.isUndefined())
            return list;
        const QString at = where.isEmpty() ? QLatin1String(key) : where + QLatin1Char('.') + QLatin1String(key);
        if (!value.isArray())
            fail(file, at, QStringLiteral("list of names expected"));
        const QJsonArray a = value.toArray();
        for (int i = 0; i < a.size(); ++i) {
            if (!a[i].isString())
                fail(file, at + QStringLiteral("[%1]").arg(i), QStringLiteral("text expected"));
            list << a[i].toString();
        }
        return list;
    }

    void readParameters(const QJsonObject &o, Layout &l) const { l.parameters = texts(o, "parameters", QString()); }

    void readSections(const QJsonObject &o, Layout &l) const
    {
        const QJsonValue sections = o.value(QLatin1String("sections"));
        if (!sections.isArray())
            fail(file, QStringLiteral("sections"), QStringLiteral("list of sections expected"));
        const QJsonArray sa = sections.toArray();
        QSet<QString> sectionNames, objectNames;
        for (int i = 0; i < sa.size(); ++i) {
            const QString where = QStringLiteral("sections[%1]").arg(i);
            Section s = readSection(sa[i], where);
            if (sectionNames.contains(s.name))
                fail(file, where, QStringLiteral("section name '%1' used twice").arg(s.name));
            sectionNames.insert(s.name);
            for (size_t j = 0; j < s.objects.size(); ++j) {
                const LayoutObject &obj = s.objects[j];
                const QString ow = where + QStringLiteral(".objects[%1]").arg(j);
                if (objectNames.contains(obj.name))
                    fail(file, ow, QStringLiteral("object name '%1' used twice").arg(obj.name));
                objectNames.insert(obj.name);
                if (obj.kind == ObjectKind::Special && obj.special == SpecialField::Parameter
                    && obj.parameter > l.parameters.size())
                    fail(file, ow, QStringLiteral("parameter %1 is not declared").arg(obj.parameter));
            }
            l.sections.push_back(std::move(s));
        }
        if (l.sections.size() > 0xFFFF)
            fail(file, QStringLiteral("sections"), QStringLiteral("too many sections"));
    }

    // The section called `name` of kind `kind`, made to belong to group `group`; -1 for no name.
    int groupSection(Layout &l, int group, const QString &name, SectionKind kind, const QString &at) const
    {
        if (name.isEmpty())
            return -1;
        const int idx = l.sectionIndex(name);
        if (idx < 0)
            fail(file, at, QStringLiteral("no section named '%1'").arg(name));
        Section &s = l.sections[size_t(idx)];
        if (s.kind != kind)
            fail(file, at, QStringLiteral("section '%1' is not a %2")
                               .arg(name, QLatin1String(kind == SectionKind::GroupHeader ? "groupHeader" : "groupFooter")));
        if (s.group >= 0)
            fail(file, at, QStringLiteral("section '%1' already belongs to groups[%2]").arg(name).arg(s.group));
        s.group = group;
        return idx;
    }

    void readGroups(const QJsonObject &o, Layout &l) const
    {
        const QJsonValue groups = o.value(QLatin1String("groups"));
        if (groups.isUndefined())
            return;
        if (!groups.isArray())
            fail(file, QStringLiteral("groups"), QStringLiteral("list expected"));
        const QJsonArray ga = groups.toArray();
        for (int i = 0; i < ga.size(); ++i) {
            const QString where = QStringLiteral("groups[%1]").arg(i);
            const QJsonObject go = object(ga[i], where);
            checkKeys(go, where, {"field", "header", "footer", "outline"});
            Group g;
            g.field = string(go, "field", where, true);
            g.header = string(go, "header", where);
            g.footer = string(go, "footer", where);
            g.headerSection = groupSection(l, i, g.header, SectionKind::GroupHeader, where + QLatin1String(".header"));
            g.footerSection = groupSection(l, i, g.footer, SectionKind::GroupFooter, where + QLatin1String(".footer"));
            g.outline = texts(go, "outline", where);
            for (int k = 0; k < g.outline.size(); ++k) {
                const std::vector<LayoutObject> *objects =
                    g.headerSection >= 0 ? &l.sections[size_t(g.headerSection)].objects : nullptr;
                int found = -1;
                for (size_t j = 0; objects && j < objects->size() && found < 0; ++j) {
                    if ((*objects)[j].name == g.outline.at(k))
                        found = int(j);
                }
                if (found < 0)
                    fail(file, where + QStringLiteral(".outline[%1]").arg(k),
                         QStringLiteral("the group's header has no object named '%1'").arg(g.outline.at(k)));
                g.outlineObjects.push_back(found);
            }
            l.groups.push_back(g);
        }
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
    r.readPage(o, l);
    r.readParameters(o, l);
    r.readSections(o, l);
    r.readGroups(o, l);
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
