// The product lookup: its list modes and their precedence, the company
// column, a new recordset per load, and its own button names.

#include "LookupTestSupport.h"
#include "MessageRecorder.h"

#include "Recordset.h"
#include "SchProducts.h"

#include <QLabel>
#include <QPushButton>

using namespace orvane;
using namespace orvane::test;

namespace {

const QString base = QStringLiteral(
    "Select Products.*,CompanyName  FROM Products Inner join Companies on Companies.CompanyId = Products.CompanyId ");

const QStringList everyProduct = {"Brokerage Service", "Cotton Seed", "DAP Fertilizer", "Jute Bag",
                                  "Poly Bag", "Potash O'Neil", "Urea 50kg", "Wheat Seed"};
const QStringList nonCrop = {"DAP Fertilizer", "Jute Bag", "Poly Bag", "Potash O'Neil", "Urea 50kg"};
const QStringList bardana = {"Cotton Seed", "Jute Bag", "Poly Bag"};

} // namespace

class tst_SchProducts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listSql_data();
    void listSql();
    void modes_data();
    void modes();
    void defaultListShowsCompanies();
    void newRecordsetPerLoad();
    void modesKeptAcrossOpenings();
    void selectAndOwnButtons();

private:
    SchProducts *dialog() { return SharedState::current().window<SchProducts>(); }
    QSqlDatabase m_db;
};

void tst_SchProducts::initTestCase()
{
    m_db = createTestDatabase();
    exec(m_db, QStringLiteral("INSERT INTO Companies (CompanyId, CompanyName) VALUES "
                              "(1, 'Kissan Agro'), (2, 'Fauji Fertilizer'), (3, 'Engro Chemicals')"));
    exec(m_db, QStringLiteral(
        "INSERT INTO Products (ProductId, ProductName, CompanyId, IsCrop, IsBardana, IsBroker) VALUES "
        "(1, 'Urea 50kg', 2, 0, 0, 0),"
        "(2, 'Wheat Seed', 1, 1, 0, NULL),"
        "(3, 'Jute Bag', 1, 0, 1, 0),"
        "(4, 'DAP Fertilizer', 3, 0, 0, 1),"
        "(5, 'Brokerage Service', 3, 1, 0, 1),"
        "(6, 'Poly Bag', 2, 0, 1, NULL),"
        "(7, 'Cotton Seed', 1, 1, 1, NULL),"
        "(8, 'Potash O''Neil', 3, 0, 0, NULL)"));
}

void tst_SchProducts::init()
{
    makeShared(m_db);
    SchProducts *d = dialog();
    d->ParaInBoth = false;
    d->ParaInIsBardana = false;
    d->ParaInIsBroker = false;
}

void tst_SchProducts::cleanup()
{
    if (SchProducts *d = SharedState::current().existingWindow<SchProducts>())
        d->hide();
}

void tst_SchProducts::listSql_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("both");
    QTest::addColumn<bool>("isBardana");
    QTest::addColumn<bool>("isBroker");
    QTest::addColumn<QString>("sql");
    QTest::newRow("default, empty") << QString() << false << false << false
        << base + "Where Products.IsCrop=0   order by Productname";
    QTest::newRow("default, apostrophe") << "O'N" << false << false << false
        << base + "Where Products.IsCrop=0  AND ProductName LIKE '%O''N%' order by Productname";
    QTest::newRow("both drops the filter") << "bag" << true << true << true
        << base + "order by Productname";
    QTest::newRow("bardana before broker") << "bag" << false << true << true
        << base + "Where Products.IsBardana=1 AND ProductName LIKE '%bag%' order by Productname";
    QTest::newRow("broker") << QString() << false << false << true
        << base + "Where IsNull(Products.IsBroker,0)=1   order by Productname";
}

void tst_SchProducts::listSql()
{
    QFETCH(QString, filter);
    QFETCH(bool, both);
    QFETCH(bool, isBardana);
    QFETCH(bool, isBroker);
    QFETCH(QString, sql);
    QCOMPARE(SchProducts::listSql(filter, both, isBardana, isBroker), sql);
}

void tst_SchProducts::modes_data()
{
    QTest::addColumn<bool>("both");
    QTest::addColumn<bool>("isBardana");
    QTest::addColumn<bool>("isBroker");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("default: IsCrop 0 only") << false << false << false << "" << nonCrop;
    QTest::newRow("default, filtered") << false << false << false << "bag" << QStringList({"Jute Bag", "Poly Bag"});
    QTest::newRow("default, apostrophe") << false << false << false << "O'N" << QStringList({"Potash O'Neil"});
    QTest::newRow("both ignores the filter") << true << false << false << "bag" << everyProduct;
    QTest::newRow("bardana") << false << true << false << "" << bardana;
    QTest::newRow("bardana, filtered") << false << true << false << "seed" << QStringList({"Cotton Seed"});
    QTest::newRow("broker: NULL counts as 0") << false << false << true << ""
        << QStringList({"Brokerage Service", "DAP Fertilizer"});
    QTest::newRow("bardana beats broker") << false << true << true << "" << bardana;
    QTest::newRow("both beats the rest") << true << true << true << "" << everyProduct;
}

