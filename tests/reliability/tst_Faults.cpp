// Faults of the host's database, the printer and the file system, met while
// windows are open: each must end in one clear message, lose nothing (the
// window's entries, an existing output file), leave no partial file, and the
// next attempt must work once the fault is gone.

#include "ReportTestSupport.h"

#include "CsvExport.h"
#include "Error.h"
#include "MessageRecorder.h"
#include "PdfExport.h"
#include "ReportPreparation.h"
#include "Reports.h"
#include "RptPurchaseLedger.h"
#include "RptPurchaseReturnSummary.h"
#include "RptReportViewer.h"
#include "ReportView.h"
#include "Table.h"
#include "XlsxExport.h"
#include "pmtPurchaseRegisterIW.h"
#include "pmtPurchaseSummary.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <sqlite3.h>

#include <csignal>
#include <functional>
#include <future>
#include <optional>
#include <thread>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Rewrites the file in place (all of it when offset < 0): a connection that
// holds it open sees the new bytes, as it would see another program's writes.
void writeInPlace(const QString &path, const QByteArray &bytes, qint64 offset = -1)
{
    QFile f(path);
    QVERIFY(f.open(offset < 0 ? QIODevice::WriteOnly | QIODevice::Truncate : QIODevice::ReadWrite));
    QVERIFY(f.seek(std::max<qint64>(offset, 0)));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

/// The entries of the window: what must survive a failed attempt.
QString entries(ReportWindow *w)
{
    return w->fromDate()->date().toString(Qt::ISODate) + QLatin1Char(' ')
           + w->toDate()->date().toString(Qt::ISODate) + QLatin1Char(' ') + w->codeBox()->text()
           + QLatin1Char('|') + w->nameBox()->text();
}

/// The one message a failed attempt must give: a critical box from `title`.
void expectError(const MessageRecorder &boxes, const QString &text, const QString &title)
{
    QCOMPARE(boxes.texts(), text);
    QCOMPARE(boxes.boxes.value(0).title, title);
    QCOMPARE(boxes.boxes.value(0).style, int(vbCritical));
}

/// Presses Preview; returns the viewer it showed (null when none).
RptReportViewer *preview(ReportWindow *w)
{
    RptReportViewer *before = lastViewer(w);
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    RptReportViewer *after = lastViewer(w);
    return after != before && after && after->isVisible() ? after : nullptr;
}

int rowsShown(RptReportViewer *viewer)
{
    return viewer && viewer->ReportName && viewer->ReportName->rows() ? int(viewer->ReportName->rowOrder().size()) : -1;
}

/// The fault gone, the same Preview shows `rows` rows and says nothing.
void previewWorks(MessageRecorder &boxes, ReportWindow *w, int rows)
{
    boxes.boxes.clear();
    QCOMPARE(rowsShown(preview(w)), rows);
    QCOMPARE(boxes.texts(), QString());
}

/// The box ShowError would give for what `run` throws (nothing thrown: empty).
RecordedBox errorOf(const std::function<void()> &run)
{
    try {
        run();
    } catch (const Error &e) {
        return {e.description(), vbCritical, e.source()};
    }
    return {};
}

/// Every file of `dir` but `keep`: temporary files an export left behind.
QStringList strayFiles(const QString &dir, const QString &keep)
{
    QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeAll(keep);
    return names;
}

/// While alive, writes that grow a file past `bytes` fail with EFBIG, as on
/// a full disk; the signal that would end the process is ignored meanwhile.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes) : m_oldHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        const rlimit limited{bytes, m_saved.rlim_max};
        m_active = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool active() const { return m_active; }

private:
    void (*m_oldHandler)(int);
    rlimit m_saved{};
    bool m_active = false;
};

/// While alive, root loses its right to write where the permission bits say
/// no (on this thread), so a read-only folder is read-only for it too.
class WithoutRootOverride
{
public:
    WithoutRootOverride()
    {
        if (geteuid() != 0)
            return;
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        m_header.pid = 0;
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_FOWNER));
        m_lowered = syscall(SYS_capset, &m_header, lowered) == 0;
    }
    ~WithoutRootOverride()
    {
        if (m_lowered)
            syscall(SYS_capset, &m_header, m_saved);
    }
    /// Whether the permission bits now bind this thread.
    bool binding() const { return geteuid() != 0 || m_lowered; }

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
};

