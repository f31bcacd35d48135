// The six purchase report windows as a user drives them: what each refuses,
// the invoice ranges of both registers, and the texts the reports get.

#include "ReportFixture.h"

#include "MessageRecorder.h"
#include "Reports.h"
#include "RptProductWisePurchases.h"
#include "RptPurchaseLedger.h"
#include "RptPurchaseReturnRegister.h"
#include "RptReportViewer.h"
#include "pmtPurchaseRegisterIW.h"
#include "pmtPurchaseReturnLedger.h"
#include "pmtPurchaseSummary.h"

#include <QtTest>

#include "SharedState.h"

using namespace orvane;
using namespace orvane::test;

class tst_PurchaseReportWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_fixture = std::make_unique<ReportFixture>(); }
    void cleanupTestCase() { SharedState::current().deleteWindows(); }
    void cleanup()
    {
        setPrintHandler({});
        deleteWindows<ReportWindow, RptReportViewer>();
    }

    void summaryAddsUpLinesAndTakesPaidOnce();
    void companyWisePurchaseOpensNothing();
    void registerRanges_data();
    void registerRanges();
    void pastedNonNumberRefused_data();
    void pastedNonNumberRefused();
    void invoiceBoxIgnoresPointAndLetters();
    void registerAcceptsCustomerCode();
    void ledgerCodeRefused_data();
    void ledgerCodeRefused();
    void ledgerHeadingKeepsCodeAsTyped();
    void returnLedgerPrintWithoutCode();
    void returnLedgerWithoutCompanyName();
    void productWiseDateOrder_data();
    void productWiseDateOrder();
    void productWiseParameters_data();
    void productWiseParameters();
    void productWiseNoRecord_data();
    void productWiseNoRecord();
    void productWiseLookupCancel_data();
    void productWiseLookupCancel();

private:
    std::unique_ptr<ReportFixture> m_fixture;
};

void tst_PurchaseReportWindows::summaryAddsUpLinesAndTakesPaidOnce()
{
    MessageRecorder boxes;
    auto *w = openReportWindow<pmtPurchaseSummary>();
    QVERIFY(w->PrepareReport());
    QCOMPARE(boxes.texts(), QString());
    // "purchase gross disc tax net paid vendor", ordered by purchase; 120's three lines make one row.
    QCOMPARE(rowLines(w->ReportRecordset(), "purchaseid Grossvalue Totaldisc Salestax NetValue PaidAmount vendorname"),
             (QStringList{"7 40 0 0 40 0 O'Brien Traders", "120 450 35 20 435 100 Vendor Seven",
                          "130 15 0 0 15 10 Customer Nine", "100001 10 0 0 10 0 Vendor Seven"}));
}

void tst_PurchaseReportWindows::companyWisePurchaseOpensNothing()
{
    Reports reports;
    const int before = QApplication::topLevelWidgets().size();
    reports.CompanyWisePurchase();
    QCOMPARE(QApplication::topLevelWidgets().size(), before);
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!w->isVisible());
}

void tst_PurchaseReportWindows::registerRanges_data()
{
    QTest::addColumn<bool>("returns");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QStringList>("expected");   // "number product", lines of one number in any order

    QTest::newRow("purchases: empty is 1 to 99999, never 100001") << false << "" << "" << "1 To 99999"
        << QStringList{"7 11", "120 5", "120 5", "120 6", "130 5"};
    QTest::newRow("purchases: From 120 alone") << false << "120" << "" << "120 To 99999"
        << QStringList{"120 5", "120 5", "120 6", "130 5"};
    QTest::newRow("purchases: 007 kept as typed") << false << "007" << "007" << "007 To 007" << QStringList{"7 11"};
    // Return 15's line of product 7 has no unit and is left out; return 0 lies below 1.
    QTest::newRow("returns: empty, unitless line absent") << true << "" << "" << "1 To 99999"
        << QStringList{"7 10", "15 5", "40 6"};
    QTest::newRow("returns: 007 read as 7") << true << "007" << "007" << "007 To 007" << QStringList{"7 10"};
    QTest::newRow("returns: abc read as 0") << true << "abc" << "abc" << "abc To abc" << QStringList{"0 6"};
}

void tst_PurchaseReportWindows::registerRanges()
{
    QFETCH(bool, returns);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, heading);
    QFETCH(QStringList, expected);

    MessageRecorder boxes;
    InvoiceRangeWindow *w = returns ? static_cast<InvoiceRangeWindow *>(openReportWindow<RptPurchaseReturnRegister>())
                                    : openReportWindow<pmtPurchaseRegisterIW>();
    w->fromInvoiceBox()->setText(from);
    w->toInvoiceBox()->setText(to);
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(tieSorted(rowLines(w->ReportRecordset(), returns ? "purreturnid productid" : "purchaseid productid")),
             tieSorted(expected));
    QVERIFY(w->lastViewer() && w->lastViewer()->ReportName);
    QCOMPARE(objectText(*w->lastViewer()->ReportName, QStringLiteral("Txtinvoice")),
             QStringLiteral("Invoiceno Between : ") + heading);
}

