#include "Connection.h"
#include "Error.h"
#include "Recordset.h"
#include "Table.h"
#include "TestDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace orvane;

Q_DECLARE_METATYPE(Table::Type)
Q_DECLARE_METATYPE(Connection::Dialect)

// The same contract over Qt's ODBC driver, through the SQLite ODBC driver on a
// temporary file: numbers must arrive as numbers, dates as dates.
class tst_OdbcConnection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void dialectIsDetected();
    void numbersArriveAsNumbers_data();
    void numbersArriveAsNumbers();
    void datesArriveAsDates();
    void recordCountAndNavigation();
    void filterAndFind();
    void isNullRewriteRuns();
    void refusesWrites();
    void databaseErrorsNameTheDriver();
    void dateTextPerDialect_data();
    void dateTextPerDialect();

private:
    QTemporaryDir m_dir;
    QString m_odbcName;
    QSqlDatabase m_odbc;
    std::shared_ptr<Connection> m_connection;
};

void tst_OdbcConnection::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
        QSKIP("Qt's ODBC driver is not installed");
    const QString file = m_dir.filePath(QStringLiteral("host.db"));
    {
        QSqlDatabase db = test::createTestDatabase(file, QStringLiteral("odbc-setup"));
        test::exec(db, QStringLiteral("INSERT INTO Companies VALUES (1,'Abbott Labs'),(2,'ABC Traders'),(3,'Zeta')"));
        test::exec(db, QStringLiteral("INSERT INTO Parties (PartyId, PartyName, IsVendor) VALUES (10,'O''Brien',1)"));
        test::exec(db, QStringLiteral("INSERT INTO Products (ProductId, ProductName, CompanyId, IsBroker) VALUES "
                                      "(100,'Urea',1,NULL),(101,'DAP',2,1)"));
        test::exec(db, QStringLiteral("INSERT INTO purchase (PurchaseId, PurchaseDate, VendorId, BillNo, PaidAmount) "
                                      "VALUES (1,'2024-01-31',10,'B-1',1234.56),(2,'2024-02-29',10,'B-2',0.1)"));
        test::exec(db, QStringLiteral("INSERT INTO purchasebody (PurchaseId, LineNo, ProductId, Qty, Price) VALUES "
                                      "(1,1,100,2.5,1234.56),(1,2,101,3,10)"));
        test::exec(db, QStringLiteral("INSERT INTO Project_registry VALUES ('companyname','Orchard Agro'),('x','y')"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("odbc-setup"));

    m_odbcName = QStringLiteral("odbc-test");
    m_odbc = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_odbcName);
    m_odbc.setDatabaseName(QStringLiteral("DRIVER={SQLite3};Database=%1;").arg(file));
    if (!m_odbc.open())
        QSKIP(qPrintable(QStringLiteral("the SQLite ODBC driver is not usable here: ") + m_odbc.lastError().text()));
    m_connection = Connection::create(m_odbc);
}

void tst_OdbcConnection::cleanupTestCase()
{
    m_connection.reset();
    if (m_odbc.isValid())
        m_odbc.close();
    m_odbc = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_odbcName);
}

void tst_OdbcConnection::dialectIsDetected()
{
    QCOMPARE(m_connection->dialect(), Connection::Dialect::SQLite);
    QCOMPARE(m_connection->dateText(QDate(2024, 2, 29)), QStringLiteral("2024-02-29"));
}

void tst_OdbcConnection::numbersArriveAsNumbers_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<Table::Type>("type");

    QTest::newRow("decimal column") << "select PaidAmount as v from purchase where PurchaseId=1" << QVariant(1234.56)
                                    << Table::Type::Real;
    QTest::newRow("small decimal column") << "select PaidAmount as v from purchase where PurchaseId=2"
                                          << QVariant(0.1) << Table::Type::Real;
    QTest::newRow("integer column") << "select PurchaseId as v from purchase where PurchaseId=2"
                                    << QVariant(qlonglong(2)) << Table::Type::Integer;
    QTest::newRow("computed value") << "select Qty * Price as v from purchasebody where LineNo=1"
                                    << QVariant(3086.4) << Table::Type::Real;
    QTest::newRow("sum") << "select sum(Qty) as v from purchasebody" << QVariant(5.5) << Table::Type::Real;
    QTest::newRow("count") << "select count(*) as v from purchasebody" << QVariant(qlonglong(2))
                           << Table::Type::Integer;
}

void tst_OdbcConnection::numbersArriveAsNumbers()
{
    QFETCH(QString, sql);
    QFETCH(QVariant, expected);
    QFETCH(Table::Type, type);
    Recordset rs;
    rs.Open(sql, m_connection);
    QCOMPARE(rs.RecordCount(), 1);
    QCOMPARE(rs.table()->cellType(0, 0), type);
    if (type == Table::Type::Real)
        QCOMPARE(rs.Fields(QStringLiteral("v")).toDouble(), expected.toDouble());
    else
        QCOMPARE(rs.Fields(QStringLiteral("v")), expected);
}

