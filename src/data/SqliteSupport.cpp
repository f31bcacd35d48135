#include "SqliteSupport.h"

#include "Error.h"
#include "LikePattern.h"
#include "Table.h"

#include <QMutex>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlResult>
#include <QVariant>

#include <sqlite3.h>

#include <unordered_set>

namespace orvane {

namespace {

sqlite3 *handleOf(const QSqlDatabase &database)
{
    if (!database.isValid() || !database.driver())
        return nullptr;
    const QVariant v = database.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(v.constData());
}

QString textOf(sqlite3_value *value)
{
    const void *data = sqlite3_value_text16(value);
    const int bytes = sqlite3_value_bytes16(value);
    return data ? QString(static_cast<const QChar *>(data), bytes / 2) : QString();
}

QStringView textViewOf(sqlite3_value *value)
{
    const void *data = sqlite3_value_text16(value);
    const int bytes = sqlite3_value_bytes16(value);
    return data ? QStringView(static_cast<const QChar *>(data), bytes / 2) : QStringView();
}

void deleteLikePattern(void *pattern)
{
    delete static_cast<LikePattern *>(pattern);
}

void unicodeLike(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(context);
            return;
        }
    }
    QChar escape;
    if (argc == 3) {
        const QString e = textOf(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e.at(0);
    }
    // like(X, Y) means Y LIKE X. A lookup filter is one constant pattern over
    // thousands of rows: SQLite keeps the compiled pattern between rows.
    if (argc == 2) {
        if (const auto *cached = static_cast<const LikePattern *>(sqlite3_get_auxdata(context, 0))) {
            sqlite3_result_int(context, cached->matches(textViewOf(argv[1])) ? 1 : 0);
            return;
        }
        auto *pattern = new LikePattern(textOf(argv[0]), escape);
        const bool match = pattern->matches(textViewOf(argv[1]));
        sqlite3_set_auxdata(context, 0, pattern, deleteLikePattern);
        sqlite3_result_int(context, match ? 1 : 0);
        return;
    }
    sqlite3_result_int(context, LikePattern::matches(textOf(argv[0]), textViewOf(argv[1]), escape) ? 1 : 0);
}

int unicodeNoCase(void *, int lengthA, const void *a, int lengthB, const void *b)
{
    const QString left = QString(static_cast<const QChar *>(a), lengthA / 2).toCaseFolded();
    const QString right = QString(static_cast<const QChar *>(b), lengthB / 2).toCaseFolded();
    return left.compare(right);
}

int readOnlyAuthorizer(void *, int action, const char *, const char *, const char *, const char *)
{
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}

// Checked every few thousand virtual machine steps: often enough that a
// cancel lands within milliseconds, rarely enough to cost nothing measurable.
constexpr int CancelCheckSteps = 4000;

int cancelRequested(void *flag)
{
    return static_cast<const std::atomic_bool *>(flag)->load(std::memory_order_relaxed) ? 1 : 0;
}

// The handles that carry our functions. SQLite drops them when the host
// closes its connection, and a reopened one may get a handle at the same address.
struct RegisteredHandles
{
    QMutex mutex;
    std::unordered_set<const void *> handles;
};

RegisteredHandles &registeredHandles()
{
    static RegisteredHandles registered;
    return registered;
}

void forgetHandle(void *db)
{
    RegisteredHandles &registered = registeredHandles();
    QMutexLocker lock(&registered.mutex);
    registered.handles.erase(db);
}

} // namespace

bool SqliteSupport::registerFunctions(const QSqlDatabase &database)
{
    sqlite3 *db = handleOf(database);
    if (!db)
        return false;
    const int flags = SQLITE_UTF16 | SQLITE_DETERMINISTIC;
    // like/2 carries the handle, so that its removal (the connection closing,
    // or this registration replacing it) tells functionsRegistered().
    bool ok = sqlite3_create_function_v2(db, "like", 2, flags, db, unicodeLike, nullptr, nullptr, forgetHandle)
              == SQLITE_OK;
    ok = sqlite3_create_function_v2(db, "like", 3, flags, nullptr, unicodeLike, nullptr, nullptr, nullptr)
             == SQLITE_OK
         && ok;
    // NOCASE itself is left alone: the host's indexes were built with it, and a
    // different order would make them disagree with their tables.
    ok = sqlite3_create_collation_v2(db, "UNICODE_NOCASE", SQLITE_UTF16, nullptr, unicodeNoCase, nullptr)
             == SQLITE_OK
         && ok;
    if (ok) {
        RegisteredHandles &registered = registeredHandles();
        QMutexLocker lock(&registered.mutex);
        registered.handles.insert(db);
    }
    return ok;
}

