#pragma once

// Shared by the tests: a fresh SQLite database with the host schema, filled
// by each test with exactly the rows it needs.

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <stdexcept>

namespace orvane::test {

inline QString schemaPath()
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/tools/schema.sql");
}

/// Runs each statement; throws with the database's message on failure.
inline void exec(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw std::runtime_error((sql + QStringLiteral(": ") + q.lastError().text()).toStdString());
}

inline void execScript(QSqlDatabase db, const QString &script)
{
    QString withoutComments;
    for (const QString &line : script.split(QLatin1Char('\n'))) {
        if (!line.trimmed().startsWith(QLatin1String("--")))
            withoutComments += line + QLatin1Char('\n');
    }
    for (const QString &statement : withoutComments.split(QLatin1Char(';'))) {
        if (!statement.trimmed().isEmpty())
            exec(db, statement);
    }
}

/// An open SQLite database with the schema and no rows. `file` empty: in memory.
/// The connection gets a unique name unless one is given.
inline QSqlDatabase createTestDatabase(const QString &file = QString(),
                                       QString connectionName = QString())
{
    if (connectionName.isEmpty())
        connectionName = QStringLiteral("test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(file.isEmpty() ? QStringLiteral(":memory:") : file);
    if (!db.open())
        throw std::runtime_error(db.lastError().text().toStdString());
    QFile schema(schemaPath());
    if (!schema.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + schemaPath().toStdString());
    execScript(db, QString::fromUtf8(schema.readAll()));
    return db;
}

} // namespace orvane::test