/// A second connection of another program holding a lock on the file.
class LockHolder
{
public:
    LockHolder(const QString &file, const char *sql)
    {
        sqlite3_open_v2(QFile::encodeName(file).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        m_ok = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~LockHolder() { release(); }
    bool ok() const { return m_ok; }
    void release()
    {
        if (m_db) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(m_db);
        }
        m_db = nullptr;
    }

private:
    sqlite3 *m_db = nullptr;
    bool m_ok = false;
};

/// A copy of a built-in layout without the object called `name`.
QString layoutWithout(const QString &layout, const QString &name, const QString &dir)
{
    QJsonObject root = QJsonDocument::fromJson(readAll(QStringLiteral(":/layouts/%1.json").arg(layout))).object();
    QJsonArray sections = root.value(QStringLiteral("sections")).toArray();
    int removed = 0;
    for (int s = 0; s < sections.size(); ++s) {
        QJsonObject section = sections.at(s).toObject();
        QJsonArray objects = section.value(QStringLiteral("objects")).toArray();
        for (int o = objects.size() - 1; o >= 0; --o) {
            if (objects.at(o).toObject().value(QStringLiteral("name")).toString() == name) {
                objects.removeAt(o);
                ++removed;
            }
        }
        section.insert(QStringLiteral("objects"), objects);
        sections.replace(s, section);
    }
    if (removed != 1)
        return QString();
    root.insert(QStringLiteral("sections"), sections);
    const QString path = dir + QStringLiteral("/%1-without-%2.json").arg(layout, name);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return QString();
    out.write(QJsonDocument(root).toJson());
    return path;
}

// Rows of the return summary over March, all vendors: returns 0, 7, 15 (two
// prices), 40.
constexpr int kSummaryRows = 5;

void exportAs(const QString &format, const Report &report, const QString &path)
{
    format == QLatin1String("csv")   ? exportCsv(report, path)
    : format == QLatin1String("pdf") ? exportPdf(report, path)
                                     : exportXlsx(report, path);
}

} // namespace

