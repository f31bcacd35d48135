// orvane-report run as a process on a small SQLite file: exit statuses,
// messages, and the CSV, XLSX and PDF it writes, against figures worked out
// by hand below.

#include "TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

/*
Parties:   1 Alpha Traders, 2 Beta, "Best" Ltd (a comma and quotes for the CSV), 3 Gamma; all vendors.
Products:  10 Tea, 11 Sugar (company 1 North Co, unit Box).

Purchases (Qty x Price, Disc%, Disc/unit, Tax%, Tax/unit -> Gross, Totaldisc, Salestax, NetValue):
  5  03-Apr-2024 vendor 1, paid 100
     1 Tea    10 x 15, 5%, 1, 10%, 0.5 -> 150, 17.5, 20, 152.5
     2 Sugar   4 x 20                  ->  80, 0, 0, 80
     3 Tea     1 x 30, 10%             ->  30, 3, 0, 27
       summary                         -> 260, 20.5, 20, 259.5, paid 100
  6  09-Apr-2024 vendor 2, paid 12.25
     1 Sugar   3 x 12.5, tax 8%        -> 37.5, 0, 3, 40.5
  900 today, vendor 3: Tea 2 x 5 -> 10   (only the default date range finds it)
Return 2, 11-Apr-2024, vendor 2: Sugar 1 x 12.5, tax 8% -> 12.5, 0, 1, 13.5
Product-wise, April: Tea   PQty 11, PPrice 22.5, PDisc 20.5, PValue 179.5, returns 0
                     Sugar PQty 7, PPrice 16.25, PDisc 0, PValue 80+40.5=120.5; RQty 1, RPrice 12.5, RValue 13.5
*/
void fillRows(QSqlDatabase db)
{
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    const QStringList rows = {
        QStringLiteral("INSERT INTO Companies VALUES (1,'North Co')"),
        QStringLiteral("INSERT INTO Units VALUES (1,'Box')"),
        QStringLiteral("INSERT INTO Parties (PartyId,PartyName,IsVendor) VALUES"
                       " (1,'Alpha Traders',1),(2,'Beta, \"Best\" Ltd',1),(3,'Gamma',1)"),
        QStringLiteral("INSERT INTO Products (ProductId,ProductName,CompanyId,UnitID) VALUES"
                       " (10,'Tea',1,1),(11,'Sugar',1,1)"),
        QStringLiteral("INSERT INTO purchase (PurchaseId,PurchaseDate,VendorId,BillNo,PaidAmount) VALUES"
                       " (5,'2024-04-03',1,'A-5',100),(6,'2024-04-09',2,'B-6',12.25),(900,'%1',3,'T',0)")
            .arg(today),
        QStringLiteral("INSERT INTO purchasebody (PurchaseId,LineNo,ProductId,Qty,Bonus,Price,DiscRatio,"
                       "DiscValue,STRatio,STValue,TTLValue,TTLSalesTax) VALUES"
                       " (5,1,10,10,2,15,5,1,10,0.5,132.5,20),(5,2,11,4,0,20,0,0,0,0,80,0),"
                       " (5,3,10,1,0,30,10,0,0,0,27,0),(6,1,11,3,0,12.5,0,0,8,0,37.5,3),"
                       " (900,1,10,2,0,5,0,0,0,0,10,0)"),
        QStringLiteral("INSERT INTO purreturns (PurReturnId,PurReturnDate,PurchaseId,VendorId,ReceivedAmount)"
                       " VALUES (2,'2024-04-11',6,2,13.5)"),
        QStringLiteral("INSERT INTO purreturnsbody (PurReturnId,LineNo,ProductId,Qty,Bonus,Price,DiscRatio,"
                       "DiscValue,STRatio,STValue,TTLValue,TTLSalesTax) VALUES (2,1,11,1,0,12.5,0,0,8,0,12.5,1)"),
        QStringLiteral("INSERT INTO Project_registry VALUES ('companyname','Orvane Books')"),
        QStringLiteral("INSERT INTO registry VALUES ('companyname','Ledger House')"),
    };
    for (const QString &sql : rows)
        orvane::test::exec(db, sql);
}

