#include "Report.h"

#include "Document.h"
#include "Error.h"
#include "Layout.h"
#include "Paginator.h"
#include "Printing.h"
#include "Recordset.h"
#include "Table.h"

#include <numeric>

namespace orvane {

namespace {

const QString kSource = QStringLiteral("Report engine");

class ObjectHandle final : public ReportObject
{
public:
    ObjectHandle(Layout *layout, int section, int object) : m_layout(layout), m_section(section), m_object(object) {}

    QString Name() const override { return obj().name; }
    Kind kind() const override { return Kind(int(obj().kind)); }

    void SetText(const QString &text) override
    {
        if (obj().kind != ObjectKind::Text)
            throw Error(QStringLiteral("The report object '%1' is not a text object; its text cannot be set.").arg(obj().name),
                        kSource);
        obj().text = text;
    }

    ReportColor BackColor() const override { return obj().backColor; }
    void setBackColor(ReportColor color) override { obj().backColor = color < 0 ? NoColor : (color & 0xFFFFFF); }
    ReportColor FillColor() const override { return obj().fillColor; }
    void setFillColor(ReportColor color) override { obj().fillColor = color < 0 ? NoColor : (color & 0xFFFFFF); }

private:
    LayoutObject &obj() const { return m_layout->sections[size_t(m_section)].objects[size_t(m_object)]; }
    Layout *m_layout;
    int m_section;
    int m_object;
};

class SectionHandle final : public ReportSection
{
public:
    SectionHandle(Layout *layout, int section) : m_layout(layout), m_section(section) {}

