// The demo database generator: the data must be consistent enough that the
// reports over it can be checked by hand, and reproducible from its seed.

#include "DemoDatabase.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

using namespace orvane::demo;

namespace {

const QString FirstDay = QStringLiteral("2023-04-01");
const QString LastDay = QStringLiteral("2025-03-31");

DemoOptions smallRun(quint64 seed = 7)
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

class OpenedDatabase
{
public:
    explicit OpenedDatabase(const QString &file)
        : m_name(QUuid::createUuid().toString())
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(file);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!m_db.open())
            qFatal("cannot open %s", qPrintable(file));
    }
    ~OpenedDatabase()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }

    /// The first column of the first row.
    QVariant value(const QString &sql)
    {
        QSqlQuery q(m_db);
        if (!q.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return q.next() ? q.value(0) : QVariant();
    }
    qint64 count(const QString &sql) { return value(sql).toLongLong(); }

    /// Every row of `table` in key order, as text.
    QStringList dump(const QString &table, const QString &order)
    {
        QSqlQuery q(m_db);
        if (!q.exec(QStringLiteral("select * from %1 order by %2").arg(table, order)))
            qFatal("%s", qPrintable(q.lastError().text()));
        QStringList rows;
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                cells << (q.isNull(i) ? QStringLiteral("<null>") : q.value(i).toString());
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }

private:
    QString m_name;
    QSqlDatabase m_db;
};

} // namespace

class tst_DemoDatabase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void consistency_data();
    void consistency();
    void lineValuesFollowTheFormulas();
    void returnsTakeBackWhatWasBought();
    void namesThatBreakCarelessSql();
    void namesFitASingleByteCodePage();
    void companyNameInBothRegistries();
    void datesInsideTheTwoYears();
    void productsCoverTheLookupModes();
    void paidAmounts();
    void summaryMatchesTheDatabase();

    void sameSeedSameDatabase();
    void otherSeedOtherDatabase();
    void refusesToOverwrite();
    void sqlServerSchema();
    void defaultFromYear_data();
    void defaultFromYear();
    void commandLine();

private:
    QTemporaryDir m_dir;
    QString m_file;
    DemoSummary m_summary;
};

void tst_DemoDatabase::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath(QStringLiteral("small.sqlite"));
    m_summary = DemoDatabase::generate(m_file, smallRun());
    QVERIFY(QFile::exists(m_file));
    QVERIFY(!QFile::exists(m_file + QStringLiteral(".part")));
}

void tst_DemoDatabase::consistency_data()
{
    // Each query counts rows that break a rule; every count must be 0.
    QTest::addColumn<QString>("violations");

    QTest::newRow("purchase without lines")
        << "select count(*) from purchase p where not exists "
           "(select 1 from purchasebody b where b.PurchaseId = p.PurchaseId)";
    QTest::newRow("purchase with more than eight lines")
        << "select count(*) from (select PurchaseId from purchasebody group by PurchaseId having count(*) > 8)";
    QTest::newRow("line numbers not 1..n")
        << "select count(*) from (select PurchaseId from purchasebody group by PurchaseId "
           "having min(LineNo) <> 1 or max(LineNo) <> count(*))";
    QTest::newRow("product twice in one purchase")
        << "select count(*) from (select PurchaseId, ProductId from purchasebody "
           "group by PurchaseId, ProductId having count(*) > 1)";
    QTest::newRow("line of an unknown product")
        << "select count(*) from purchasebody b left join Products pr on pr.ProductId = b.ProductId "
           "where pr.ProductId is null";
    QTest::newRow("purchase of a non-vendor")
        << "select count(*) from purchase p join Parties v on v.PartyId = p.VendorId where v.IsVendor <> 1";
    QTest::newRow("product of an unknown company")
        << "select count(*) from Products pr left join Companies c on c.CompanyId = pr.CompanyId "
           "where c.CompanyId is null";
    QTest::newRow("company code wider than two characters")
        << "select count(*) from Companies where CompanyId < 1 or CompanyId > 99";
    QTest::newRow("money with more than two decimals")
        << "select count(*) from purchasebody where abs(Price*100 - round(Price*100)) > 1e-6 "
           "or abs(TTLValue*100 - round(TTLValue*100)) > 1e-6 "
           "or abs(TTLSalesTax*100 - round(TTLSalesTax*100)) > 1e-6 "
           "or abs(DiscValue*100 - round(DiscValue*100)) > 1e-6";
    QTest::newRow("paid amount with more than two decimals")
        << "select count(*) from purchase where abs(PaidAmount*100 - round(PaidAmount*100)) > 1e-6";
    QTest::newRow("quantity with more than three decimals")
        << "select count(*) from purchasebody where abs(Qty*1000 - round(Qty*1000)) > 1e-6 or Qty <= 0";
    QTest::newRow("bonus on a weighed crop")
        << "select count(*) from purchasebody b join Products pr on pr.ProductId = b.ProductId "
           "where pr.IsCrop = 1 and b.Bonus <> 0";
    QTest::newRow("discount over the price")
        << "select count(*) from purchasebody where Price*DiscRatio/100 + DiscValue >= Price";
    QTest::newRow("double blanks in a name")
        << "select count(*) from Parties where PartyName like '%  %' or PartyName <> trim(PartyName)";
    QTest::newRow("duplicate party names")
        << "select count(*) - count(distinct PartyName) from Parties";
    QTest::newRow("duplicate product names")
        << "select count(*) - count(distinct ProductName) from Products";
}

