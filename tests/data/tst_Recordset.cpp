#include "Connection.h"
#include "Error.h"
#include "Recordset.h"
#include "SqliteSupport.h"
#include "Table.h"
#include "TestDatabase.h"

#include <QSqlQuery>
#include <QTest>

using namespace orvane;

class tst_Recordset : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void recordCount_data();
    void recordCount();
    void fieldsIgnoreCase();
    void valuesKeepTheirTypes();
    void emptyResultIsBofAndEof();
    void navigation();
    void reopenAfterClose();
    void tableOutlivesReopen();
    void filter_data();
    void filter();
    void malformedFilterKeepsRows();
    void find_data();
    void find();
    void findOptions();
    void unicodeLike_data();
    void unicodeLike();
    void isNullRewriteRuns();
    void datesInSql();
    void executeGivesOpenRecordset();
    void refusesWrites_data();
    void refusesWrites();
    void hostStillWrites();
    void readOnlyScopeDeniesWrites();
    void errors_data();
    void errors();
    void connectionIsNotSetUp();
    void connectionLeavesDatabaseOpen();

private:
    QSqlDatabase m_db;
    std::shared_ptr<Connection> m_connection;
};

void tst_Recordset::initTestCase()
{
    m_db = test::createTestDatabase();
    test::exec(m_db, QStringLiteral("INSERT INTO Companies VALUES (1,'Abbott Labs'),(2,'ABC Traders'),"
                                    "(3,'\u00c9cole Chimie'),(4,'O''Brien & Sons'),(5,'Zeta 100%')"));
    test::exec(m_db, QStringLiteral("INSERT INTO Parties (PartyId, PartyName, City, IsVendor) VALUES "
                                    "(10,'Alpha Supply','Lahore',1),(11,'Beta Traders',NULL,1),"
                                    "(12,'Gamma Retail','Karachi',0)"));
    test::exec(m_db, QStringLiteral("INSERT INTO Products (ProductId, ProductName, CompanyId, IsCrop, IsBroker) VALUES "
                                    "(100,'Urea',1,0,NULL),(101,'DAP',2,0,1),(102,'Wheat seed',3,1,0)"));
    test::exec(m_db, QStringLiteral("INSERT INTO purchase (PurchaseId, PurchaseDate, VendorId, BillNo, PaidAmount) VALUES "
                                    "(1,'2024-01-31',10,'B-1',1234.56),(2,'2024-02-01',10,'B-2',0),"
                                    "(3,'2024-02-29',11,'2024-03-01',99.5)"));
    test::exec(m_db, QStringLiteral("INSERT INTO Project_registry VALUES ('companyname','Orchard Agro'),"
                                    "('address','Main Road'),('phone','042-111')"));
    m_connection = Connection::create(m_db);
    m_connection->setCursorLocation(Connection::adUseClient);
}

void tst_Recordset::cleanupTestCase()
{
    m_connection.reset();
    const QString name = m_db.connectionName();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

void tst_Recordset::recordCount_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("count");

    QTest::newRow("all companies") << "select * from Companies" << 5;
    QTest::newRow("vendors only") << "Select * FROM Parties Where IsVendor=1 order by Partyname" << 2;
    QTest::newRow("none") << "select * from Companies where CompanyId > 99" << 0;
    QTest::newRow("join") << "Select Products.*,CompanyName  FROM Products Inner join Companies on "
                             "Companies.CompanyId = Products.CompanyId order by Productname"
                          << 3;
    QTest::newRow("aggregate") << "select count(*) as n from purchase" << 1;
    QTest::newRow("with") << "with v as (select * from Parties where IsVendor=1) select * from v" << 2;
    QTest::newRow("semicolons and a comment after") << "select * from Companies ;; -- all of them" << 5;
}

