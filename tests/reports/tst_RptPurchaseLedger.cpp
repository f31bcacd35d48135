// The product purchase ledger: the required product and its two refusals,
// the product lookup, one row per purchase line, and the product heading with
// the code as typed.

#include "ReportFixture.h"
#include "tst_ReportWindowSupport.h"

#include "MessageRecorder.h"
#include "RptPurchaseLedger.h"
#include "RptReportViewer.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace orvane;
using namespace orvane::test;

class tst_RptPurchaseLedger : public QObject
{
    Q_OBJECT

public:
    static void initMain()
    {
        qputenv("LC_ALL", "C");
        qputenv("LANG", "C");
    }

private slots:
    void initTestCase();
    void cleanup();

    void controls();
    void refusals_data();
    void refusals();
    void printWithoutCodeReadsTheRecordset();
    void codeValidation_data();
    void codeValidation();
    void rowsAndHeadings_data();
    void rowsAndHeadings();

private:
    RptPurchaseLedger *openWindow();

    std::unique_ptr<ReportFixture> m_fixture;
    QPointer<RptPurchaseLedger> m_window;
};

void tst_RptPurchaseLedger::initTestCase()
{
    m_fixture = std::make_unique<ReportFixture>();
}

void tst_RptPurchaseLedger::cleanup()
{
    setPrintHandler({});
    deleteWindows<ReportWindow, RptReportViewer>();
}

RptPurchaseLedger *tst_RptPurchaseLedger::openWindow()
{
    m_window = SharedState::current().window<RptPurchaseLedger>();
    m_window->show();
    m_window->activateWindow();
    if (!QTest::qWaitForWindowActive(m_window))
        qWarning("window did not become active");
    m_window->fromDate()->setDate(kMarchFirst);
    m_window->toDate()->setDate(kMarchLast);
    return m_window;
}

void tst_RptPurchaseLedger::controls()
{
    RptPurchaseLedger *w = openWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Product Purchase Ledger"));
    QCOMPARE(w->codeBox()->objectName(), QStringLiteral("TxtProductCode"));
    QCOMPARE(w->codeBox()->maxLength(), 10);
    QCOMPARE(w->nameBox()->objectName(), QStringLiteral("TxtProductName"));
    QVERIFY(w->nameBox()->isReadOnly());
    QCOMPARE(w->lookupButton()->objectName(), QStringLiteral("BtnSchProduct"));
    QCOMPARE(w->lookupButton()->text(), QStringLiteral("..."));
    grabWindow(w, QStringLiteral("RptPurchaseLedger"));
}

void tst_RptPurchaseLedger::refusals_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");   // as the name box holds it
    QTest::addColumn<QString>("message");

    const QString enter = QStringLiteral("Enter Product Code.");
    const QString missing = QStringLiteral("Product Code doesn't exist.");
    QTest::newRow("empty code") << QString() << QString() << enter;
    QTest::newRow("blanks only: not 'doesn't exist'") << QStringLiteral("   ") << QString() << enter;
    QTest::newRow("code never looked up") << QStringLiteral("5") << QString() << missing;
    QTest::newRow("name of blanks") << QStringLiteral("5") << QStringLiteral("  ") << missing;
}

void tst_RptPurchaseLedger::refusals()
{
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, message);

    MessageRecorder boxes;
    RptPurchaseLedger *w = openWindow();
    w->codeBox()->setText(code);
    w->nameBox()->setText(name);
    w->fromDate()->setFocus();
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).text, message);
    QCOMPARE(boxes.boxes.at(0).style, 48);
    QCOMPARE(boxes.boxes.at(0).title, QStringLiteral("Product Purchase Ledger"));
    QCOMPARE(w->focusWidget(), w->codeBox());
    QVERIFY(w->queryText().isEmpty());   // nothing was queried
    QVERIFY(!w->lastViewer());
}

void tst_RptPurchaseLedger::printWithoutCodeReadsTheRecordset()
{
    // Print goes on to the row count after the refusal: before any preparation
    // the recordset was never opened and reading it ends in the error report;
    // after one, the rows of that preparation are printed again.
    int printed = 0;
    setPrintHandler([&](const Document &, const PrintJob &) { ++printed; });
    MessageRecorder boxes;
    RptPurchaseLedger *w = openWindow();
    QTest::mouseClick(w->printButton(), Qt::LeftButton);
    QCOMPARE(boxes.boxes.size(), 2);
    QCOMPARE(boxes.boxes.at(0).text, QStringLiteral("Enter Product Code."));
    QCOMPARE(boxes.boxes.at(1).style, 16);
    QCOMPARE(printed, 0);
}