void tst_DemoDatabase::consistency()
{
    QFETCH(QString, violations);
    OpenedDatabase db(m_file);
    QCOMPARE(db.count(violations), 0);
}

void tst_DemoDatabase::lineValuesFollowTheFormulas()
{
    OpenedDatabase db(m_file);
    for (const QString &table : {QStringLiteral("purchasebody"), QStringLiteral("purreturnsbody")}) {
        const qint64 lines = db.count(QStringLiteral("select count(*) from %1").arg(table));
        QVERIFY2(lines > 0, qPrintable(table));
        // Rounded to cents: never more than half a cent away from the exact figure.
        QCOMPARE(db.count(QStringLiteral(
                     "select count(*) from %1 where abs(TTLValue - "
                     "(Qty*Price - Qty*(Price*DiscRatio/100 + DiscValue))) > 0.0050001").arg(table)), 0);
        QCOMPARE(db.count(QStringLiteral(
                     "select count(*) from %1 where abs(TTLSalesTax - "
                     "Qty*(Price*STRatio/100 + STValue)) > 0.0050001").arg(table)), 0);
        // The formulas must be exercised, not met by zeros.
        QVERIFY(db.count(QStringLiteral("select count(*) from %1 where DiscRatio > 0").arg(table)) > 0);
        QVERIFY(db.count(QStringLiteral("select count(*) from %1 where STRatio > 0").arg(table)) > 0);
    }
    OpenedDatabase again(m_file);
    QVERIFY(again.count("select count(*) from purchasebody where DiscValue > 0") > 0);
    QVERIFY(again.count("select count(*) from purchasebody where STValue > 0") > 0);
    QVERIFY(again.count("select count(*) from purchasebody where Bonus > 0") > 0);
    QVERIFY(again.count("select count(*) from purchasebody where Qty <> round(Qty)") > 0);
    // Price*DiscRatio/100 must divide as a decimal: 67*10/100 is 6.7, not 6.
    QCOMPARE(again.value("select typeof(Price) from purchasebody limit 1").toString(), QStringLiteral("real"));
}

void tst_DemoDatabase::returnsTakeBackWhatWasBought()
{
    OpenedDatabase db(m_file);
    QVERIFY(db.count("select count(*) from purreturns") > 0);
    QCOMPARE(db.count("select count(*) from purreturns r left join purchase p on p.PurchaseId = r.PurchaseId "
                      "where p.PurchaseId is null or p.VendorId <> r.VendorId "
                      "or r.PurReturnDate < p.PurchaseDate"), 0);
    // Each return line is one of its purchase's lines, at its prices, for no more than was bought.
    QCOMPARE(db.count("select count(*) from purreturnsbody rb join purreturns r on r.PurReturnId = rb.PurReturnId "
                      "where not exists (select 1 from purchasebody pb where pb.PurchaseId = r.PurchaseId "
                      "and pb.ProductId = rb.ProductId and pb.Price = rb.Price and pb.DiscRatio = rb.DiscRatio "
                      "and pb.STRatio = rb.STRatio and rb.Qty <= pb.Qty and rb.Bonus <= pb.Bonus)"), 0);
    QCOMPARE(db.count("select count(*) from purreturns r where not exists "
                      "(select 1 from purreturnsbody rb where rb.PurReturnId = r.PurReturnId)"), 0);
    // Return numbers run in date order.
    QCOMPARE(db.count("select count(*) from purreturns a join purreturns b on b.PurReturnId = a.PurReturnId + 1 "
                      "where b.PurReturnDate < a.PurReturnDate"), 0);
}