void tst_Recordset::recordCount()
{
    QFETCH(QString, sql);
    QFETCH(int, count);
    Recordset rs;
    rs.Open(sql, m_connection, Recordset::adOpenStatic, Recordset::adLockReadOnly, -1);
    QCOMPARE(rs.State(), int(Recordset::adStateOpen));
    QCOMPARE(rs.RecordCount(), count);
    QCOMPARE(rs.table()->rowCount(), count);
}

void tst_Recordset::fieldsIgnoreCase()
{
    Recordset rs;
    rs.Open(QStringLiteral("select CompanyId, CompanyName as [Company Name] from Companies order by CompanyId"),
            m_connection);
    QCOMPARE(rs.Fields(QStringLiteral("companyid")), QVariant(qlonglong(1)));
    QCOMPARE(rs.Fields(QStringLiteral("COMPANY NAME")), QVariant(QStringLiteral("Abbott Labs")));
    QCOMPARE(rs.fieldCount(), 2);
    QCOMPARE(rs.fieldName(1), QStringLiteral("Company Name"));
    QCOMPARE(rs.fieldIndex(QStringLiteral("COMPANYID")), 0);
    QCOMPARE(rs.fieldIndex(QStringLiteral("VendorId")), -1);
    try {
        rs.Fields(QStringLiteral("VendorId"));
        QFAIL("an unknown column was read");
    } catch (const Error &e) {
        QCOMPARE(e.description(), QStringLiteral("The result has no column named \"VendorId\"."));
    }
}

void tst_Recordset::valuesKeepTheirTypes()
{
    Recordset rs;
    rs.Open(QStringLiteral("select PurchaseId, PurchaseDate, PaidAmount, BillNo from purchase order by PurchaseId"),
            m_connection);
    QCOMPARE(rs.Fields(QStringLiteral("PurchaseId")).typeId(), int(QMetaType::LongLong));
    QCOMPARE(rs.Fields(QStringLiteral("PurchaseDate")), QVariant(QDate(2024, 1, 31)));
    QCOMPARE(rs.Fields(QStringLiteral("PaidAmount")), QVariant(1234.56));
    QCOMPARE(rs.table()->columnType(1), Table::Type::Date);
    // A bill number that looks like a date in a column of bill numbers stays text.
    rs.MoveLast();
    QCOMPARE(rs.Fields(QStringLiteral("BillNo")), QVariant(QStringLiteral("2024-03-01")));
    QCOMPARE(rs.Fields(QStringLiteral("PaidAmount")), QVariant(99.5));
    // SQLite keeps 0.00 as the integer 0; a DECIMAL column still reads as decimals.
    rs.MovePrevious();
    QCOMPARE(rs.Fields(QStringLiteral("PaidAmount")), QVariant(0.0));

    // The declared type decides, not the look of the value: a VARCHAR stays text
    // even when every value of the result looks like a date.
    Recordset bill;
    bill.Open(QStringLiteral("select BillNo, PaidAmount from purchase where PurchaseId=2"), m_connection);
    QCOMPARE(bill.Fields(QStringLiteral("PaidAmount")), QVariant(0.0));
    bill.Close();
    bill.Open(QStringLiteral("select BillNo from purchase where PurchaseId=3"), m_connection);
    QCOMPARE(bill.Fields(QStringLiteral("BillNo")), QVariant(QStringLiteral("2024-03-01")));
    QCOMPARE(bill.table()->columnType(0), Table::Type::Text);
    // An expression has no declared type: ISO date text is a date there.
    const auto expression = m_connection->Execute(QStringLiteral("select max(PurchaseDate) as last from purchase"));
    QCOMPARE(expression->Fields(QStringLiteral("last")), QVariant(QDate(2024, 2, 29)));
}

