// The demo database generator: the data must be consistent enough that the
// reports over it can be checked by hand, and reproducible from its seed; the
// report queries over it must agree with its stored line totals.

#include "Connection.h"
#include "DemoDatabase.h"
#include "Recordset.h"
#include "ReportDefinition.h"
#include "ReportQueries.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

using namespace orvane;
using namespace orvane::demo;

namespace {

DemoOptions smallRun(quint64 seed)
{
    DemoOptions o;
    o.seed = seed;
    o.purchases = 500;
    o.parties = 60;
    o.products = 80;
    o.companies = 25;
    o.fromYear = 2023;
    return o;
}

std::shared_ptr<Connection> open(const QString &file)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QUuid::createUuid().toString());
    db.setDatabaseName(file);
    if (!db.open())
        qFatal("cannot open %s", qPrintable(file));
    auto connection = Connection::create(db);
    connection->setCursorLocation(Connection::adUseClient);
    return connection;
}

/// Every row of the query as text; a count is the one cell of the first.
QStringList rows(Connection &connection, const QString &sql)
{
    auto rs = connection.Execute(sql);
    QStringList rows;
    for (int row = 0; row < rs->RecordCount(); ++row) {
        QStringList cells;
        for (int c = 0; c < rs->fieldCount(); ++c)
            cells << (rs->value(row, c).isNull() ? QStringLiteral("<null>") : rs->value(row, c).toString());
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

qint64 count(Connection &connection, const QString &sql)
{
    return rows(connection, sql).value(0).toLongLong();
}

} // namespace

class tst_DemoDatabase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("small.sqlite"));
        DemoDatabase::generate(m_file, smallRun(7));
        m_db = open(m_file);
    }

    void rules_data()
    {
        // "broken" rows count the rows that break a rule (must be 0); "present"
        // rows count what the reports must meet in the data (must be more than 0).
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("present");

        const QString value = QStringLiteral("select count(*) from %1 where abs(TTLValue - "
                                             "(Qty*Price - Qty*(Price*DiscRatio/100 + DiscValue))) > 0.0050001");
        const QString tax = QStringLiteral("select count(*) from %1 where abs(TTLSalesTax - "
                                           "Qty*(Price*STRatio/100 + STValue)) > 0.0050001");
        const QString dated = QStringLiteral("select count(*) from %1 where %2 not between '2023-04-01' and '2025-03-31' "
                                             "or date(%2) is not %2");
        QTest::newRow("broken: TTLValue of a purchase line") << value.arg("purchasebody") << false;
        QTest::newRow("broken: TTLValue of a return line") << value.arg("purreturnsbody") << false;
        QTest::newRow("broken: TTLSalesTax of a purchase line") << tax.arg("purchasebody") << false;
        QTest::newRow("broken: TTLSalesTax of a return line") << tax.arg("purreturnsbody") << false;
        QTest::newRow("broken: money with more than two decimals")
            << "select count(*) from purchasebody where round(Price, 2) <> Price or round(TTLValue, 2) <> TTLValue "
               "or round(TTLSalesTax, 2) <> TTLSalesTax" << false;
        QTest::newRow("broken: purchase without lines")
            << "select count(*) from purchase p where not exists "
               "(select 1 from purchasebody b where b.PurchaseId = p.PurchaseId)" << false;
        QTest::newRow("broken: purchase of a non-vendor")
            << "select count(*) from purchase p join Parties v on v.PartyId = p.VendorId where v.IsVendor <> 1" << false;
        QTest::newRow("broken: return of another vendor or before its purchase")
            << "select count(*) from purreturns r left join purchase p on p.PurchaseId = r.PurchaseId "
               "where p.PurchaseId is null or p.VendorId <> r.VendorId or r.PurReturnDate < p.PurchaseDate" << false;
        QTest::newRow("broken: return line beyond what its purchase bought")
            << "select count(*) from purreturnsbody rb join purreturns r on r.PurReturnId = rb.PurReturnId "
               "where not exists (select 1 from purchasebody pb where pb.PurchaseId = r.PurchaseId "
               "and pb.ProductId = rb.ProductId and pb.Price = rb.Price and pb.DiscRatio = rb.DiscRatio "
               "and pb.STRatio = rb.STRatio and rb.Qty <= pb.Qty and rb.Bonus <= pb.Bonus)" << false;
        QTest::newRow("broken: purchase dated outside the two years") << dated.arg("purchase", "PurchaseDate") << false;
        QTest::newRow("broken: return dated outside the two years") << dated.arg("purreturns", "PurReturnDate") << false;
        QTest::newRow("broken: paid more than the invoice")
            << "select count(*) from purchase p where PaidAmount < 0 or PaidAmount > 0.005 + "
               "(select sum(TTLValue + TTLSalesTax) from purchasebody b where b.PurchaseId = p.PurchaseId)" << false;
        // On SQL Server the names land in VARCHAR columns: a letter outside Latin-1 would come back as '?'.
        QTest::newRow("broken: name outside Latin-1")
            << "select count(*) from Parties where PartyName glob '*[^' || char(1) || '-' || char(255) || ']*'" << false;

        QTest::newRow("present: discounts and sales tax by ratio and by value")
            << "select min(sum(DiscRatio > 0), sum(DiscValue > 0), sum(STRatio > 0), sum(STValue > 0)) from purchasebody"
            << true;
        QTest::newRow("present: weighed quantities") << "select count(*) from purchasebody where Qty <> round(Qty)" << true;
        QTest::newRow("present: discounted returns") << "select count(*) from purreturnsbody where DiscRatio > 0" << true;
        QTest::newRow("present: trade in both years")
            << "select min(sum(PurchaseDate < '2024-04-01'), sum(PurchaseDate >= '2024-04-01')) from purchase" << true;
        QTest::newRow("present: bought products without a unit")
            << "select count(*) from purchasebody b join Products pr on pr.ProductId = b.ProductId "
               "left join Units u on u.UnitID = pr.UnitID where u.UnitID is null" << true;
        QTest::newRow("present: awkward vendor names, each with purchases")
            << QString::fromUtf8("select count(distinct v.PartyName) = 5 from purchase p join Parties v "
                                 "on v.PartyId = p.VendorId where v.IsVendor = 1 and v.PartyName in ('O''Brien Traders', "
                                 "'Café Ñandú', 'Zoë''s Mills', 'Åsa Exports', 'D''Souza & Sons')") << true;
        QTest::newRow("present: apostrophes in product and company names")
            << "select min((select count(*) from Products where ProductName like '%''%'), "
               "(select count(*) from Companies where CompanyName like '%''%'))" << true;
        QTest::newRow("present: company name in both registries")
            << QStringLiteral("select count(*) from Project_registry p join registry r on r.registrykey = p.registrykey "
                              "where p.registrykey = 'companyname' and p.Value = r.registryvalue and p.Value = '%1'")
                   .arg(DemoOptions().companyName.replace(QLatin1Char('\''), QLatin1String("''"))) << true;
    }

    void rules()
    {
        QFETCH(QString, sql);
        QFETCH(bool, present);
        if (present)
            QVERIFY(count(*m_db, sql) > 0);
        else
            QCOMPARE(count(*m_db, sql), 0);
    }

    void sameSeedSameDatabase()
    {
        const QString again = m_dir.filePath(QStringLiteral("again.sqlite"));
        const QString other = m_dir.filePath(QStringLiteral("other.sqlite"));
        DemoDatabase::generate(again, smallRun(7));
        DemoDatabase::generate(other, smallRun(8));
        auto b = open(again), c = open(other);
        for (const char *table : {"Companies", "Units", "Parties", "Products", "purchase", "purchasebody",
                                  "purreturns", "purreturnsbody", "Project_registry", "registry"}) {
            const QString all = QStringLiteral("select * from %1 order by 1, 2").arg(QLatin1String(table));
            QVERIFY2(!rows(*m_db, all).isEmpty(), table);
            QCOMPARE(rows(*b, all), rows(*m_db, all));
        }
        const QString lines = QStringLiteral("select * from purchasebody order by 1, 2");
        QVERIFY(rows(*c, lines) != rows(*m_db, lines));
    }

    void commandLine()
    {
        QTemporaryDir cwd;
        QVERIFY(cwd.isValid());
        QProcess p;
        p.setWorkingDirectory(cwd.path());
        p.start(QStringLiteral(DEMODB_EXE), {"--purchases", "30", "--from-year", "2022", "--seed", "3"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(out.contains(QLatin1String("financial years 2022-04-01 to 2024-03-31")), qPrintable(out));
        QFile written(cwd.filePath(QStringLiteral("demo/orvane-demo.sqlite")));
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray first = written.readAll();
        written.close();

        // A second run must not overwrite without --force.
        p.start(QStringLiteral(DEMODB_EXE), {"--purchases", "40", "--seed", "4"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QLatin1String("--force")));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), first);
    }

    void reportAgreesWithStoredTotals_data()
    {
        QTest::addColumn<int>("kind");
        // The stored sum of TTLValue + TTLSalesTax over the first year and its line count.
        QTest::addColumn<QString>("stored");

        QTest::newRow("purchase summary") << int(ReportKind::PurchaseSummary)
            << "select sum(b.TTLValue + b.TTLSalesTax), count(*) from purchase p join purchasebody b "
               "on b.PurchaseId = p.PurchaseId where p.PurchaseDate between '2023-04-01' and '2024-03-31'";
        QTest::newRow("return summary") << int(ReportKind::PurchaseReturnSummary)
            << "select sum(b.TTLValue + b.TTLSalesTax), count(*) from purreturns r join purreturnsbody b "
               "on b.PurReturnId = r.PurReturnId where r.PurReturnDate between '2023-04-01' and '2024-03-31'";
    }

    void reportAgreesWithStoredTotals()
    {
        QFETCH(int, kind);
        QFETCH(QString, stored);

        auto rs = report(ReportKind(kind));
        double net = 0;
        for (int row = 0, c = rs->fieldIndex(QStringLiteral("NetValue")); row < rs->RecordCount(); ++row)
            net += rs->value(row, c).toDouble();
        auto totals = m_db->Execute(stored);
        const double sum = totals->value(0, 0).toDouble();
        QVERIFY(sum > 0);
        // The stored totals are rounded per line: at most half a cent each.
        QVERIFY2(qAbs(net - sum) <= totals->value(0, 1).toDouble() * 0.005 + 1e-6,
                 qPrintable(QStringLiteral("report %1, stored %2").arg(net, 0, 'f', 4).arg(sum, 0, 'f', 4)));
    }

    void returnRegisterDropsProductsWithoutUnit()
    {
        auto rs = report(ReportKind::PurchaseReturnRegister, QDate(2025, 3, 31));
        QVERIFY2(count(*m_db, "select count(*) from purreturnsbody b join Products pr on pr.ProductId = b.ProductId "
                       "where pr.UnitID is null") > 0, "the demo data must exercise the inner join on Units");
        QCOMPARE(rs->RecordCount(), count(*m_db, "select count(*) from purreturnsbody b join Products pr "
                                          "on pr.ProductId = b.ProductId join Units u on u.UnitID = pr.UnitID"));
    }

private:
    std::shared_ptr<Recordset> report(ReportKind kind, QDate to = QDate(2024, 3, 31))
    {
        ReportParameters p;
        p.from = QDate(2023, 4, 1);
        p.to = to;
        return m_db->Execute(reportSql(kind, p, *m_db));
    }

    QTemporaryDir m_dir;
    QString m_file;
    std::shared_ptr<Connection> m_db;
};

QTEST_GUILESS_MAIN(tst_DemoDatabase)
#include "tst_DemoDatabase.moc"