void tst_DemoDatabase::namesThatBreakCarelessSql()
{
    OpenedDatabase db(m_file);
    const QStringList names = {"O'Brien Traders", QString::fromUtf8("Café Ñandú"), QString::fromUtf8("Zoë's Mills"),
                               QString::fromUtf8("Åsa Exports"), "D'Souza & Sons"};
    for (const QString &name : names) {
        QString quoted = name;
        quoted.replace(QLatin1Char('\''), QLatin1String("''"));
        QCOMPARE(db.count(QStringLiteral("select count(*) from Parties where PartyName = '%1' and IsVendor = 1")
                              .arg(quoted)), 1);
        // They must reach the reports: each has purchases.
        QVERIFY2(db.count(QStringLiteral("select count(*) from purchase p join Parties v on v.PartyId = p.VendorId "
                                         "where v.PartyName = '%1'").arg(quoted)) > 0, qPrintable(name));
    }
    QVERIFY(db.count("select count(*) from Products where ProductName like '%''%'") > 0);
    QVERIFY(db.count("select count(*) from Companies where CompanyName like '%''%'") > 0);
}

void tst_DemoDatabase::namesFitASingleByteCodePage()
{
    // On SQL Server the names land in VARCHAR columns: a letter outside
    // Latin-1 would come back as '?'.
    OpenedDatabase db(m_file);
    int accented = 0;
    for (const auto &[table, column] : {std::pair{"Parties", "PartyName"}, std::pair{"Parties", "City"},
                                        std::pair{"Products", "ProductName"}, std::pair{"Companies", "CompanyName"},
                                        std::pair{"Project_registry", "Value"}}) {
        for (const QString &row : db.dump(QStringLiteral("(select %1 from %2)").arg(column, table), column)) {
            for (const QChar c : row) {
                QVERIFY2(c.unicode() <= 0xFF, qPrintable(row));
                accented += c.unicode() > 0x7F;
            }
        }
    }
    QVERIFY(accented > 0);
}

void tst_DemoDatabase::companyNameInBothRegistries()
{
    OpenedDatabase db(m_file);
    const QString expected = smallRun().companyName;
    QCOMPARE(db.value("select Value from Project_registry where registrykey = 'companyname'").toString(), expected);
    QCOMPARE(db.value("select registryvalue from registry where registrykey = 'companyname'").toString(), expected);
}

void tst_DemoDatabase::datesInsideTheTwoYears()
{
    OpenedDatabase db(m_file);
    for (const QString &check : {QStringLiteral("select count(*) from purchase where PurchaseDate not between '%1' and '%2' "
                                                "or date(PurchaseDate) is not PurchaseDate"),
                                 QStringLiteral("select count(*) from purreturns where PurReturnDate not between '%1' and '%2' "
                                                "or date(PurReturnDate) is not PurReturnDate")})
        QCOMPARE(db.count(check.arg(FirstDay, LastDay)), 0);
    // Both financial years carry trade.
    QVERIFY(db.count("select count(*) from purchase where PurchaseDate between '2023-04-01' and '2024-03-31'") > 100);
    QVERIFY(db.count("select count(*) from purchase where PurchaseDate between '2024-04-01' and '2025-03-31'") > 100);
    // A purchase dated on the To date is inside the range.
    const QString last = db.value("select max(PurchaseDate) from purchase").toString();
    QVERIFY(db.count(QStringLiteral("select count(*) from purchase where PurchaseDate between '%1' and '%1'")
                         .arg(last)) > 0);
    // Purchase numbers run in date order.
    QCOMPARE(db.count("select count(*) from purchase a join purchase b on b.PurchaseId = a.PurchaseId + 1 "
                      "where b.PurchaseDate < a.PurchaseDate"), 0);
}

