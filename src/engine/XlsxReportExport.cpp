#include "XlsxReportExport.h"

#include "Error.h"
#include "ExportFile.h"
#include "Report.h"
#include "Table.h"
#include "XlsxExport.h"
#include "XlsxWorkbook_p.h"

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

const QString kSource = QStringLiteral("Excel export");
constexpr double kPixelsPerMm = 96 / 25.4;
constexpr double kLineGapMm = 1.5;   // texts closer than this read as one phrase ("Invoice No. 1042")

/// A column of the sheet: one field of the detail band.
struct Column
{
    double left = 0, right = 0;           // mm, the field's box
    const LayoutObject *field = nullptr;
    const LayoutObject *title = nullptr;  // its title in the page header, if any
    int style = 0;                        // its values
};

double overlap(double a0, double a1, double b0, double b1)
{
    return std::min(a1, b1) - std::max(a0, b0);
}

QString numberFormat(const FieldFormat &f)
{
    QString code;
    switch (f.type) {
    case FieldFormat::Money: code = QStringLiteral("#,##0.00"); break;
    case FieldFormat::Number:
        code = f.decimals > 0 ? QStringLiteral("#,##0.") + QString(f.decimals, QLatin1Char('0')) : QStringLiteral("#,##0");
        break;
    case FieldFormat::Integer: code = QStringLiteral("#,##0"); break;
    case FieldFormat::Date: return QStringLiteral("dd/mm/yyyy");
    case FieldFormat::Text: return QString();
    }
    // A third, empty section shows zero as nothing.
    return f.blankWhenZero ? code + QStringLiteral(";-") + code + QLatin1Char(';') : code;
}

bool isTextObject(const LayoutObject &o)
{
    return o.kind == ObjectKind::Text || o.kind == ObjectKind::Field || o.kind == ObjectKind::Summary
           || o.kind == ObjectKind::Special;
}

// The objects of a band that show text, in lines from top to bottom, each line left to right.
std::vector<std::vector<int>> textLines(const Section &section)
{
    std::vector<int> objects;
    for (int i = 0; i < int(section.objects.size()); ++i) {
        if (isTextObject(section.objects[size_t(i)]))
            objects.push_back(i);
    }
    const auto rect = [&](int i) { return section.objects[size_t(i)].rect; };
    std::stable_sort(objects.begin(), objects.end(), [&](int a, int b) { return rect(a).top() < rect(b).top(); });
    std::vector<std::vector<int>> lines;
    double lineTop = 0, lineHeight = 0;
    for (int i : objects) {
        if (lines.empty() || rect(i).top() >= lineTop + std::min(lineHeight, rect(i).height()) / 2) {
            lines.emplace_back();
            lineTop = rect(i).top();
            lineHeight = rect(i).height();
        }
        lines.back().push_back(i);
    }
    for (std::vector<int> &line : lines)
        std::sort(line.begin(), line.end(), [&](int a, int b) { return rect(a).left() < rect(b).left(); });
    return lines;
}

/// Writes the bands of a laid-out document as sheet rows.
class PrintedSheet
{
public:
    PrintedSheet(const Document &doc, XlsxWorkbook &book);
    XlsxSheetSetup setup() const;
    void band(int page, int placementIndex);
    void finishTitles() { titles(); }

private:
    void planColumns();
    void planTitles();
    int style(const LayoutObject &o, const QString &format, bool bold = false, bool rule = false);
    int titleRow() const { return m_headingLines + (m_superTitles.empty() ? 0 : 1); }
    int columnsFrom(const QRectF &r, int *last) const;
    int anchor(const LayoutObject &o) const;
    QString joined(int page, const Placement &p, const std::vector<int> &line) const;

    void headings(int page, const Placement &p);
    void titles();
    void groupHeader(int page, const Placement &p);
    void detail(const Placement &p);
    void footer(int page, const Placement &p);
    void totalsLine(int page, const Placement &p, const std::vector<int> &line);
    QString range(int column, bool wholeReport, int group) const;

