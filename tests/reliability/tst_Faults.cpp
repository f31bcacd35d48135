// Faults of the host's database, the printer and the file system, met while
// windows are open: each must end in one clear message, lose nothing (the
// window's entries, an existing output file), leave no partial file, and the
// next attempt must work once the fault is gone.

#include "ReportTestSupport.h"

#include "CaughtError.h"
#include "ExportFile.h"
#include "MessageRecorder.h"
#include "ReportExport.h"
#include "ReportLayouts.h"
#include "ReportView.h"
#include "TestFiles.h"
#include "TestTable.h"

#include <QAction>
#include <QFileDialog>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <csignal>
#include <optional>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

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

/// Presses Preview; the number of rows the viewer it showed holds, -1 when none.
int previewRows(ReportWindow *w)
{
    RptReportViewer *before = lastViewer(w);
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    RptReportViewer *after = lastViewer(w);
    return after != before && after && after->isVisible() && after->ReportName && after->ReportName->rows()
        ? int(after->ReportName->rowOrder().size()) : -1;
}

// Rows of the return summary over March, all vendors: returns 0, 7, 15 (two
// prices), 40; vendor 7's: 0, 15 (two), 40.
constexpr int kSummaryRows = 5;
constexpr int kVendorSevenRows = 4;

/// The invoice-wise register over `lines` lines, ten to an invoice.
std::unique_ptr<Report> registerReport(int lines)
{
    std::unique_ptr<Report> report = createReportLayout(QStringLiteral("crpPurchaseRegisterIW"));
    report->setRows(tableOf(QStringLiteral("purchaseid purchasedate billno vendorname productid productname qty bonus "
                                           "price Grossvalue Totaldisc Salestax NetValue").split(QLatin1Char(' ')),
                            lines, [](int r) {
        return QVariantList{1001 + r / 10, QDate(2024, 4, 1).addDays(r / 300), QStringLiteral("B-%1").arg(r / 10),
                            QStringLiteral("O'Brien Traders %1").arg(r % 7), r % 10 + 1,
                            QStringLiteral("Product %1 of the books").arg(r), 2, 0, 10.5, 21.0, 0.25, 1.5, 22.25};
    }));
    return report;
}

} // namespace