void tst_SchProducts::modes()
{
    QFETCH(bool, both);
    QFETCH(bool, isBardana);
    QFETCH(bool, isBroker);
    QFETCH(QString, typed);
    QFETCH(QStringList, names);
    MessageRecorder boxes;
    SchProducts *d = dialog();
    d->ParaInBoth = both;
    d->ParaInIsBardana = isBardana;
    d->ParaInIsBroker = isBroker;
    QVERIFY(openShown(d));
    QTest::keyClicks(d->filterBox(), typed);
    QCOMPARE(d->filterBox()->text(), typed);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(gridColumnTexts(d, QStringLiteral("Name")), names);
}

void tst_SchProducts::defaultListShowsCompanies()
{
    SchProducts *d = dialog();
    QVERIFY(openShown(d));
    QCOMPARE(d->windowTitle(), QStringLiteral("Search Products"));
    QVERIFY(d->findChild<QLabel *>(QStringLiteral("Image1")));
    QAbstractItemModel *model = d->grid()->model();
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Product ID"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Name"));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Company"));
    QCOMPARE(gridColumnTexts(d, QStringLiteral("ID")), QStringList({"4", "3", "6", "8", "1"}));
    QCOMPARE(gridColumnTexts(d, QStringLiteral("City")),
             QStringList({"Engro Chemicals", "Kissan Agro", "Fauji Fertilizer", "Engro Chemicals",
                          "Fauji Fertilizer"}));
    const double id = d->grid()->columnWidth(0);
    QVERIFY(qAbs(d->grid()->columnWidth(1) / id - 3.5) < 0.1);
    QVERIFY(qAbs(d->grid()->columnWidth(2) / id - 2.2) < 0.1);
}

void tst_SchProducts::newRecordsetPerLoad()
{
    SchProducts *d = dialog();
    QVERIFY(openShown(d));
    const std::shared_ptr<Recordset> first = d->listRecordset();
    QTest::keyClicks(d->filterBox(), QStringLiteral("P"));
    const std::shared_ptr<Recordset> second = d->listRecordset();
    QVERIFY(first && second);
    QVERIFY(first != second);
    QCOMPARE(first->State(), int(Recordset::adStateOpen));   // released, not closed, by the dialog
    QCOMPARE(d->gridModel()->recordset(), second);
}

void tst_SchProducts::modesKeptAcrossOpenings()
{
    SchProducts *d = dialog();
    d->ParaInIsBardana = true;
    QVERIFY(openShown(d));
    QTest::mouseClick(d->closeButton(), Qt::LeftButton);
    QVERIFY(!d->isVisible());
    QVERIFY(openShown(d));
    QVERIFY(d->ParaInIsBardana);
    QCOMPARE(gridColumnTexts(d, QStringLiteral("Name")), bardana);
}

void tst_SchProducts::selectAndOwnButtons()
{
    SchProducts *d = dialog();
    QCOMPARE(d->selectButton()->objectName(), QStringLiteral("BtnSelect"));
    QCOMPARE(d->closeButton()->objectName(), QStringLiteral("BtnClose"));
    QVERIFY(!d->findChild<QPushButton *>(QStringLiteral("CmdSelect")));

    // Enter on BtnClose is the button's own: it cancels.
    QVERIFY(openShown(d));
    d->closeButton()->setFocus();
    QTest::keyClick(d->closeButton(), Qt::Key_Return);
    QVERIFY(!d->isVisible());
    QCOMPARE(d->ParaOutProductID, QString());

    QVERIFY(openShown(d));
    d->grid()->setFocus();
    QTest::keyClick(d->grid(), Qt::Key_U);
    QTest::keyClick(d->grid(), Qt::Key_R);
    QCOMPARE(gridColumnTexts(d, QStringLiteral("Name")), QStringList({"Urea 50kg"}));
    QTest::keyClick(d->grid(), Qt::Key_Return);
    QVERIFY(!d->isVisible());
    QCOMPARE(d->ParaOutProductID, QStringLiteral("1"));
    QCOMPARE(d->ParaOutProductName, QStringLiteral("Urea 50kg"));
}

QTEST_MAIN(tst_SchProducts)
#include "tst_SchProducts.moc"
