// The report queries run on a small SQLite database whose figures are worked
// out by hand below, plus the number pieces, lookups and heading texts.

#include "Connection.h"
#include "Error.h"
#include "Recordset.h"
#include "ReportQueries.h"
#include "TestDatabase.h"

#include <QSqlDatabase>
#include <QtTest>

#include <memory>

using namespace orvane;

Q_DECLARE_METATYPE(orvane::ReportKind)

namespace {

const QDate AprilFirst(2024, 4, 1);
const QDate AprilLast(2024, 4, 30);

/*
Parties:   1 Alpha Traders (vendor), 2 O'Neil & Sons (vendor), 3 Zed Customer (customer only).
Companies: 1 North Co, 2 South's Co.   Units: 1 Box.
Products:  10 Tea (co 1, Box), 11 Sugar (co 1, Box), 12 Loose (co 2, no unit),
           13 Returnonly (co 2, Box), 14 Salt (co 1, Box).

Purchase lines (Qty x Price, Disc%, Disc/unit, Tax%, Tax/unit -> Gross, Totaldisc, Salestax, NetValue):
  5   03-Apr vendor 1 paid 100
      1  Tea    10 x 15, 5%, 1, 10%, 0.5  -> 150, 10*(0.75+1)=17.5, 10*(1.5+0.5)=20, 152.5
      2  Sugar   4 x 20                   ->  80, 0, 0, 80
      3  Tea     1 x 30, 10%              ->  30, 3, 0, 27
         summary                          -> 260, 20.5, 20, 259.5, paid 100 (once, not 300)
  7   10-Apr vendor 2 paid 0   Loose 2 x 7.5 -> 15
  12  20-Apr vendor 3 paid 5   Sugar 1 x 9 -> 9; Salt 6 x 2.5 -> 15; summary 24
  100000 15-Apr vendor 1       Tea 1 x 3 -> 3 (above the invoice ceiling 99999)
  20  02-May vendor 1          Tea 1 x 2 (outside April)

Return lines:
  3   05-Apr vendor 1, from purchase 5, ExpPlus 2, ExpMinus 1, ComRatio 1.5, Received 40, "damaged"
      1  Tea    2 x 15 bonus 1, 5%, 1, 10%, 0.5 -> 30, 3.5, 4, 30.5
      2  Sugar  1 x 15                          -> 15, 0, 0, 15
      3  Tea    1 x 30, 10%                     -> 30, 3, 0, 27
         summary at price 15: 45, 3.5, 4, 45.5, Qty 3, Bonus 1; at price 30: 30, 3, 0, 27, Qty 1
  8   12-Apr vendor 2  Loose 1 x 7.5 (no unit: not in the register); Returnonly 3 x 4 -> 12
  9   25-Apr vendor 1  Tea 1 x 15 -> 15

TTLValue = Gross - Totaldisc and TTLSalesTax = Salestax, as the host stores them. Product-wise, April:
  Tea    PQty 12, PPrice avg(15,30,3)=16, PDisc 17.5+3=20.5, PValue 152.5+27+3=182.5
         RQty 4,  RPrice avg(15,30,15)=20, RDisc 3.5+3=6.5, RValue 30.5+27+15=72.5
  Sugar  PQty 5, PPrice 14.5, PDisc 0, PValue 89;  RQty 1, RPrice 15, RDisc 0, RValue 15
  Loose  PQty 2, PPrice 7.5, PDisc 0, PValue 15;   RQty 1, RPrice 7.5, RDisc 0, RValue 7.5; no unit
  Salt   PQty 6, PPrice 2.5, PDisc 0, PValue 15;   returns all 0
  Returnonly has returns but no purchases: absent.
*/
void fillRows(QSqlDatabase db)
{
    const char *const rows[] = {
        "INSERT INTO Companies VALUES (1,'North Co'),(2,'South''s Co')",
        "INSERT INTO Units VALUES (1,'Box')",
        "INSERT INTO Parties (PartyId,PartyName,IsVendor,IsCustomer) VALUES"
        " (1,'Alpha Traders',1,0),(2,'O''Neil & Sons',1,0),(3,'Zed Customer',0,1)",
        "INSERT INTO Products (ProductId,ProductName,CompanyId,UnitID) VALUES"
        " (10,'Tea',1,1),(11,'Sugar',1,1),(12,'Loose',2,NULL),(13,'Returnonly',2,1),(14,'Salt',1,1)",
        "INSERT INTO purchase (PurchaseId,PurchaseDate,VendorId,BillNo,PaidAmount) VALUES"
        " (5,'2024-04-03',1,'A-5',100),(7,'2024-04-10',2,'B''7',0),(12,'2024-04-20',3,'C-12',5),"
        " (100000,'2024-04-15',1,'BIG',0),(20,'2024-05-02',1,'MAY',0)",
        "INSERT INTO purchasebody (PurchaseId,LineNo,ProductId,Qty,Bonus,Price,DiscRatio,DiscValue,"
        "STRatio,STValue,TTLValue,TTLSalesTax) VALUES"
        " (5,1,10,10,2,15,5,1,10,0.5,132.5,20),"
        " (5,2,11,4,0,20,0,0,0,0,80,0),"
        " (5,3,10,1,0,30,10,0,0,0,27,0),"
        " (7,1,12,2,0,7.5,0,0,0,0,15,0),"
        " (12,1,11,1,0,9,0,0,0,0,9,0),"
        " (12,2,14,6,0,2.5,0,0,0,0,15,0),"
        " (100000,1,10,1,0,3,0,0,0,0,3,0),"
        " (20,1,10,1,0,2,0,0,0,0,2,0)",
        "INSERT INTO purreturns (PurReturnId,PurReturnDate,PurchaseId,VendorId,Narration,ExpPlus,"
        "ExpMinus,ComRatio,ReceivedAmount) VALUES"
        " (3,'2024-04-05',5,1,'damaged',2,1,1.5,40),(8,'2024-04-12',7,2,NULL,0,0,0,0),"
        " (9,'2024-04-25',5,1,NULL,0,0,0,0)",
        "INSERT INTO purreturnsbody (PurReturnId,LineNo,ProductId,Qty,Bonus,Price,DiscRatio,DiscValue,"
        "STRatio,STValue,TTLValue,TTLSalesTax) VALUES"
        " (3,1,10,2,1,15,5,1,10,0.5,26.5,4),"
        " (3,2,11,1,0,15,0,0,0,0,15,0),"
        " (3,3,10,1,0,30,10,0,0,0,27,0),"
        " (8,1,12,1,0,7.5,0,0,0,0,7.5,0),"
        " (8,2,13,3,0,4,0,0,0,0,12,0),"
        " (9,1,10,1,0,15,0,0,0,0,15,0)",
        "INSERT INTO Project_registry VALUES ('companyname','Alpha''s Books'),('other','x')",
    };
    for (const char *sql : rows)
        test::exec(db, QString::fromLatin1(sql));
}

ReportParameters april(const QString &code = QString(), const QString &fromNo = QString(),
                       const QString &toNo = QString())
{
    ReportParameters p;
    p.from = AprilFirst;
    p.to = AprilLast;
    p.code = code;
    p.fromNo = fromNo;
    p.toNo = toNo;
    return p;
}

// One column of every row, as text ("5|7|12"), for order and membership checks.
QString column(const Recordset &rs, const QString &name)
{
    const int c = rs.fieldIndex(name);
    if (c < 0)
        return QStringLiteral("<no column %1>").arg(name);
    QStringList values;
    for (int r = 0; r < rs.RecordCount(); ++r)
        values << rs.value(r, c).toString();
    return values.join(QLatin1Char('|'));
}

double number(const Recordset &rs, int row, const QString &name)
{
    return rs.value(row, rs.fieldIndex(name)).toDouble();
}

// The row whose `key` column reads `value`; -1 when none does.
int findRow(const Recordset &rs, const QString &key, const QString &value)
{
    const int c = rs.fieldIndex(key);
    for (int r = 0; r < rs.RecordCount(); ++r) {
        if (rs.value(r, c).toString() == value)
            return r;
    }
    return -1;
}

} // namespace