class tst_Faults : public QObject
{
    Q_OBJECT

public:
    static void initMain()
    {
        qputenv("LC_ALL", "C");
        qputenv("LANG", "C");
        // No print server for this process: the build machine has no printer,
        // and a developer's machine must not get a job from this test either.
        qputenv("CUPS_SERVER", "/nonexistent/orvane-faults/cups.sock");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("books.sqlite"));
        {
            QSqlDatabase db = createTestDatabase(m_file, QStringLiteral("prepare"));
            fillReportRows(db);
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("prepare"));
        m_pristine = readAll(m_file);
        QVERIFY(!m_pristine.isEmpty());
    }

    void init()
    {
        writeInPlace(m_file, m_pristine);
    }

    void cleanup()
    {
        setPrintHandler({});
        SharedState::current().deleteWindows();
        closeHost();
    }

    void cleanupTestCase()
    {
        closeHost();
    }

    // --- The database file -----------------------------------------------------

    void deletedDatabaseFile()
    {
        MessageRecorder boxes;
        openHost();
        auto *w = openSummary();
        QVERIFY(w);
        QCOMPARE(rowsShown(preview(w)), kSummaryRows);

        // Linux keeps the unlinked file for whoever holds it open: the host's
        // connection still reads the books it opened.
        QVERIFY(QFile::remove(m_file));
        QCOMPARE(rowsShown(preview(w)), kSummaryRows);
        QCOMPARE(boxes.texts(), QString());

        // A connection the host opens now gets a new, empty database file.
        openHost();
        QCOMPARE(preview(w), nullptr);
        expectError(boxes, QStringLiteral("no such table: purreturns"), QStringLiteral("QSQLITE"));
        QCOMPARE(entries(w), QStringLiteral("2024-03-01 2024-03-31 |"));

        // The books back in place, the host reconnects: the same Preview works.
        closeHost();
        QVERIFY(QFile::remove(m_file));
        writeInPlace(m_file, m_pristine);
        openHost();
        previewWorks(boxes, w, kSummaryRows);
    }

    void unreadableDatabase_data()
    {
        QTest::addColumn<QByteArray>("lockSql");
        QTest::addColumn<qint64>("overwriteAt");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("message");

        // Another program in the middle of writing: readers must wait, and the
        // short wait the host gave its connection runs out.
        QTest::newRow("exclusive transaction")
            << QByteArray("BEGIN EXCLUSIVE") << qint64(0) << 0 << "database is locked";
        // A write not yet committed keeps readers out only at commit time: the
        // Preview reads the books as they were, without the uncommitted return.
        QTest::newRow("open write transaction")
            << QByteArray("BEGIN IMMEDIATE; INSERT INTO purreturns (PurReturnId,PurReturnDate,VendorId) "
                          "VALUES (99,'2024-03-15',7); INSERT INTO purreturnsbody (PurReturnId,LineNo,ProductId,"
                          "Qty,Bonus,Price,DiscRatio,DiscValue,STRatio,STValue) VALUES (99,1,5,1,0,1,0,0,0,0)")
            << qint64(0) << 0 << "";
        QTest::newRow("header overwritten") << QByteArray() << qint64(0) << 100 << "file is not a database";
        QTest::newRow("tables overwritten")
            << QByteArray() << qint64(24) << 20000 << "database disk image is malformed";
    }

    void unreadableDatabase()
    {
        QFETCH(QByteArray, lockSql);
        QFETCH(qint64, overwriteAt);
        QFETCH(int, length);
        QFETCH(QString, message);

        MessageRecorder boxes;
        openHost(QStringLiteral("QSQLITE_BUSY_TIMEOUT=200"));
        auto *w = openSummary();
        QVERIFY(w);
        typeCode(w, QStringLiteral("7"));
        QCOMPARE(w->nameBox()->text(), QStringLiteral("Vendor Seven"));
        QCOMPARE(rowsShown(preview(w)), 4);

        LockHolder lock(m_file, lockSql.constData());
        QVERIFY(lock.ok());
        const QByteArray copy = readAll(m_file);
        if (length > 0)
            writeInPlace(m_file, QByteArray(length, '\xA5'), overwriteAt);
        RptReportViewer *during = preview(w);
        if (message.isEmpty()) {
            QCOMPARE(boxes.texts(), QString());
            QCOMPARE(rowsShown(during), 4);
        } else {
            QCOMPARE(during, nullptr);
            expectError(boxes, message, QStringLiteral("QSQLITE"));
        }
        QCOMPARE(entries(w), QStringLiteral("2024-03-01 2024-03-31 7|Vendor Seven"));

        lock.release();
        writeInPlace(m_file, copy);
        previewWorks(boxes, w, 4);
    }

    void previewWaitsForShortWrite()
    {
        // Qt gives the host's connection a busy timeout of five seconds unless
        // the host chose another; the component keeps it. A write of the host
        // that finishes within it delays the Preview instead of failing it.
        MessageRecorder boxes;
        openHost();
        auto *w = openSummary();
        QVERIFY(w);

        std::promise<void> locked;
        std::thread writer([this, &locked] {
            LockHolder lock(m_file, "BEGIN EXCLUSIVE");
            locked.set_value();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        });
        locked.get_future().wait();
        QElapsedTimer clock;
        clock.start();
        RptReportViewer *viewer = preview(w);
        const qint64 waited = clock.elapsed();
        writer.join();
        QCOMPARE(boxes.texts(), QString());
        QCOMPARE(rowsShown(viewer), kSummaryRows);
        QVERIFY2(waited >= 200, qPrintable(QString::number(waited)));
    }

    // --- The connection dropping -------------------------------------------------

    void connectionDrops_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<bool>("moveFile");
        QTest::addColumn<QString>("message");

        QTest::newRow("ODBC, host closes its connection") << "QODBC" << false
                                                          << "The host's database connection is closed.";
        // The SQLite ODBC driver creates an empty database where the file was.
        QTest::newRow("ODBC, file moved away, host reconnects") << "QODBC" << true
                                                                << "[SQLite]no such table: purreturns (1)";
        QTest::newRow("SQLite, host closes its connection") << "QSQLITE" << false
                                                            << "The host's database connection is closed.";
    }

    void connectionDrops()
    {
        QFETCH(QString, driver);
        QFETCH(bool, moveFile);
        QFETCH(QString, message);

        if (!QSqlDatabase::isDriverAvailable(driver))
            QSKIP("Qt's ODBC driver is not installed");
        QSqlDatabase db = addHost(driver);
        if (!db.open())
            QSKIP(qPrintable(QStringLiteral("the SQLite ODBC driver is not usable here: ") + db.lastError().text()));
        m_reports.InitializeClass(db);

        MessageRecorder boxes;
        auto *w = openSummary();
        QVERIFY(w);
        typeCode(w, QStringLiteral("8"));
        QCOMPARE(w->nameBox()->text(), QStringLiteral("O'Brien Traders"));
        QCOMPARE(rowsShown(preview(w)), 1);

        const QString movedTo = m_file + QStringLiteral(".away");
        db.close();
        if (moveFile) {
            QVERIFY(QFile::rename(m_file, movedTo));
            QVERIFY(db.open());
        }
        QCOMPARE(preview(w), nullptr);
        expectError(boxes, message, driver);
        QCOMPARE(entries(w), QStringLiteral("2024-03-01 2024-03-31 8|O'Brien Traders"));

        if (moveFile) {
            db.close();
            QFile::remove(m_file);
            QVERIFY(QFile::rename(movedTo, m_file));
        }
        QVERIFY(db.open());
        previewWorks(boxes, w, 1);
    }

    void reconnectKeepsUnicodeLike()
    {
        // The host closes and reopens its connection (a new SQLite handle): the
        // lookups' LIKE must still ignore case the Unicode way.
        QSqlDatabase db = openHost();
        exec(db, QString::fromUtf8("INSERT INTO Companies VALUES (40,'\xc3\x89""cole Chimie')"));
        const QString sql =
            QString::fromUtf8("select CompanyName from Companies where CompanyName like '\xc3\xa9""c%'");
        Connection *connection = SharedState::current().SharedConnection.get();
        QCOMPARE(connection->readTable(sql)->rowCount(), 1);
        db.close();
        QVERIFY(db.open());
        QCOMPARE(connection->readTable(sql)->rowCount(), 1);
    }

    // --- The host ----------------------------------------------------------------

    void reportBeforeInitializeClass_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("messages");

        const QString noConnection = QStringLiteral("The connection to the database is not set up: the host has "
                                                    "not yet handed its database connection to the reports.");
        const QString lookupNoConnection = QStringLiteral("There is no database connection.");
        QTest::newRow("Preview") << "preview" << noConnection;
        // The code's check fails, then the lookup dialog opens and cannot fill its list.
        QTest::newRow("code typed") << "code" << noConnection + QStringLiteral(" | ") + lookupNoConnection;
        QTest::newRow("lookup button") << "lookup" << lookupNoConnection;
    }

    void reportBeforeInitializeClass()
    {
        QFETCH(QString, action);
        QFETCH(QString, messages);

        closeHost();
        MessageRecorder boxes;
        Reports reports;
        auto *w = openSummary(reports);
        QVERIFY(w);
        const auto act = [&] {
            ModalDriver<LookupDialog> closer;
            if (action == QLatin1String("preview"))
                return preview(w) != nullptr;
            if (action == QLatin1String("code")) {
                typeCode(w, QStringLiteral("7"));
                return w->nameBox()->text() == QLatin1String("Vendor Seven");
            }
            QTest::mouseClick(w->lookupButton(), Qt::LeftButton);
            return closer.shown == 1;
        };
        QVERIFY(!act() || action == QLatin1String("lookup"));
        QCOMPARE(boxes.texts(), messages);
        for (const RecordedBox &box : std::as_const(boxes.boxes))
            QCOMPARE(box.style, int(vbCritical));

        openHost();
        boxes.boxes.clear();
        w->codeBox()->clear();
        QVERIFY(act());
        QCOMPARE(boxes.texts(), QString());
    }

    void initializeClassWithClosedConnection()
    {
        // The host hands over a connection it has closed: the call fails at once
        // and every window stays on the connection it had.
        openHost();
        const std::shared_ptr<Connection> before = SharedState::current().SharedConnection;
        QCOMPARE(errorOf([this] { m_reports.InitializeClass(addHost()); }).text,
                 QStringLiteral("The database connection handed to the reports is not open."));
        QCOMPARE(SharedState::current().SharedConnection, before);

        MessageRecorder boxes;
        auto *w = openSummary();
        QVERIFY(w);
        previewWorks(boxes, w, kSummaryRows);
    }

    // --- The layout --------------------------------------------------------------

    void layoutWithoutTextObject_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("code");

        QTest::newRow("return summary, company name")
            << ReportKind::PurchaseReturnSummary << "crpPurchaseReturnSummary" << "txtCompName" << "";
        QTest::newRow("return summary, date range")
            << ReportKind::PurchaseReturnSummary << "crpPurchaseReturnSummary" << "txtDate" << "7";
        QTest::newRow("purchase summary, date range")
            << ReportKind::PurchaseSummary << "crpPurchaseSummary" << "txtDate" << "";
        QTest::newRow("register, invoice range")
            << ReportKind::PurchaseRegisterInvoiceWise << "crpPurchaseRegisterIW" << "Txtinvoice" << "";
        QTest::newRow("ledger, product") << ReportKind::ProductPurchaseLedger << "crpPurchaseLedger" << "txtProduct"
                                         << "5";
    }

    // A layout that lacks an object the preparation sets fails it with the
    // engine's words, whichever window or tool prepares it.
    void layoutWithoutTextObject()
    {
        QFETCH(ReportKind, kind);
        QFETCH(QString, layout);
        QFETCH(QString, object);
        QFETCH(QString, code);

        openHost();
        const QString file = layoutWithout(layout, object, m_dir.path());
        QVERIFY(!file.isEmpty());
        Report report(file);
        ReportParameters p;
        p.from = QDate(2024, 3, 1);
        p.to = QDate(2024, 3, 31);
        p.code = code;
        const ReportPreparation preparation(kind, SharedState::current().SharedConnection);
        const std::shared_ptr<Recordset> rows = preparation.readRows(preparation.sql(p), nullptr);
        QVERIFY(rows->RecordCount() > 0);
        try {
            preparation.fillReport(report, p, QStringLiteral("Panadol"), *rows);
            QFAIL("the preparation went on without the object");
        } catch (const Error &e) {
            QCOMPARE(e.description(), QStringLiteral("The report %1 has no object named '%2'.").arg(layout, object));
            QCOMPARE(e.source(), QStringLiteral("Report engine"));
        }
    }

    // --- The printer -------------------------------------------------------------

    void printWithoutPrinter()
    {
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("a printer is installed here despite the unreachable print server");
        const QString noPrinter =
            QStringLiteral("No printer is installed. Install a printer, or export the report to PDF instead.");

        MessageRecorder boxes;
        openHost();
        auto *w = openSummary();
        QVERIFY(w);
        typeCode(w, QStringLiteral("7"));

        // Print from the report window.
        QTest::mouseClick(w->printButton(), Qt::LeftButton);
        expectError(boxes, noPrinter, QStringLiteral("Report engine"));
        QCOMPARE(entries(w), QStringLiteral("2024-03-01 2024-03-31 7|Vendor Seven"));
        QVERIFY(!lastViewer(w));

        // Print from the viewer: it stays with its report.
        RptReportViewer *viewer = preview(w);
        QVERIFY(viewer);
        boxes.boxes.clear();
        viewer->CRViewer91->print();
        QCOMPARE(boxes.texts(), noPrinter);
        QVERIFY(viewer->isVisible());
        QCOMPARE(rowsShown(viewer), 4);

        // A printer appears (the print function of a host that has one): both work.
        QList<int> pages;
        setPrintHandler([&pages](const Document &document, const PrintJob &) { pages << document.pageCount(); });
        boxes.boxes.clear();
        QTest::mouseClick(w->printButton(), Qt::LeftButton);
        viewer->CRViewer91->print();
        QCOMPARE(boxes.texts(), QString());
        QCOMPARE(pages, (QList<int>{1, 1}));
    }

    // --- Exports -----------------------------------------------------------------

    void exportFailures_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("viaViewer");
        QTest::addColumn<QString>("reason");

        for (const char *format : {"csv", "pdf", "xlsx"}) {
            for (bool viewer : {false, true}) {
                const char *by = viewer ? "viewer" : "engine";
                QTest::addRow("%s, read-only folder, %s", format, by)
                    << QString::fromLatin1(format) << "read-only folder" << viewer << "Permission denied";
                // The disk fills after the first 64 bytes of the file.
                QTest::addRow("%s, full disk, %s", format, by)
                    << QString::fromLatin1(format) << "full disk" << viewer << "File too large";
            }
            // The last bytes find no room: the part a writer buffers to the end.
            // (The workbook's size varies from one export to the next; its rows
            // are tested apart.)
            if (qstrcmp(format, "xlsx") != 0) {
                QTest::addRow("%s, disk full at the end, engine", format)
                    << QString::fromLatin1(format) << "disk full at the end" << false << "File too large";
            }
            // Where nobody may create a file, root included. Only through the
            // engine: the save dialog would read the files of /proc to show them.
            QTest::addRow("%s, system folder, engine", format)
                << QString::fromLatin1(format) << "system folder" << false << "No such file or directory";
        }
    }

    void exportFailures()
    {
        QFETCH(QString, format);
        QFETCH(QString, fault);
        QFETCH(bool, viaViewer);
        QFETCH(QString, reason);

        MessageRecorder boxes;
        openHost();
        auto *w = openSummary();
        QVERIFY(w);
        RptReportViewer *viewer = preview(w);
        QVERIFY(viewer);
        QTRY_VERIFY(viewer->CRViewer91->document() && viewer->CRViewer91->document()->complete);

        QTemporaryDir out(m_dir.filePath(QStringLiteral("out-XXXXXX")));
        QVERIFY(out.isValid());
        const bool systemFolder = fault == QLatin1String("system folder");
        const QString fileName = QStringLiteral("report.") + format;
        const QString target = systemFolder ? QStringLiteral("/proc/orvane-") + fileName : out.filePath(fileName);
        const QByteArray earlier("an earlier export, kept until a new one is complete\n");
        if (!systemFolder)
            writeInPlace(target, earlier);
        const QFile::Permissions readOnly =
            QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
            | QFile::ExeOther;

        // The fault starts right before the export writes: in the viewer, once
        // the user has chosen the file.
        rlim_t room = 64;
        if (fault == QLatin1String("disk full at the end")) {
            const QString measure = out.filePath(QStringLiteral("measure.") + format);
            exportAs(format, *viewer->ReportName, measure);
            room = rlim_t(QFileInfo(measure).size() - 16);
            QVERIFY(QFile::remove(measure));
        }
        std::optional<FileSizeLimit> fullDisk;
        std::optional<WithoutRootOverride> asUser;
        bool faulty = false;
        const auto startFault = [&] {
            if (faulty && fault.contains(QLatin1String("full")))
                fullDisk.emplace(room);
            else if (faulty && fault == QLatin1String("read-only folder"))
                asUser.emplace();
        };
        const auto runExport = [&] {
            boxes.boxes.clear();
            if (!viaViewer) {
                startFault();
                const RecordedBox box = errorOf([&] { exportAs(format, *viewer->ReportName, target); });
                if (!box.text.isEmpty())
                    boxes.boxes.append(box);
            } else {
                // The user picks the file in the save dialog and agrees to replace it.
                QTimer answer;
                answer.setInterval(20);
                int tries = 0;
                QObject::connect(&answer, &QTimer::timeout, [&] {
                    for (QWidget *t : QApplication::topLevelWidgets()) {
                        auto *dialog = qobject_cast<QFileDialog *>(t);
                        if (!dialog || !dialog->isVisible())
                            continue;
                        if (++tries > 50) {
                            dialog->reject();   // fail rather than hang
                            continue;
                        }
                        dialog->setOption(QFileDialog::DontConfirmOverwrite);
                        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                        if (!name)
                            continue;
                        name->setText(target);
                        startFault();
                        static_cast<QDialog *>(dialog)->accept();
                    }
                });
                answer.start();
                QAction *exportAction = nullptr;
                for (QAction *a : viewer->CRViewer91->findChild<QToolBar *>()->actions()) {
                    if (a->text().startsWith(QLatin1String("Export")))
                        exportAction = a;
                }
                QVERIFY(exportAction);
                exportAction->trigger();
                QVERIFY2(tries <= 50, "the save dialog did not take the file");
            }
            fullDisk.reset();
            asUser.reset();
        };

        faulty = true;
        if (fault == QLatin1String("read-only folder")) {
            QVERIFY(QFile::setPermissions(out.path(), readOnly));
            if (!WithoutRootOverride().binding())
                QSKIP("root keeps its right to write here");
        }
        runExport();
        const int kind = format == QLatin1String("csv") ? 0 : format == QLatin1String("pdf") ? 1 : 2;
        const char *const sources[] = {"CSV export", "Report engine", "Excel export"};
        expectError(boxes, QStringLiteral("The report could not be saved as \"%1\": %2").arg(target, reason),
                    QString::fromLatin1(sources[kind]));
        QVERIFY(viewer->isVisible());
        if (systemFolder) {
            QVERIFY(!QFileInfo::exists(target));
            return;   // a fault that does not go away
        }
        QCOMPARE(readAll(target), earlier);
        QCOMPARE(strayFiles(out.path(), fileName), QStringList());

        // The fault gone, the same export replaces the earlier file.
        faulty = false;
        QVERIFY(QFile::setPermissions(out.path(), readOnly | QFile::WriteOwner));
        runExport();
        QCOMPARE(boxes.texts(), QString());
        const QByteArray written = readAll(target);
        const QByteArray magic = kind == 1 ? "%PDF-" : kind == 2 ? "PK" : "PurReturnId,";
        QVERIFY2(written.startsWith(magic), written.left(40).constData());
        QCOMPARE(strayFiles(out.path(), fileName), QStringList());
    }

    void fullDiskDuringXlsxRows()
    {
        // The disk fills while the rows are written, after the workbook's first
        // bytes went out: the export must fail, not leave a damaged workbook.
        Table::Builder builder({QStringLiteral("Code"), QStringLiteral("Name"), QStringLiteral("Amount")});
        std::vector<int> order;
        for (int r = 0; r < 20000; ++r) {
            builder.beginRow();
            builder.setValue(0, r);
            builder.setValue(1, QStringLiteral("Party number %1 of the books").arg(r));
            builder.setValue(2, r * 1.25);
            builder.endRow();
            order.push_back(r);
        }
        const std::shared_ptr<const Table> table = builder.finish();
        QTemporaryDir out(m_dir.filePath(QStringLiteral("xlsx-XXXXXX")));
        const QString target = out.filePath(QStringLiteral("rows.xlsx"));
        QVERIFY(exportXlsx(*table, order, target));
        const QByteArray earlier = readAll(target);

        // Room for the whole workbook, not for the sheet's rows before they are packed.
        std::optional<FileSizeLimit> limit(std::in_place, rlim_t(earlier.size() + earlier.size() / 2));
        QVERIFY(limit->active());
        const QString message = errorOf([&] { exportXlsx(*table, order, target); }).text;
        limit.reset();
        QCOMPARE(message, QStringLiteral("The report could not be saved as \"%1\": File too large").arg(target));
        QVERIFY(readAll(target) == earlier);
        QCOMPARE(strayFiles(out.path(), QStringLiteral("rows.xlsx")), QStringList());

        QVERIFY(exportXlsx(*table, order, target));
        QVERIFY(readAll(target).startsWith("PK"));
    }

