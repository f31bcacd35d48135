#include "Connection.h"

#include "Error.h"
#include "Recordset.h"
#include "SqlDialect.h"
#include "SqliteSupport.h"
#include "Table.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <optional>

namespace orvane {

namespace {

const QString layerSource = QStringLiteral("Orvane data");

Error databaseError(const QSqlError &error, const QString &driver)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("The database reported an error without a message.");
    return Error(text, driver);
}

bool isSqliteOverOdbc(const QSqlDatabase &database)
{
    if (database.databaseName().contains(QLatin1String("sqlite"), Qt::CaseInsensitive)
        || database.connectOptions().contains(QLatin1String("sqlite"), Qt::CaseInsensitive))
        return true;
    // A data source name hides the driver: ask the database itself.
    QSqlQuery probe(database);
    probe.setForwardOnly(true);
    const bool sqlite = probe.exec(QStringLiteral("SELECT sqlite_version()")) && probe.next();
    probe.finish();
    return sqlite;
}

} // namespace

struct Connection::Private
{
    QSqlDatabase database;
    Dialect dialect = Dialect::SqlServer;
    int cursorLocation = adUseServer;
    bool unicodeLike = false;
    bool nativeSqlite = false;
};

Connection::Connection(const QSqlDatabase &database) : d(std::make_shared<Private>())
{
    d->database = database;
}

std::shared_ptr<Connection> Connection::create(const QSqlDatabase &database)
{
    if (!database.isValid())
        throw Error(QStringLiteral("The database connection handed to the reports is not valid."), layerSource);
    if (!database.isOpen())
        throw Error(QStringLiteral("The database connection handed to the reports is not open."), layerSource);

    std::shared_ptr<Connection> connection(new Connection(database));
    const QString driver = database.driverName();
    if (driver == QLatin1String("QSQLITE")) {
        connection->d->dialect = Dialect::SQLite;
        connection->d->nativeSqlite = true;
        connection->d->unicodeLike = SqliteSupport::registerFunctions(database);
    } else if (driver == QLatin1String("QODBC")) {
        connection->d->dialect = isSqliteOverOdbc(database) ? Dialect::SQLite : Dialect::SqlServer;
    } else {
        connection->d->dialect = Dialect::SqlServer;
    }
    return connection;
}

std::shared_ptr<Connection> Connection::create(const QSqlDatabase &database, Dialect dialect)
{
    std::shared_ptr<Connection> connection = create(database);
    connection->d->dialect = dialect;
    return connection;
}

Connection *Connection::require(const std::shared_ptr<Connection> &connection)
{
    if (!connection)
        throw Error(QStringLiteral("The connection to the database is not set up: the host has not yet handed "
                                   "its database connection to the reports."),
                    QStringLiteral("Orvane"));
    return connection.get();
}

QSqlDatabase Connection::database() const { return d->database; }
QString Connection::connectionName() const { return d->database.connectionName(); }
Connection::Dialect Connection::dialect() const { return d->dialect; }
int Connection::CursorLocation() const { return d->cursorLocation; }
bool Connection::hasUnicodeLike() const { return d->unicodeLike; }

void Connection::setCursorLocation(int location)
{
    if (location != adUseServer && location != adUseClient)
        throw Error(QStringLiteral("The cursor location %1 is not known: use 2 (server) or 3 (client).").arg(location),
                    layerSource);
    // Every recordset of this layer keeps its rows on the client whatever is set;
    // the value is kept so that the host reads back what it set.
    d->cursorLocation = location;
}

QString Connection::dateText(const QDate &day) const
{
    return day.toString(d->dialect == Dialect::SQLite ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyyMMdd"));
}

QString Connection::nativeSql(const QString &sql) const
{
    return d->dialect == Dialect::SQLite ? SqlDialect::sqliteFromSqlServer(sql) : sql;
}

std::shared_ptr<const Table> Connection::readTable(const QString &sql) const
{
    const QString problem = SqlDialect::readOnlyProblem(sql);
    if (!problem.isEmpty())
        throw Error(problem, layerSource);

    QSqlDatabase db = d->database;
    const QString driver = db.driverName();
    if (!db.isOpen())
        throw Error(QStringLiteral("The host's database connection is closed."), driver);

    if (d->nativeSqlite) {
        // Functions registered on a handle the host has since closed are gone
        // with it: without them LIKE would fall back to ASCII-only case folding.
        if (!SqliteSupport::functionsRegistered(db))
            d->unicodeLike = SqliteSupport::registerFunctions(db);
        if (auto table = SqliteSupport::readTable(db, nativeSql(SqlDialect::withoutTerminator(sql))))
            return table;
    }

    QSqlQuery query(db);
    query.setForwardOnly(true);
    // Decimals must arrive as numbers, never as text or cut to integers.
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);

    std::optional<SqliteSupport::ReadOnlyScope> readOnly;
    if (d->nativeSqlite)
        readOnly.emplace(db);

    if (!query.exec(nativeSql(SqlDialect::withoutTerminator(sql))))
        throw databaseError(query.lastError(), driver);

    const QSqlRecord record = query.record();
    QStringList names;
    for (int c = 0; c < record.count(); ++c)
        names << record.fieldName(c);
    Table::Builder builder(names);
    // SQLite tells the declared type of plain columns, which says where text
    // is a date and where a whole number is money; other drivers give a field type.
    const QStringList declared = d->nativeSqlite ? SqliteSupport::declaredTypes(query) : QStringList();
    for (int c = 0; c < record.count(); ++c) {
        if (declared.size() == record.count())
            builder.setDeclaredType(c, Table::Builder::typeFromSqlName(declared.at(c)));
        else
            builder.setDeclaredType(c, record.field(c).metaType());
    }

    const int columns = int(names.size());
    while (query.next()) {
        builder.beginRow();
        for (int c = 0; c < columns; ++c)
            builder.setValue(c, query.value(c));
        builder.endRow();
    }
    if (query.lastError().isValid())
        throw databaseError(query.lastError(), driver);
    query.finish();
    return builder.finish();
}

std::shared_ptr<Recordset> Connection::Execute(const QString &sql)
{
    auto recordset = std::make_shared<Recordset>();
    recordset->openTable(readTable(sql), sql);
    return recordset;
}

} // namespace orvane