void tst_DemoDatabase::productsCoverTheLookupModes()
{
    OpenedDatabase db(m_file);
    // Products without a unit row drop out of the inner joins on Units; they must be bought.
    QVERIFY(db.count("select count(*) from purchasebody b join Products pr on pr.ProductId = b.ProductId "
                     "left join Units u on u.UnitID = pr.UnitID where u.UnitID is null") > 0);
    QVERIFY(db.count("select count(*) from Products where IsCrop = 0") > 0);
    QVERIFY(db.count("select count(*) from Products where IsCrop = 1") > 0);
    QVERIFY(db.count("select count(*) from Products where IsBardana = 1") > 0);
    QVERIFY(db.count("select count(*) from Products where IsBroker is null") > 0);
    QVERIFY(db.count("select count(*) from Products where IsBroker = 0") > 0);
    QVERIFY(db.count("select count(*) from Products where IsBroker = 1") > 0);
    QVERIFY(db.count("select count(*) from Parties where IsCustomer = 1 and IsVendor = 0") > 0);
    QVERIFY(db.count("select count(*) from Parties where IsBroker = 1") > 0);
}

void tst_DemoDatabase::paidAmounts()
{
    OpenedDatabase db(m_file);
    const QString totals = QStringLiteral(
        "(select p.PurchaseId, p.PaidAmount, sum(b.TTLValue + b.TTLSalesTax) as Total "
        "from purchase p join purchasebody b on b.PurchaseId = p.PurchaseId group by p.PurchaseId, p.PaidAmount)");
    QCOMPARE(db.count("select count(*) from " + totals + " where PaidAmount > Total + 0.005 or PaidAmount < 0"), 0);
    QVERIFY(db.count("select count(*) from " + totals + " where PaidAmount = 0") > 0);
    QVERIFY(db.count("select count(*) from " + totals + " where PaidAmount > 0 and PaidAmount < Total - 0.005") > 0);
    QVERIFY(db.count("select count(*) from " + totals + " where abs(PaidAmount - Total) < 0.005") > 0);
}

void tst_DemoDatabase::summaryMatchesTheDatabase()
{
    OpenedDatabase db(m_file);
    QCOMPARE(m_summary.purchases, 500);
    QCOMPARE(db.count("select count(*) from purchase"), qint64(m_summary.purchases));
    QCOMPARE(db.count("select count(*) from purchasebody"), m_summary.purchaseLines);
    QCOMPARE(db.count("select count(*) from purreturns"), qint64(m_summary.returns));
    QCOMPARE(db.count("select count(*) from purreturnsbody"), m_summary.returnLines);
    QCOMPARE(db.count("select count(*) from Parties"), qint64(m_summary.parties));
    QCOMPARE(db.count("select count(*) from Products"), qint64(m_summary.products));
    QCOMPARE(db.count("select count(*) from Companies"), 25);
    QCOMPARE(db.count("select round(sum(TTLValue) * 100) from purchasebody"), m_summary.purchaseValue);
    QCOMPARE(db.count("select round(sum(TTLSalesTax) * 100) from purchasebody"), m_summary.purchaseSalesTax);
    QCOMPARE(db.count("select round(sum(PaidAmount) * 100) from purchase"), m_summary.paidAmount);
    QCOMPARE(m_summary.firstDay, QDate(2023, 4, 1));
    QCOMPARE(m_summary.lastDay, QDate(2025, 3, 31));
    QVERIFY(m_summary.text().contains(QLatin1String("purchases 500 with ")));
}

void tst_DemoDatabase::sameSeedSameDatabase()
{
    const QString again = m_dir.filePath(QStringLiteral("again.sqlite"));
    DemoDatabase::generate(again, smallRun());
    OpenedDatabase a(m_file);
    OpenedDatabase b(again);
    const QList<QPair<QString, QString>> tables = {
        {"Companies", "CompanyId"}, {"Units", "UnitID"}, {"Parties", "PartyId"}, {"Products", "ProductId"},
        {"purchase", "PurchaseId"}, {"purchasebody", "PurchaseId, LineNo"}, {"purreturns", "PurReturnId"},
        {"purreturnsbody", "PurReturnId, LineNo"}, {"Project_registry", "registrykey"},
        {"registry", "registrykey"}};
    for (const auto &t : tables) {
        const QStringList first = a.dump(t.first, t.second);
        QVERIFY2(!first.isEmpty(), qPrintable(t.first));
        QCOMPARE(b.dump(t.first, t.second), first);
    }
}