void tst_Recordset::emptyResultIsBofAndEof()
{
    Recordset rs;
    rs.Open(QStringLiteral("select * from Companies where 1=0"), m_connection);
    QVERIFY(rs.isBOF());
    QVERIFY(rs.isEOF());
    QCOMPARE(rs.RecordCount(), 0);
    QCOMPARE(rs.AbsolutePosition(), -1);
    QCOMPARE(rs.fieldIndex(QStringLiteral("CompanyName")), 1);   // columns are known even without rows
    rs.MoveFirst();
    rs.MoveLast();
    QVERIFY(rs.isBOF() && rs.isEOF());
    QVERIFY_THROWS_EXCEPTION(Error, rs.Fields(QStringLiteral("CompanyName")));
    QVERIFY_THROWS_EXCEPTION(Error, rs.MoveNext());
}

void tst_Recordset::navigation()
{
    Recordset rs;
    rs.Open(QStringLiteral("select CompanyId from Companies order by CompanyId"), m_connection);
    QVERIFY(!rs.isBOF());
    QStringList seen;
    while (!rs.isEOF()) {
        seen << rs.Fields(QStringLiteral("CompanyId")).toString();
        rs.MoveNext();
    }
    QCOMPARE(seen, QStringList({"1", "2", "3", "4", "5"}));
    QCOMPARE(rs.AbsolutePosition(), -1);
    try {
        rs.MoveNext();
        QFAIL("moved past the end");
    } catch (const Error &e) {
        QCOMPARE(e.description(), QStringLiteral("Cannot move to the next row: the recordset is already past its last row."));
        QCOMPARE(e.source(), QStringLiteral("Orvane data"));
    }
    rs.MovePrevious();
    QCOMPARE(rs.Fields(QStringLiteral("CompanyId")), QVariant(qlonglong(5)));
    rs.MoveFirst();
    rs.MovePrevious();
    QVERIFY(rs.isBOF());
    QVERIFY(!rs.isEOF());
    QVERIFY_THROWS_EXCEPTION(Error, rs.MovePrevious());
    rs.setAbsolutePosition(2);
    QCOMPARE(rs.Fields(QStringLiteral("CompanyId")), QVariant(qlonglong(3)));
    QVERIFY_THROWS_EXCEPTION(Error, rs.setAbsolutePosition(5));
    QCOMPARE(rs.value(4, 0), QVariant(qlonglong(5)));
}

void tst_Recordset::reopenAfterClose()
{
    Recordset rs;
    rs.Open(QStringLiteral("select * from Companies"), m_connection);
    try {
        rs.Open(QStringLiteral("select * from Parties"), m_connection);
        QFAIL("an open recordset was opened again");
    } catch (const Error &e) {
        QCOMPARE(e.description(), QStringLiteral("The recordset is already open: close it before opening it again."));
    }
    QCOMPARE(rs.RecordCount(), 5);   // the failed open left it as it was
    rs.Close();
    QCOMPARE(rs.State(), int(Recordset::adStateClosed));
    QVERIFY(!rs.table());
    QVERIFY_THROWS_EXCEPTION(Error, rs.RecordCount());
    rs.Close();   // closing twice is harmless
    rs.Open(QStringLiteral("select * from Parties"), m_connection);
    QCOMPARE(rs.RecordCount(), 3);
    QCOMPARE(rs.Source(), QStringLiteral("select * from Parties"));
}

void tst_Recordset::tableOutlivesReopen()
{
    Recordset rs;
    rs.Open(QStringLiteral("select * from Companies order by CompanyId"), m_connection);
    const std::shared_ptr<const Table> shown = rs.table();
    rs.Close();
    rs.Open(QStringLiteral("select * from Parties"), m_connection);
    QCOMPARE(shown->rowCount(), 5);
    QCOMPARE(shown->text(0, 1), QStringLiteral("Abbott Labs"));
    QVERIFY(rs.table() != shown);
}

