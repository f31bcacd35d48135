#pragma once

#include <QDate>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <utility>
#include <vector>

namespace orvane {

/// Rows of one query, materialised once and never changed afterwards.
/// Stored column-wise: numbers as numbers, dates as day numbers, text interned
/// (each distinct string stored once). Shared read-only between the recordset
/// that read it and any report bound to it, so reopening the recordset never
/// changes a report that is already on screen. Row and column indexes start at 0.
class Table
{
public:
    enum class Type { Null, Integer, Real, Text, Date, DateTime, Bool };

    Table();
    ~Table();

    int rowCount() const;
    int columnCount() const;
    QString columnName(int column) const;
    /// Case-insensitive lookup; -1 when no column has that name.
    int columnIndex(const QString &name) const;
    /// The type that the column's non-null values have (Text when they differ).
    Type columnType(int column) const;

    bool isNull(int row, int column) const;
    QVariant value(int row, int column) const;       // QVariant() for NULL
    double number(int row, int column) const;        // 0 for NULL or text that is no number
    QString text(int row, int column) const;         // "" for NULL; dates as yyyy-MM-dd
    QDate date(int row, int column) const;           // invalid unless Date/DateTime (or ISO text)
    /// The type of one cell (Null for NULL).
    Type cellType(int row, int column) const;
    /// Whether two cells of a column hold the same value, as their QVariants
    /// compare, without making the QVariants.
    bool sameValue(int rowA, int rowB, int column) const;
    /// Text cells: the number under which the table keeps their text, the same
    /// for equal texts (0-based, below the number of distinct texts); -1 for
    /// any other cell. Lets a reader work once per distinct text.
    int textId(int row, int column) const;

    /// Bytes held by the store, for the memory benchmark.
    qint64 memoryUsage() const;

    class Builder;

private:
    friend class Builder;
    struct Private;
    std::unique_ptr<Private> d;
};

/// Fills a Table row by row; `finish()` hands it over as shared and immutable.
class Table::Builder
{
public:
    explicit Builder(const QStringList &columnNames);
    ~Builder();
    void beginRow();
    /// The type the database declares for a column, when the driver tells it
    /// (Null: not known). Real: whole numbers are stored as Real too, so that a
    /// money column never mixes types; Integer or Real: numbers that arrive as
    /// text are stored as numbers; Text: text that looks like a date stays
    /// text; otherwise ISO date text ("yyyy-MM-dd", optionally with a time)
    /// is stored as a date.
    void setDeclaredType(int column, Type type);
    /// As above from a driver's field type (QSqlField::metaType()). Text types
    /// count as unknown: drivers report text for types they do not know.
    void setDeclaredType(int column, QMetaType type);
    /// The Table type that an SQL type name suggests ("DECIMAL(18, 2)": Real,
    /// "DATETIME": Date, "VARCHAR(20)": Text); Null when it says nothing.
    static Type typeFromSqlName(const QString &declaration);
    void setValue(int column, const QVariant &value);
    void endRow();
    std::shared_ptr<const Table> finish();

private:
    std::pair<Type, quint64> cell(int column, const QVariant &value);
    std::pair<Type, quint64> cellFromText(int column, const QString &text);
    quint64 intern(int column, const QString &text);

    std::unique_ptr<Table> m_table;
    struct Interner;
    std::unique_ptr<Interner> m_interner;
    std::vector<Type> m_declared;
    int m_row = -1;
};

} // namespace orvane
