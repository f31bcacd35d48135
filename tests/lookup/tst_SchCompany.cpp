// The company lookup: one list per opening, and a prefix search that moves
// the active row instead of narrowing the list.

#include "LookupTestSupport.h"
#include "MessageRecorder.h"

#include "Recordset.h"
#include "SchCompany.h"

#include <QLabel>
#include <QPushButton>

using namespace orvane;
using namespace orvane::test;

namespace {

const QStringList allCompanies = {"Al-Habib Textiles", "Alpha Agro", "Beta Chemicals",
                                  "Crescent Sugar", "D'Arcy Foods", "Zenith Paper"};

} // namespace

class tst_SchCompany : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void findCriteria_data();
    void findCriteria();
    void loadsOncePerOpening();
    void search_data();
    void search();
    void searchFromGridAndSelect();
    void handBackUntouchedByFilter();
    void failedLoadShowsErrorAndStaysOpen();

private:
    SchCompany *dialog() { return SharedState::current().window<SchCompany>(); }
    QSqlDatabase m_db;
};

void tst_SchCompany::initTestCase()
{
    m_db = createTestDatabase();
    exec(m_db, QStringLiteral("INSERT INTO Companies (CompanyId, CompanyName) VALUES "
                              "(1, 'Crescent Sugar'), (2, 'Alpha Agro'), (3, 'D''Arcy Foods'),"
                              "(4, 'Al-Habib Textiles'), (5, 'Beta Chemicals'), (6, 'Zenith Paper')"));
}

void tst_SchCompany::init()
{
    makeShared(m_db);
}

void tst_SchCompany::cleanup()
{
    if (SchCompany *d = SharedState::current().existingWindow<SchCompany>())
        d->hide();
}

void tst_SchCompany::findCriteria_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("criteria");
    QTest::newRow("plain") << "Al" << "Companyname like 'Al%'";
    QTest::newRow("apostrophe doubled") << "D'A" << "Companyname like 'D''A%'";
    QTest::newRow("blanks kept") << " B " << "Companyname like ' B %'";
}

void tst_SchCompany::findCriteria()
{
    QFETCH(QString, filter);
    QFETCH(QString, criteria);
    QCOMPARE(SchCompany::findCriteria(filter), criteria);
}

void tst_SchCompany::loadsOncePerOpening()
{
    SchCompany *d = dialog();
    QVERIFY(openShown(d));
    QCOMPARE(d->windowTitle(), QStringLiteral("Search Company"));
    QVERIFY(d->findChild<QLabel *>(QStringLiteral("Image1")));
    QCOMPARE(d->selectButton()->objectName(), QStringLiteral("CmdSelect"));
    QCOMPARE(d->closeButton()->objectName(), QStringLiteral("CmdClose"));
    QCOMPARE(d->grid()->model()->columnCount(), 2);
    QCOMPARE(d->grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Comp. ID"));
    QCOMPARE(d->grid()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Company Name"));
    QVERIFY(qAbs(double(d->grid()->columnWidth(1)) / d->grid()->columnWidth(0) - 5.6) < 0.15);

    const std::shared_ptr<Recordset> list = d->listRecordset();
    QCOMPARE(list->Source(), QStringLiteral("Select * FROM Companies order by Companyname"));
    QCOMPARE(gridColumnTexts(d, QStringLiteral("Name")), allCompanies);
    QTest::keyClicks(d->filterBox(), QStringLiteral("Cr"));
    QCOMPARE(d->listRecordset(), list);   // searched, not re-queried
    QCOMPARE(gridColumnTexts(d, QStringLiteral("Name")), allCompanies);

    d->hide();
    QVERIFY(openShown(d));
    QVERIFY(d->listRecordset() != list);   // a new list for the new opening
    QCOMPARE(d->filterBox()->text(), QString());
    QCOMPARE(d->grid()->currentIndex().row(), 0);
}

void tst_SchCompany::search_data()
{
    QTest::addColumn<QStringList>("steps");   // filter texts typed one after another
    QTest::addColumn<QStringList>("active");  // active company after each step
    QTest::newRow("second letter narrows the match")
        << QStringList({"A", "Al", "Alp"})
        << QStringList({"Al-Habib Textiles", "Al-Habib Textiles", "Alpha Agro"});
    QTest::newRow("case ignored") << QStringList({"crescent"}) << QStringList({"Crescent Sugar"});
    QTest::newRow("apostrophe") << QStringList({"D'A"}) << QStringList({"D'Arcy Foods"});
    QTest::newRow("prefix, not substring: last row")
        << QStringList({"Agro"}) << QStringList({"Zenith Paper"});
    QTest::newRow("no match after a match: last row")
        << QStringList({"B", "Bx"}) << QStringList({"Beta Chemicals", "Zenith Paper"});
    QTest::newRow("blank filter: first row")
        << QStringList({"D", "  "}) << QStringList({"D'Arcy Foods", "Al-Habib Textiles"});
    QTest::newRow("leading blank is part of the prefix")
        << QStringList({" Beta"}) << QStringList({"Zenith Paper"});
}

void tst_SchCompany::search()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, active);
    MessageRecorder boxes;
    SchCompany *d = dialog();
    QVERIFY(openShown(d));
    for (int i = 0; i < steps.size(); ++i) {
        d->filterBox()->selectAll();
        QTest::keyClicks(d->filterBox(), steps.at(i));
        QCOMPARE(d->filterBox()->text(), steps.at(i));
        QCOMPARE(activeText(d, QStringLiteral("Name")), active.at(i));
        QCOMPARE(d->listRecordset()->AbsolutePosition(), d->grid()->currentIndex().row());
        QCOMPARE(d->grid()->model()->rowCount(), allCompanies.size());
    }
    QCOMPARE(boxes.texts(), QString());
}