private:
    /// A connection of the host's to its database file, not yet open.
    QSqlDatabase addHost(const QString &driver = QStringLiteral("QSQLITE"))
    {
        const QString name = QStringLiteral("host-%1").arg(m_hostConnections.size());
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, name);
        m_hostConnections << name;
        db.setDatabaseName(driver == QLatin1String("QODBC")
                               ? QStringLiteral("DRIVER={SQLite3};Database=%1;").arg(m_file)
                               : m_file);
        return db;
    }

    /// Opens the host's file database (a copy of the prepared one) and hands it over.
    QSqlDatabase openHost(const QString &connectOptions = QString())
    {
        QSqlDatabase db = addHost();
        db.setConnectOptions(connectOptions);
        if (!db.open())
            qWarning("host: %s", qPrintable(db.lastError().text()));
        m_reports.InitializeClass(db);
        return db;
    }

    void closeHost()
    {
        SharedState::current().SharedConnection.reset();
        for (const QString &name : std::as_const(m_hostConnections)) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
        m_hostConnections.clear();
    }

    RptPurchaseReturnSummary *openSummary(Reports &reports)
    {
        reports.PurchaseReturnSummary();
        auto *w = SharedState::current().existingWindow<RptPurchaseReturnSummary>();
        return w && w->isVisible() ? openReportWindow<RptPurchaseReturnSummary>() : nullptr;
    }
    RptPurchaseReturnSummary *openSummary() { return openSummary(m_reports); }

    QTemporaryDir m_dir;
    QString m_file;          // the host's database file
    QByteArray m_pristine;   // its bytes as prepared
    QStringList m_hostConnections;
    Reports m_reports;
};

QTEST_MAIN(tst_Faults)
#include "tst_Faults.moc"