void tst_OdbcConnection::datesArriveAsDates()
{
    Recordset rs;
    rs.Open(QStringLiteral("select PurchaseDate from purchase order by PurchaseId"), m_connection);
    QCOMPARE(rs.Fields(QStringLiteral("purchasedate")), QVariant(QDate(2024, 1, 31)));
    QCOMPARE(rs.table()->text(1, 0), QStringLiteral("2024-02-29"));
    QCOMPARE(rs.table()->columnType(0), Table::Type::Date);
}

void tst_OdbcConnection::recordCountAndNavigation()
{
    Recordset rs;
    rs.Open(QStringLiteral("select * from Companies order by CompanyId"), m_connection, Recordset::adOpenStatic,
            Recordset::adLockReadOnly, -1);
    QCOMPARE(rs.RecordCount(), 3);
    QCOMPARE(rs.Fields(QStringLiteral("COMPANYNAME")), QVariant(QStringLiteral("Abbott Labs")));
    rs.MoveLast();
    QCOMPARE(rs.Fields(QStringLiteral("CompanyName")), QVariant(QStringLiteral("Zeta")));
    rs.MoveNext();
    QVERIFY(rs.isEOF());
    rs.Close();
    rs.Open(QStringLiteral("select * from Companies where 1=0"), m_connection);
    QVERIFY(rs.isBOF());
    QCOMPARE(rs.RecordCount(), 0);
}

void tst_OdbcConnection::filterAndFind()
{
    Recordset registry;
    registry.Open(QStringLiteral("select * from Project_registry"), m_connection);
    registry.setFilter(QStringLiteral("registrykey='companyname'"));
    QCOMPARE(registry.Fields(QStringLiteral("Value")), QVariant(QStringLiteral("Orchard Agro")));

    Recordset companies;
    companies.Open(QStringLiteral("select * from Companies order by CompanyName"), m_connection,
                   Recordset::adOpenDynamic, Recordset::adLockOptimistic, -1);
    companies.Find(QStringLiteral("Companyname like 'abc%'"), 0, Recordset::adSearchForward, Recordset::adBookmarkFirst);
    QCOMPARE(companies.Fields(QStringLiteral("CompanyName")), QVariant(QStringLiteral("ABC Traders")));
    companies.Find(QStringLiteral("Companyname like 'q%'"));
    QVERIFY(companies.isEOF());

    const auto parties = m_connection->Execute(QStringLiteral("select * from Parties where PartyName like '%o''b%'"));
    QCOMPARE(parties->RecordCount(), 1);
}

void tst_OdbcConnection::isNullRewriteRuns()
{
    Recordset rs;
    rs.Open(QStringLiteral("select ProductName from Products where IsNull(IsBroker,0)=0 and 'IsNull(' <> ''"),
            m_connection);
    QCOMPARE(rs.RecordCount(), 1);
    QCOMPARE(rs.Fields(QStringLiteral("ProductName")), QVariant(QStringLiteral("Urea")));
}

void tst_OdbcConnection::refusesWrites()
{
    QVERIFY_THROWS_EXCEPTION(Error, m_connection->Execute(QStringLiteral("delete from Companies")));
    QVERIFY_THROWS_EXCEPTION(Error, m_connection->Execute(QStringLiteral("select 1; delete from Companies")));
    QCOMPARE(m_connection->Execute(QStringLiteral("select count(*) as n from Companies"))->Fields(QStringLiteral("n")),
             QVariant(qlonglong(3)));
}

void tst_OdbcConnection::databaseErrorsNameTheDriver()
{
    try {
        m_connection->Execute(QStringLiteral("select * from nothere"));
        QFAIL("a missing table did not throw");
    } catch (const Error &e) {
        QCOMPARE(e.source(), QStringLiteral("QODBC"));
        QVERIFY2(e.description().contains(QLatin1String("no such table: nothere")), qPrintable(e.description()));
    }
}

void tst_OdbcConnection::dateTextPerDialect_data()
{
    QTest::addColumn<Connection::Dialect>("dialect");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("isNullSql");

    QTest::newRow("SQLite") << Connection::Dialect::SQLite << QDate(2024, 1, 5) << "2024-01-05"
                            << "select IFNULL(a,0) from t";
    QTest::newRow("SQL Server") << Connection::Dialect::SqlServer << QDate(2024, 1, 5) << "20240105"
                                << "select isnull(a,0) from t";
    QTest::newRow("SQL Server, last day of year") << Connection::Dialect::SqlServer << QDate(1999, 12, 31)
                                                  << "19991231" << "select isnull(a,0) from t";
}

void tst_OdbcConnection::dateTextPerDialect()
{
    QFETCH(Connection::Dialect, dialect);
    QFETCH(QDate, day);
    QFETCH(QString, text);
    QFETCH(QString, isNullSql);
    const auto connection = Connection::create(m_odbc, dialect);
    QCOMPARE(connection->dateText(day), text);
    QCOMPARE(connection->nativeSql(QStringLiteral("select isnull(a,0) from t")), isNullSql);
}

QTEST_GUILESS_MAIN(tst_OdbcConnection)
#include "tst_OdbcConnection.moc"
