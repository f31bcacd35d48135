// The report queries on the shared rows (figures worked out by hand in
// ReportFixture.h): line values, ordering keys, quoting and the number pieces.

#include "ReportFixture.h"

#include "Error.h"
#include "ReportQueries.h"

#include <QtTest>

using namespace orvane;
using namespace orvane::test;

Q_DECLARE_METATYPE(orvane::ReportKind)

namespace {

ReportParameters march(const QString &code = {}, const QString &fromNo = {}, const QString &toNo = {})
{
    ReportParameters p;
    p.from = kMarchFirst;
    p.to = kMarchLast;
    p.code = code;
    p.fromNo = fromNo;
    p.toNo = toNo;
    return p;
}

} // namespace

class tst_ReportQueries : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void lineValues_data();
    void lineValues();
    void orderingKeys_data();
    void orderingKeys();
    void productWisePurchases();
    void apostrophesNeverBreakAQuery_data();
    void apostrophesNeverBreakAQuery();
    void numberPieces_data();
    void numberPieces();

private:
    // `columns` of every row of the report (see rowLines); a database error fails the test.
    QStringList run(ReportKind kind, const ReportParameters &p, const QString &columns,
                    const std::shared_ptr<Connection> &connection = {});

    std::unique_ptr<ReportFixture> m_fixture;
};

void tst_ReportQueries::initTestCase()
{
    m_fixture = std::make_unique<ReportFixture>();
}


QStringList tst_ReportQueries::run(ReportKind kind, const ReportParameters &p, const QString &columns,
                                   const std::shared_ptr<Connection> &connection)
{
    Connection &c = connection ? *connection : *m_fixture->connection;
    try {
        return rowLines(*c.Execute(reportSql(kind, p, c)), columns);
    } catch (const Error &e) {
        qWarning("%s: %s", qPrintable(p.code), qPrintable(e.description()));
        return {QStringLiteral("<error>")};
    }
}

void tst_ReportQueries::lineValues_data()
{
    QTest::addColumn<ReportKind>("kind");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("line");   // "key gross disc tax net"

    QTest::newRow("purchase summary, three lines added up") << ReportKind::PurchaseSummary << ""
        << "purchaseid" << "120 450 35 20 435";
    QTest::newRow("purchase register, percentage and per-unit parts") << ReportKind::PurchaseRegisterInvoiceWise
        << "" << "qty" << "10 200 30 15 185";
    QTest::newRow("purchase ledger, a 10% tax of 25 is 2.50") << ReportKind::ProductPurchaseLedger << "5"
        << "qty" << "2 50 5 5 50";
    QTest::newRow("return summary, one price") << ReportKind::PurchaseReturnSummary << "" << "Price"
        << "20 60 9 4.5 55.5";
    QTest::newRow("return register") << ReportKind::PurchaseReturnRegister << "" << "qty" << "3 60 9 4.5 55.5";
    QTest::newRow("return ledger") << ReportKind::ProductPurchaseReturnLedger << "5" << "Price"
        << "20 60 9 4.5 55.5";
}

void tst_ReportQueries::lineValues()
{
    QFETCH(ReportKind, kind);
    QFETCH(QString, code);
    QFETCH(QString, key);
    QFETCH(QString, line);
    const QString columns = key + QStringLiteral(" Grossvalue Totaldisc Salestax NetValue");
    const QStringList lines = run(kind, march(code), columns, m_fixture->connection);
    QVERIFY2(lines.contains(line), qPrintable(lines.join(QStringLiteral(" | "))));
}

void tst_ReportQueries::orderingKeys_data()
{
    QTest::addColumn<ReportKind>("kind");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("columns");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("purchase ledger, product 5") << ReportKind::ProductPurchaseLedger << "5"
        << "purchaseid vendorname" << QStringList{"120 Vendor Seven", "120 Vendor Seven", "130 Customer Nine"};
    QTest::newRow("purchase ledger, 05 compares as a number") << ReportKind::ProductPurchaseLedger << "05"
        << "purchaseid" << QStringList{"120", "120", "130"};
    QTest::newRow("return ledger, returns in number order") << ReportKind::ProductPurchaseReturnLedger << "6"
        << "PurReturnID vendorname" << QStringList{"0 Vendor Seven", "40 Vendor Seven"};
    QTest::newRow("return ledger, product with returns only") << ReportKind::ProductPurchaseReturnLedger << "10"
        << "PurReturnID" << QStringList{"7"};
    QTest::newRow("purchase summary, by purchase") << ReportKind::PurchaseSummary << "" << "purchaseid"
        << QStringList{"7", "120", "130", "100001"};
}

