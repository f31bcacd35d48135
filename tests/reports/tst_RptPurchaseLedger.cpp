// The product purchase ledger: the required product and its two refusals,
// the product lookup, one row per purchase line, and the product heading with
// the code as typed.

#include "ReportFixture.h"

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
    std::unique_ptr<ReportFixture> m_fixture;
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

void tst_RptPurchaseLedger::controls()
{
    RptPurchaseLedger *w = openReportWindow<RptPurchaseLedger>();
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
    RptPurchaseLedger *w = openReportWindow<RptPurchaseLedger>();
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
    RptPurchaseLedger *w = openReportWindow<RptPurchaseLedger>();
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
    ModalCloser<LookupDialog> driver;   // cancels every lookup
    RptPurchaseLedger *w = openReportWindow<RptPurchaseLedger>();
    w->codeBox()->setFocus();
    QTest::keyClicks(w->codeBox(), typed);
    QTest::keyClick(w->codeBox(), Qt::Key_Tab);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(driver.shown, dialogs);
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
    // "purchase qty bonus price gross disc tax net bill vendor"
    QTest::addColumn<QStringList>("expected");

    const QStringList panadol{
        QStringLiteral("120 10 1 20 200 30 15 185 B-120 Vendor Seven"),
        QStringLiteral("120 2 0 25 50 5 5 50 B-120 Vendor Seven"),
        QStringLiteral("130 1 0 15 15 0 0 15 B-130 Customer Nine"),
    };
    QTest::newRow("product 5: three lines, two of one purchase")
        << "5" << "Product : 5   Panadol" << panadol;
    QTest::newRow("code kept as typed, leading zero") << "05" << "Product : 05   Panadol" << panadol;
    QTest::newRow("product 11") << "11" << "Product : 11   Sugar"
                                << QStringList{QStringLiteral("7 1 0 40 40 0 0 40 B-7 O'Brien Traders")};
}

void tst_RptPurchaseLedger::rowsAndHeadings()
{
    QFETCH(QString, typed);
    QFETCH(QString, heading);
    QFETCH(QStringList, expected);

    MessageRecorder boxes;
    RptPurchaseLedger *w = openReportWindow<RptPurchaseLedger>();
    typeCode(w, typed);
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());

    QCOMPARE(tieSorted(rowLines(w->ReportRecordset(),
                                "purchaseid qty bonus price Grossvalue Totaldisc Salestax NetValue billno vendorname")),
             tieSorted(expected));

    RptReportViewer *viewer = w->lastViewer();
    QVERIFY(viewer && viewer->isVisible() && viewer->ReportName);
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Product Purchase Ledger ReportName"));
    QCOMPARE(objectText(*viewer->ReportName, QStringLiteral("txtProduct")), heading);
    QCOMPARE(objectText(*viewer->ReportName, QStringLiteral("txtDate")),
             QStringLiteral("Date Between : 01-Mar-2024 To 31-Mar-2024"));
}

QTEST_MAIN(tst_RptPurchaseLedger)
#include "tst_RptPurchaseLedger.moc"
