// orvane-report run as a process on a small SQLite file: exit statuses,
// messages, and the CSV, XLSX and PDF it writes, against figures worked out
// by hand below. Then SIGINT and SIGTERM at chosen moments of a run over a
// generated database that takes the tool a few seconds.

#include "CaughtError.h"
#include "SqliteSupport.h"
#include "Table.h"
#include "TestDatabase.h"
#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <csignal>

namespace {

/*
Parties:  1 Alpha Traders, 2 Beta, "Best" Ltd (a comma and quotes for the CSV); both vendors.
Products: 10 Tea, 11 Sugar, of company 1 North Co.
Purchases (Qty x Price, Disc%, Disc/unit, Tax%, Tax/unit -> Gross, Totaldisc, Salestax, NetValue):
  5  03-Apr-2024 vendor 1, paid 100
     1 Tea    10 x 15, 5%, 1, 10%, 0.5 -> 150, 17.5, 20, 152.5
     2 Sugar   4 x 20                  ->  80, 0, 0, 80
     3 Tea     1 x 30, 10%             ->  30, 3, 0, 27
       summary                         -> 260, 20.5, 20, 259.5, paid 100 (once, not per line)
  6  09-Apr-2024 vendor 2, paid 12.25
     1 Sugar   3 x 12.5, tax 8%        -> 37.5, 0, 3, 40.5
Return 2, 11-Apr-2024, vendor 2: Sugar 1 x 12.5.
*/
const char *const Rows[] = {
    "INSERT INTO Parties (PartyId,PartyName,IsVendor) VALUES (1,'Alpha Traders',1),(2,'Beta, \"Best\" Ltd',1)",
    "INSERT INTO Companies VALUES (1,'North Co')",
    "INSERT INTO Products (ProductId,ProductName,CompanyId) VALUES (10,'Tea',1),(11,'Sugar',1)",
    "INSERT INTO purchase (PurchaseId,PurchaseDate,VendorId,BillNo,PaidAmount) VALUES"
    " (5,'2024-04-03',1,'A-5',100),(6,'2024-04-09',2,'B-6',12.25)",
    "INSERT INTO purchasebody (PurchaseId,LineNo,ProductId,Qty,Bonus,Price,DiscRatio,DiscValue,STRatio,STValue,"
    "TTLValue,TTLSalesTax) VALUES (5,1,10,10,2,15,5,1,10,0.5,132.5,20),(5,2,11,4,0,20,0,0,0,0,80,0),"
    " (5,3,10,1,0,30,10,0,0,0,27,0),(6,1,11,3,0,12.5,0,0,8,0,37.5,3)",
    "INSERT INTO purreturns (PurReturnId,PurReturnDate,PurchaseId,VendorId,ReceivedAmount)"
    " VALUES (2,'2024-04-11',6,2,13.5)",
    "INSERT INTO purreturnsbody (PurReturnId,LineNo,ProductId,Qty,Bonus,Price,DiscRatio,DiscValue,STRatio,"
    "STValue,TTLValue,TTLSalesTax) VALUES (2,1,11,1,0,12.5,0,0,8,0,12.5,1)",
    "INSERT INTO Project_registry VALUES ('companyname','Orvane Books')",
    // December 2023, outside every April run: a number above five digits.
    "INSERT INTO purchase (PurchaseId,PurchaseDate,VendorId,BillNo,PaidAmount) VALUES (123456,'2023-12-15',1,'Z-1',0)",
    "INSERT INTO purchasebody (PurchaseId,LineNo,ProductId,Qty,Bonus,Price,DiscRatio,DiscValue,STRatio,STValue,"
    "TTLValue,TTLSalesTax) VALUES (123456,1,10,1,0,10,0,0,0,0,10,0)",
};

const QString April = QStringLiteral(" --db books.sqlite --from 2024-04-01 --to 2024-04-30");

struct Run
{
    int status = -1;
    QString err;
};

} // namespace