void tst_SchCompany::searchFromGridAndSelect()
{
    SchCompany *d = dialog();
    QVERIFY(openShown(d));
    d->grid()->setFocus();
    QTest::keyClick(d->grid(), Qt::Key_C);
    QTest::keyClick(d->grid(), Qt::Key_R);
    QCOMPARE(d->filterBox()->text(), QStringLiteral("CR"));
    QCOMPARE(d->focusWidget(), d->grid());
    QCOMPARE(activeText(d, QStringLiteral("Name")), QStringLiteral("Crescent Sugar"));
    // Moving on from the found row with the arrows, then Enter.
    QTest::keyClick(d->grid(), Qt::Key_Down);
    QTest::keyClick(d->grid(), Qt::Key_Return);
    QVERIFY(!d->isVisible());
    QCOMPARE(d->ParaOutCompanyID, QStringLiteral("3"));
    QCOMPARE(d->ParaOutCompanyName, QStringLiteral("D'Arcy Foods"));
}

void tst_SchCompany::handBackUntouchedByFilter()
{
    SchCompany *d = dialog();
    QVERIFY(openShown(d));
    QCOMPARE(d->ParaOutCompanyID, QString());
    d->ParaOutCompanyID = QStringLiteral("5");
    d->ParaOutCompanyName = QStringLiteral("Beta Chemicals");
    QTest::keyClicks(d->filterBox(), QStringLiteral("Zx"));
    QCOMPARE(activeText(d, QStringLiteral("Name")), QStringLiteral("Zenith Paper"));
    QCOMPARE(d->ParaOutCompanyID, QStringLiteral("5"));
    QCOMPARE(d->ParaOutCompanyName, QStringLiteral("Beta Chemicals"));
}

void tst_SchCompany::failedLoadShowsErrorAndStaysOpen()
{
    QSqlDatabase db = createTestDatabase();
    exec(db, QStringLiteral("DROP TABLE Companies"));
    makeShared(db);
    MessageRecorder boxes;
    SchCompany *d = dialog();
    QVERIFY(openShown(d));
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).style, int(vbCritical));
    QVERIFY(boxes.boxes.at(0).text.contains(QStringLiteral("Companies"), Qt::CaseInsensitive));
    QVERIFY(d->isVisible());
    QCOMPARE(d->grid()->model()->rowCount(), 0);
    // Enter on the empty list is no failure: no new box, still open.
    QTest::keyClick(d->filterBox(), Qt::Key_Return);
    QCOMPARE(boxes.boxes.size(), 1);
    QVERIFY(d->isVisible());
    QTest::mouseClick(d->closeButton(), Qt::LeftButton);
    QVERIFY(!d->isVisible());
}

QTEST_MAIN(tst_SchCompany)
#include "tst_SchCompany.moc"
