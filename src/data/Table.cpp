#include "Table.h"

#include <QDateTime>
#include <QHash>
#include <QTime>

#include <cstring>

namespace orvane {

namespace {

using Type = Table::Type;

constexpr qint64 msPerDay = 86400000;

quint64 fromDouble(double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

double toDouble(quint64 bits)
{
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Date-times are kept without a time zone, as the database holds them.
quint64 fromDateTime(const QDate &day, const QTime &time)
{
    return quint64(day.toJulianDay() * msPerDay + time.msecsSinceStartOfDay());
}

QDateTime toDateTime(quint64 v)
{
    const qint64 ms = qint64(v);
    return QDateTime(QDate::fromJulianDay(ms / msPerDay), QTime::fromMSecsSinceStartOfDay(int(ms % msPerDay)));
}

bool digits(QStringView s, qsizetype from, qsizetype count)
{
    for (qsizetype i = from; i < from + count; ++i) {
        if (!s.at(i).isDigit() || s.at(i).unicode() > '9')
            return false;
    }
    return true;
}

int number(QStringView s, qsizetype from, qsizetype count)
{
    int n = 0;
    for (qsizetype i = from; i < from + count; ++i)
        n = n * 10 + (s.at(i).unicode() - '0');
    return n;
}

// SQLite keeps dates as ISO text: "yyyy-MM-dd", optionally followed by
// " HH:mm:ss" or "THH:mm:ss" and milliseconds. Anything else is plain text.
bool parseIsoDate(QStringView s, QDate &day, QTime &time)
{
    if (s.size() < 10 || !digits(s, 0, 4) || s.at(4) != QLatin1Char('-') || !digits(s, 5, 2)
        || s.at(7) != QLatin1Char('-') || !digits(s, 8, 2))
        return false;
    day = QDate(number(s, 0, 4), number(s, 5, 2), number(s, 8, 2));
    if (!day.isValid())
        return false;
    time = QTime(0, 0);
    if (s.size() == 10)
        return true;
    if (s.size() < 19 || (s.at(10) != QLatin1Char(' ') && s.at(10) != QLatin1Char('T')) || !digits(s, 11, 2)
        || s.at(13) != QLatin1Char(':') || !digits(s, 14, 2) || s.at(16) != QLatin1Char(':') || !digits(s, 17, 2))
        return false;
    int ms = 0;
    if (s.size() > 19) {
        if (s.at(19) != QLatin1Char('.') || s.size() == 20 || s.size() > 23 || !digits(s, 20, s.size() - 20))
            return false;
        ms = number(s, 20, s.size() - 20);
        for (qsizetype i = s.size(); i < 23; ++i)
            ms *= 10;
    }
    time = QTime(number(s, 11, 2), number(s, 14, 2), number(s, 17, 2), ms);
    return time.isValid();
}


} // namespace

struct Table::Private
{
    struct Column
    {
        QString name;
        Type type = Type::Null;
        std::vector<quint8> kinds;   // Type per cell
        std::vector<quint64> cells;  // integer, double bits, string id, julian day, or ms of a date-time
    };

    std::vector<Column> columns;
    std::vector<QString> strings;
    QHash<QString, int> byName;      // case-folded name -> first column with it
    int rows = 0;

    const Column &column(int c) const { return columns.at(size_t(c)); }
    Type kind(int r, int c) const { return Type(column(c).kinds.at(size_t(r))); }
    quint64 cell(int r, int c) const { return column(c).cells.at(size_t(r)); }
};

Table::Table() : d(std::make_unique<Private>()) {}
Table::~Table() = default;

int Table::rowCount() const { return d->rows; }
int Table::columnCount() const { return int(d->columns.size()); }

QString Table::columnName(int column) const
{
    return d->column(column).name;
}

int Table::columnIndex(const QString &name) const
{
    return d->byName.value(name.trimmed().toCaseFolded(), -1);
}

Table::Type Table::columnType(int column) const
{
    return d->column(column).type;
}

Table::Type Table::cellType(int row, int column) const
{
    return d->kind(row, column);
}

bool Table::sameValue(int rowA, int rowB, int column) const
{
    const Private::Column &c = d->column(column);
    const Type a = Type(c.kinds.at(size_t(rowA)));
    if (a != Type(c.kinds.at(size_t(rowB))))
        return value(rowA, column) == value(rowB, column);   // 1 and 1.0 are the same value
    switch (a) {
    case Type::Null: return true;
    case Type::Real: return toDouble(c.cells[size_t(rowA)]) == toDouble(c.cells[size_t(rowB)]);
    default: return c.cells[size_t(rowA)] == c.cells[size_t(rowB)];   // equal texts share one id
    }
}

int Table::textId(int row, int column) const
{
    return d->kind(row, column) == Type::Text ? int(d->cell(row, column)) : -1;
}

bool Table::isNull(int row, int column) const
{
    return d->kind(row, column) == Type::Null;
}

QVariant Table::value(int row, int column) const
{
    const quint64 v = d->cell(row, column);
    switch (d->kind(row, column)) {
    case Type::Null: return QVariant();
    case Type::Integer: return QVariant(qlonglong(v));
    case Type::Real: return QVariant(toDouble(v));
    case Type::Text: return QVariant(d->strings[size_t(v)]);
    case Type::Date: return QVariant(QDate::fromJulianDay(qint64(v)));
    case Type::DateTime: return QVariant(toDateTime(v));
    case Type::Bool: return QVariant(v != 0);
    }
    return QVariant();
}

double Table::number(int row, int column) const
{
    const quint64 v = d->cell(row, column);
    switch (d->kind(row, column)) {
    case Type::Integer: return double(qint64(v));
    case Type::Real: return toDouble(v);
    case Type::Bool: return v ? 1 : 0;
    case Type::Text: {
        bool ok = false;
        const double n = d->strings[size_t(v)].trimmed().toDouble(&ok);
        return ok ? n : 0;
    }
    default: return 0;
    }
}

QString Table::text(int row, int column) const
{
    const quint64 v = d->cell(row, column);
    switch (d->kind(row, column)) {
    case Type::Null: return QString();
    case Type::Integer: return QString::number(qint64(v));
    case Type::Real: return QString::number(toDouble(v), 'g', 15);
    case Type::Text: return d->strings[size_t(v)];
    case Type::Date: return QDate::fromJulianDay(qint64(v)).toString(QStringLiteral("yyyy-MM-dd"));
    case Type::DateTime: {
        const QDateTime dt = toDateTime(v);
        return dt.toString(dt.time().msec() ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                             : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    case Type::Bool: return v ? QStringLiteral("1") : QStringLiteral("0");
    }
    return QString();
}

QDate Table::date(int row, int column) const
{
    const quint64 v = d->cell(row, column);
    switch (d->kind(row, column)) {
    case Type::Date: return QDate::fromJulianDay(qint64(v));
    case Type::DateTime: return toDateTime(v).date();
    case Type::Text: {
        QDate day;
        QTime time;
        return parseIsoDate(d->strings[size_t(v)].trimmed(), day, time) ? day : QDate();
    }
    default: return QDate();
    }
}

qint64 Table::memoryUsage() const
{
    qint64 bytes = sizeof(Table) + sizeof(Private);
    for (const Private::Column &c : d->columns) {
        bytes += sizeof c + c.kinds.capacity() + c.cells.capacity() * sizeof(quint64);
        bytes += c.name.capacity() * 2;
    }
    bytes += qint64(d->strings.capacity() * sizeof(QString));
    for (const QString &s : d->strings)
        bytes += 24 + s.capacity() * 2;   // QArrayData header and UTF-16 payload
    bytes += d->byName.capacity() * 48;
    return bytes;
}

// ---------------------------------------------------------------------------

struct Table::Builder::Interner
{
    QHash<QString, quint32> ids;
    // Result rows come sorted, so a column often repeats the text of the row
    // before (the vendor of each line of one invoice): checked before hashing.
    std::vector<QString> lastText;
    std::vector<quint32> lastId;
};

Table::Builder::Builder(const QStringList &columnNames)
    : m_table(new Table), m_interner(std::make_unique<Interner>())
{
    Private &p = *m_table->d;
    p.columns.resize(size_t(columnNames.size()));
    for (int c = 0; c < columnNames.size(); ++c) {
        p.columns[size_t(c)].name = columnNames.at(c);
        const QString key = columnNames.at(c).trimmed().toCaseFolded();
        if (!p.byName.contains(key))
            p.byName.insert(key, c);
    }
    m_declared.resize(size_t(columnNames.size()));
    m_interner->lastText.resize(size_t(columnNames.size()));
    m_interner->lastId.resize(size_t(columnNames.size()), quint32(-1));
}

Table::Builder::~Builder() = default;

void Table::Builder::setDeclaredType(int column, Type type)
{
    m_declared.at(size_t(column)) = type;
}

void Table::Builder::setDeclaredType(int column, QMetaType type)
{
    Type declared = Type::Null;
    switch (type.id()) {
    case QMetaType::Double:
    case QMetaType::Float:
        declared = Type::Real;
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        declared = Type::Integer;
        break;
    case QMetaType::QDate:
        declared = Type::Date;
        break;
    case QMetaType::QDateTime:
        declared = Type::DateTime;
        break;
    default:
        break;
    }
    m_declared.at(size_t(column)) = declared;
}

Table::Type Table::Builder::typeFromSqlName(const QString &declaration)
{
    const QString t = declaration.toUpper();
    if (t.isEmpty())
        return Type::Null;
    // SQLite's own affinity rules first, then the date and money names it lacks.
    if (t.contains(QLatin1String("INT")))
        return Type::Integer;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) || t.contains(QLatin1String("TEXT")))
        return Type::Text;
    if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME")))
        return Type::Date;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) || t.contains(QLatin1String("DOUB"))
        || t.contains(QLatin1String("DEC")) || t.contains(QLatin1String("NUM")) || t.contains(QLatin1String("MONEY")))
        return Type::Real;
    return Type::Null;
}

void Table::Builder::beginRow()
{
    Private &p = *m_table->d;
    m_row = p.rows++;
    for (Private::Column &c : p.columns) {
        c.kinds.push_back(quint8(Type::Null));
        c.cells.push_back(0);
    }
}

quint64 Table::Builder::intern(int column, const QString &text)
{
    // Rows of one document repeat their texts: the last one per column is kept.
    quint32 &lastId = m_interner->lastId[size_t(column)];
    QString &lastText = m_interner->lastText[size_t(column)];
    if (lastId != quint32(-1) && lastText == text)
        return quint64(lastId);
    auto it = m_interner->ids.constFind(text);
    if (it == m_interner->ids.constEnd()) {
        it = m_interner->ids.insert(text, quint32(m_table->d->strings.size()));
        m_table->d->strings.push_back(text);
    }
    lastText = text;
    lastId = *it;
    return quint64(*it);
}

// Text as the column's declared type reads it: a number in a numeric column,
// an ISO date unless the column is text, otherwise text.
std::pair<Table::Type, quint64> Table::Builder::cellFromText(int column, const QString &text)
{
    const Type declared = m_declared.at(size_t(column));
    if (declared == Type::Integer || declared == Type::Real) {
        const QString t = text.trimmed();
        bool ok = false;
        const qlonglong i = t.toLongLong(&ok);
        if (ok && declared == Type::Integer)
            return {Type::Integer, quint64(i)};
        const double v = t.toDouble(&ok);
        if (ok)
            return {Type::Real, fromDouble(v)};
    }
    QDate day;
    QTime time;
    if (declared != Type::Text && parseIsoDate(text, day, time)) {
        if (time == QTime(0, 0))
            return {Type::Date, quint64(day.toJulianDay())};
        return {Type::DateTime, fromDateTime(day, time)};
    }
    return {Type::Text, intern(column, text)};
}

std::pair<Table::Type, quint64> Table::Builder::cell(int column, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return {Type::Bool, quint64(value.toBool())};
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
    case QMetaType::ULong:
        // A money column never mixes whole and fractional numbers.
        if (m_declared.at(size_t(column)) == Type::Real)
            return {Type::Real, fromDouble(double(value.toLongLong()))};
        return {Type::Integer, quint64(value.toLongLong())};
    case QMetaType::Double:
    case QMetaType::Float:
        return {Type::Real, fromDouble(value.toDouble())};
    case QMetaType::QDate:
        return {Type::Date, quint64(value.toDate().toJulianDay())};
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (dt.time() == QTime(0, 0))
            return {Type::Date, quint64(dt.date().toJulianDay())};
        return {Type::DateTime, fromDateTime(dt.date(), dt.time())};
    }
    default:
        return cellFromText(column, value.typeId() == QMetaType::QByteArray ? QString::fromUtf8(value.toByteArray())
                                                                            : value.toString());
    }
}