void tst_RptPurchaseLedger::codeValidation_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<bool>("focusStays");

    QTest::newRow("product 5") << "5" << "Panadol" << 0 << false;
    QTest::newRow("007 looks up product 7") << "007" << "Orphan" << 0 << false;
    QTest::newRow("5X found by its leading number") << "5X" << "Panadol" << 0 << false;
    QTest::newRow("unknown: lookup cancelled keeps the focus") << "99" << "" << 1 << true;
}

void tst_RptPurchaseLedger::codeValidation()
{
    QFETCH(QString, typed);
    QFETCH(QString, name);
    QFETCH(int, dialogs);
    QFETCH(bool, focusStays);

    MessageRecorder boxes;
    LookupDriver driver(LookupDriver::Answer::Cancel);
    RptPurchaseLedger *w = openWindow();
    w->codeBox()->setFocus();
    QTest::keyClicks(w->codeBox(), typed);
    QTest::keyClick(w->codeBox(), Qt::Key_Tab);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(driver.opened, dialogs);
    QCOMPARE(w->nameBox()->text(), name);
    QCOMPARE(w->focusWidget() == w->codeBox(), focusStays);
    if (focusStays) {
        QVERIFY(w->codeBox()->text().isEmpty());
        // Leaving the now empty box succeeds; Preview then asks for a code.
        QTest::keyClick(w->codeBox(), Qt::Key_Tab);
        QVERIFY(w->focusWidget() != w->codeBox());
        QTest::mouseClick(w->previewButton(), Qt::LeftButton);
        QCOMPARE(boxes.texts(), QStringLiteral("Enter Product Code."));
    }
}

void tst_RptPurchaseLedger::rowsAndHeadings_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("heading");
    // "purchase bill vendor: qty bonus price gross disc tax net"
    QTest::addColumn<QStringList>("expected");

    const QStringList panadol{
        QStringLiteral("120 B-120 Vendor Seven: 10 1 20 200 30 15 185"),
        QStringLiteral("120 B-120 Vendor Seven: 2 0 25 50 5 5 50"),
        QStringLiteral("130 B-130 Customer Nine: 1 0 15 15 0 0 15"),
    };
    QTest::newRow("product 5: three lines, two of one purchase")
        << "5" << "Product : 5   Panadol" << panadol;
    QTest::newRow("code kept as typed, leading zero") << "05" << "Product : 05   Panadol" << panadol;
    QTest::newRow("product 11") << "11" << "Product : 11   Sugar"
                                << QStringList{QStringLiteral("7 B-7 O'Brien Traders: 1 0 40 40 0 0 40")};
}

void tst_RptPurchaseLedger::rowsAndHeadings()
{
    QFETCH(QString, typed);
    QFETCH(QString, heading);
    QFETCH(QStringList, expected);

    MessageRecorder boxes;
    RptPurchaseLedger *w = openWindow();
    w->codeBox()->setFocus();
    QTest::keyClicks(w->codeBox(), typed);
    QTest::keyClick(w->codeBox(), Qt::Key_Return);
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());

    QStringList got;
    for (const QString &line :
         rowLines(w->ReportRecordset(),
                  {QStringLiteral("purchaseid"), QStringLiteral("billno"), QStringLiteral("vendorname"),
                   QStringLiteral("qty"), QStringLiteral("bonus"), QStringLiteral("price"),
                   QStringLiteral("Grossvalue"), QStringLiteral("Totaldisc"), QStringLiteral("Salestax"),
                   QStringLiteral("NetValue")})) {
        const QStringList cells = line.split(QLatin1Char(' '));
        const int numbers = 7;
        got << cells.mid(0, cells.size() - numbers).join(QLatin1Char(' ')) + QLatin1String(": ")
                + cells.mid(cells.size() - numbers).join(QLatin1Char(' '));
    }
    // The lines of one purchase come in the database's order.
    QStringList sortedGot = got, sortedExpected = expected;
    sortedGot.sort();
    sortedExpected.sort();
    QCOMPARE(sortedGot, sortedExpected);
    QStringList ids;
    for (const QString &line : got)
        ids << line.section(QLatin1Char(' '), 0, 0);
    QStringList expectedIds;
    for (const QString &line : expected)
        expectedIds << line.section(QLatin1Char(' '), 0, 0);
    QCOMPARE(ids, expectedIds);

    RptReportViewer *viewer = w->lastViewer();
    QVERIFY(viewer && viewer->isVisible() && viewer->ReportName);
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Product Purchase Ledger ReportName"));
    QCOMPARE(objectText(*viewer->ReportName, QStringLiteral("txtProduct")), heading);
    QCOMPARE(objectText(*viewer->ReportName, QStringLiteral("txtDate")),
             QStringLiteral("Date Between : 01-Mar-2024 To 31-Mar-2024"));
}

QTEST_MAIN(tst_RptPurchaseLedger)
#include "tst_RptPurchaseLedger.moc"