struct Run
{
    int status = -1;
    QString err;
    QString out;
};

QStringList aprilArgs()
{
    return {QStringLiteral("--from"), QStringLiteral("2024-04-01"), QStringLiteral("--to"), QStringLiteral("2024-04-30")};
}

QString readText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("<cannot read %1>").arg(path);
    return QString::fromUtf8(f.readAll());
}

QString runTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return QStringLiteral("<%1 did not finish>").arg(program);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class tst_OrvaneReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void csvOfPurchaseSummary();
    void csvOfRegisterForOneVendor();
    void csvOfProductWisePurchases();
    void refusals_data();
    void refusals();
    void noRows_data();
    void noRows();
    void databaseErrors_data();
    void databaseErrors();
    void existingFileReplacedOnlyWhenComplete();
    void defaultsFindTodaysPurchase();
    void xlsxHasNumberAndDateCells();
    void pdfHoldsHeadingsAndRows_data();
    void pdfHoldsHeadingsAndRows();
    void odbcGivesTheSameRows();

private:
    Run run(const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QString m_db;
};

void tst_OrvaneReport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_db = path(QStringLiteral("books.sqlite"));
    {
        QSqlDatabase db = orvane::test::createTestDatabase(m_db, QStringLiteral("cli-books"));
        fillRows(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("cli-books"));
    // A database without the return lines, and one without company names.
    const QStringList damage[] = {{QStringLiteral("DROP TABLE purreturnsbody")},
                                  {QStringLiteral("DELETE FROM Project_registry"), QStringLiteral("DELETE FROM registry")}};
    const QString names[] = {QStringLiteral("broken.sqlite"), QStringLiteral("nocompany.sqlite")};
    for (int i = 0; i < 2; ++i) {
        {
            QSqlDatabase db = orvane::test::createTestDatabase(path(names[i]), QStringLiteral("cli-damaged"));
            fillRows(db);
            for (const QString &sql : damage[i])
                orvane::test::exec(db, sql);
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("cli-damaged"));
    }
}

Run tst_OrvaneReport::run(const QStringList &args, const QProcessEnvironment &env)
{
    QProcess p;
    QProcessEnvironment e = env;
    e.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));   // English month names in the headings
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(e);
    p.setWorkingDirectory(m_dir.path());
    p.start(QStringLiteral(ORVANE_REPORT_BINARY), args);
    Run r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        r.err = QStringLiteral("<timed out>");
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.err = QString::fromUtf8(p.readAllStandardError());
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    return r;
}

void tst_OrvaneReport::csvOfPurchaseSummary()
{
    const QString out = path(QStringLiteral("summary.csv"));
    const Run r = run(QStringList{QStringLiteral("purchase-summary"), QStringLiteral("--db"), m_db} + aprilArgs()
                      + QStringList{QStringLiteral("--quiet"), QStringLiteral("-o"), out});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.err, QString());
    const QStringList lines = readText(out).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 4);   // header, two purchases, the empty text after the last CRLF
    QCOMPARE(lines.at(0).toLower(), QStringLiteral("purchaseid,purchasedate,vendorname,grossvalue,totaldisc,"
                                                   "salestax,netvalue,paidamount"));
    // The paid amount of purchase 5 is taken once although it has three lines.
    QCOMPARE(lines.at(1), QStringLiteral("5,2024-04-03,Alpha Traders,260,20.5,20,259.5,100"));
    QCOMPARE(lines.at(2), QStringLiteral("6,2024-04-09,\"Beta, \"\"Best\"\" Ltd\",37.5,0,3,40.5,12.25"));
    QCOMPARE(lines.at(3), QString());
}

