#pragma once

#include <QString>

namespace orvane {

/// The SQL text rules of the data layer, on plain strings (no database needed).
///
/// The component writes SQL Server's dialect. On SQLite the only function it
/// uses that SQLite lacks is ISNULL(a, b), which SQLite spells IFNULL.
class SqlDialect
{
public:
    /// `sql` with every function call ISNULL( (any case, blanks allowed before
    /// the parenthesis) renamed IFNULL(, except inside string literals ('...'),
    /// bracketed names ([...]), double-quoted identifiers and comments.
    static QString sqliteFromSqlServer(const QString &sql);

    /// "" when `sql` is one read-only statement: a SELECT, or WITH ... SELECT,
    /// with at most a trailing ';'. Otherwise the reason it is refused, for the user.
    static QString readOnlyProblem(const QString &sql);

    /// `sql` up to its first ';' outside literals, names and comments: what is
    /// left of a statement that readOnlyProblem() accepted once its trailing
    /// ';' and comments are cut (some drivers refuse anything after the ';').
    static QString withoutTerminator(const QString &sql);
};

} // namespace orvane