    const Document &m_doc;
    const Layout &m_layout;
    XlsxWorkbook &m_book;
    std::vector<Column> m_columns;
    std::vector<std::vector<std::vector<int>>> m_lines;   // per section, textLines()
    std::vector<const LayoutObject *> m_superTitles;      // page header texts over several columns
    int m_headingLines = 0;                               // rows the report header takes
    bool m_titlesDone = false;
    int m_groups = 0;
    std::vector<int> m_groupStart;                        // per group, its first line's row, -1 before it
    int m_firstLine = -1, m_lastLine = -1;                // rows of the first and last detail lines
};

PrintedSheet::PrintedSheet(const Document &doc, XlsxWorkbook &book)
    : m_doc(doc)
    , m_layout(doc.layout())
    , m_book(book)
    , m_groups(int(doc.layout().groups.size()))
    , m_groupStart(size_t(m_groups), -1)
{
    for (const Section &s : m_layout.sections)
        m_lines.push_back(textLines(s));
    for (size_t s = 0; s < m_layout.sections.size(); ++s) {
        const Section &section = m_layout.sections[s];
        if (section.kind == SectionKind::ReportHeader && !section.suppress)
            m_headingLines += int(m_lines[s].size());
    }
    planColumns();
    planTitles();
}

void PrintedSheet::planColumns()
{
    for (const Section &s : m_layout.sections) {
        if (s.kind != SectionKind::Detail || s.suppress)
            continue;
        for (const LayoutObject &o : s.objects) {
            if (o.kind == ObjectKind::Field)
                m_columns.push_back({o.rect.left(), o.rect.right(), &o, nullptr, 0});
        }
    }
    std::stable_sort(m_columns.begin(), m_columns.end(), [](const Column &a, const Column &b) { return a.left < b.left; });
    for (Column &c : m_columns)
        c.style = style(*c.field, numberFormat(c.field->format));
}

// Each column's title is the page header text that lines up with it best;
// a text over several columns is a heading above their titles.
void PrintedSheet::planTitles()
{
    std::vector<const LayoutObject *> texts;
    for (const Section &s : m_layout.sections) {
        if (s.kind != SectionKind::PageHeader || s.suppress)
            continue;
        for (const LayoutObject &o : s.objects) {
            if (o.kind == ObjectKind::Text && !o.text.trimmed().isEmpty())
                texts.push_back(&o);
        }
    }
    for (Column &c : m_columns) {
        double best = 0;
        for (const LayoutObject *t : texts) {
            const double shared = overlap(c.left, c.right, t->rect.left(), t->rect.right());
            const double fit = shared / (std::max(c.right, t->rect.right()) - std::min(c.left, t->rect.left()));
            if (shared > 0 && fit > best) {
                best = fit;
                c.title = t;
            }
        }
    }
    for (const LayoutObject *t : texts) {
        const bool used = std::any_of(m_columns.begin(), m_columns.end(), [t](const Column &c) { return c.title == t; });
        int last = -1;
        if (!used && columnsFrom(t->rect, &last) >= 0)
            m_superTitles.push_back(t);
    }
}

int PrintedSheet::style(const LayoutObject &o, const QString &format, bool bold, bool rule)
{
    XlsxStyle s;
    s.numberFormat = format;
    s.fontFamily = o.font.family;
    s.fontSize = o.font.size;
    s.bold = bold || o.font.bold;
    s.alignment = o.alignment & Qt::AlignHorizontal_Mask;
    s.bottomBorder = rule;
    return m_book.style(s);
}

