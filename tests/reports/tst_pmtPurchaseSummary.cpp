// The purchase summary: one row per purchase adding up its lines, the paid
// amount taken once, the vendor filter, the date heading alone, and printing.
// Also the showing methods of the six windows of this family.

#include "ReportFixture.h"

#include "MessageRecorder.h"
#include "PdfExport.h"
#include "Printing.h"
#include "Reports.h"
#include "RptProductWisePurchases.h"
#include "RptPurchaseLedger.h"
#include "RptPurchaseReturnRegister.h"
#include "RptReportViewer.h"
#include "crpPurchaseSummary.h"
#include "pmtPurchaseRegisterIW.h"
#include "pmtPurchaseReturnLedger.h"
#include "pmtPurchaseSummary.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvane;
using namespace orvane::test;

class tst_pmtPurchaseSummary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void rows_data();
    void rows();
    void noRecord();
    void headings();
    void codeValidation_data();
    void codeValidation();
    void printSendsOneReport();
    void showingMethods_data();
    void showingMethods();
    void companyWisePurchaseOpensNothing();

private:
    pmtPurchaseSummary *openWindow(QDate from, QDate to, const QString &code);

    std::unique_ptr<ReportFixture> m_fixture;
};

void tst_pmtPurchaseSummary::initTestCase()
{
    m_fixture = std::make_unique<ReportFixture>();
}

void tst_pmtPurchaseSummary::cleanup()
{
    setPrintHandler({});
    deleteWindows<ReportWindow, RptReportViewer>();
}

pmtPurchaseSummary *tst_pmtPurchaseSummary::openWindow(QDate from, QDate to, const QString &code)
{
    auto *window = openReportWindow<pmtPurchaseSummary>(from, to);
    window->codeBox()->setText(code);
    return window;
}

void tst_pmtPurchaseSummary::rows_data()
{
    QTest::addColumn<QString>("code");
    // "purchase: gross disc tax net paid vendor", in report order.
    QTest::addColumn<QStringList>("expected");

    const QString p7 = QStringLiteral("7 40 0 0 40 0 O'Brien Traders");
    const QString p120 = QStringLiteral("120 450 35 20 435 100 Vendor Seven");
    const QString p130 = QStringLiteral("130 15 0 0 15 10 Customer Nine");
    const QString pBig = QStringLiteral("100001 10 0 0 10 0 Vendor Seven");

    QTest::newRow("every vendor, ordered by purchase") << QString() << QStringList{p7, p120, p130, pBig};
    QTest::newRow("blank code is no filter") << QStringLiteral("   ") << QStringList{p7, p120, p130, pBig};
    QTest::newRow("vendor 7: three lines sum to one row, paid once") << QStringLiteral("7")
                                                                     << QStringList{p120, pBig};
    QTest::newRow("vendor 8") << QStringLiteral("8") << QStringList{p7};
}

void tst_pmtPurchaseSummary::rows()
{
    QFETCH(QString, code);
    QFETCH(QStringList, expected);

    MessageRecorder boxes;
    pmtPurchaseSummary *w = openWindow(kMarchFirst, kMarchLast, code);
    QVERIFY(w->PrepareReport());
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(rowLines(w->ReportRecordset(), "purchaseid Grossvalue Totaldisc Salestax NetValue PaidAmount vendorname"),
             expected);
}

void tst_pmtPurchaseSummary::noRecord()
{
    MessageRecorder boxes;
    pmtPurchaseSummary *w = openWindow(QDate(2024, 4, 1), QDate(2024, 4, 30), QString());
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).text, QStringLiteral("No record exists."));
    QCOMPARE(boxes.boxes.at(0).style, 64);
    QCOMPARE(boxes.boxes.at(0).title, QStringLiteral("Purchase Summary"));
    QVERIFY(!w->lastViewer());
}

void tst_pmtPurchaseSummary::headings()
{
    MessageRecorder boxes;
    pmtPurchaseSummary *w = openWindow(kMarchFirst, kMarchLast, QString());
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());
    RptReportViewer *viewer = w->lastViewer();
    QVERIFY(viewer && viewer->isVisible() && viewer->ReportName);
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Purchase Summary ReportName"));
    const Report &report = *viewer->ReportName;
    QCOMPARE(objectText(report, QStringLiteral("txtDate")),
             QStringLiteral("Date Between : 01-Mar-2024 To 31-Mar-2024"));
    QCOMPARE(report.rows()->rowCount(), 4);

    // Nothing else is set: every other text object keeps its design text.
    crpPurchaseSummary fresh;
    const std::shared_ptr<const ReportContent> design = fresh.content();
    for (const Section &section : design->layout.sections) {
        for (const LayoutObject &object : section.objects) {
            if (object.kind == ObjectKind::Text && object.name != QLatin1String("txtDate"))
                QCOMPARE(objectText(report, object.name), object.text);
        }
    }
    grabWindow(w, QStringLiteral("pmtPurchaseSummary"));
}

