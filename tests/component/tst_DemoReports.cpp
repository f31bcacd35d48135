// Every report query over the demo database: the demo data must give each
// report rows, and the report figures must agree with the stored line totals.

#include "Connection.h"
#include "DemoDatabase.h"
#include "Recordset.h"
#include "ReportDefinition.h"
#include "ReportQueries.h"

#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvane;

namespace {

double columnSum(Recordset &rs, const QString &column)
{
    double sum = 0;
    const int c = rs.fieldIndex(column);
    for (int row = 0; row < rs.RecordCount(); ++row)
        sum += rs.value(row, c).toDouble();
    return sum;
}

double single(Connection &connection, const QString &sql)
{
    auto rs = connection.Execute(sql);
    return rs->value(0, 0).toDouble();
}

} // namespace

class tst_DemoReports : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyReportHasRows_data();
    void everyReportHasRows();
    void purchaseSummaryAgreesWithLineTotals();
    void returnSummaryAgreesWithLineTotals();
    void returnRegisterDropsProductsWithoutUnit();
    void companyNameHeadings();

private:
    ReportParameters firstYear(const QString &code = QString()) const
    {
        ReportParameters p;
        p.from = QDate(2023, 4, 1);
        p.to = QDate(2024, 3, 31);
        p.code = code;
        return p;
    }

    QTemporaryDir m_dir;
    QSqlDatabase m_db;
    std::shared_ptr<Connection> m_connection;
};

void tst_DemoReports::initTestCase()
{
    QVERIFY(m_dir.isValid());
    demo::DemoOptions options;
    options.seed = 11;
    options.purchases = 1200;
    options.fromYear = 2023;
    const QString file = m_dir.filePath(QStringLiteral("demo.sqlite"));
    demo::DemoDatabase::generate(file, options);
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("demo-reports"));
    m_db.setDatabaseName(file);
    QVERIFY(m_db.open());
    m_connection = Connection::create(m_db);
    m_connection->setCursorLocation(Connection::adUseClient);
}

void tst_DemoReports::cleanupTestCase()
{
    m_connection.reset();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("demo-reports"));
}

void tst_DemoReports::everyReportHasRows_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("code");

    // Vendor 3 is "Zoë's Mills"; product 1 the most common fertiliser; company 1.
    QTest::newRow("purchase summary, all vendors") << int(ReportKind::PurchaseSummary) << "";
    QTest::newRow("purchase summary, Zoë's Mills") << int(ReportKind::PurchaseSummary) << "3";
    QTest::newRow("purchase register") << int(ReportKind::PurchaseRegisterInvoiceWise) << "";
    QTest::newRow("product-wise purchases") << int(ReportKind::ProductWisePurchases) << "";
    QTest::newRow("product-wise purchases, one company") << int(ReportKind::ProductWisePurchases) << "1";
    QTest::newRow("product purchase ledger") << int(ReportKind::ProductPurchaseLedger) << "1";
    QTest::newRow("return register") << int(ReportKind::PurchaseReturnRegister) << "";
    QTest::newRow("return summary") << int(ReportKind::PurchaseReturnSummary) << "";
}

void tst_DemoReports::everyReportHasRows()
{
    QFETCH(int, kind);
    QFETCH(QString, code);
    const QString sql = reportSql(ReportKind(kind), firstYear(code), *m_connection);
    auto rs = m_connection->Execute(sql);
    QVERIFY2(rs->RecordCount() > 0, qPrintable(sql));
}

void tst_DemoReports::purchaseSummaryAgreesWithLineTotals()
{
    auto rs = m_connection->Execute(reportSql(ReportKind::PurchaseSummary, firstYear(), *m_connection));
    const double stored = single(*m_connection,
        "select sum(b.TTLValue + b.TTLSalesTax) from purchase p join purchasebody b on b.PurchaseId = p.PurchaseId "
        "where p.PurchaseDate between '2023-04-01' and '2024-03-31'");
    const double lines = single(*m_connection,
        "select count(*) from purchase p join purchasebody b on b.PurchaseId = p.PurchaseId "
        "where p.PurchaseDate between '2023-04-01' and '2024-03-31'");
    // The stored totals are rounded per line: at most half a cent each.
    QVERIFY(stored > 0);
    const double net = columnSum(*rs, QStringLiteral("NetValue"));
    QVERIFY2(qAbs(net - stored) <= lines * 0.005 + 1e-6,
             qPrintable(QStringLiteral("report %1, stored %2").arg(net, 0, 'f', 4).arg(stored, 0, 'f', 4)));
}

void tst_DemoReports::returnSummaryAgreesWithLineTotals()
{
    auto rs = m_connection->Execute(reportSql(ReportKind::PurchaseReturnSummary, firstYear(), *m_connection));
    const double stored = single(*m_connection,
        "select sum(b.TTLValue + b.TTLSalesTax) from purreturns r join purreturnsbody b on b.PurReturnId = r.PurReturnId "
        "where r.PurReturnDate between '2023-04-01' and '2024-03-31'");
    const double lines = single(*m_connection,
        "select count(*) from purreturns r join purreturnsbody b on b.PurReturnId = r.PurReturnId "
        "where r.PurReturnDate between '2023-04-01' and '2024-03-31'");
    QVERIFY(stored > 0);
    const double net = columnSum(*rs, QStringLiteral("NetValue"));
    QVERIFY2(qAbs(net - stored) <= lines * 0.005 + 1e-6,
             qPrintable(QStringLiteral("report %1, stored %2").arg(net, 0, 'f', 4).arg(stored, 0, 'f', 4)));
}

void tst_DemoReports::returnRegisterDropsProductsWithoutUnit()
{
    ReportParameters all = firstYear();
    all.from = QDate(2023, 4, 1);
    all.to = QDate(2025, 3, 31);
    auto rs = m_connection->Execute(reportSql(ReportKind::PurchaseReturnRegister, all, *m_connection));
    const double withUnit = single(*m_connection,
        "select count(*) from purreturnsbody b join Products pr on pr.ProductId = b.ProductId "
        "join Units u on u.UnitID = pr.UnitID");
    const double withoutUnit = single(*m_connection,
        "select count(*) from purreturnsbody b join Products pr on pr.ProductId = b.ProductId "
        "where pr.UnitID is null");
    QVERIFY2(withoutUnit > 0, "the demo data must exercise the inner join on Units");
    QCOMPARE(double(rs->RecordCount()), withUnit);
}

void tst_DemoReports::companyNameHeadings()
{
    const QString expected = demo::DemoOptions().companyName;
    QCOMPARE(readCompanyName(ReportKind::PurchaseReturnSummary, m_connection), expected);
    QCOMPARE(readCompanyName(ReportKind::ProductPurchaseReturnLedger, m_connection), expected);
}

QTEST_GUILESS_MAIN(tst_DemoReports)
#include "tst_DemoReports.moc"