XlsxSheetSetup PrintedSheet::setup() const
{
    const ReportContent &c = *m_doc.content;
    XlsxSheetSetup setup;
    setup.name = !c.documentTitle.trimmed().isEmpty() ? c.documentTitle
                 : c.title.trimmed() != m_layout.title.trimmed() ? c.title : m_layout.name;
    // As wide as printed: a column reaches to where the next one starts.
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const double mm = i + 1 < m_columns.size() ? m_columns[i + 1].left - m_columns[i].left
                                                   : m_columns[i].right - m_columns[i].left + 1;
        setup.columnWidths.push_back(std::max(1.0, (mm * kPixelsPerMm - 5) / 7));
    }
    setup.frozenRows = titleRow() + 1;
    setup.printTitleFirst = m_headingLines;
    setup.printTitleLast = titleRow();
    setup.outlineLevels = m_groups;
    setup.landscape = m_layout.orientation == QPageLayout::Landscape;
    setup.fitToWidth = true;
    setup.paper = m_layout.pageSize;
    setup.marginsMm = m_layout.margins;
    return setup;
}

// The first column under `r` (-1 when none), and in `last` the last one.
int PrintedSheet::columnsFrom(const QRectF &r, int *last) const
{
    int first = -1;
    for (int i = 0; i < int(m_columns.size()); ++i) {
        if (overlap(m_columns[size_t(i)].left, m_columns[size_t(i)].right, r.left(), r.right()) > 0) {
            if (first < 0)
                first = i;
            *last = i;
        }
    }
    return first;
}

// The column a text stands in: where it starts, ends or centres, as it is aligned.
int PrintedSheet::anchor(const LayoutObject &o) const
{
    int last = -1;
    const int first = columnsFrom(o.rect, &last);
    if (first < 0) {
        int nearest = 0;
        for (int i = 0; i < int(m_columns.size()); ++i) {
            if (m_columns[size_t(i)].left <= o.rect.left())
                nearest = i;
        }
        return nearest;
    }
    if (o.alignment & Qt::AlignRight)
        return last;
    if (o.alignment & Qt::AlignHCenter)
        return (first + last) / 2;
    return first;
}

QString PrintedSheet::joined(int page, const Placement &p, const std::vector<int> &line) const
{
    const Section &section = m_layout.sections[p.section];
    QString text;
    double end = -1e9;
    for (size_t k = 0; k < line.size(); ++k) {
        const int i = line[k];
        const QString part = objectText(m_doc, page, p, i).trimmed();
        const QRectF &r = section.objects[size_t(i)].rect;
        // A label whose value, right beside it, is empty says nothing.
        const bool emptyValueNext = k + 1 < line.size() && section.objects[size_t(i)].kind == ObjectKind::Text
                                    && section.objects[size_t(line[k + 1])].rect.left() - r.right() < kLineGapMm
                                    && objectText(m_doc, page, p, line[k + 1]).trimmed().isEmpty();
        if (part.isEmpty() || emptyValueNext)
            continue;
        if (!text.isEmpty())
            text += r.left() - end < kLineGapMm ? QStringLiteral(" ") : QStringLiteral("  ");
        text += part;
        end = r.right();
    }
    return text;
}

void PrintedSheet::band(int page, int placementIndex)
{
    const Placement &p = m_doc.placements[size_t(placementIndex)];
    const Section &section = m_layout.sections[p.section];
    switch (section.kind) {
    case SectionKind::ReportHeader:
        headings(page, p);
        break;
    case SectionKind::GroupHeader:
        if (!(p.flags & Placement::Continued))
            groupHeader(page, p);
        break;
    case SectionKind::Detail:
        detail(p);
        break;
    case SectionKind::GroupFooter:
    case SectionKind::ReportFooter:
        footer(page, p);
        break;
    case SectionKind::PageHeader:
    case SectionKind::PageFooter:
        break;   // paper only: column titles are written once, page numbers not at all
    }
}

