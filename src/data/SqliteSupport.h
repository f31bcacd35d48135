#pragma once

#include <QSqlDatabase>
#include <QStringList>

#include <atomic>
#include <memory>

class QSqlQuery;

namespace orvane {

class Table;

/// What the data layer adds to an SQLite connection of the host (QSQLITE only;
/// through ODBC the sqlite3 handle is out of reach).
class SqliteSupport
{
public:
    /// Replaces like(pattern, text[, escape]) with one that ignores case the
    /// Unicode way, as SQL Server's default collation does ("é%" finds "École"),
    /// and adds the collation UNICODE_NOCASE. Returns false when `database`
    /// holds no sqlite3 handle.
    static bool registerFunctions(const QSqlDatabase &database);

    /// Whether the functions of registerFunctions() are on the connection's
    /// current handle: false once the host has closed (and perhaps reopened)
    /// the connection they were registered on.
    static bool functionsRegistered(const QSqlDatabase &database);

    /// The declared SQL type of each result column of an executed QSQLITE
    /// query ("DECIMAL(18, 2)", "DATETIME"; "" for expressions); empty when
    /// the query holds no sqlite3 statement.
    static QStringList declaredTypes(const QSqlQuery &query);

    /// Runs `sql` straight on the connection's sqlite3 handle, under the
    /// read-only guard, and returns its rows; null when `database` holds no
    /// handle. Skips QtSql's per-row copies, which are most of the cost of a
    /// lookup's re-query. Throws Error with SQLite's own message on failure.
    static std::shared_ptr<const Table> readTable(const QSqlDatabase &database, const QString &sql);

    /// While alive, the connection may only read: every action other than
    /// SELECT, reading a column and calling a function is denied when a
    /// statement is prepared. Installed only around the layer's own statements,
    /// so the host's own writes on the same connection are never refused.
    class ReadOnlyScope
    {
    public:
        explicit ReadOnlyScope(const QSqlDatabase &database);
        ~ReadOnlyScope();
        ReadOnlyScope(const ReadOnlyScope &) = delete;
        ReadOnlyScope &operator=(const ReadOnlyScope &) = delete;

    private:
        void *m_handle = nullptr;
    };

    /// While alive, a statement running on the connection stops with SQLite's
    /// "interrupted" error soon after `*cancel` turns true. Only reads the
    /// flag, so a signal handler may set it. Does nothing when `database`
    /// holds no sqlite3 handle (active() tells).
    class CancelScope
    {
    public:
        CancelScope(const QSqlDatabase &database, const std::atomic_bool *cancel);
        ~CancelScope();
        CancelScope(const CancelScope &) = delete;
        CancelScope &operator=(const CancelScope &) = delete;

        bool active() const { return m_handle != nullptr; }

    private:
        void *m_handle = nullptr;
    };
};

} // namespace orvane