class tst_Faults : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;          // the host's database file
    QByteArray m_pristine;   // its bytes as prepared
    QStringList m_hostConnections;
    Reports m_reports;
    std::unique_ptr<RptReportViewer> m_viewer;   // of the export faults
    QHash<QString, qint64> m_sizes;               // of a whole export, by format

    /// A connection of the host's to its database file, not yet open.
    QSqlDatabase addHost(const QString &driver = QStringLiteral("QSQLITE"))
    {
        const QString name = QStringLiteral("host-%1").arg(m_hostConnections.size());
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, name);
        m_hostConnections << name;
        db.setDatabaseName(driver == QLatin1String("QODBC") ? QStringLiteral("DRIVER={SQLite3};Database=%1;").arg(m_file)
                                                            : m_file);
        return db;
    }

    /// Opens the host's database file and hands it over, as InitializeClass does.
    QSqlDatabase openHost(const QString &driver = QStringLiteral("QSQLITE"))
    {
        QSqlDatabase db = addHost(driver);
        // A short wait for locks, so that a locked file fails the Preview quickly.
        if (driver == QLatin1String("QSQLITE"))
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=200"));
        if (db.open())
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

public:
    static void initMain()
    {
        qputenv("LC_ALL", "C");
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
        m_pristine = readBytes(m_file);
        QVERIFY(!m_pristine.isEmpty());
    }

    void init() { QVERIFY(writeBytes(m_file, m_pristine)); }

    void cleanup()
    {
        setPrintHandler({});
        SharedState::current().deleteWindows();
        closeHost();
    }

    // --- The database, the host and the printer -----------------------------------

    void databaseFaults_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("action");     // preview, code (typed), lookup (button), print (in the window or the viewer)
        QTest::addColumn<QStringList>("boxes");  // "title: text" of each box; none: the action works

        const QString sqlite = QStringLiteral("QSQLITE"), odbc = QStringLiteral("QODBC");
        const auto closed = [](const QString &driver) { return QStringList{driver + QStringLiteral(": The host's database connection is closed.")}; };
        const QString noConnection = QStringLiteral("Orvane: The connection to the database is not set up: the "
                                                    "host has not yet handed its database connection to the reports.");
        const QString lookupNoConnection = QStringLiteral("Orvane: There is no database connection.");
        // Linux keeps an unlinked file for whoever holds it open.
        QTest::newRow("file removed: the open connection still reads it") << sqlite << "remove" << "preview" << QStringList();
        QTest::newRow("file removed, the host reconnects to a new empty file")
            << sqlite << "remove, reconnect" << "preview" << QStringList{sqlite + ": no such table: purreturns"};
        // Another program in the middle of writing: readers wait, and the host's short wait runs out.
        QTest::newRow("another program's exclusive transaction")
            << sqlite << "exclusive" << "preview" << QStringList{sqlite + ": database is locked"};
        // A write not yet committed keeps readers out only at commit time: the
        // Preview reads the books as they were, without the uncommitted return.
        QTest::newRow("another program's open write") << sqlite << "write" << "preview" << QStringList();
        QTest::newRow("header overwritten")
            << sqlite << "overwrite 0 100" << "preview" << QStringList{sqlite + ": file is not a database"};
        QTest::newRow("tables overwritten")
            << sqlite << "overwrite 24 20000" << "preview" << QStringList{sqlite + ": database disk image is malformed"};
        QTest::newRow("SQLite, the host closes its connection") << sqlite << "close" << "preview" << closed(sqlite);
        QTest::newRow("ODBC, the host closes its connection") << odbc << "close" << "preview" << closed(odbc);
        // The SQLite ODBC driver creates an empty database where the file was.
        QTest::newRow("ODBC, file moved away, the host reconnects")
            << odbc << "move" << "preview" << QStringList{odbc + ": [SQLite]no such table: purreturns (1)"};
        QTest::newRow("before InitializeClass: Preview") << sqlite << "uninitialised" << "preview" << QStringList{noConnection};
        // The code's check fails, then the lookup dialog opens and cannot fill its list.
        QTest::newRow("before InitializeClass: code typed")
            << sqlite << "uninitialised" << "code" << QStringList{noConnection, lookupNoConnection};
        QTest::newRow("before InitializeClass: lookup button")
            << sqlite << "uninitialised" << "lookup" << QStringList{lookupNoConnection};
        const QStringList noPrinter{QStringLiteral("Report engine: No printer is installed. Install a printer, or "
                                                   "export the report to PDF instead.")};
        QTest::newRow("no printer: Print in the window") << sqlite << "no printer" << "print" << noPrinter;
        QTest::newRow("no printer: Print in the viewer") << sqlite << "no printer" << "viewer print" << noPrinter;
    }

    // One critical message, the window's entries kept; the fault gone, the same
    // action works: over the same connection where the host keeps it, else over
    // the one it opens anew.
    void databaseFaults()
    {
        QFETCH(QString, driver);
        QFETCH(QString, fault);
        QFETCH(QString, action);
        QFETCH(QStringList, boxes);
        if (!QSqlDatabase::isDriverAvailable(driver))
            QSKIP("Qt's ODBC driver is not installed");
        const bool initialised = fault != QLatin1String("uninitialised");
        QSqlDatabase db = initialised ? openHost(driver) : QSqlDatabase();
        if (initialised && !db.isOpen())
            QSKIP(qPrintable(QStringLiteral("the SQLite ODBC driver is not usable here: ") + db.lastError().text()));
        MessageRecorder shown;
        ReportWindow *w = openWindow(ReportKind::PurchaseReturnSummary);
        QVERIFY(w);
        int printed = 0;   // pages
        const auto printer = [&printed](const Document &document, const PrintJob &) { printed += document.pageCount(); };
        setPrintHandler(printer);   // the print function of a host that has a printer
        const auto act = [&] {   // whether it did its work
            ModalDriver<LookupDialog> lookups;
            const int before = printed;
            if (action == QLatin1String("print"))
                QTest::mouseClick(w->printButton(), Qt::LeftButton);
            else if (action == QLatin1String("viewer print") && (lastViewer(w) || previewRows(w) > 0))
                lastViewer(w)->CRViewer91->print();
            if (action.endsWith(QLatin1String("print")))
                return printed == before + 1;
            if (action == QLatin1String("preview"))
                return previewRows(w) == (initialised ? kVendorSevenRows : kSummaryRows);
            if (action == QLatin1String("code")) {
                typeCode(w, QStringLiteral("7"));
                return w->nameBox()->text() == QLatin1String("Vendor Seven");
            }
            QTest::mouseClick(w->lookupButton(), Qt::LeftButton);
            return lookups.shown == 1 && shown.boxes.isEmpty();
        };
        if (initialised) {
            typeCode(w, QStringLiteral("7"));
            QVERIFY(act());
        }

        const QString movedTo = m_file + QStringLiteral(".away");
        std::optional<LockHolder> lock;
        const QByteArray copy = readBytes(m_file);
        if (fault.startsWith(QLatin1String("remove"))) {
            QVERIFY(QFile::remove(m_file));
            if (fault.endsWith(QLatin1String("reconnect")))
                db = openHost(driver);
        } else if (fault == QLatin1String("exclusive") || fault == QLatin1String("write")) {
            lock.emplace(m_file, fault == QLatin1String("exclusive") ? "BEGIN EXCLUSIVE"
                : "BEGIN IMMEDIATE; INSERT INTO purreturns (PurReturnId,PurReturnDate,VendorId) VALUES (99,'2024-03-15',7);"
                  " INSERT INTO purreturnsbody (PurReturnId,LineNo,ProductId,Qty,Bonus,Price,DiscRatio,DiscValue,"
                  "STRatio,STValue) VALUES (99,1,5,1,0,1,0,0,0,0)");
            QVERIFY(lock->ok());
        } else if (fault.startsWith(QLatin1String("overwrite"))) {
            QVERIFY(writeBytes(m_file, QByteArray(fault.section(QLatin1Char(' '), 2).toInt(), '\xA5'),
                               fault.section(QLatin1Char(' '), 1, 1).toLongLong()));
        } else if (fault == QLatin1String("no printer")) {
            // No print server for this process: the printer goes with the host's print function.
            if (!QPrinterInfo::availablePrinterNames().isEmpty())
                QSKIP("a printer is installed here despite the unreachable print server");
            setPrintHandler({});
        } else if (initialised) {
            db.close();
            if (fault == QLatin1String("move")) {
                QVERIFY(QFile::rename(m_file, movedTo));
                QVERIFY(db.open());
            }
        }
        shown.boxes.clear();
        QCOMPARE(act(), boxes.isEmpty());
        QStringList expected;
        for (const QString &box : std::as_const(boxes))
            expected << MessageRecorder::describe(vbCritical, box.section(QStringLiteral(": "), 0, 0),
                                                  box.section(QStringLiteral(": "), 1));
        QCOMPARE(shown.shown(), expected.join(QLatin1String(" | ")));
        if (initialised) {
            QCOMPARE(w->fromDate()->date(), kMarchFirst);
            QCOMPARE(w->toDate()->date(), kMarchLast);
            QCOMPARE(w->codeBox()->text() + QLatin1Char('|') + w->nameBox()->text(), QStringLiteral("7|Vendor Seven"));
        }
        if (action == QLatin1String("print"))
            QVERIFY(!lastViewer(w));
        else if (action == QLatin1String("viewer print"))
            QVERIFY(lastViewer(w)->isVisible());   // it stays with its report

        if (fault.startsWith(QLatin1String("remove")) || !initialised) {
            closeHost();
            QFile::remove(m_file);
            QVERIFY(writeBytes(m_file, m_pristine));
            openHost(driver);
        } else if (fault == QLatin1String("no printer")) {
            setPrintHandler(printer);
        } else if (lock || fault.startsWith(QLatin1String("overwrite"))) {
            lock.reset();
            QVERIFY(writeBytes(m_file, copy));
        } else {
            db.close();
            if (fault == QLatin1String("move")) {
                QFile::remove(m_file);
                QVERIFY(QFile::rename(movedTo, m_file));
            }
            QVERIFY(db.open());
        }
        shown.boxes.clear();
        if (!initialised)
            w->codeBox()->clear();
        QVERIFY(act());
        QCOMPARE(shown.texts(), QString());
    }
    void reconnectKeepsUnicodeLike()
    {
        // The host closes and reopens its connection (a new SQLite handle): the
        // lookups' LIKE must still ignore case the Unicode way.
        QSqlDatabase db = openHost();
        exec(db, QString::fromUtf8("INSERT INTO Companies VALUES (40,'\xc3\x89""cole Chimie')"));
        const QString sql = QString::fromUtf8("select CompanyName from Companies where CompanyName like '\xc3\xa9""c%'");
        Connection *connection = SharedState::current().SharedConnection.get();
        QCOMPARE(connection->readTable(sql)->rowCount(), 1);
        db.close();
        QVERIFY(db.open());
        QCOMPARE(connection->readTable(sql)->rowCount(), 1);
    }

    // --- The layout --------------------------------------------------------------

    void layoutWithoutTextObject_data()
    {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("layout");   // another report's, which lacks `object`
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("code");
        QTest::newRow("return summary, company name")
            << ReportKind::PurchaseReturnSummary << "crpPurchaseSummary" << "txtCompName" << "";
        QTest::newRow("ledger, product") << ReportKind::ProductPurchaseLedger << "crpPurchaseSummary" << "txtProduct" << "5";
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
        const std::unique_ptr<Report> report = createReportLayout(layout);
        const ReportPreparation preparation(kind, SharedState::current().SharedConnection);
        const std::shared_ptr<Recordset> rows = preparation.readRows(preparation.sql(march(code)), nullptr);
        QVERIFY(rows->RecordCount() > 0);
        QCOMPARE(errorOf([&] { preparation.fillReport(*report, march(code), QStringLiteral("Panadol"), *rows); }),
                 QStringLiteral("Report engine: The report %1 has no object named '%2'.").arg(layout, object));
    }

    // --- Exports -----------------------------------------------------------------

    void exportFaults_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("viaViewer");
        QTest::addColumn<QString>("reason");   // "": cancelled, no message
        const QList<QPair<const char *, const char *>> faults = {
            {"read-only folder", "Permission denied"},
            {"full disk mid-write", "File too large"},
            {"folder missing", "No such file or directory"},
            {"target is a directory", "Filename refers to a directory"},
            {"cancelled at the end", ""}};
        for (const char *format : {"pdf", "csv", "xlsx", "xlsx-report"}) {
            for (const auto &[fault, reason] : faults) {
                QTest::addRow("%s, %s, engine", format, fault) << format << fault << false << reason;
                // The save dialog opens a directory rather than choosing it; the
                // viewer's Cancel is its progress dialog's, tested with the viewer.
                if (qstrcmp(fault, "target is a directory") != 0 && *reason)
                    QTest::addRow("%s, %s, viewer", format, fault) << format << fault << true << reason;
            }
        }
    }

    // Every format through the engine's one dispatch and through the viewer's
    // Export: one clear message, an earlier file kept byte for byte, nothing
    // left beside it, the viewer still usable; the fault gone, the same export works.
    void exportFaults()
    {
        QFETCH(QString, format);
        QFETCH(QString, fault);
        QFETCH(bool, viaViewer);
        QFETCH(QString, reason);
        if (!m_viewer) {
            m_viewer = std::make_unique<RptReportViewer>();
            m_viewer->ReportName = registerReport(6000);
            m_viewer->show();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!m_viewer->CRViewer91->isPaginating(), 60000);
        const ExportFormat kind = *exportFormatFromName(format);
        // Room for half of the file: the disk fills with blocks already written.
        if (!m_sizes.contains(format)) {
            const QString measure = m_dir.filePath(QStringLiteral("measure.") + format);
            QVERIFY(exportReport(*m_viewer->ReportName, kind, measure));
            m_sizes.insert(format, QFileInfo(measure).size());
            QVERIFY2(m_sizes.value(format) > 3 * 65536, "too small to fill the disk in the middle");
        }

        QTemporaryDir out(m_dir.filePath(QStringLiteral("out-XXXXXX")));
        const QString folder = out.filePath(QStringLiteral("folder"));
        const QString fileName = QStringLiteral("report.") + format.section(QLatin1Char('-'), 0, 0);
        const QString target = folder + QLatin1Char('/') + fileName;
        const QByteArray earlier("an earlier export, kept until a new one is complete\n");
        QVERIFY(QDir().mkpath(fault == QLatin1String("target is a directory") ? target : folder));
        QVERIFY(fault != QLatin1String("folder missing") || QDir(folder).removeRecursively());
        QVERIFY(fault.startsWith(QLatin1String("target")) || !QDir(folder).exists() || writeBytes(target, earlier));
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        if (fault == QLatin1String("read-only folder")) {
            QVERIFY(QFile::setPermissions(folder, readOnly));
            if (!WithoutRootOverride().binding())
                QSKIP("root keeps its right to write here");
        }

        MessageRecorder boxes;
        bool faulty = true;
        std::optional<FileSizeLimit> fullDisk;
        std::optional<WithoutRootOverride> asUser;
        const auto startFault = [&] {   // right before the export writes
            if (faulty && fault.startsWith(QLatin1String("full disk")))
                fullDisk.emplace(rlim_t(m_sizes.value(format) / 2));
            else if (faulty && fault == QLatin1String("read-only folder"))
                asUser.emplace();
        };
        const auto runExport = [&] {
            boxes.boxes.clear();
            bool written = false;
            if (!viaViewer) {
                startFault();
                const ExportProgress cancelAtTheEnd = [](int done, int total) { return done < total; };
                const QString error = errorOf([&] {
                    written = exportReport(*m_viewer->ReportName, kind, target,
                                           faulty && reason.isEmpty() ? cancelAtTheEnd : ExportProgress());
                });
                if (error != QLatin1String("<no error>"))
                    boxes.boxes.append({error.section(QStringLiteral(": "), 1), vbCritical, error.section(QStringLiteral(": "), 0, 0)});
            } else {
                // The user picks the file and the kind, and agrees to replace the file.
                ModalDriver<QFileDialog> save([&](QFileDialog *dialog) {
                    dialog->setOption(QFileDialog::DontConfirmOverwrite);
                    if (kind == ExportFormat::XlsxReport)
                        dialog->selectNameFilter(QStringLiteral("Excel, as printed (*.xlsx)"));
                    dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(target);
                    startFault();
                    static_cast<QDialog *>(dialog)->accept();
                }, [](QFileDialog *dialog) { return dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")); });
                for (QAction *action : m_viewer->CRViewer91->findChildren<QAction *>()) {
                    if (action->text().startsWith(QLatin1String("Export")))
                        action->trigger();
                }
                written = save.shown == 1 && boxes.boxes.isEmpty();
            }
            fullDisk.reset();
            asUser.reset();
            return written;
        };

        QVERIFY(!runExport());
        const QString source = kind == ExportFormat::Csv ? QStringLiteral("CSV export")
                             : kind == ExportFormat::Pdf ? QStringLiteral("Report engine")
                                                         : QStringLiteral("Excel export");
        QCOMPARE(boxes.shown(), reason.isEmpty() ? QString()
                 : MessageRecorder::describe(vbCritical, source, saveFailureText(target, reason)));
        QVERIFY(m_viewer->isVisible());
        if (fault == QLatin1String("target is a directory"))
            QVERIFY(QFileInfo(target).isDir());
        else if (QDir(folder).exists())
            QCOMPARE(readBytes(target), earlier);
        QCOMPARE(filesIn(folder, fileName), QStringList());

        faulty = false;
        QVERIFY(QFile::setPermissions(folder, readOnly | QFile::WriteOwner) || !QDir(folder).exists());
        QDir(target).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(runExport());
        QCOMPARE(boxes.texts(), QString());
        const QByteArray magic = kind == ExportFormat::Pdf ? "%PDF-" : kind == ExportFormat::Csv ? "purchaseid," : "PK";
        QVERIFY2(readBytes(target).startsWith(magic), readBytes(target).left(40).constData());
        QCOMPARE(QFileInfo(target).size(), m_sizes.value(format));
        QCOMPARE(filesIn(folder, fileName), QStringList());
    }

    void cleanupTestCase() { m_viewer.reset(); }
};

QTEST_MAIN(tst_Faults)
#include "tst_Faults.moc"