void tst_Recordset::filter_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QStringList>("values");

    QTest::newRow("company-name heading")
        << "select * from Project_registry" << "registrykey='companyname'" << "Value" << QStringList{"Orchard Agro"};
    QTest::newRow("key in other case")
        << "select * from Project_registry" << "registrykey='COMPANYNAME'" << "Value" << QStringList{"Orchard Agro"};
    QTest::newRow("no row passes") << "select * from Project_registry" << "registrykey='nothing'" << "Value"
                                   << QStringList{};
    QTest::newRow("prefix") << "select * from Companies order by CompanyId" << "CompanyName like 'ab%'"
                            << "CompanyName" << QStringList{"Abbott Labs", "ABC Traders"};
    QTest::newRow("null city") << "select * from Parties order by PartyId" << "City is null" << "PartyName"
                               << QStringList{"Beta Traders"};
    QTest::newRow("number") << "select * from Parties order by PartyId" << "PartyId >= 11" << "PartyName"
                            << QStringList{"Beta Traders", "Gamma Retail"};
    QTest::newRow("date") << "select * from purchase order by PurchaseId" << "PurchaseDate >= '2024-02-01'"
                          << "BillNo" << QStringList{"B-2", "2024-03-01"};
    QTest::newRow("empty shows all") << "select * from Companies order by CompanyId" << "" << "CompanyId"
                                     << QStringList{"1", "2", "3", "4", "5"};
}

void tst_Recordset::filter()
{
    QFETCH(QString, sql);
    QFETCH(QString, criteria);
    QFETCH(QString, column);
    QFETCH(QStringList, values);

    Recordset rs;
    rs.Open(sql, m_connection);
    rs.MoveLast();
    rs.setFilter(criteria);
    QCOMPARE(rs.Filter(), criteria);
    QCOMPARE(rs.RecordCount(), values.size());
    QCOMPARE(rs.isBOF(), values.isEmpty());
    QCOMPARE(rs.isEOF(), values.isEmpty());
    QStringList got;
    for (; !rs.isEOF(); rs.MoveNext())
        got << rs.Fields(column).toString();
    QCOMPARE(got, values);
    for (int r = 0; r < rs.RecordCount(); ++r)
        QCOMPARE(rs.value(r, rs.fieldIndex(column)).toString(), values.at(r));

    // Clearing the filter brings every row back, the first current.
    rs.setFilter(QString());
    QCOMPARE(rs.RecordCount(), rs.table()->rowCount());
    QCOMPARE(rs.AbsolutePosition(), rs.RecordCount() ? 0 : -1);
}

void tst_Recordset::malformedFilterKeepsRows()
{
    Recordset rs;
    rs.Open(QStringLiteral("select * from Project_registry"), m_connection);
    rs.setFilter(QStringLiteral("registrykey='companyname'"));
    QVERIFY_THROWS_EXCEPTION(Error, rs.setFilter(QStringLiteral("registrykey='x")));
    QVERIFY_THROWS_EXCEPTION(Error, rs.setFilter(QStringLiteral("nosuchcolumn='x'")));
    QCOMPARE(rs.RecordCount(), 1);
    QCOMPARE(rs.Fields(QStringLiteral("Value")), QVariant(QStringLiteral("Orchard Agro")));
    try {
        rs.setFilter(QStringLiteral("registrykey='nothing'"));
        rs.Fields(QStringLiteral("Value"));
        QFAIL("a value was read with no row left");
    } catch (const Error &e) {
        QCOMPARE(e.description(), QStringLiteral("There is no current row to read \"Value\" from: the recordset is "
                                                 "at its beginning or end, or no row is left."));
    }
}

void tst_Recordset::find_data()
{
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<int>("position");

    QTest::newRow("prefix of two finds the first") << "Companyname like 'AB%'" << 0;
    QTest::newRow("longer prefix") << "Companyname like 'ABC%'" << 1;
    QTest::newRow("lower case") << "Companyname like 'abc t%'" << 1;
    QTest::newRow("accented") << "Companyname like '\u00e9c%'" << 2;
    QTest::newRow("apostrophe doubled") << "Companyname like 'O''Brien%'" << 3;
    QTest::newRow("percent typed by the user") << "Companyname like 'Zeta 100%%'" << 4;
    QTest::newRow("no match is EOF") << "Companyname like 'XY%'" << -1;
    QTest::newRow("blank prefix matches all") << "Companyname like ' %'" << -1;
}