void tst_pmtPurchaseSummary::codeValidation_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<bool>("focusStays");

    QTest::newRow("vendor 7") << QStringLiteral("7") << QStringLiteral("Vendor Seven") << 0 << false;
    QTest::newRow("007 reads as 7") << QStringLiteral("007") << QStringLiteral("Vendor Seven") << 0 << false;
    QTest::newRow("a customer is no vendor: lookup, cancelled") << QStringLiteral("9") << QString() << 1
                                                                 << true;
}

void tst_pmtPurchaseSummary::codeValidation()
{
    QFETCH(QString, typed);
    QFETCH(QString, name);
    QFETCH(int, dialogs);
    QFETCH(bool, focusStays);

    MessageRecorder boxes;
    ModalCloser<LookupDialog> driver;   // cancels every lookup
    pmtPurchaseSummary *w = openWindow(kMarchFirst, kMarchLast, QString());
    w->codeBox()->setFocus();
    QTest::keyClicks(w->codeBox(), typed);
    QTest::keyClick(w->codeBox(), Qt::Key_Tab);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(driver.shown, dialogs);
    QCOMPARE(w->nameBox()->text(), name);
    QCOMPARE(w->focusWidget() == w->codeBox(), focusStays);
}

void tst_pmtPurchaseSummary::printSendsOneReport()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("summary.pdf"));
    int printed = 0;
    bool prompted = false;
    setPrintHandler([&](const Document &document, const PrintJob &job) {
        ++printed;
        prompted = job.prompt;
        QVERIFY(exportPdf(document, pdf));
    });
    MessageRecorder boxes;
    pmtPurchaseSummary *w = openWindow(kMarchFirst, kMarchLast, QStringLiteral("7"));
    QTest::mouseClick(w->printButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(printed, 1);
    QVERIFY(prompted);
    QVERIFY(QFileInfo(pdf).size() > 0);
    QVERIFY(!w->lastViewer()->isVisible());
}

void tst_pmtPurchaseSummary::showingMethods_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("caption");

    QTest::newRow("PurchaseSummary") << 0 << "pmtPurchaseSummary" << "Purchase Summary";
    QTest::newRow("PurchaseRegisterInvoiceWise") << 1 << "pmtPurchaseRegisterIW"
                                                 << "Purchase Register (Invoicewise)";
    QTest::newRow("ProductWisePurchases") << 2 << "RptProductWisePurchases" << "Product Wise Purchases";
    QTest::newRow("ProductPurchaseLedger") << 3 << "RptPurchaseLedger" << "Product Purchase Ledger";
    QTest::newRow("ProductPurchaseReturnLedger") << 4 << "pmtPurchaseReturnLedger"
                                                 << "Product Purchase Return Ledger";
    QTest::newRow("PurchaseReturnRegister") << 5 << "RptPurchaseReturnRegister" << "Purchase Return Register";
}

void tst_pmtPurchaseSummary::showingMethods()
{
    QFETCH(int, method);
    QFETCH(QString, objectName);
    QFETCH(QString, caption);

    Reports reports;
    const std::function<void()> calls[] = {
        [&] { reports.PurchaseSummary(); },
        [&] { reports.PurchaseRegisterInvoiceWise(); },
        [&] { reports.ProductWisePurchases(); },
        [&] { reports.ProductPurchaseLedger(); },
        [&] { reports.ProductPurchaseReturnLedger(); },
        [&] { reports.PurchaseReturnRegister(); },
    };
    calls[method]();
    QList<QWidget *> shown;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->objectName() == objectName)
            shown << w;
    }
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first()->windowTitle(), caption);
    QVERIFY(!shown.first()->parentWidget());

    // Again while open: the same window, entries kept.
    auto *window = qobject_cast<ReportWindow *>(shown.first());
    QVERIFY(window);
    window->codeBox()->setText(QStringLiteral("5"));
    calls[method]();
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        count += w->isVisible() && w->objectName() == objectName;
    QCOMPARE(count, 1);
    QCOMPARE(window->codeBox()->text(), QStringLiteral("5"));
}

void tst_pmtPurchaseSummary::companyWisePurchaseOpensNothing()
{
    Reports reports;
    const QWidgetList before = QApplication::topLevelWidgets();
    reports.CompanyWisePurchase();
    QCOMPARE(QApplication::topLevelWidgets().size(), before.size());
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!w->isVisible());
}

QTEST_MAIN(tst_pmtPurchaseSummary)
#include "tst_pmtPurchaseSummary.moc"