void tst_PurchaseReportWindows::pastedNonNumberRefused_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("print");
    QTest::addColumn<QString>("message");

    QTest::newRow("letters in From, Preview") << "12a" << "" << false << "From Invoice No must be a whole number.";
    QTest::newRow("statement text in To, Print") << "" << "0 or1" << true << "To Invoice No must be a whole number.";
}

void tst_PurchaseReportWindows::pastedNonNumberRefused()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, print);
    QFETCH(QString, message);

    int printed = 0;
    setPrintHandler([&](const Document &, const PrintJob &) { ++printed; });
    MessageRecorder boxes;
    auto *w = openReportWindow<pmtPurchaseRegisterIW>();
    QVERIFY(w->PrepareReport());   // rows Print must not reuse
    const QString before = w->queryText();
    w->fromInvoiceBox()->setText(from);   // pasted: the key filter never saw it
    w->toInvoiceBox()->setText(to);
    QTest::mouseClick(print ? w->printButton() : w->previewButton(), Qt::LeftButton);

    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).text, message);
    QCOMPARE(boxes.boxes.at(0).style, 16);
    QCOMPARE(boxes.boxes.at(0).title, QStringLiteral("Purchase Register (Invoicewise)"));
    QCOMPARE(w->queryText(), before);   // no new statement
    QCOMPARE(printed, 0);
    QCOMPARE(w->fromInvoiceBox()->text(), from);   // nothing typed is lost
    QCOMPARE(w->toInvoiceBox()->text(), to);
}

void tst_PurchaseReportWindows::invoiceBoxIgnoresPointAndLetters()
{
    auto *w = openReportWindow<pmtPurchaseRegisterIW>();
    for (QLineEdit *box : {w->fromInvoiceBox(), w->toInvoiceBox()}) {
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("1.a5"));
        QCOMPARE(box->text(), QStringLiteral("15"));
    }
}

void tst_PurchaseReportWindows::registerAcceptsCustomerCode()
{
    MessageRecorder boxes;
    ModalCloser<LookupDialog> driver;   // cancels every lookup
    auto *w = openReportWindow<pmtPurchaseRegisterIW>();
    typeCode(w, QStringLiteral("9"));
    QCOMPARE(driver.shown, 0);
    QCOMPARE(w->nameBox()->text(), QStringLiteral("Customer Nine"));
    QCOMPARE(w->focusWidget(), w->previewButton());
    QCOMPARE(boxes.texts(), QString());
}

void tst_PurchaseReportWindows::ledgerCodeRefused_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("blanks only") << "   " << "Enter Product Code.";
    // Set without leaving the box: nothing looked it up, so no name.
    QTest::newRow("code never looked up") << "5" << "Product Code doesn't exist.";
}

void tst_PurchaseReportWindows::ledgerCodeRefused()
{
    QFETCH(QString, code);
    QFETCH(QString, message);
    MessageRecorder boxes;
    auto *w = openReportWindow<RptPurchaseLedger>();
    w->codeBox()->setText(code);
    w->fromDate()->setFocus();
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).text, message);
    QCOMPARE(boxes.boxes.at(0).style, 48);
    QCOMPARE(boxes.boxes.at(0).title, QStringLiteral("Product Purchase Ledger"));
    QCOMPARE(w->focusWidget(), w->codeBox());
    QVERIFY(w->queryText().isEmpty());
}

void tst_PurchaseReportWindows::ledgerHeadingKeepsCodeAsTyped()
{
    MessageRecorder boxes;
    auto *w = openReportWindow<RptPurchaseLedger>();
    typeCode(w, QStringLiteral("05"));
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());
    QVERIFY(w->lastViewer() && w->lastViewer()->ReportName);
    QCOMPARE(objectText(*w->lastViewer()->ReportName, QStringLiteral("txtProduct")),
             QStringLiteral("Product : 05   Panadol"));
}

void tst_PurchaseReportWindows::returnLedgerPrintWithoutCode()
{
    int printed = 0;
    setPrintHandler([&](const Document &, const PrintJob &) { ++printed; });
    MessageRecorder boxes;
    auto *w = openReportWindow<pmtPurchaseReturnLedger>();
    QTest::mouseClick(w->printButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QStringLiteral("Please Enter Product Id"));
    QCOMPARE(boxes.boxes.at(0).style, 0);
    QCOMPARE(boxes.boxes.at(0).title, QString());
    QCOMPARE(w->focusWidget(), w->codeBox());
    QCOMPARE(printed, 0);
}

void tst_PurchaseReportWindows::returnLedgerWithoutCompanyName()
{
    // The other window's table holds a name, but this one reads registry only.
    exec(m_fixture->database(), QStringLiteral("DELETE FROM registry"));
    MessageRecorder boxes;
    auto *w = openReportWindow<pmtPurchaseReturnLedger>();
    typeCode(w, QStringLiteral("5"));
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    exec(m_fixture->database(), QStringLiteral("INSERT INTO registry VALUES ('companyname','Return Ledger Co')"));

    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).style, 16);
    QCOMPARE(w->ReportRecordset().RecordCount(), 1);   // rows found; the company name ended it
    QVERIFY(!w->lastViewer() || !w->lastViewer()->isVisible());
}