void Table::Builder::setValue(int column, const QVariant &value)
{
    Private::Column &c = m_table->d->columns.at(size_t(column));
    const auto [kind, bits] = value.isNull() ? std::pair<Type, quint64>{Type::Null, 0} : cell(column, value);
    c.kinds[size_t(m_row)] = quint8(kind);
    c.cells[size_t(m_row)] = bits;
}

void Table::Builder::endRow() {}

std::shared_ptr<const Table> Table::Builder::finish()
{
    Private &p = *m_table->d;
    for (Private::Column &c : p.columns) {
        bool has[7] = {};
        for (quint8 k : c.kinds)
            has[k] = true;
        const bool dates = has[int(Type::Date)] || has[int(Type::DateTime)];
        const bool others = has[int(Type::Integer)] || has[int(Type::Real)] || has[int(Type::Text)]
                            || has[int(Type::Bool)];
        if (dates && others) {
            // Text that only looked like a date in a column of other values stays text,
            // so one column never mixes dates and text.
            for (size_t r = 0; r < c.kinds.size(); ++r) {
                const Type k = Type(c.kinds[r]);
                if (k != Type::Date && k != Type::DateTime)
                    continue;
                QString s;
                if (k == Type::Date) {
                    s = QDate::fromJulianDay(qint64(c.cells[r])).toString(QStringLiteral("yyyy-MM-dd"));
                } else {
                    const QDateTime dt = toDateTime(c.cells[r]);
                    s = dt.toString(dt.time().msec() ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                                     : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
                }
                auto it = m_interner->ids.constFind(s);
                if (it == m_interner->ids.constEnd()) {
                    it = m_interner->ids.insert(s, quint32(p.strings.size()));
                    p.strings.push_back(s);
                }
                c.kinds[r] = quint8(Type::Text);
                c.cells[r] = *it;
            }
            has[int(Type::Date)] = has[int(Type::DateTime)] = false;
            has[int(Type::Text)] = true;
        } else if (has[int(Type::Date)] && has[int(Type::DateTime)]) {
            for (size_t r = 0; r < c.kinds.size(); ++r) {
                if (Type(c.kinds[r]) == Type::Date) {
                    c.kinds[r] = quint8(Type::DateTime);
                    c.cells[r] = quint64(qint64(c.cells[r]) * msPerDay);
                }
            }
            has[int(Type::Date)] = false;
        }
        int kinds = 0;
        Type only = Type::Null;
        for (int k = 1; k < 7; ++k) {
            if (has[k]) {
                ++kinds;
                only = Type(k);
            }
        }
        if (kinds == 2 && has[int(Type::Integer)] && has[int(Type::Real)]) {
            // A numeric column with some whole values (SQLite stores 2.00 as 2):
            // all of it becomes Real, so every cell reads back as the same type.
            for (size_t r = 0; r < c.kinds.size(); ++r) {
                if (Type(c.kinds[r]) == Type::Integer) {
                    c.kinds[r] = quint8(Type::Real);
                    c.cells[r] = fromDouble(double(qint64(c.cells[r])));
                }
            }
            c.type = Type::Real;
        } else {
            c.type = kinds <= 1 ? only : Type::Text;
        }
        c.kinds.shrink_to_fit();
        c.cells.shrink_to_fit();
    }
    p.strings.shrink_to_fit();
    m_interner.reset();
    std::shared_ptr<const Table> table(m_table.release());
    m_table.reset(new Table);
    return table;
}

} // namespace orvane