// Runs a report query; a database error fails the test function with its message.
#define RUN_REPORT(rs, kind, parameters)                                          \
    std::shared_ptr<Recordset> rs;                                                \
    try {                                                                         \
        rs = run(kind, parameters);                                               \
    } catch (const Error &e) {                                                    \
        QFAIL(qPrintable(e.source() + QStringLiteral(": ") + e.description()));  \
    }

class tst_ReportQueries : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void lineValues_data();
    void lineValues();
    void percentagesDivideAsDecimalsOnAnySchema();
    void ledgersOrderAndFilter_data();
    void ledgersOrderAndFilter();
    void productWisePurchases();
    void apostrophesNeverBreakAQuery_data();
    void apostrophesNeverBreakAQuery();
    void sqlNumberRanges_data();
    void sqlNumberRanges();



private:
    std::shared_ptr<Recordset> run(ReportKind kind, const ReportParameters &p);

    QSqlDatabase m_db;
    std::shared_ptr<Connection> m_connection;
};

void tst_ReportQueries::initTestCase()
{
    m_db = test::createTestDatabase();
    fillRows(m_db);
    m_connection = Connection::create(m_db);
}

void tst_ReportQueries::percentagesDivideAsDecimalsOnAnySchema()
{
    // A host database whose money columns are plain DECIMAL keeps whole values
    // as integers on SQLite; 15 * 5 / 100 must still be 0.75, not 0.
    QFile schemaFile(test::schemaPath());
    QVERIFY(schemaFile.open(QIODevice::ReadOnly));
    QString schema = QString::fromUtf8(schemaFile.readAll());
    schema.replace(QStringLiteral("REAL DECIMAL"), QStringLiteral("DECIMAL"));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain-decimal"));
    db.setDatabaseName(QStringLiteral(":memory:"));
    QVERIFY(db.open());
    test::execScript(db, schema);
    fillRows(db);
    {
        const auto connection = Connection::create(db);
        const auto rs = connection->Execute(
            reportSql(ReportKind::PurchaseRegisterInvoiceWise, april(), *connection));
        QCOMPARE(rs->value(0, rs->fieldIndex(QStringLiteral("Price"))).toString(), QStringLiteral("15"));
        QCOMPARE(number(*rs, 0, QStringLiteral("Totaldisc")), 17.5);
        QCOMPARE(number(*rs, 0, QStringLiteral("Salestax")), 20.0);
        const auto summary = connection->Execute(
            reportSql(ReportKind::PurchaseReturnSummary, april(), *connection));
        QCOMPARE(number(*summary, 0, QStringLiteral("NetValue")), 45.5);
        const auto ledger = connection->Execute(
            reportSql(ReportKind::ProductPurchaseReturnLedger, april(QStringLiteral("10")), *connection));
        QCOMPARE(number(*ledger, 0, QStringLiteral("Totaldisc")), 3.5);
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("plain-decimal"));
}