void tst_PurchaseReportWindows::productWiseDateOrder_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("From one day after To: refused") << QDate(2024, 3, 11) << false;
    QTest::newRow("equal dates: that one day") << QDate(2024, 3, 10) << true;
}

void tst_PurchaseReportWindows::productWiseDateOrder()
{
    QFETCH(QDate, from);
    QFETCH(bool, accepted);

    MessageRecorder boxes;
    ModalCloser<RptReportViewer> closer;
    auto *w = openReportWindow<RptProductWisePurchases>(from, QDate(2024, 3, 10));
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(closer.shown, accepted ? 1 : 0);
    if (accepted) {
        QCOMPARE(boxes.texts(), QString());
        QCOMPARE(w->ReportRecordset().RecordCount(), 2);   // purchase 120's products 5 and 6
        return;
    }
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).text, QStringLiteral("From date must be less than or equal to To date"));
    QCOMPARE(boxes.boxes.at(0).style, 48);
    QCOMPARE(boxes.boxes.at(0).title, QStringLiteral("Alert"));
    QVERIFY(w->executedSql().isEmpty());
    QVERIFY(!w->hasReportRecordset());
}

void tst_PurchaseReportWindows::productWiseParameters_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("expected");
    const QString dates = QStringLiteral("From : 01/03/2024,   To : 31/03/2024");
    QTest::newRow("no code") << "" << QStringList{"Company Id - ", dates, "Company Name - All Companies"};
    QTest::newRow("company 12") << "12" << QStringList{"Company Id - 12", dates, "Company Name - Twelve Co"};
}

void tst_PurchaseReportWindows::productWiseParameters()
{
    QFETCH(QString, code);
    QFETCH(QStringList, expected);

    MessageRecorder boxes;
    auto *w = openReportWindow<RptProductWisePurchases>();
    if (!code.isEmpty())
        typeCode(w, code);
    QVERIFY(w->RunQuery());
    w->BindReport();
    QCOMPARE(boxes.texts(), QString());
    QVERIFY(w->boundViewer() && w->boundViewer()->ReportName);
    Report &report = *w->boundViewer()->ReportName;
    QCOMPARE(report.ReportTitle(), QStringLiteral("Product Wise Purchase "));
    QCOMPARE(report.parameterCount(), 3);
    QStringList got;
    for (int i = 1; i <= 3; ++i)
        got << report.ParameterFields(i).currentValue();
    QCOMPARE(got, expected);
}

void tst_PurchaseReportWindows::productWiseNoRecord_data()
{
    QTest::addColumn<bool>("print");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("Preview empties the code") << false << "" << "All Companies";
    QTest::newRow("Print keeps it") << true << "12" << "Twelve Co";
}

void tst_PurchaseReportWindows::productWiseNoRecord()
{
    QFETCH(bool, print);
    QFETCH(QString, code);
    QFETCH(QString, name);

    int printed = 0;
    setPrintHandler([&](const Document &, const PrintJob &) { ++printed; });
    MessageRecorder boxes;
    auto *w = openReportWindow<RptProductWisePurchases>(QDate(2024, 4, 1), QDate(2024, 4, 30));
    typeCode(w, QStringLiteral("12"));
    QTest::mouseClick(print ? w->printButton() : w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QStringLiteral("No record found"));
    QCOMPARE(boxes.boxes.at(0).title, QStringLiteral("Information"));
    QCOMPARE(w->codeBox()->text(), code);
    QCOMPARE(w->nameBox()->text(), name);
    QCOMPARE(printed, 0);
}

void tst_PurchaseReportWindows::productWiseLookupCancel_data()
{
    QTest::addColumn<bool>("f1");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("focus");
    // F1 empties the code (All Companies), then writes the dialog's empty name.
    QTest::newRow("F1") << true << "" << "DtpFrom";
    QTest::newRow("lookup button") << false << "All Companies" << "TxtCompanyID";
}

void tst_PurchaseReportWindows::productWiseLookupCancel()
{
    QFETCH(bool, f1);
    QFETCH(QString, name);
    QFETCH(QString, focus);

    MessageRecorder boxes;
    ModalCloser<LookupDialog> driver;   // cancels every lookup
    auto *w = openReportWindow<RptProductWisePurchases>();
    typeCode(w, QStringLiteral("12"));
    QCOMPARE(w->nameBox()->text(), QStringLiteral("Twelve Co"));
    w->codeBox()->setFocus();
    if (f1)
        QTest::keyClick(w->codeBox(), Qt::Key_F1);
    else
        QTest::mouseClick(w->lookupButton(), Qt::LeftButton);
    QCOMPARE(driver.shown, 1);
    QCOMPARE(w->codeBox()->text(), QString());
    QCOMPARE(w->nameBox()->text(), name);
    QCOMPARE(w->focusWidget()->objectName(), focus);
    QCOMPARE(boxes.texts(), QString());
}

QTEST_MAIN(tst_PurchaseReportWindows)
#include "tst_PurchaseReportWindows.moc"
