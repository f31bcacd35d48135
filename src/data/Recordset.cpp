#include "Recordset.h"

#include "Connection.h"
#include "Criteria.h"
#include "Error.h"

namespace orvane {

namespace {

const QString layerSource = QStringLiteral("Orvane data");

[[noreturn]] void fail(const QString &text)
{
    throw Error(text, layerSource);
}

} // namespace

struct Recordset::Private
{
    std::shared_ptr<const Table> table;
    bool open = false;
    bool filtered = false;
    std::vector<int> visible;   // Table rows that pass the filter, when filtered
    int position = -1;          // -1: BOF; count(): EOF
    QString source;
    QString filter;
    int cursorType = adOpenStatic;
    int lockType = adLockReadOnly;

    int count() const { return filtered ? int(visible.size()) : table->rowCount(); }
    int row(int index) const { return filtered ? visible[size_t(index)] : index; }
    bool onRow() const { return position >= 0 && position < count(); }

    void requireOpen(const char *operation) const
    {
        if (!open)
            fail(QStringLiteral("The recordset is closed: %1 needs an open recordset.").arg(QLatin1String(operation)));
    }

    int column(const QString &name) const
    {
        const int c = table->columnIndex(name);
        if (c < 0)
            fail(QStringLiteral("The result has no column named \"%1\".").arg(name));
        return c;
    }
};

Recordset::Recordset() : d(std::make_unique<Private>()) {}
Recordset::~Recordset() = default;

void Recordset::Open(const QString &source, const std::shared_ptr<Connection> &connection, int cursorType,
                     int lockType, int options)
{
    Q_UNUSED(options);
    if (d->open)
        fail(QStringLiteral("The recordset is already open: close it before opening it again."));
    std::shared_ptr<const Table> table = Connection::require(connection)->readTable(source);
    openTable(std::move(table), source);
    d->cursorType = cursorType;
    d->lockType = lockType;
}

void Recordset::openTable(std::shared_ptr<const Table> table, const QString &source)
{
    if (d->open)
        fail(QStringLiteral("The recordset is already open: close it before opening it again."));
    if (!table)
        fail(QStringLiteral("No rows were given to open the recordset with."));
    d->table = std::move(table);
    d->open = true;
    d->filtered = false;
    d->visible.clear();
    d->filter.clear();
    d->source = source;
    d->cursorType = adOpenStatic;
    d->lockType = adLockReadOnly;
    d->position = d->count() > 0 ? 0 : -1;
}

int Recordset::State() const
{
    return d->open ? adStateOpen : adStateClosed;
}

void Recordset::Close()
{
    // Closing a closed recordset is harmless: the windows close before every reopen.
    d->open = false;
    d->table.reset();
    d->visible.clear();
    d->filtered = false;
    d->filter.clear();
    d->position = -1;
}

bool Recordset::isBOF() const
{
    d->requireOpen("BOF");
    return d->count() == 0 || d->position < 0;
}

bool Recordset::isEOF() const
{
    d->requireOpen("EOF");
    return d->count() == 0 || d->position >= d->count();
}

int Recordset::RecordCount() const
{
    d->requireOpen("RecordCount");
    return d->count();
}

QVariant Recordset::Fields(const QString &name) const
{
    d->requireOpen("reading a field");
    const int column = d->column(name);
    if (!d->onRow())
        fail(QStringLiteral("There is no current row to read \"%1\" from: the recordset is at its beginning or "
                            "end, or no row is left.")
                 .arg(name));
    return d->table->value(d->row(d->position), column);
}

void Recordset::MoveFirst()
{
    d->requireOpen("MoveFirst");
    d->position = d->count() > 0 ? 0 : -1;
}

void Recordset::MoveLast()
{
    d->requireOpen("MoveLast");
    d->position = d->count() - 1;
}

void Recordset::MoveNext()
{
    d->requireOpen("MoveNext");
    if (d->count() == 0 || d->position >= d->count())
        fail(QStringLiteral("Cannot move to the next row: the recordset is already past its last row."));
    ++d->position;
}

void Recordset::MovePrevious()
{
    d->requireOpen("MovePrevious");
    if (d->count() == 0 || d->position < 0)
        fail(QStringLiteral("Cannot move to the previous row: the recordset is already before its first row."));
    --d->position;
}

int Recordset::AbsolutePosition() const
{
    d->requireOpen("AbsolutePosition");
    return d->onRow() ? d->position : -1;
}

void Recordset::setAbsolutePosition(int position)
{
    d->requireOpen("AbsolutePosition");
    if (position < 0 || position >= d->count())
        fail(QStringLiteral("Row %1 does not exist: the recordset has %2 rows.").arg(position).arg(d->count()));
    d->position = position;
}

void Recordset::setFilter(const QString &criteria)
{
    d->requireOpen("Filter");
    if (criteria.trimmed().isEmpty()) {
        d->filtered = false;
        d->visible.clear();
        d->filter.clear();
    } else {
        // Parse first, so that a malformed criteria leaves the rows as they were.
        const Criteria match(criteria, *d->table);
        std::vector<int> visible;
        for (int r = 0; r < d->table->rowCount(); ++r) {
            if (match.matches(*d->table, r))
                visible.push_back(r);
        }
        d->visible = std::move(visible);
        d->filtered = true;
        d->filter = criteria;
    }
    d->position = d->count() > 0 ? 0 : -1;
}

QString Recordset::Filter() const
{
    return d->filter;
}

void Recordset::Find(const QString &criteria, int skipRecords, int searchDirection, int start)
{
    d->requireOpen("Find");
    const Criteria match(criteria, *d->table);
    const int count = d->count();
    const int step = searchDirection == adSearchBackward ? -1 : 1;
    int from;
    switch (start) {
    case adBookmarkFirst: from = 0; break;
    case adBookmarkLast: from = count - 1; break;
    case adBookmarkCurrent:
        if (!d->onRow())
            fail(QStringLiteral("Find from the current row needs a current row: the recordset is at its "
                                "beginning or end."));
        from = d->position;
        break;
    default: fail(QStringLiteral("Find cannot start from %1: use the current, first or last row.").arg(start));
    }
    if (skipRecords < 0)
        fail(QStringLiteral("Find cannot skip a negative number of rows (%1).").arg(skipRecords));
    for (int i = from + step * skipRecords; i >= 0 && i < count; i += step) {
        if (match.matches(*d->table, d->row(i))) {
            d->position = i;
            return;
        }
    }
    d->position = step > 0 ? count : -1;
}

QString Recordset::Source() const
{
    return d->source;
}

int Recordset::fieldCount() const
{
    return d->open ? d->table->columnCount() : 0;
}

QString Recordset::fieldName(int column) const
{
    d->requireOpen("fieldName");
    if (column < 0 || column >= d->table->columnCount())
        fail(QStringLiteral("Column %1 does not exist: the result has %2 columns.")
                 .arg(column)
                 .arg(d->table->columnCount()));
    return d->table->columnName(column);
}

int Recordset::fieldIndex(const QString &name) const
{
    return d->open ? d->table->columnIndex(name) : -1;
}

QVariant Recordset::value(int row, int column) const
{
    d->requireOpen("value");
    if (row < 0 || row >= d->count() || column < 0 || column >= d->table->columnCount())
        fail(QStringLiteral("Row %1, column %2 is outside the result (%3 rows, %4 columns).")
                 .arg(row)
                 .arg(column)
                 .arg(d->count())
                 .arg(d->table->columnCount()));
    return d->table->value(d->row(row), column);
}

std::shared_ptr<const Table> Recordset::table() const
{
    return d->table;
}

int Recordset::tableRow(int row) const
{
    d->requireOpen("tableRow");
    if (row < 0 || row >= d->count())
        fail(QStringLiteral("Row %1 does not exist: the recordset has %2 rows.").arg(row).arg(d->count()));
    return d->row(row);
}

} // namespace orvane