void tst_OrvaneReport::csvOfRegisterForOneVendor()
{
    const QString out = path(QStringLiteral("register.csv"));
    const Run r = run(QStringList{QStringLiteral("purchase-register"), QStringLiteral("--db"), m_db,
                                  QStringLiteral("--vendor"), QStringLiteral("001"), QStringLiteral("--to-no"),
                                  QStringLiteral("5"), QStringLiteral("-o"), out}
                      + aprilArgs());
    QCOMPARE(r.status, 0);
    const QStringList lines = readText(out).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    // Lines of purchase 5 by product: Tea (two lines), then Sugar.
    QCOMPARE(lines.at(1), QStringLiteral("5,2024-04-03,A-5,Alpha Traders,10,Tea,10,2,15,150,17.5,20,152.5"));
    QCOMPARE(lines.at(2), QStringLiteral("5,2024-04-03,A-5,Alpha Traders,10,Tea,1,0,30,30,3,0,27"));
    QCOMPARE(lines.at(3), QStringLiteral("5,2024-04-03,A-5,Alpha Traders,11,Sugar,4,0,20,80,0,0,80"));
}

void tst_OrvaneReport::csvOfProductWisePurchases()
{
    const QString out = path(QStringLiteral("productwise.csv"));
    const Run r = run(QStringList{QStringLiteral("product-wise-purchases"), QStringLiteral("--db"), m_db,
                                  QStringLiteral("--company"), QStringLiteral("1"), QStringLiteral("-o"), out}
                      + aprilArgs());
    QCOMPARE(r.status, 0);
    QStringList lines = readText(out).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.takeFirst().toLower(),
             QStringLiteral("productid,productname,pqty,pprice,pdisc,pvalue,rqty,rprice,rdisc,rvalue,unitname"));
    lines.sort();   // the query has no ordering
    QCOMPARE(lines.at(0), QStringLiteral("10,Tea,11,22.5,20.5,179.5,0,0,0,0,Box"));
    QCOMPARE(lines.at(1), QStringLiteral("11,Sugar,7,16.25,0,120.5,1,12.5,0,13.5,Box"));
}

void tst_OrvaneReport::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");

    QTest::newRow("ledger without product") << QStringList{QStringLiteral("purchase-ledger")}
                                            << "orvane-report: Enter Product Code.";
    QTest::newRow("unknown product") << QStringList{QStringLiteral("purchase-ledger"), QStringLiteral("--product"),
                                                    QStringLiteral("77")}
                                     << "orvane-report: Product Code doesn't exist.";
    QTest::newRow("unknown product in the return ledger")
        << QStringList{QStringLiteral("purchase-return-ledger"), QStringLiteral("--product"), QStringLiteral("abc")}
        << "orvane-report: Product Code doesn't exist.";
    QTest::newRow("unknown vendor") << QStringList{QStringLiteral("purchase-summary"), QStringLiteral("--vendor"),
                                                   QStringLiteral("999")}
                                    << "orvane-report: Vendor 999 doesn't exist.";
    QTest::newRow("vendor code with an apostrophe names nobody")
        << QStringList{QStringLiteral("purchase-return-summary"), QStringLiteral("--vendor"), QStringLiteral("x'")}
        << "orvane-report: Vendor x' doesn't exist.";
    QTest::newRow("unknown company") << QStringList{QStringLiteral("product-wise-purchases"),
                                                    QStringLiteral("--company"), QStringLiteral("7")}
                                     << "orvane-report: Company 7 doesn't exist.";
    QTest::newRow("reversed dates on product-wise")
        << QStringList{QStringLiteral("product-wise-purchases"), QStringLiteral("--from"), QStringLiteral("2024-05-01"),
                       QStringLiteral("--to"), QStringLiteral("2024-04-01")}
        << "orvane-report: From date must be less than or equal to To date";
    QTest::newRow("pasted invoice number") << QStringList{QStringLiteral("purchase-register"),
                                                          QStringLiteral("--from-no"), QStringLiteral("1;drop")}
                                           << "orvane-report: From Invoice No must be a whole number.";
    QTest::newRow("bad date") << QStringList{QStringLiteral("purchase-summary"), QStringLiteral("--from"),
                                             QStringLiteral("2024-4-1")}
                              << "orvane-report: --from: '2024-4-1' is not a date (YYYY-MM-DD)";
}

