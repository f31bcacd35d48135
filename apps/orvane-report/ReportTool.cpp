#include "ReportTool.h"

#include "Connection.h"
#include "Error.h"
#include "Paginator.h"
#include "Recordset.h"
#include "Report.h"
#include "ReportExport.h"
#include "ReportPreparation.h"
#include "SqliteSupport.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>


namespace orvane {

namespace {

const QString ConnectionName = QStringLiteral("orvane-report");

QString errorText(const Error &e)
{
    return e.source().isEmpty() ? e.description() : e.source() + QStringLiteral(": ") + e.description();
}

} // namespace

ReportTool::ReportTool(const ReportCommand &command, QTextStream &messages)
    : m_command(command)
    , m_messages(messages)
{
}

int ReportTool::refuse(const QString &message)
{
    m_messages << "orvane-report: " << message << '\n' << ReportCommandLine::usageLine() << '\n';
    m_messages.flush();
    return ExitBadArguments;
}

int ReportTool::fail(const QString &message)
{
    m_messages << "orvane-report: " << message << '\n';
    m_messages.flush();
    return ExitFailure;
}

int ReportTool::cancelled()
{
    endProgress();
    m_messages << "orvane-report: cancelled\n";
    m_messages.flush();
    return ExitCancelled;
}

bool ReportTool::progress(int done, int total)
{
    if (cancelRequested())
        return false;
    if (!m_showProgress)
        return true;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // Short reports finish before anyone looks; long ones report ten times a second.
    if (now - m_started < 300 || (now - m_lastProgress < 100 && done < total))
        return true;
    m_lastProgress = now;
    m_progressShown = true;
    const char *unit = exportCountsPages(m_command.format) ? "page" : "row";
    m_messages << '\r' << m_command.report->commandName << ": " << unit << ' ' << done << " of " << total
               << "\x1b[K";
    m_messages.flush();
    return true;
}

void ReportTool::endProgress()
{
    // The progress line is erased, so that only messages stay on the terminal.
    if (!m_progressShown)
        return;
    m_messages << '\r' << "\x1b[K";
    m_messages.flush();
    m_progressShown = false;
}

int ReportTool::run()
{
    m_started = QDateTime::currentMSecsSinceEpoch();
    if (cancelRequested())
        return cancelled();

    int status = ExitFailure;
    {
        QSqlDatabase db;
        if (m_command.odbc) {
            if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
                return fail(QStringLiteral("the ODBC driver of Qt (QODBC) is not installed"));
            db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), ConnectionName);
            db.setDatabaseName(m_command.database);
        } else {
            // SQLite would create a missing file; the tool never writes to a database.
            const QFileInfo file(m_command.database);
            if (!file.isFile())
                return fail(QStringLiteral("cannot open database %1: no such file").arg(m_command.database));
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), ConnectionName);
            db.setDatabaseName(m_command.database);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        }
        if (!db.open()) {
            status = fail(QStringLiteral("cannot open database %1: %2")
                              .arg(m_command.odbc ? QStringLiteral("(ODBC)") : m_command.database,
                                   db.lastError().text()));
        } else {
            {
                // A signal stops a long query within milliseconds (SQLite only).
                const SqliteSupport::CancelScope interruptible(db, m_cancel);
                status = runOn(Connection::create(db));
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(ConnectionName);
    return status;
}

int ReportTool::runOn(const std::shared_ptr<Connection> &connection)
{
    const ReportDefinition &def = *m_command.report;
    const ReportParameters &p = m_command.parameters;
    try {
        connection->setCursorLocation(Connection::adUseClient);

        // The code means what the window's code box means: looked up by the
        // window's lookup; a vendor or company that is not there is refused
        // here, where the window would open its lookup instead.
        const ReportPreparation preparation(def.kind, connection);
        QString codeName;
        if (def.codeKind == CodeKind::Company ? !p.code.isEmpty() : !p.code.trimmed().isEmpty()) {
            const std::optional<QString> name = lookupName(def.kind, p.code, connection);
            if (!name && def.codeKind != CodeKind::Product)
                return refuse(QStringLiteral("%1 %2 doesn't exist.").arg(codeNoun(def.codeKind), p.code));
            codeName = name.value_or(QString());
        } else if (def.codeKind == CodeKind::Company) {
            codeName = QString::fromLatin1(messages::AllCompanies);
        }
        if (const std::optional<ParameterRefusal> refusal = preparation.check(p, codeName))
            return refuse(refusal->message);

        if (m_showProgress) {
            // Reading a year of lines can take a while before any page exists.
            m_messages << m_command.report->commandName << ": reading rows" << "\x1b[K";
            m_messages.flush();
            m_progressShown = true;
        }
        const std::shared_ptr<Recordset> rows = preparation.readRows(preparation.sql(p), nullptr);
        if (cancelRequested())
            return cancelled();
        if (rows->RecordCount() == 0) {
            endProgress();
            m_messages << "orvane-report: " << def.noRecordMessage << '\n';
            m_messages.flush();
            return ExitNoRows;
        }
        const std::unique_ptr<Report> report = preparation.makeReport(p, codeName, *rows);

        if (cancelRequested())
            return cancelled();

        const ExportProgress onProgress = [this](int done, int total) { return progress(done, total); };
        std::optional<Document> document;
        if (exportCountsPages(m_command.format)) {
            report->RemoveObjectColors();
            // Laying out a year of lines takes seconds before the file is opened.
            document = Paginator(report->content()).paginate(m_cancel);
            if (document->cancelled || cancelRequested())
                return cancelled();
        }
        const bool written = exportReport(*report, m_command.format, m_command.output, onProgress,
                                          document ? &*document : nullptr);
        // A signal after the file was renamed into place finds it complete.
        if (!written)
            return cancelled();
        endProgress();
        return ExitWritten;
    } catch (const Error &e) {
        // An interrupted query fails with the database's own words; the user asked for it.
        if (cancelRequested())
            return cancelled();
        endProgress();
        return fail(errorText(e));
    } catch (const std::exception &e) {
        if (cancelRequested())
            return cancelled();
        endProgress();
        return fail(QString::fromLocal8Bit(e.what()));
    }
}

} // namespace orvane