std::shared_ptr<Recordset> tst_ReportQueries::run(ReportKind kind, const ReportParameters &p)
{
    return m_connection->Execute(reportSql(kind, p, *m_connection));
}

void tst_ReportQueries::lineValues_data()
{
    QTest::addColumn<ReportKind>("kind");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("keyColumn");
    QTest::addColumn<QString>("key");
    QTest::addColumn<double>("gross");
    QTest::addColumn<double>("disc");
    QTest::addColumn<double>("tax");
    QTest::addColumn<double>("net");

    // Each row names one line (or one summary row) by a key that is unique in the result.
    QTest::newRow("purchase summary, three lines") << ReportKind::PurchaseSummary << QString()
        << "purchaseid" << "5" << 260.0 << 20.5 << 20.0 << 259.5;
    QTest::newRow("purchase register, percentage and per-unit parts") << ReportKind::PurchaseRegisterInvoiceWise
        << QString() << "qty" << "10" << 150.0 << 17.5 << 20.0 << 152.5;
    QTest::newRow("purchase ledger, fractional price") << ReportKind::ProductPurchaseLedger << "10"
        << "qty" << "10" << 150.0 << 17.5 << 20.0 << 152.5;
    QTest::newRow("return register, bonus adds nothing") << ReportKind::PurchaseReturnRegister << QString()
        << "bonus" << "1" << 30.0 << 3.5 << 4.0 << 30.5;
    QTest::newRow("return ledger, discount ratio only") << ReportKind::ProductPurchaseReturnLedger << "10"
        << "Price" << "30" << 30.0 << 3.0 << 0.0 << 27.0;
}