void tst_Recordset::find()
{
    QFETCH(QString, criteria);
    QFETCH(int, position);
    Recordset rs;
    rs.Open(QStringLiteral("select * from Companies order by CompanyId"), m_connection,
            Recordset::adOpenDynamic, Recordset::adLockOptimistic, -1);
    rs.MoveLast();
    rs.Find(criteria, 0, Recordset::adSearchForward, Recordset::adBookmarkFirst);
    QCOMPARE(rs.AbsolutePosition(), position);
    QCOMPARE(rs.isEOF(), position < 0);
    QCOMPARE(rs.RecordCount(), 5);   // Find never narrows the rows
}

void tst_Recordset::findOptions()
{
    Recordset rs;
    rs.Open(QStringLiteral("select * from Companies order by CompanyId"), m_connection);
    const QString prefix = QStringLiteral("CompanyName like 'a%'");
    rs.Find(prefix);
    QCOMPARE(rs.AbsolutePosition(), 0);
    rs.Find(prefix, 1, Recordset::adSearchForward, Recordset::adBookmarkCurrent);
    QCOMPARE(rs.AbsolutePosition(), 1);
    rs.Find(prefix, 1, Recordset::adSearchForward, Recordset::adBookmarkCurrent);
    QVERIFY(rs.isEOF());
    rs.Find(prefix, 0, Recordset::adSearchBackward, Recordset::adBookmarkLast);
    QCOMPARE(rs.AbsolutePosition(), 1);
    rs.Find(QStringLiteral("CompanyId > 10"), 0, Recordset::adSearchBackward, Recordset::adBookmarkLast);
    QVERIFY(rs.isBOF());
    QVERIFY(!rs.isEOF());
    QVERIFY_THROWS_EXCEPTION(Error, rs.Find(QStringLiteral("CompanyName like")));
}

void tst_Recordset::unicodeLike_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("small accent finds capital") << "CompanyName LIKE '\u00e9%'" << QStringList{"\u00c9cole Chimie"};
    QTest::newRow("capital accent finds itself") << "CompanyName like '%CHIMIE'" << QStringList{"\u00c9cole Chimie"};
    QTest::newRow("apostrophe, any case") << "CompanyName like 'o''b%'" << QStringList{"O'Brien & Sons"};
    QTest::newRow("ascii ignores case") << "CompanyName like 'ab%'" << QStringList{"Abbott Labs", "ABC Traders"};
    QTest::newRow("escape clause") << "CompanyName like '%100!%' escape '!'" << QStringList{"Zeta 100%"};
    QTest::newRow("not like") << "CompanyName not like '%a%'" << QStringList{"\u00c9cole Chimie", "O'Brien & Sons"};
    QTest::newRow("null never matches") << "NULL like '%'" << QStringList{};
    QTest::newRow("unicode collation") << "CompanyName = '\u00c9COLE CHIMIE' collate UNICODE_NOCASE"
                                       << QStringList{"\u00c9cole Chimie"};
}

void tst_Recordset::unicodeLike()
{
    QFETCH(QString, where);
    QFETCH(QStringList, names);
    QVERIFY(m_connection->hasUnicodeLike());
    Recordset rs;
    rs.Open(QStringLiteral("select CompanyName from Companies where ") + where + QStringLiteral(" order by CompanyId"),
            m_connection);
    QStringList got;
    for (; !rs.isEOF(); rs.MoveNext())
        got << rs.Fields(QStringLiteral("CompanyName")).toString();
    QCOMPARE(got, names);
}