void tst_DemoDatabase::otherSeedOtherDatabase()
{
    const QString other = m_dir.filePath(QStringLiteral("other.sqlite"));
    DemoDatabase::generate(other, smallRun(8));
    OpenedDatabase a(m_file);
    OpenedDatabase b(other);
    QVERIFY(a.dump("purchasebody", "PurchaseId, LineNo") != b.dump("purchasebody", "PurchaseId, LineNo"));
}

void tst_DemoDatabase::refusesToOverwrite()
{
    const QString file = m_dir.filePath(QStringLiteral("kept.sqlite"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, DemoDatabase::generate(file, smallRun()));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep me"));
    f.close();

    DemoOptions tiny = smallRun();
    tiny.purchases = 20;
    DemoDatabase::generate(file, tiny, true);
    OpenedDatabase db(file);
    QCOMPARE(db.count("select count(*) from purchase"), 20);
}

void tst_DemoDatabase::sqlServerSchema()
{
    const QString sqlite = DemoDatabase::schema();
    const QString server = DemoDatabase::sqlServerSchema();
    QVERIFY(sqlite.contains(QLatin1String("COLLATE NOCASE")));
    QVERIFY(!server.contains(QLatin1String("COLLATE"), Qt::CaseInsensitive));
    QVERIFY(!server.contains(QLatin1String("REAL DECIMAL")));
    QVERIFY(server.contains(QLatin1String("Price        DECIMAL(18, 2) NOT NULL DEFAULT 0")));
    QVERIFY(server.contains(QLatin1String("PRIMARY KEY (PurchaseId, [LineNo])")));
    QVERIFY(!server.contains(QLatin1String("[[LineNo]]")));
    static const QRegularExpression createTable(QStringLiteral("CREATE TABLE (\\w+)"));
    QStringList a, b;
    for (auto it = createTable.globalMatch(sqlite); it.hasNext();)
        a << it.next().captured(1);
    for (auto it = createTable.globalMatch(server); it.hasNext();)
        b << it.next().captured(1);
    QCOMPARE(a.size(), 10);
    QCOMPARE(b, a);
}

void tst_DemoDatabase::defaultFromYear_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("fromYear");
    QTest::newRow("December: the year that ended in March is the second")
        << QDate(2026, 12, 6) << 2024;
    QTest::newRow("first day of a new year") << QDate(2026, 4, 1) << 2024;
    QTest::newRow("last day of a year, not yet ended") << QDate(2026, 3, 31) << 2023;
    QTest::newRow("January") << QDate(2027, 1, 15) << 2024;
}

void tst_DemoDatabase::defaultFromYear()
{
    QFETCH(QDate, today);
    QFETCH(int, fromYear);
    QCOMPARE(DemoDatabase::defaultFromYear(today), fromYear);
    // The two years end before today.
    QVERIFY(QDate(fromYear + 2, 3, 31) < today);
}

void tst_DemoDatabase::commandLine()
{
    QTemporaryDir cwd;
    QVERIFY(cwd.isValid());
    QProcess p;
    p.setWorkingDirectory(cwd.path());
    p.start(QStringLiteral(DEMODB_EXE), {"--purchases", "30", "--parties", "20", "--products", "15",
                                         "--from-year", "2022", "--seed", "3"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(out.contains(QLatin1String("purchases 30 with ")), qPrintable(out));
    QVERIFY2(out.contains(QLatin1String("financial years 2022-04-01 to 2024-03-31")), qPrintable(out));
    QVERIFY(QFile::exists(cwd.filePath(QStringLiteral("demo/orvane-demo.sqlite"))));

    // A second run must not overwrite without --force.
    p.start(QStringLiteral(DEMODB_EXE), {"--purchases", "30"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QLatin1String("--force")));

    p.start(QStringLiteral(DEMODB_EXE), {"--scale", "0"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QLatin1String("--scale")));

    p.start(QStringLiteral(DEMODB_EXE), {"--sqlserver-schema"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), DemoDatabase::sqlServerSchema());
}

QTEST_GUILESS_MAIN(tst_DemoDatabase)
#include "tst_DemoDatabase.moc"
