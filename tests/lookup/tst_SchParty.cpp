// The party lookup: every party, in the database's own order, narrowed by name.

#include "LookupTestSupport.h"
#include "MessageRecorder.h"

#include "SchParty.h"

#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>

using namespace orvane;
using namespace orvane::test;

class tst_SchParty : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listSql_data();
    void listSql();
    void controls();
    void emptyFilterListsAllPartiesInDatabaseOrder();
    void filterAndSelect_data();
    void filterAndSelect();
    void typeAheadFromGrid();

private:
    SchParty *dialog() { return SharedState::current().window<SchParty>(); }
    QSqlDatabase m_db;
};

void tst_SchParty::initTestCase()
{
    m_db = createTestDatabase();
    // Inserted out of name order, vendors, customers and brokers mixed.
    exec(m_db, QStringLiteral(
        "INSERT INTO Parties (PartyId, PartyName, City, IsVendor, IsCustomer, IsBroker) VALUES "
        "(21, 'Zubair Cloth House', 'Multan', 0, 1, 0),"
        "(7, 'O''Connor Freight', 'Karachi', 1, 0, 0),"
        "(15, 'Émile Café', 'Paris', 0, 1, 0),"
        "(3, 'Bilal Brokers', 'Lahore', 0, 0, 1),"
        "(30, 'Anwar Seeds', NULL, 1, 0, 0)"));
}

void tst_SchParty::init()
{
    makeShared(m_db);
}

void tst_SchParty::cleanup()
{
    if (SchParty *d = SharedState::current().existingWindow<SchParty>())
        d->hide();
}

void tst_SchParty::listSql_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("sql");
    QTest::newRow("empty filter, no order") << QString() << "Select * FROM Parties WHERE 1=1 ";
    QTest::newRow("apostrophe doubled") << "O'C"
        << "Select * FROM Parties WHERE 1=1  AND PartyName LIKE '%O''C%'";
}

void tst_SchParty::listSql()
{
    QFETCH(QString, filter);
    QFETCH(QString, sql);
    QCOMPARE(SchParty::listSql(filter), sql);
}

void tst_SchParty::controls()
{
    SchParty *d = dialog();
    QVERIFY(openShown(d));
    QCOMPARE(d->windowTitle(), QStringLiteral("Search Parties"));
    QVERIFY(d->findChild<QPushButton *>(QStringLiteral("CmdSelect")));
    QVERIFY(d->findChild<QPushButton *>(QStringLiteral("CmdClose")));
    auto *image = d->findChild<QLabel *>(QStringLiteral("Image1"));
    QVERIFY(image && !image->pixmap().isNull());
    QAbstractItemModel *model = d->grid()->model();
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Party ID"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Name"));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Sector"));
}

void tst_SchParty::emptyFilterListsAllPartiesInDatabaseOrder()
{
    SchParty *d = dialog();
    QVERIFY(openShown(d));
    QStringList expected;
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("Select * FROM Parties WHERE 1=1 ")));
    while (q.next())
        expected << q.value(QStringLiteral("PartyId")).toString();
    QCOMPARE(expected.size(), 5);
    QCOMPARE(gridColumnTexts(d, QStringLiteral("ID")), expected);
    // A NULL sector shows as an empty cell.
    QVERIFY(gridColumnTexts(d, QStringLiteral("City")).contains(QString()));
}

void tst_SchParty::filterAndSelect_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("name");
    QTest::newRow("apostrophe") << "O'Con" << "7" << "O'Connor Freight";
    QTest::newRow("customer found too") << "cloth" << "21" << "Zubair Cloth House";
    QTest::newRow("broker found too") << "Bilal" << "3" << "Bilal Brokers";
}

void tst_SchParty::filterAndSelect()
{
    QFETCH(QString, typed);
    QFETCH(QString, id);
    QFETCH(QString, name);
    MessageRecorder boxes;
    SchParty *d = dialog();
    QVERIFY(openShown(d));
    QTest::keyClicks(d->filterBox(), typed);
    QCOMPARE(gridColumnTexts(d, QStringLiteral("Name")), QStringList({name}));
    QTest::mouseClick(d->selectButton(), Qt::LeftButton);
    QVERIFY(!d->isVisible());
    QCOMPARE(d->ParaOutPartyID, id);
    QCOMPARE(d->ParaOutPartyName, name);
    QCOMPARE(boxes.texts(), QString());
}

void tst_SchParty::typeAheadFromGrid()
{
    SchParty *d = dialog();
    QVERIFY(openShown(d));
    d->grid()->setFocus();
    QTest::keyClick(d->grid(), Qt::Key_S);
    QTest::keyClick(d->grid(), Qt::Key_E);
    QTest::keyClick(d->grid(), Qt::Key_E);
    QCOMPARE(d->filterBox()->text(), QStringLiteral("SEE"));
    QCOMPARE(gridColumnTexts(d, QStringLiteral("Name")), QStringList({"Anwar Seeds"}));
    QCOMPARE(d->focusWidget(), d->grid());
}

QTEST_MAIN(tst_SchParty)
#include "tst_SchParty.moc"