    QString Name() const override { return m_layout->sections[size_t(m_section)].name; }
    std::vector<ReportObject *> ReportObjects() const override
    {
        std::vector<ReportObject *> out;
        for (const auto &o : m_objects)
            out.push_back(o.get());
        return out;
    }
    std::vector<std::unique_ptr<ObjectHandle>> m_objects;

private:
    Layout *m_layout;
    int m_section;
};

} // namespace

struct Report::Private
{
    Layout layout;
    std::shared_ptr<const Table> table;
    std::vector<int> order;
    QString title;
    QString documentTitle;
    QDate from;
    QDate to;
    std::vector<ParameterField> parameters;
    QString printer;
    int orientation = Report::crDefaultPaperOrientation;
    std::unique_ptr<ReportDatabase> database;
    std::vector<std::unique_ptr<SectionHandle>> sections;
};

void ReportDatabase::SetDataSource(const Recordset &recordset, int dataTag, int tableNumber)
{
    Q_UNUSED(dataTag)   // 3 names a recordset in the caller's terms; every tag is taken the same way
    if (tableNumber != 0 && tableNumber != 1)
        throw Error(QStringLiteral("The report has one table; table %1 does not exist.").arg(tableNumber), kSource);
    std::shared_ptr<const Table> table = recordset.table();
    if (!table)
        throw Error(QStringLiteral("The recordset is closed; the report has no rows to show."), kSource);
    std::vector<int> order(size_t(recordset.RecordCount()));
    for (int i = 0; i < int(order.size()); ++i)
        order[size_t(i)] = recordset.tableRow(i);
    m_report->setRows(std::move(table), std::move(order));
}

void ParameterField::AddCurrentValue(const QString &value)
{
    m_value = value;
}

Report::Report(const QString &layoutFile) : d(std::make_unique<Private>())
{
    d->layout = Layout::load(layoutFile);
    d->title = d->layout.title;
    d->parameters.resize(size_t(d->layout.parameters.size()));
    d->database.reset(new ReportDatabase(this));
    for (int s = 0; s < int(d->layout.sections.size()); ++s) {
        auto section = std::make_unique<SectionHandle>(&d->layout, s);
        for (int o = 0; o < int(d->layout.sections[size_t(s)].objects.size()); ++o)
            section->m_objects.push_back(std::make_unique<ObjectHandle>(&d->layout, s, o));
        d->sections.push_back(std::move(section));
    }
}

Report::~Report() = default;

ReportDatabase &Report::Database()
{
    return *d->database;
}

ReportObject &Report::object(const QString &name)
{
    for (const auto &s : d->sections) {
        for (const auto &o : s->m_objects) {
            if (o->Name() == name)
                return *o;
        }
    }
    throw Error(QStringLiteral("The report %1 has no object named '%2'.").arg(d->layout.name, name), kSource);
}

QString Report::ReportTitle() const
{
    return d->title;
}

void Report::setReportTitle(const QString &title)
{
    d->title = title;
}

QString Report::documentTitle() const
{
    return d->documentTitle;
}

void Report::setDocumentTitle(const QString &title)
{
    d->documentTitle = title;
}

QString Report::documentName() const
{
    // The stored design-time title of most layouts names some other report:
    // only a title given at run time speaks for this one.
    const QString caption = d->documentTitle.trimmed();
    if (!caption.isEmpty())
        return caption;
    const QString title = d->title.trimmed();
    if (!title.isEmpty() && title != d->layout.title.trimmed())
        return title;
    return d->layout.name;
}

QDate Report::fromDate() const
{
    return d->from;
}

QDate Report::toDate() const
{
    return d->to;
}

void Report::setDateRange(const QDate &from, const QDate &to)
{
    d->from = from;
    d->to = to;
}

ParameterField &Report::ParameterFields(int position)
{
    if (position < 1 || position > int(d->parameters.size()))
        throw Error(QStringLiteral("The report %1 has no parameter %2 (it has %3).")
                        .arg(d->layout.name)
                        .arg(position)
                        .arg(d->parameters.size()),
                    kSource);
    return d->parameters[size_t(position - 1)];
}

int Report::parameterCount() const
{
    return int(d->parameters.size());
}

void Report::SelectPrinter(const QString &driver, const QString &printer, const QString &port)
{
    Q_UNUSED(driver)
    Q_UNUSED(port)
    // A fixed printer name that this machine lacks means "the default printer".
    d->printer = isPrinterInstalled(printer) ? printer : QString();
}

QString Report::printerName() const
{
    return d->printer;
}

int Report::PaperOrientation() const
{
    return d->orientation;
}

void Report::setPaperOrientation(int orientation)
{
    if (orientation < crDefaultPaperOrientation || orientation > crLandscape)
        throw Error(QStringLiteral("Paper orientation %1 is not valid (1 portrait, 2 landscape).").arg(orientation), kSource);
    d->orientation = orientation;
}

std::vector<ReportSection *> Report::Sections() const
{
    std::vector<ReportSection *> out;
    for (const auto &s : d->sections)
        out.push_back(s.get());
    return out;
}

void Report::RemoveObjectColors()
{
    for (ReportSection *section : Sections()) {
        for (ReportObject *object : section->ReportObjects()) {
            if (object->Name().toUpper().startsWith(QLatin1String("NO")))
                continue;
            switch (object->kind()) {
            case ReportObject::Kind::Text:
            case ReportObject::Kind::Field:
            case ReportObject::Kind::Summary:   // summaries and special fields are
            case ReportObject::Kind::Special:   // field objects of the engine too
                object->setBackColor(-1);
                break;
            case ReportObject::Kind::Box:
                object->setFillColor(16777215);
                break;
            case ReportObject::Kind::Line:
            case ReportObject::Kind::Picture:
                break;
            }
        }
    }
}

void Report::PrintOut(bool promptUser)
{
    const Document doc = paginate();
    PrintJob job;
    job.printerName = d->printer;
    job.prompt = promptUser;
    job.documentName = documentName();
    print(doc, job);
}

const Layout &Report::layout() const
{
    return d->layout;
}

std::shared_ptr<const Table> Report::rows() const
{
    return d->table;
}

std::vector<int> Report::rowOrder() const
{
    return d->order;
}

void Report::setRows(std::shared_ptr<const Table> table, std::vector<int> order)
{
    if (table && order.empty()) {
        order.resize(size_t(table->rowCount()));
        std::iota(order.begin(), order.end(), 0);
    }
    // Check the columns now, so a query that lacks one fails where it is bound.
    ReportContent check;
    check.layout.fileName = d->layout.fileName;
    check.layout.sections = d->layout.sections;
    check.layout.groups = d->layout.groups;
    check.table = table;
    check.bindColumns();

    d->table = std::move(table);
    d->order = std::move(order);
}

std::shared_ptr<const ReportContent> Report::content() const
{
    auto c = std::make_shared<ReportContent>();
    c->layout = d->layout;
    if (d->orientation == crLandscape)
        c->layout.orientation = QPageLayout::Landscape;
    else if (d->orientation == crPortrait)
        c->layout.orientation = QPageLayout::Portrait;
    c->table = d->table;
    c->order = d->order;
    c->title = d->title;
    c->documentTitle = documentName();
    for (const ParameterField &p : d->parameters)
        c->parameters << p.currentValue();
    c->bindColumns();
    return c;
}

Document Report::paginate() const
{
    return Paginator(content()).paginate();
}

} // namespace orvane