bool SqliteSupport::functionsRegistered(const QSqlDatabase &database)
{
    const sqlite3 *db = handleOf(database);
    if (!db)
        return false;
    RegisteredHandles &registered = registeredHandles();
    QMutexLocker lock(&registered.mutex);
    return registered.handles.count(db) > 0;
}

QStringList SqliteSupport::declaredTypes(const QSqlQuery &query)
{
    QStringList types;
    const QSqlResult *result = query.result();
    if (!result)
        return types;
    const QVariant v = result->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3_stmt*") != 0)
        return types;
    sqlite3_stmt *statement = *static_cast<sqlite3_stmt *const *>(v.constData());
    if (!statement)
        return types;
    const int columns = sqlite3_column_count(statement);
    for (int c = 0; c < columns; ++c)
        types << QString::fromUtf8(sqlite3_column_decltype(statement, c));
    return types;
}

std::shared_ptr<const Table> SqliteSupport::readTable(const QSqlDatabase &database, const QString &sql)
{
    sqlite3 *db = handleOf(database);
    if (!db)
        return nullptr;
    const QString driver = database.driverName();
    ReadOnlyScope readOnly(database);

    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare16_v2(db, sql.utf16(), int(sql.size() * sizeof(QChar)), &statement, nullptr) != SQLITE_OK)
        throw Error(QString::fromUtf8(sqlite3_errmsg(db)), driver);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> finalize(statement, sqlite3_finalize);
    if (!statement)   // only blanks or comments
        throw Error(QStringLiteral("The statement is empty."), driver);

    const int columns = sqlite3_column_count(statement);
    QStringList names;
    for (int c = 0; c < columns; ++c)
        names << QString::fromUtf16(static_cast<const char16_t *>(sqlite3_column_name16(statement, c)));
    Table::Builder builder(names);
    for (int c = 0; c < columns; ++c)
        builder.setDeclaredType(c, Table::Builder::typeFromSqlName(
                                       QString::fromUtf8(sqlite3_column_decltype(statement, c))));

    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        builder.beginRow();
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER:
                builder.setValue(c, QVariant(qlonglong(sqlite3_column_int64(statement, c))));
                break;
            case SQLITE_FLOAT:
                builder.setValue(c, QVariant(sqlite3_column_double(statement, c)));
                break;
            case SQLITE_TEXT: {
                const void *text = sqlite3_column_text16(statement, c);
                const int bytes = sqlite3_column_bytes16(statement, c);
                builder.setValue(c, QVariant(QString(static_cast<const QChar *>(text), bytes / int(sizeof(QChar)))));
                break;
            }
            case SQLITE_BLOB: {
                const void *blob = sqlite3_column_blob(statement, c);
                const int bytes = sqlite3_column_bytes(statement, c);
                builder.setValue(c, QVariant(QByteArray(static_cast<const char *>(blob), bytes)));
                break;
            }
            default:
                builder.setValue(c, QVariant());
            }
        }
        builder.endRow();
    }
    if (rc != SQLITE_DONE)
        throw Error(QString::fromUtf8(sqlite3_errmsg(db)), driver);
    return builder.finish();
}

SqliteSupport::ReadOnlyScope::ReadOnlyScope(const QSqlDatabase &database)
{
    sqlite3 *db = handleOf(database);
    if (db) {
        sqlite3_set_authorizer(db, readOnlyAuthorizer, nullptr);
        m_handle = db;
    }
}

SqliteSupport::ReadOnlyScope::~ReadOnlyScope()
{
    if (m_handle)
        sqlite3_set_authorizer(static_cast<sqlite3 *>(m_handle), nullptr, nullptr);
}

SqliteSupport::CancelScope::CancelScope(const QSqlDatabase &database, const std::atomic_bool *cancel)
{
    sqlite3 *db = handleOf(database);
    if (db && cancel) {
        sqlite3_progress_handler(db, CancelCheckSteps, cancelRequested,
                                 const_cast<void *>(static_cast<const void *>(cancel)));
        m_handle = db;
    }
}

SqliteSupport::CancelScope::~CancelScope()
{
    if (m_handle)
        sqlite3_progress_handler(static_cast<sqlite3 *>(m_handle), 0, nullptr, nullptr);
}

} // namespace orvane