void tst_ReportQueries::lineValues()
{
    QFETCH(ReportKind, kind);
    QFETCH(QString, code);
    QFETCH(QString, keyColumn);
    QFETCH(QString, key);
    QFETCH(double, gross);
    QFETCH(double, disc);
    QFETCH(double, tax);
    QFETCH(double, net);
    RUN_REPORT(rs, kind, april(code));
    const int row = findRow(*rs, keyColumn, key);
    QVERIFY2(row >= 0, qPrintable(column(*rs, keyColumn)));
    QCOMPARE(number(*rs, row, QStringLiteral("Grossvalue")), gross);
    QCOMPARE(number(*rs, row, QStringLiteral("Totaldisc")), disc);
    QCOMPARE(number(*rs, row, QStringLiteral("Salestax")), tax);
    QCOMPARE(number(*rs, row, QStringLiteral("NetValue")), net);
}












void tst_ReportQueries::ledgersOrderAndFilter_data()
{
    QTest::addColumn<ReportKind>("kind");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("idColumn");
    QTest::addColumn<QString>("ids");

    QTest::newRow("purchase ledger, Tea") << ReportKind::ProductPurchaseLedger << "10" << "purchaseid"
                                          << "5|5|100000";
    QTest::newRow("purchase ledger, 010 compares as a number") << ReportKind::ProductPurchaseLedger
                                                               << "010" << "purchaseid" << "5|5|100000";
    QTest::newRow("return ledger, Tea") << ReportKind::ProductPurchaseReturnLedger << "10" << "PurReturnID"
                                        << "3|3|9";
    QTest::newRow("return ledger, Returnonly") << ReportKind::ProductPurchaseReturnLedger << "13"
                                               << "PurReturnID" << "8";
}

void tst_ReportQueries::ledgersOrderAndFilter()
{
    QFETCH(ReportKind, kind);
    QFETCH(QString, code);
    QFETCH(QString, idColumn);
    QFETCH(QString, ids);
    // Runs at all only because the vendor-name ordering key is the select-list name.
    RUN_REPORT(rs, kind, april(code));
    QCOMPARE(column(*rs, idColumn), ids);
    if (rs->RecordCount())
        QVERIFY(rs->fieldIndex(QStringLiteral("vendorname")) >= 0);
}