void tst_Recordset::isNullRewriteRuns()
{
    Recordset rs;
    rs.Open(QStringLiteral("Select Products.*,CompanyName  FROM Products Inner join Companies on Companies.CompanyId = "
                           "Products.CompanyId Where IsNull(Products.IsBroker,0)=0   order by Productname"),
            m_connection);
    QCOMPARE(rs.RecordCount(), 2);
    QCOMPARE(rs.Fields(QStringLiteral("ProductName")), QVariant(QStringLiteral("Urea")));
    QCOMPARE(m_connection->nativeSql(QStringLiteral("select ISNULL(a,0) as [ISNULL(a)], 'ISNULL(' from t")),
             QStringLiteral("select IFNULL(a,0) as [ISNULL(a)], 'ISNULL(' from t"));
    const auto values = m_connection->Execute(QStringLiteral("select isnull(NULL, 'none') as a, ISNULL ('x', 'y') as b, "
                                                             "'isnull(' as c"));
    QCOMPARE(values->Fields(QStringLiteral("a")), QVariant(QStringLiteral("none")));
    QCOMPARE(values->Fields(QStringLiteral("b")), QVariant(QStringLiteral("x")));
    QCOMPARE(values->Fields(QStringLiteral("c")), QVariant(QStringLiteral("isnull(")));
}

void tst_Recordset::datesInSql()
{
    QCOMPARE(m_connection->dialect(), Connection::Dialect::SQLite);
    QCOMPARE(m_connection->dateText(QDate(2024, 2, 1)), QStringLiteral("2024-02-01"));
    const QString sql = QStringLiteral("select * from purchase where PurchaseDate between '%1' and '%2'")
                            .arg(m_connection->dateText(QDate(2024, 2, 1)), m_connection->dateText(QDate(2024, 2, 29)));
    Recordset rs;
    rs.Open(sql, m_connection);
    QCOMPARE(rs.RecordCount(), 2);
}

void tst_Recordset::executeGivesOpenRecordset()
{
    const std::shared_ptr<Recordset> rs =
        m_connection->Execute(QStringLiteral("select * from Parties where IsVendor=1 order by PartyName"));
    QCOMPARE(rs->State(), int(Recordset::adStateOpen));
    QCOMPARE(rs->RecordCount(), 2);
    QCOMPARE(rs->Fields(QStringLiteral("partyname")), QVariant(QStringLiteral("Alpha Supply")));
    rs->Close();
    rs->Open(QStringLiteral("select * from Parties"), m_connection);
    QCOMPARE(rs->RecordCount(), 3);
}

void tst_Recordset::refusesWrites_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("delete") << "delete from Companies";
    QTest::newRow("second statement") << "select 1; delete from Companies";
    QTest::newRow("drop") << "DROP TABLE Companies";
    QTest::newRow("pragma") << "pragma user_version = 7";
    QTest::newRow("select into") << "select * into Copy from Companies";
    QTest::newRow("with update") << "with a as (select 1) update Companies set CompanyName='x'";
}

void tst_Recordset::refusesWrites()
{
    QFETCH(QString, sql);
    Recordset rs;
    try {
        rs.Open(sql, m_connection);
        QFAIL("a writing statement was run");
    } catch (const Error &e) {
        QCOMPARE(e.source(), QStringLiteral("Orvane data"));
        QVERIFY(!e.description().isEmpty());
    }
    QCOMPARE(rs.State(), int(Recordset::adStateClosed));
    QVERIFY_THROWS_EXCEPTION(Error, m_connection->Execute(sql));
    QCOMPARE(m_connection->Execute(QStringLiteral("select count(*) as n from Companies"))->Fields(QStringLiteral("n")),
             QVariant(qlonglong(5)));
}

// The guard is put on only around the layer's own statements.
void tst_Recordset::hostStillWrites()
{
    m_connection->Execute(QStringLiteral("select * from Companies"));
    QSqlQuery host(m_db);
    QVERIFY2(host.exec(QStringLiteral("INSERT INTO Units VALUES (1, 'kg')")), qPrintable(host.lastError().text()));
    QVERIFY(host.exec(QStringLiteral("DELETE FROM Units")));
}

