#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <memory>

namespace orvane {

class Recordset;
class Table;

/// The host's open database connection as the component sees it.
/// Holds a counted reference to the host's QSqlDatabase (by its connection
/// name); it never opens, closes or removes that connection.
class Connection : public std::enable_shared_from_this<Connection>
{
public:
    enum class Dialect { SQLite, SqlServer };
    enum CursorLocationEnum { adUseServer = 2, adUseClient = 3 };

    /// `database` must be open; its driver decides the dialect
    /// (QSQLITE, or QODBC with an SQLite ODBC driver: SQLite; otherwise SQL Server).
    static std::shared_ptr<Connection> create(const QSqlDatabase &database);
    /// As create(database), with the dialect given instead of detected.
    static std::shared_ptr<Connection> create(const QSqlDatabase &database, Dialect dialect);

    /// `connection`, or Error (source "Orvane") saying that the connection is
    /// not set up when it is null: the host called a report before handing its
    /// connection over. Use it before calling a member through a shared pointer
    /// that may be null: Connection::require(shared)->Execute(sql).
    static Connection *require(const std::shared_ptr<Connection> &connection);

    QSqlDatabase database() const;
    QString connectionName() const;
    Dialect dialect() const;

    int CursorLocation() const;
    void setCursorLocation(int location);

    /// The text this database reads as `day` inside single quotes:
    /// yyyy-MM-dd on SQLite, yyyyMMdd on SQL Server.
    QString dateText(const QDate &day) const;

    /// The statement as this connection's database must receive it: the
    /// component writes SQL Server's dialect; on SQLite the function call
    /// ISNULL( becomes IFNULL( outside literals and bracketed names.
    QString nativeSql(const QString &sql) const;

    /// Runs a SELECT and returns its rows as an open client-side recordset.
    /// Throws Error with the database's own message on failure.
    std::shared_ptr<Recordset> Execute(const QString &sql);

    /// Runs one read-only statement (refused before it reaches the database
    /// unless it is a single SELECT or WITH ... SELECT), rewritten by nativeSql(),
    /// and returns its rows. Throws Error: the database's own message with the
    /// driver's name as source, or the layer's reason for refusing.
    std::shared_ptr<const Table> readTable(const QString &sql) const;

    /// True when LIKE on this connection ignores case the Unicode way (the
    /// layer's own like() is registered: QSQLITE connections).
    bool hasUnicodeLike() const;

private:
    explicit Connection(const QSqlDatabase &database);
    struct Private;
    std::shared_ptr<Private> d;
};

} // namespace orvane
