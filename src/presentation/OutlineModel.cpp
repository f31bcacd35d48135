#include "OutlineModel.h"

#include "PaginationJob.h"
#include "Table.h"

#include <algorithm>

namespace orvane {

namespace {

// `text` as a whole number without a leading zero ("120"), else -1: such a
// text matches a number cell by arithmetic, without spelling every number out.
qint64 plainNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 15 || (text.size() > 1 && text.front() == QLatin1Char('0')))
        return -1;
    qint64 value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

// Whether the decimal digits of `number` start with those of `prefix` (both >= 0).
bool startsWithDigits(qint64 number, qint64 prefix)
{
    while (number > prefix)
        number /= 10;
    return number == prefix;
}

} // namespace

OutlineModel::OutlineModel(QObject *parent) : QAbstractListModel(parent) {}

OutlineModel::~OutlineModel() = default;

void OutlineModel::reset(std::shared_ptr<const ReportContent> content)
{
    beginResetModel();
    m_headers = Document();
    m_headers.content = std::move(content);
    m_entries.clear();
    m_cachedText.clear();
    m_textVerdict.clear();
    endResetModel();
}

void OutlineModel::takeFrom(PaginationJob &job)
{
    std::vector<OutlineEntry> more;
    // The new headers go after the ones held; no view sees them before the rows.
    job.takeOutline(more, m_headers.placements);
    if (more.empty())
        return;
    const int first = int(m_entries.size());
    beginInsertRows(QModelIndex(), first, first + int(more.size()) - 1);
    m_entries.insert(m_entries.end(), more.begin(), more.end());
    endInsertRows();
}

int OutlineModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant OutlineModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const OutlineEntry &e = m_entries[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return outlineText(m_headers, e);
    case Qt::ToolTipRole:
        return tr("%1 (page %2)").arg(outlineText(m_headers, e)).arg(e.page + 1);
    default:
        return QVariant();
    }
}

double OutlineModel::headerTopMm(int row) const
{
    return double(m_headers.placements[size_t(m_entries[size_t(row)].placement)].y);
}

int OutlineModel::rowAt(int page, double yMm) const
{
    // Entries stand in page order, and down the page within a page.
    const auto after = std::upper_bound(m_entries.begin(), m_entries.end(), std::make_pair(page, yMm + 0.01),
                                        [this](const std::pair<int, double> &at, const OutlineEntry &e) {
                                            const double y = double(m_headers.placements[size_t(e.placement)].y);
                                            return at.first < e.page || (at.first == e.page && at.second < y);
                                        });
    return int(after - m_entries.begin()) - 1;
}

int OutlineModel::find(const QString &text, int from) const
{
    const QString wanted = text.trimmed();
    const int rows = rowCount();
    if (wanted.isEmpty() || rows == 0 || !m_headers.content || !m_headers.content->table)
        return -1;
    if (wanted.compare(m_cachedText, Qt::CaseInsensitive) != 0) {
        m_cachedText = wanted;
        m_textVerdict.clear();
    }
    from = std::clamp(from, 0, rows - 1);
    for (bool whole : {true, false}) {
        for (int i = 0; i < rows; ++i) {
            const int row = (from + i) % rows;
            if (matches(row, wanted, whole))
                return row;
        }
    }
    return -1;
}

bool OutlineModel::matches(int row, const QString &text, bool wholeNumber) const
{
    const OutlineEntry &e = m_entries[size_t(row)];
    const Placement &p = m_headers.placements[size_t(e.placement)];
    const Layout &layout = m_headers.layout();
    const Group &group = layout.groups[size_t(e.level)];
    const Table &table = *m_headers.content->table;
    const int tableRow = m_headers.tableRow(p);
    if (tableRow < 0 || group.column < 0)
        return false;

    // The group's own value is its number: the whole of it, or its start.
    // Most texts cannot be the start of a number, and spelling out every
    // number of a long register would cost more than the rest.
    const qint64 digits = plainNumber(text);
    const bool integer = table.cellType(tableRow, group.column) == Table::Type::Integer;
    if (integer && digits >= 0) {
        const qint64 number = qint64(table.number(tableRow, group.column));
        if (number >= 0 && (wholeNumber ? number == digits : startsWithDigits(number, digits)))
            return true;
    } else if (!integer || text.front() == QLatin1Char('-') || text.front().isDigit()) {
        const QString number = table.text(tableRow, group.column);
        if (wholeNumber ? number.compare(text, Qt::CaseInsensitive) == 0
                        : number.startsWith(text, Qt::CaseInsensitive))
            return true;
    }
    if (wholeNumber)
        return false;
    // The other names of the group (its vendor) anywhere in them; a date says nothing here.
    const Section &header = layout.sections[p.section];
    for (int object : group.outlineObjects) {
        const LayoutObject &o = header.objects[size_t(object)];
        if (o.kind != ObjectKind::Field || o.column < 0 || o.column == group.column
            || o.format.type == FieldFormat::Date)
            continue;
        if (textMatches(tableRow, o.column, text))
            return true;
    }
    return false;
}

bool OutlineModel::textMatches(int tableRow, int column, const QString &text) const
{
    const Table &table = *m_headers.content->table;
    const int id = table.textId(tableRow, column);
    if (id < 0) {
        const Table::Type type = table.cellType(tableRow, column);
        return type != Table::Type::Date && type != Table::Type::DateTime
               && table.text(tableRow, column).contains(text, Qt::CaseInsensitive);
    }
    // A vendor stands on thousands of documents: decide once per name.
    if (size_t(id) >= m_textVerdict.size())
        m_textVerdict.resize(size_t(id) + 1, Unknown);
    quint8 &verdict = m_textVerdict[size_t(id)];
    if (verdict == Unknown)
        verdict = table.text(tableRow, column).contains(text, Qt::CaseInsensitive) ? Yes : No;
    return verdict == Yes;
}

} // namespace orvane