class tst_OrvaneReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // books.sqlite, and broken.sqlite without the purchase lines.
        for (const char *name : {"books.sqlite", "broken.sqlite"}) {
            QSqlDatabase db = orvane::test::createTestDatabase(path(QLatin1String(name)), QStringLiteral("cli"));
            for (const char *sql : Rows)
                orvane::test::exec(db, QString::fromUtf8(sql));
            if (name == QLatin1String("broken.sqlite"))
                orvane::test::exec(db, QStringLiteral("DROP TABLE purchasebody"));
            db.close();
            db = QSqlDatabase();   // the last handle goes before the connection is removed
            QSqlDatabase::removeDatabase(QStringLiteral("cli"));
        }
        m_bigDatabase = path(QStringLiteral("big.sqlite"));
        const QString made = orvane::test::toolOutput(QStringLiteral(ORVANE_DEMODB_BINARY),
                                     {QStringLiteral("--scale"), QStringLiteral("10"), QStringLiteral("--out"), m_bigDatabase});
        QVERIFY2(QFile::exists(m_bigDatabase), qPrintable(made));
        m_bigDatabase = QFileInfo(m_bigDatabase).canonicalFilePath();   // as /proc names it
    }

    void exitStatus_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");

        QTest::newRow("written") << "purchase-summary" + April << 0 << "";
        QTest::newRow("no rows") << "purchase-summary --db books.sqlite --from 2024-05-01 --to 2024-05-31" << 1
                                 << "No record exists.";
        QTest::newRow("no rows, the report's own words") << "product-wise-purchases --db books.sqlite --from 2024-05-01" << 1
                                                         << "No record found";
        QTest::newRow("unknown product") << "purchase-ledger --product 77" + April << 2 << "Product Code doesn't exist.";
        QTest::newRow("vendor code naming nobody") << "purchase-return-summary --vendor 999" + April << 2
                                                   << "Vendor 999 doesn't exist.";
        QTest::newRow("vendor code with an apostrophe") << "purchase-return-summary --vendor 1'" + April << 2
                                                        << "Vendor code must be a whole number: digits only.";
        QTest::newRow("missing table") << "purchase-summary --db broken.sqlite --from 2024-04-01" << 3
                                       << "QSQLITE: no such table: purchasebody";
        QTest::newRow("no such database file") << "purchase-summary --db nowhere.sqlite" << 3
                                               << "cannot open database nowhere.sqlite: no such file";
    }

    // Only a complete report replaces the file there, with nothing left beside
    // it; a refusal adds the usage line.
    void exitStatus()
    {
        QFETCH(QString, line);
        QFETCH(int, status);
        QFETCH(QString, message);
        const QString out = path(QStringLiteral("status.csv"));
        QVERIFY(orvane::test::writeBytes(out, "old report\n"));
        const Run r = run(line + QStringLiteral(" -o status.csv"));
        QCOMPARE(r.status, status);
        QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (status == 2)
            QVERIFY2(lines.takeLast().startsWith(QLatin1String("usage: orvane-report REPORT")), qPrintable(r.err));
        QCOMPARE(lines.join(QLatin1Char('\n')), message.isEmpty() ? QString() : "orvane-report: " + message);
        QCOMPARE(orvane::test::readBytes(out) == "old report\n", status != 0);
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("status.csv*")}, QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("status.csv")});
    }

    void outputs_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("present");   // in the text read back; a CSV's is its whole text
        QTest::addColumn<QStringList>("absent");

        QTest::newRow("csv: header, two purchases, paid once, quotes doubled")
            << "purchase-summary --quiet -o summary.csv" + April
            << QStringList{"PurchaseId,PurchaseDate,vendorname,Grossvalue,Totaldisc,Salestax,NetValue,PaidAmount\r\n"
                           "5,2024-04-03,Alpha Traders,260,20.5,20,259.5,100\r\n"
                           "6,2024-04-09,\"Beta, \"\"Best\"\" Ltd\",37.5,0,3,40.5,12.25\r\n"}
            << QStringList{};
        // Money as number cells; 3 April 2024 as the day number 45385 of the 1900 date system.
        QTest::newRow("xlsx: number and date cells") << "purchase-summary -o summary.xlsx" + April
            << QStringList{"<v>259.5</v>", "<v>20.5</v>", "<v>12.25</v>", "<v>45385</v>", "<v>45391</v>",
                           "Alpha Traders", "Beta, \"Best\" Ltd"}
            << QStringList{"2024-04-03"};
        QTest::newRow("pdf: the headings") << "purchase-return-summary -o returns.pdf" + April
            << QStringList{"Orvane Books", "Date Between : 01-Apr-2024 To 30-Apr-2024", "Best"} << QStringList{};
        // Blank options bound nothing; the heading names the lowest and highest printed.
        const QString register_ = QStringLiteral("purchase-register -o register.pdf --db books.sqlite --from 2023-12-01 "
                                                 "--to 2024-04-30");
        QTest::newRow("pdf: register without numbers, 123456 too") << register_
            << QStringList{"Invoiceno Between : 5 To 123456", "Invoice No. 123456"} << QStringList{};
        QTest::newRow("pdf: register up to 99999") << register_ + " --to-no 99999"
            << QStringList{"Invoiceno Between : 5 To 99999"} << QStringList{"Invoice No. 123456"};
    }

    void outputs()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        const Run r = run(line);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QString());
        const QString file = path(line.section(QStringLiteral("-o "), 1).section(QLatin1Char(' '), 0, 0));
        const QString text = file.endsWith(QLatin1String(".csv")) ? QString::fromUtf8(orvane::test::readBytes(file))
            : file.endsWith(QLatin1String(".pdf"))
            ? orvane::test::pdfText(file)
            : orvane::test::zipMember(file, QStringLiteral("xl/worksheets/sheet1.xml"))
                + orvane::test::zipMember(file, QStringLiteral("xl/sharedStrings.xml"));
        if (text.isNull())
            QSKIP("pdftotext or unzip is not installed");
        if (file.endsWith(QLatin1String(".csv")))
            QCOMPARE(text, present.value(0));
        for (const QString &piece : std::as_const(present))
            QVERIFY2(text.contains(piece), qPrintable(piece + QStringLiteral(" in ") + text));
        for (const QString &piece : std::as_const(absent))
            QVERIFY2(!text.contains(piece), qPrintable(piece));
    }

    // The signals below may arrive after the rows are read: only here does a set
    // flag have to stop a statement in SQLite, and stop mattering once the scope ends.
    void queryStopsWhenCancelled()
    {
        const QString sql = QStringLiteral("SELECT sum(Qty), count(*) FROM purchasebody");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("cancel"));
            db.setDatabaseName(m_bigDatabase);
            QVERIFY(db.open());
            std::atomic_bool cancel{true};
            {
                const orvane::SqliteSupport::CancelScope scope(db, &cancel);
                QCOMPARE(orvane::test::errorOf([&] { orvane::SqliteSupport::readTable(db, sql); }),
                         QStringLiteral("QSQLITE: interrupted"));
            }
            QVERIFY(orvane::SqliteSupport::readTable(db, sql)->number(0, 1) > 80000);
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("cancel"));
    }

    void signalCancels_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("writing");    // signalled once the output is being written, else while reading rows
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("existing");   // a previous report stands at the target

        QTest::newRow("pdf, SIGINT while reading rows") << "pdf" << false << SIGINT << false;
        QTest::newRow("csv, SIGTERM while writing, a previous file kept") << "csv" << true << SIGTERM << true;
        QTest::newRow("xlsx, SIGINT while writing") << "xlsx" << true << SIGINT << false;
    }

    // A signal at any moment: exit status 4, "cancelled", no file written and no
    // temporary file left, a previous report untouched.
    void signalCancels()
    {
        QFETCH(QString, format);
        QFETCH(bool, writing);
        QFETCH(int, signal);
        QFETCH(bool, existing);
        if (!QFileInfo(QStringLiteral("/proc/self/fd")).isDir())
            QSKIP("needs /proc to see what the tool has open");

        QTemporaryDir outDir;
        QVERIFY(outDir.isValid());
        const QString outPath = QFileInfo(outDir.path()).canonicalFilePath();
        const QString target = outPath + QStringLiteral("/report.") + format;
        const QByteArray previous = "previous report\n";
        if (existing)
            QVERIFY(orvane::test::writeBytes(target, previous));

        QProcess p;
        // Every line of two years, every invoice number: the largest report.
        p.start(QStringLiteral(ORVANE_REPORT_BINARY),
                {QStringLiteral("purchase-register"), QStringLiteral("--db"), m_bigDatabase, QStringLiteral("--from"),
                 QStringLiteral("2024-04-01"), QStringLiteral("--to"), QStringLiteral("2026-03-31"),
                 QStringLiteral("--to-no"), QStringLiteral("999999"), QStringLiteral("--quiet"), QStringLiteral("-o"),
                 target});
        QVERIFY(p.waitForStarted());

        // What the tool has open tells the moment: the database once it reads, a
        // file in the output folder once it writes (written aside, renamed at the end).
        const auto opened = [fds = QDir(QStringLiteral("/proc/%1/fd").arg(p.processId()))](const QString &prefix) {
            const QFileInfoList links = fds.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
            return std::any_of(links.begin(), links.end(),
                               [&](const QFileInfo &fd) { return fd.symLinkTarget().startsWith(prefix); });
        };
        const auto reached = [&] {
            const bool output = opened(outPath + QLatin1Char('/'));
            return writing ? output : opened(m_bigDatabase) && !output;
        };
        QElapsedTimer waited;
        waited.start();
        while (p.state() == QProcess::Running && !reached() && waited.elapsed() < 120000)
            p.waitForFinished(1);
        QVERIFY2(p.state() == QProcess::Running, "the tool ended before the moment of the signal");
        QCOMPARE(::kill(pid_t(p.processId()), signal), 0);

        QVERIFY(p.waitForFinished(120000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QStringLiteral("orvane-report: cancelled\n"));
        QCOMPARE(p.exitCode(), 4);
        QCOMPARE(orvane::test::filesIn(outPath), existing ? QStringList{QFileInfo(target).fileName()} : QStringList());
        if (existing)
            QCOMPARE(orvane::test::readBytes(target), previous);
    }

private:
    // Runs the tool in the temporary folder on `line`, split at blanks.

    Run run(const QString &line)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));   // English month names in the headings
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_dir.path());
        p.start(QStringLiteral(ORVANE_REPORT_BINARY), line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
        if (!p.waitForFinished(120000)) {
            p.kill();
            return {-1, QStringLiteral("<timed out>")};
        }
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2, QString::fromUtf8(p.readAllStandardError())};
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QString m_bigDatabase;   // about 90,000 purchase lines
};

QTEST_GUILESS_MAIN(tst_OrvaneReport)
#include "tst_OrvaneReport.moc"