void PrintedSheet::headings(int page, const Placement &p)
{
    const Section &section = m_layout.sections[p.section];
    const int lastColumn = std::max(0, int(m_columns.size()) - 1);
    for (const std::vector<int> &line : m_lines[p.section]) {
        m_book.beginRow();
        if (line.size() == 1) {
            // One text: across the whole width, aligned as printed.
            const LayoutObject &o = section.objects[size_t(line.front())];
            m_book.text(0, objectText(m_doc, page, p, line.front()), style(o, QString()));
            m_book.merge(m_book.row(), 0, lastColumn);
            continue;
        }
        int previous = -1;
        for (int i : line) {
            const LayoutObject &o = section.objects[size_t(i)];
            const int column = std::max(anchor(o), previous + 1);
            m_book.text(column, objectText(m_doc, page, p, i), style(o, QString()));
            previous = column;
        }
    }
}

void PrintedSheet::titles()
{
    if (m_titlesDone)
        return;
    m_titlesDone = true;
    while (m_book.row() + 1 < m_headingLines)
        m_book.beginRow();   // a report header line that was not placed
    if (!m_superTitles.empty()) {
        m_book.beginRow();
        int previous = -1;
        for (const LayoutObject *t : m_superTitles) {
            int last = -1;
            const int first = std::max(columnsFrom(t->rect, &last), previous + 1);
            if (first > last)
                continue;
            m_book.text(first, t->text, style(*t, QString(), true));
            m_book.merge(m_book.row(), first, last);
            previous = last;
        }
    }
    m_book.beginRow();
    for (int i = 0; i < int(m_columns.size()); ++i) {
        const Column &c = m_columns[size_t(i)];
        if (c.title)
            m_book.text(i, c.title->text, style(*c.title, QString(), true, true));
        else
            m_book.text(i, c.field->field, style(*c.field, QString(), true, true));
    }
}

void PrintedSheet::groupHeader(int page, const Placement &p)
{
    titles();
    const Section &section = m_layout.sections[p.section];
    for (int g = section.group; g < m_groups; ++g)
        m_groupStart[size_t(g)] = -1;
    for (const std::vector<int> &line : m_lines[p.section]) {
        const QString text = joined(page, p, line);
        if (text.isEmpty())
            continue;
        m_book.beginRow(section.group);
        m_book.text(0, text, style(section.objects[size_t(line.front())], QString()));
    }
}

void PrintedSheet::detail(const Placement &p)
{
    titles();
    m_book.beginRow(m_groups);
    const int row = m_book.row();
    for (int &start : m_groupStart) {
        if (start < 0)
            start = row;
    }
    if (m_firstLine < 0)
        m_firstLine = row;
    m_lastLine = row;

    const Table &table = *m_doc.content->table;
    const int tableRow = m_doc.tableRow(p);
    for (int i = 0; i < int(m_columns.size()); ++i) {
        const Column &c = m_columns[size_t(i)];
        const int column = c.field->column;
        if (column < 0 || table.isNull(tableRow, column))
            continue;
        const Table::Type type = table.columnType(column);
        switch (c.field->format.type) {
        case FieldFormat::Text:
            // A number shown as text (a document number) stays a number in the sheet.
            if (type == Table::Type::Integer || type == Table::Type::Real)
                m_book.number(i, table.number(tableRow, column), c.style);
            else
                m_book.text(i, table.text(tableRow, column), c.style);
            break;
        case FieldFormat::Date:
            if (table.date(tableRow, column).isValid())
                m_book.number(i, xlsxSerialDay(table.date(tableRow, column)), c.style);
            break;
        default:
            m_book.number(i, table.number(tableRow, column), c.style);
            break;
        }
    }
}

void PrintedSheet::footer(int page, const Placement &p)
{
    titles();
    const Section &section = m_layout.sections[p.section];
    for (const std::vector<int> &line : m_lines[p.section]) {
        const bool totals = std::any_of(line.begin(), line.end(), [&](int i) {
            return section.objects[size_t(i)].kind == ObjectKind::Summary;
        });
        const bool values = std::any_of(line.begin(), line.end(), [&](int i) {
            return section.objects[size_t(i)].kind != ObjectKind::Text;
        });
        if (totals) {
            totalsLine(page, p, line);
        } else if (values) {
            // Figures of the group that are not totals (its expenses, say), as printed.
            m_book.beginRow(std::max(0, section.group));
            m_book.text(0, joined(page, p, line), style(section.objects[size_t(line.front())], QString()));
        }
        // A line of labels alone (signatures, "End of Report") is for paper.
    }
    if (section.group >= 0) {
        for (int g = section.group; g < m_groups; ++g)
            m_groupStart[size_t(g)] = -1;
    }
}