void tst_OrvaneReport::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const QString out = path(QStringLiteral("refused.pdf"));
    const Run r = run(args + QStringList{QStringLiteral("--db"), m_db, QStringLiteral("-o"), out});
    QCOMPARE(r.status, 2);
    const QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0), message);
    QVERIFY2(lines.at(1).startsWith(QStringLiteral("usage: orvane-report REPORT")), qPrintable(r.err));
    QVERIFY(!QFile::exists(out));
}

void tst_OrvaneReport::noRows_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");

    const QStringList may = {QStringLiteral("--from"), QStringLiteral("2024-05-01"), QStringLiteral("--to"),
                             QStringLiteral("2024-05-31")};
    QTest::newRow("summary in May") << QStringList{QStringLiteral("purchase-summary")} + may
                                    << "orvane-report: No record exists.";
    QTest::newRow("product-wise in May") << QStringList{QStringLiteral("product-wise-purchases")} + may
                                         << "orvane-report: No record found";
    QTest::newRow("reversed range elsewhere finds nothing")
        << QStringList{QStringLiteral("purchase-summary"), QStringLiteral("--from"), QStringLiteral("2024-04-30"),
                       QStringLiteral("--to"), QStringLiteral("2024-04-01")}
        << "orvane-report: No record exists.";
    QTest::newRow("vendor without returns") << QStringList{QStringLiteral("purchase-return-summary"),
                                                           QStringLiteral("--vendor"), QStringLiteral("1")}
                                                + aprilArgs()
                                            << "orvane-report: No record exists.";
    QTest::newRow("return register above the range")
        << QStringList{QStringLiteral("purchase-return-register"), QStringLiteral("--from-no"), QStringLiteral("3x")}
               + aprilArgs()
        << "orvane-report: No record exists.";
}

void tst_OrvaneReport::noRows()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const QString out = path(QStringLiteral("empty.csv"));
    const Run r = run(args + QStringList{QStringLiteral("--db"), m_db, QStringLiteral("-o"), out});
    QCOMPARE(r.status, 1);
    QCOMPARE(r.err.trimmed(), message);
    QVERIFY(!QFile::exists(out));
}

void tst_OrvaneReport::databaseErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("needle");

    QTest::newRow("missing table") << QStringList{QStringLiteral("purchase-return-register"), QStringLiteral("--db"),
                                                  QStringLiteral("broken.sqlite")}
                                   << "purreturnsbody";
    QTest::newRow("return summary without company name")
        << QStringList{QStringLiteral("purchase-return-summary"), QStringLiteral("--db"),
                       QStringLiteral("nocompany.sqlite")}
        << "registrykey='companyname'";
    QTest::newRow("return ledger without company name")
        << QStringList{QStringLiteral("purchase-return-ledger"), QStringLiteral("--product"), QStringLiteral("11"),
                       QStringLiteral("--db"), QStringLiteral("nocompany.sqlite")}
        << "registrykey='companyname'";
    // Reports without a company heading do not need one.
    QTest::newRow("summary without company name") << QStringList{QStringLiteral("purchase-summary"),
                                                                 QStringLiteral("--db"),
                                                                 QStringLiteral("nocompany.sqlite")}
                                                  << "";
    QTest::newRow("ledger without company name")
        << QStringList{QStringLiteral("purchase-ledger"), QStringLiteral("--product"), QStringLiteral("10"),
                       QStringLiteral("--db"), QStringLiteral("nocompany.sqlite")}
        << "";
    QTest::newRow("no such database file") << QStringList{QStringLiteral("purchase-summary"), QStringLiteral("--db"),
                                                          QStringLiteral("nowhere.sqlite")}
                                           << "nowhere.sqlite";
    QTest::newRow("demo database missing") << QStringList{QStringLiteral("purchase-summary")}
                                           << "demo/orvane-demo.sqlite";
}