void tst_ReportQueries::productWisePurchases()
{
    RUN_REPORT(rs, ReportKind::ProductWisePurchases, april());
    QCOMPARE(rs->RecordCount(), 4);
    QCOMPARE(findRow(*rs, QStringLiteral("ProductId"), QStringLiteral("13")), -1);

    struct Expected { const char *id; double pqty, pprice, pdisc, pvalue, rqty, rprice, rdisc, rvalue; const char *unit; };
    const Expected expected[] = {
        {"10", 12, 16, 20.5, 182.5, 4, 20, 6.5, 72.5, "Box"},
        {"11", 5, 14.5, 0, 89, 1, 15, 0, 15, "Box"},
        {"12", 2, 7.5, 0, 15, 1, 7.5, 0, 7.5, ""},
        {"14", 6, 2.5, 0, 15, 0, 0, 0, 0, "Box"},
    };
    for (const Expected &e : expected) {
        const int r = findRow(*rs, QStringLiteral("ProductId"), QString::fromLatin1(e.id));
        QVERIFY2(r >= 0, e.id);
        QCOMPARE(number(*rs, r, QStringLiteral("PQty")), e.pqty);
        QCOMPARE(number(*rs, r, QStringLiteral("PPrice")), e.pprice);
        QCOMPARE(number(*rs, r, QStringLiteral("PDisc")), e.pdisc);
        QCOMPARE(number(*rs, r, QStringLiteral("PValue")), e.pvalue);
        QCOMPARE(number(*rs, r, QStringLiteral("RQty")), e.rqty);
        QCOMPARE(number(*rs, r, QStringLiteral("RPrice")), e.rprice);
        QCOMPARE(number(*rs, r, QStringLiteral("RDisc")), e.rdisc);
        QCOMPARE(number(*rs, r, QStringLiteral("RValue")), e.rvalue);
        // Returns columns are 0, not empty, where the product has none.
        QVERIFY(!rs->value(r, rs->fieldIndex(QStringLiteral("RQty"))).isNull());
        QCOMPARE(rs->value(r, rs->fieldIndex(QStringLiteral("UnitName"))).toString(), QString::fromLatin1(e.unit));
    }
}



void tst_ReportQueries::apostrophesNeverBreakAQuery_data()
{
    QTest::addColumn<ReportKind>("kind");
    for (const ReportDefinition &d : reportDefinitions())
        QTest::newRow(qPrintable(d.commandName)) << d.kind;
}

void tst_ReportQueries::apostrophesNeverBreakAQuery()
{
    QFETCH(ReportKind, kind);
    const QStringList codes = {
        QStringLiteral("1'"),
        QStringLiteral("'"),
        QStringLiteral("1' or '1'='1"),
        QStringLiteral("1'; delete from purchase; --"),
    };
    for (const QString &code : codes) {
        const QString sql = reportSql(kind, april(code), *m_connection);
        std::shared_ptr<Recordset> rs;
        try {
            rs = m_connection->Execute(sql);
        } catch (const Error &e) {
            QFAIL(qPrintable(code + QStringLiteral(": ") + e.description()));
        }
        QCOMPARE(rs->RecordCount(), 0);
    }
    RUN_REPORT(after, ReportKind::PurchaseSummary, april());
    QCOMPARE(after->RecordCount(), 4);
}

void tst_ReportQueries::sqlNumberRanges_data()
{
    QTest::addColumn<ReportKind>("kind");
    QTest::addColumn<QString>("fromNo");
    QTest::addColumn<QString>("toNo");
    QTest::addColumn<QString>("piece");

    const ReportKind reg = ReportKind::PurchaseRegisterInvoiceWise;
    const ReportKind ret = ReportKind::PurchaseReturnRegister;
    QTest::newRow("register, empty") << reg << "" << "" << "' and p.purchaseid between 1 and 99999 order by";
    QTest::newRow("register, 007 as typed") << reg << "007" << "" << "' and p.purchaseid between 007 and 99999 order by";
    QTest::newRow("returns, empty") << ret << "" << "" << "' And r.purreturnid between 1 and 99999 order by";
    QTest::newRow("returns, 007 is 7") << ret << "007" << "" << "' And r.purreturnid between 7 and 99999 order by";
    QTest::newRow("returns, abc is 0") << ret << "abc" << "40" << "' And r.purreturnid between 0 and 40 order by";
    QTest::newRow("returns, blanks only") << ret << "  " << " " << "' And r.purreturnid between 1 and 99999 order by";
}

void tst_ReportQueries::sqlNumberRanges()
{
    QFETCH(ReportKind, kind);
    QFETCH(QString, fromNo);
    QFETCH(QString, toNo);
    QFETCH(QString, piece);
    const QString sql = reportSql(kind, april(QString(), fromNo, toNo),
                                  [](const QDate &) { return QStringLiteral("D"); });
    QVERIFY2(sql.contains(piece), qPrintable(sql));
}












QTEST_GUILESS_MAIN(tst_ReportQueries)
#include "tst_ReportQueries.moc"