// Totals under their columns, as formulas over the lines they add up.
void PrintedSheet::totalsLine(int page, const Placement &p, const std::vector<int> &line)
{
    const Section &section = m_layout.sections[p.section];
    m_book.beginRow(std::max(0, section.group));
    std::vector<std::pair<int, int>> cells;   // column, object
    for (int i : line) {
        const LayoutObject &o = section.objects[size_t(i)];
        int column = anchor(o);
        if (o.kind == ObjectKind::Summary) {
            for (int c = 0; c < int(m_columns.size()); ++c) {
                if (m_columns[size_t(c)].field->field.compare(o.field, Qt::CaseInsensitive) == 0)
                    column = c;
            }
        }
        cells.push_back({column, i});
    }
    std::stable_sort(cells.begin(), cells.end());
    int previous = -1;
    for (const auto &cell : cells) {
        const int column = std::max(cell.first, previous + 1);
        previous = column;
        const LayoutObject &o = section.objects[size_t(cell.second)];
        if (o.kind != ObjectKind::Summary) {
            m_book.text(column, objectText(m_doc, page, p, cell.second), style(o, QString()));
            continue;
        }
        const double total = m_doc.summaryValue(p, cell.second);
        const int st = style(o, numberFormat(o.format));
        const bool wholeReport = o.scope == LayoutObject::Scope::Report || section.group < 0;
        const QString lines = range(column, wholeReport, section.group);
        if (lines.isEmpty() || m_columns[size_t(column)].field->field.compare(o.field, Qt::CaseInsensitive) != 0) {
            m_book.number(column, total, st);   // no column of its lines to add up
            continue;
        }
        const int function = o.function == LayoutObject::Function::Count ? 3 : 9;
        m_book.formula(column, QStringLiteral("SUBTOTAL(%1,%2)").arg(function).arg(lines), total, st);
    }
}

// The cells of `column` on the lines of the group (or of the report so far), "F5:F9".
QString PrintedSheet::range(int column, bool wholeReport, int group) const
{
    const int first = wholeReport ? m_firstLine : m_groupStart[size_t(group)];
    if (first < 0 || m_lastLine < first)
        return QString();
    const QString name = QString::fromLatin1(XlsxWorkbook::columnName(column));
    return name + QString::number(first + 1) + QLatin1Char(':') + name + QString::number(m_lastLine + 1);
}

} // namespace

bool exportXlsxReport(const Document &document, const QString &fileName, const ExportProgress &progress)
{
    if (!document.content || !document.content->table)
        throw Error(QStringLiteral("The report has no rows to export."), kSource);
    ExportFile file(fileName, kSource);
    XlsxWorkbook book(file);
    PrintedSheet sheet(document, book);
    book.beginSheet(sheet.setup());
    const int total = document.pageCount();
    for (int page = 0; page < total; ++page) {
        const PageEntry &entry = document.pages[size_t(page)];
        for (int i = entry.first; i < entry.first + entry.count; ++i)
            sheet.band(page, i);
        if (progress && !progress(page + 1, total))
            return false;   // the file beside the target goes with `file`
    }
    sheet.finishTitles();
    book.finish();
    file.commit();
    return true;
}

bool exportXlsxReport(const Report &report, const QString &fileName, const ExportProgress &progress)
{
    if (!report.rows())
        throw Error(QStringLiteral("The report has no rows to export."), kSource);
    return exportXlsxReport(report.paginate(), fileName, progress);
}

} // namespace orvane