void tst_OrvaneReport::databaseErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, needle);
    const QString out = path(QStringLiteral("failed.csv"));
    QFile::remove(out);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("ORVANE_DEMO_DB"));
    const Run r = run(args + aprilArgs() + QStringList{QStringLiteral("-o"), out}, env);
    if (needle.isEmpty()) {
        QCOMPARE(r.status, 0);
        QVERIFY(QFile::exists(out));
        return;
    }
    QCOMPARE(r.status, 3);
    QVERIFY2(r.err.startsWith(QStringLiteral("orvane-report: ")), qPrintable(r.err));
    QVERIFY2(r.err.contains(needle), qPrintable(r.err));
    QVERIFY(!QFile::exists(out));
}

void tst_OrvaneReport::existingFileReplacedOnlyWhenComplete()
{
    const QString out = path(QStringLiteral("kept.csv"));
    {
        QFile f(out);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old report\n");
    }
    const Run empty = run(QStringList{QStringLiteral("purchase-summary"), QStringLiteral("--db"), m_db,
                                      QStringLiteral("--from"), QStringLiteral("2020-01-01"), QStringLiteral("--to"),
                                      QStringLiteral("2020-01-31"), QStringLiteral("-o"), out});
    QCOMPARE(empty.status, 1);
    QCOMPARE(readText(out), QStringLiteral("old report\n"));

    const Run failed = run(QStringList{QStringLiteral("purchase-return-summary"), QStringLiteral("--db"),
                                       path(QStringLiteral("broken.sqlite")), QStringLiteral("-o"), out}
                           + aprilArgs());
    QCOMPARE(failed.status, 3);
    QCOMPARE(readText(out), QStringLiteral("old report\n"));

    const Run written = run(QStringList{QStringLiteral("purchase-summary"), QStringLiteral("--db"), m_db,
                                        QStringLiteral("-o"), out}
                            + aprilArgs());
    QCOMPARE(written.status, 0);
    QVERIFY(readText(out).contains(QStringLiteral("Alpha Traders")));
    // Nothing is left beside it.
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("kept.csv*")}, QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("kept.csv")});
}

void tst_OrvaneReport::defaultsFindTodaysPurchase()
{
    // No --db: the demo database named by the environment; no dates: this month to today.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORVANE_DEMO_DB"), m_db);
    const QString out = path(QStringLiteral("today.csv"));
    const Run r = run({QStringLiteral("purchase-summary"), QStringLiteral("-o"), out}, env);
    QCOMPARE(r.status, 0);
    const QStringList lines = readText(out).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines.at(1).startsWith(QStringLiteral("900,") + QDate::currentDate().toString(Qt::ISODate)),
             qPrintable(lines.at(1)));
}

void tst_OrvaneReport::xlsxHasNumberAndDateCells()
{
    const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    if (unzip.isEmpty())
        QSKIP("unzip is not installed");
    const QString out = path(QStringLiteral("summary.xlsx"));
    const Run r = run(QStringList{QStringLiteral("purchase-summary"), QStringLiteral("--db"), m_db,
                                  QStringLiteral("-o"), out}
                      + aprilArgs());
    QCOMPARE(r.status, 0);
    const QString sheet = runTool(unzip, {QStringLiteral("-p"), out, QStringLiteral("xl/worksheets/sheet1.xml")});
    const QString strings = runTool(unzip, {QStringLiteral("-p"), out, QStringLiteral("xl/sharedStrings.xml")});
    // Money as number cells; 3 April 2024 as the day number 45385 of the 1900 date system.
    for (const char *value : {"<v>259.5</v>", "<v>20.5</v>", "<v>12.25</v>", "<v>45385</v>", "<v>45391</v>"})
        QVERIFY2(sheet.contains(QLatin1String(value)), value);
    QVERIFY(!sheet.contains(QStringLiteral("2024-04-03")));
    QVERIFY2((strings + sheet).contains(QStringLiteral("Alpha Traders")), qPrintable(strings));
    QVERIFY((strings + sheet).contains(QStringLiteral("Beta, &quot;Best&quot; Ltd"))
            || (strings + sheet).contains(QStringLiteral("Beta, \"Best\" Ltd")));
}