void tst_ReportQueries::orderingKeys()
{
    // The ledgers run at all only because their vendor-name key is the select-list name.
    QFETCH(ReportKind, kind);
    QFETCH(QString, code);
    QFETCH(QString, columns);
    QFETCH(QStringList, expected);
    QCOMPARE(run(kind, march(code), columns), expected);
}

void tst_ReportQueries::productWisePurchases()
{
    // Products 7 and 10 have returns but no purchases: absent. Product 11's
    // returns columns read 0, not empty.
    QStringList got = run(ReportKind::ProductWisePurchases, march(),
                          QStringLiteral("ProductId PQty PPrice PDisc PValue RQty RPrice RDisc RValue UnitName"));
    got.sort();   // the query has no ORDER BY
    QCOMPARE(got, (QStringList{"11 1 40 0 40 0 0 0 0 Kg", "5 13 20 35 250 3 20 9 55.5 Box",
                               "6 5 30 0 210 2 30 0 60 Kg"}));
    QCOMPARE(run(ReportKind::ProductWisePurchases, march(QStringLiteral("12")), QStringLiteral("ProductId")),
             QStringList{"11"});
}

void tst_ReportQueries::apostrophesNeverBreakAQuery_data()
{
    QTest::addColumn<ReportKind>("kind");
    for (const ReportDefinition &d : reportDefinitions())
        QTest::newRow(qPrintable(d.commandName)) << d.kind;
}

void tst_ReportQueries::apostrophesNeverBreakAQuery()
{
    // Codes are digits: these are refused before any statement is built, and nothing changes.
    QFETCH(ReportKind, kind);
    for (const QString code : {"1'", "'", "1' or '1'='1", "1'; delete from purchase; --"}) {
        QVERIFY2(checkReportParameters(kind, march(code)), qPrintable(code));
        QCOMPARE(run(kind, march(code), QStringLiteral("Grossvalue")), QStringList{QStringLiteral("<error>")});
    }
    QCOMPARE(run(ReportKind::PurchaseSummary, march(), QStringLiteral("purchaseid")).size(), 4);
}

void tst_ReportQueries::numberPieces_data()
{
    QTest::addColumn<ReportKind>("kind");
    QTest::addColumn<QString>("fromNo");
    QTest::addColumn<QString>("toNo");
    QTest::addColumn<QString>("piece");

    const ReportKind reg = ReportKind::PurchaseRegisterInvoiceWise;
    const ReportKind ret = ReportKind::PurchaseReturnRegister;
    // A blank box applies no bound at its end.
    QTest::newRow("register, empty: every invoice") << reg << "" << "" << "' order by p.purchaseid";
    QTest::newRow("register, 007 as typed") << reg << "007" << "" << "' and p.purchaseid >= 007 order by";
    QTest::newRow("register, To alone, nine digits") << reg << "" << "123456789"
                                                     << "' and p.purchaseid <= 123456789 order by";
    QTest::newRow("register, blanks around digits") << reg << " 120 " << "\t130" << "between 120 and 130 order by";
    QTest::newRow("returns, empty: every return") << ret << "" << "" << "' order by r.purreturnid";
    QTest::newRow("returns, 007 is 7") << ret << "007" << "" << "' And r.purreturnid >= 7 order by";
    QTest::newRow("returns, abc is 0") << ret << "abc" << "40" << "' And r.purreturnid between 0 and 40 order by";
    QTest::newRow("returns, blanks only") << ret << "  " << " " << "' order by r.purreturnid";
}

void tst_ReportQueries::numberPieces()
{
    QFETCH(ReportKind, kind);
    QFETCH(QString, fromNo);
    QFETCH(QString, toNo);
    QFETCH(QString, piece);
    const QString sql = reportSql(kind, march(QString(), fromNo, toNo),
                                  [](const QDate &) { return QStringLiteral("D"); });
    QVERIFY2(sql.contains(piece), qPrintable(sql));
}

QTEST_MAIN(tst_ReportQueries)
#include "tst_ReportQueries.moc"