void tst_Recordset::readOnlyScopeDeniesWrites()
{
    QSqlQuery host(m_db);
    {
        SqliteSupport::ReadOnlyScope readOnly(m_db);
        QVERIFY(!host.exec(QStringLiteral("INSERT INTO Units VALUES (2, 'bag')")));
        QVERIFY2(host.lastError().databaseText().contains(QLatin1String("not authorized")),
                 qPrintable(host.lastError().databaseText()));
        QVERIFY(host.exec(QStringLiteral("select count(*) from Units")));
    }
    QVERIFY(host.exec(QStringLiteral("select count(*) from Units")) && host.next());
    QCOMPARE(host.value(0).toInt(), 0);
}

void tst_Recordset::errors_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("source");

    QTest::newRow("no such table") << "select * from nothere" << "no such table: nothere" << "QSQLITE";
    QTest::newRow("no such column") << "select nocolumn from Companies" << "no such column: nocolumn" << "QSQLITE";
    QTest::newRow("syntax") << "select * from" << "incomplete input" << "QSQLITE";
    QTest::newRow("apostrophe left open") << "select * from Parties where PartyName like '%O'Brien%'"
                                          << "near \"Brien\": syntax error" << "QSQLITE";
    QTest::newRow("empty") << "" << "The statement is empty." << "Orvane data";
}

void tst_Recordset::errors()
{
    QFETCH(QString, sql);
    QFETCH(QString, description);
    QFETCH(QString, source);
    Recordset rs;
    try {
        rs.Open(sql, m_connection);
        QFAIL("a failing statement did not throw");
    } catch (const Error &e) {
        QCOMPARE(e.description(), description);
        QCOMPARE(e.source(), source);
    }
    QCOMPARE(rs.State(), int(Recordset::adStateClosed));
}

void tst_Recordset::connectionIsNotSetUp()
{
    Recordset rs;
    try {
        rs.Open(QStringLiteral("select * from Companies"), nullptr);
        QFAIL("opened without a connection");
    } catch (const Error &e) {
        QVERIFY2(e.description().startsWith(QLatin1String("The connection to the database is not set up: ")),
                 qPrintable(e.description()));
        QCOMPARE(e.source(), QStringLiteral("Orvane"));
    }
    QCOMPARE(rs.State(), int(Recordset::adStateClosed));

    const std::shared_ptr<Connection> none;
    try {
        Connection::require(none)->Execute(QStringLiteral("select 1"));
        QFAIL("executed without a connection");
    } catch (const Error &e) {
        QVERIFY(e.description().startsWith(QLatin1String("The connection to the database is not set up: ")));
        QCOMPARE(e.source(), QStringLiteral("Orvane"));
    }
    QCOMPARE(Connection::require(m_connection), m_connection.get());
}

void tst_Recordset::connectionLeavesDatabaseOpen()
{
    QSqlDatabase db = test::createTestDatabase();
    {
        auto connection = Connection::create(db);
        connection->Execute(QStringLiteral("select * from Companies"));
        QCOMPARE(connection->CursorLocation(), int(Connection::adUseServer));
        connection->setCursorLocation(Connection::adUseClient);
        QCOMPARE(connection->CursorLocation(), int(Connection::adUseClient));
        QVERIFY_THROWS_EXCEPTION(Error, connection->setCursorLocation(7));
    }
    QVERIFY(db.isOpen());
    const QString name = db.connectionName();
    auto kept = Connection::create(db);
    db.close();
    QVERIFY_THROWS_EXCEPTION(Error, Connection::create(db));
    try {
        kept->Execute(QStringLiteral("select * from Companies"));
        QFAIL("read over a closed connection");
    } catch (const Error &e) {
        QCOMPARE(e.description(), QStringLiteral("The host's database connection is closed."));
        QCOMPARE(e.source(), QStringLiteral("QSQLITE"));
    }
    kept.reset();   // the layer's reference must go before the host removes the connection
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

QTEST_GUILESS_MAIN(tst_Recordset)
#include "tst_Recordset.moc"