void tst_OrvaneReport::pdfHoldsHeadingsAndRows_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("return summary") << QStringList{QStringLiteral("purchase-return-summary")}
                                    << QStringList{QStringLiteral("Orvane Books"),
                                                   QStringLiteral("Date Between : 01-Apr-2024 To 30-Apr-2024"),
                                                   QStringLiteral("Best")};
    QTest::newRow("register") << QStringList{QStringLiteral("purchase-register"), QStringLiteral("--from-no"),
                                             QStringLiteral("005")}
                              << QStringList{QStringLiteral("Invoiceno Between : 005 To 99999"),
                                             QStringLiteral("Tea"), QStringLiteral("Sugar")};
    QTest::newRow("return register") << QStringList{QStringLiteral("purchase-return-register"),
                                                    QStringLiteral("--to-no"), QStringLiteral("2abc")}
                                     << QStringList{QStringLiteral("Invoiceno Between : 1 To 2abc"),
                                                    QStringLiteral("Date Between : 01-Apr-2024 To 30-Apr-2024"),
                                                    QStringLiteral("Sugar")};
    QTest::newRow("purchase ledger") << QStringList{QStringLiteral("purchase-ledger"), QStringLiteral("--product"),
                                                    QStringLiteral("10")}
                                     << QStringList{QStringLiteral("Product : 10   Tea"),
                                                    QStringLiteral("Alpha Traders")};
    QTest::newRow("return ledger") << QStringList{QStringLiteral("purchase-return-ledger"),
                                                  QStringLiteral("--product"), QStringLiteral("11")}
                                   << QStringList{QStringLiteral("Ledger House"),
                                                  QStringLiteral("Product : 11   Sugar")};
    QTest::newRow("product-wise") << QStringList{QStringLiteral("product-wise-purchases")}
                                  << QStringList{QStringLiteral("Company Name - All Companies"),
                                                 QStringLiteral("From : 01/04/2024,   To : 30/04/2024"),
                                                 QStringLiteral("Sugar")};
}

void tst_OrvaneReport::pdfHoldsHeadingsAndRows()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, texts);
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed");
    const QString out = path(QStringLiteral("report.pdf"));
    QFile::remove(out);
    const Run r = run(args + aprilArgs() + QStringList{QStringLiteral("--db"), m_db, QStringLiteral("-o"), out});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    const QString text = runTool(pdftotext, {QStringLiteral("-layout"), out, QStringLiteral("-")});
    // pdftotext lays centred text out again and loses runs of blanks.
    const QString flat = text.simplified();
    for (const QString &t : texts)
        QVERIFY2(flat.contains(t.simplified()), qPrintable(t + QStringLiteral(" not in:\n") + text));
}

void tst_OrvaneReport::odbcGivesTheSameRows()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
        QSKIP("Qt's ODBC driver is not installed");
    if (!readText(QStringLiteral("/etc/odbcinst.ini")).contains(QStringLiteral("[SQLite3]")))
        QSKIP("the SQLite3 ODBC driver is not registered");
    const QString viaFile = path(QStringLiteral("file.csv"));
    const QString viaOdbc = path(QStringLiteral("odbc.csv"));
    const Run a = run(QStringList{QStringLiteral("purchase-return-register"), QStringLiteral("--db"), m_db,
                                  QStringLiteral("-o"), viaFile}
                      + aprilArgs());
    const Run b = run(QStringList{QStringLiteral("purchase-return-register"), QStringLiteral("--odbc"),
                                  QStringLiteral("Driver=SQLite3;Database=") + m_db, QStringLiteral("-o"), viaOdbc}
                      + aprilArgs());
    QCOMPARE(a.status, 0);
    QVERIFY2(b.status == 0, qPrintable(b.err));
    const QStringList fileLines = readText(viaFile).split(QStringLiteral("\r\n"));
    const QStringList odbcLines = readText(viaOdbc).split(QStringLiteral("\r\n"));
    QCOMPARE(odbcLines.mid(1), fileLines.mid(1));
    QCOMPARE(odbcLines.first().toLower(), fileLines.first().toLower());
}

QTEST_GUILESS_MAIN(tst_OrvaneReport)
#include "tst_OrvaneReport.moc"
