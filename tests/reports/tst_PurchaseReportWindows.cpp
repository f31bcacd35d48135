// The six purchase report windows as a user drives them: what each refuses,
// the invoice ranges of both registers, and the texts the reports get.

#include "ReportFixture.h"

#include "MessageRecorder.h"
#include "Reports.h"
#include "RptProductWisePurchases.h"
#include "RptPurchaseLedger.h"
#include "RptPurchaseReturnRegister.h"
#include "RptPurchaseReturnSummary.h"
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
    void refusedBeforeAnyQuery_data();
    void refusedBeforeAnyQuery();
    void invoiceBoxIgnoresPointAndLetters();
    void registerAcceptsCustomerCode();
    void ledgerHeadingKeepsCodeAsTyped();
    void returnLedgerWithoutCompanyName_data();
    void returnLedgerWithoutCompanyName();
    void productWiseSameDay();
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

    // Blank boxes bound nothing; the heading names the lowest and highest printed.
    QTest::newRow("purchases: empty takes 100001 too") << false << "" << "" << "7 To 100001"
        << QStringList{"7 11", "120 5", "120 5", "120 6", "130 5", "100001 6"};
    QTest::newRow("purchases: From 120 alone") << false << "120" << "" << "120 To 100001"
        << QStringList{"120 5", "120 5", "120 6", "130 5", "100001 6"};
    QTest::newRow("purchases: To alone") << false << "" << "99999" << "7 To 99999"
        << QStringList{"7 11", "120 5", "120 5", "120 6", "130 5"};
    QTest::newRow("purchases: nine digits") << false << "100000" << "123456789" << "100000 To 123456789"
        << QStringList{"100001 6"};
    QTest::newRow("purchases: 007 kept as typed") << false << "007" << "007" << "007 To 007" << QStringList{"7 11"};
    // Return 15's line of product 7 has no unit and is left out; return 0 is the first.
    QTest::newRow("returns: empty from return 0, unitless line absent") << true << "" << "" << "0 To 40"
        << QStringList{"0 6", "7 10", "15 5", "40 6"};
    QTest::newRow("returns: 007 read as 7") << true << "007" << "007" << "7 To 7" << QStringList{"7 10"};
    QTest::newRow("returns: abc read as 0") << true << "abc" << "abc" << "0 To 0" << QStringList{"0 6"};
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
    QVERIFY(lastViewer(w) && lastViewer(w)->ReportName);
    QCOMPARE(objectText(*lastViewer(w)->ReportName, QStringLiteral("Txtinvoice")),
             QStringLiteral("Invoiceno Between : ") + heading);
}

namespace {

enum Window { Summary, Register, ProductWise, Ledger, ReturnLedger, ReturnRegister, ReturnSummary };

ReportWindow *openWindow(int window)
{
    switch (window) {
    case Summary: return openReportWindow<pmtPurchaseSummary>();
    case Register: return openReportWindow<pmtPurchaseRegisterIW>();
    case ProductWise: return openReportWindow<RptProductWisePurchases>();
    case Ledger: return openReportWindow<RptPurchaseLedger>();
    case ReturnLedger: return openReportWindow<pmtPurchaseReturnLedger>();
    case ReturnRegister: return openReportWindow<RptPurchaseReturnRegister>();
    default: return openReportWindow<RptPurchaseReturnSummary>();
    }
}

} // namespace

void tst_PurchaseReportWindows::refusedBeforeAnyQuery_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<bool>("print");
    QTest::addColumn<QString>("entries");   // "box=text;..." set as pasted
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("title");     // "" = the window's caption, "-" = none
    QTest::addColumn<QString>("focus");

    const char *names[] = {"purchase summary", "purchase register", "product-wise", "ledger", "return ledger",
                           "return register", "return summary"};
    const QString order = QStringLiteral("From date must be less than or equal to To date");
    for (int window = Summary; window <= ReturnSummary; ++window) {
        const QString from = window == ProductWise ? QStringLiteral("DtpFrom") : QStringLiteral("DtpFromDate");
        QTest::addRow("%s: From date after To date, %s", names[window], window % 2 ? "Preview" : "Print")
            << window << (window % 2 == 0) << "from=01/04/2024" << order << 48 << "Alert" << from;
    }
    const QString numbers = QStringLiteral("From Invoice No must be less than or equal to To Invoice No");
    QTest::newRow("purchase register: From number above To, Print")
        << int(Register) << true << "txtFromInvoiceno=10;txtToInvoiceno=9" << numbers << 48 << "Alert"
        << "txtFromInvoiceno";
    QTest::newRow("return register: leading numbers 40x above 5, Preview")
        << int(ReturnRegister) << false << "txtFromInvoiceno=40x;txtToInvoiceno=5" << numbers << 48 << "Alert"
        << "txtFromInvoiceno";
    QTest::newRow("purchase register: letters pasted in From, Preview")
        << int(Register) << false << "txtFromInvoiceno=12a" << "From Invoice No must be a whole number." << 16 << ""
        << "txtFromInvoiceno";
    QTest::newRow("purchase register: statement pasted in To, Print")
        << int(Register) << true << "txtToInvoiceno=0 or1" << "To Invoice No must be a whole number." << 16 << ""
        << "txtToInvoiceno";
    QTest::newRow("return summary: a code that is no number, Print")
        << int(ReturnSummary) << true << "TxtVendorID=7'" << "Vendor code must be a whole number: digits only." << 48
        << "" << "TxtVendorID";
    QTest::newRow("ledger: blanks only, Print") << int(Ledger) << true << "TxtProductCode=   "
                                                << "Enter Product Code." << 48 << "" << "TxtProductCode";
    QTest::newRow("ledger: code never looked up, Preview") << int(Ledger) << false << "TxtProductCode=6"
                                                           << "Product Code doesn't exist." << 48 << ""
                                                           << "TxtProductCode";
    QTest::newRow("return ledger: code never looked up, Print") << int(ReturnLedger) << true << "TxtProductCode=6"
                                                                << "Product Code doesn't exist." << 48 << ""
                                                                << "TxtProductCode";
    QTest::newRow("return ledger: empty code, Print") << int(ReturnLedger) << true << "TxtProductCode="
                                                      << "Please Enter Product Id" << 0 << "-" << "TxtProductCode";
}

// Each refusal shows one message, runs no statement, prints nothing (not the
// report prepared before it either) and puts the focus on the entry to correct.
void tst_PurchaseReportWindows::refusedBeforeAnyQuery()
{
    QFETCH(int, window);
    QFETCH(bool, print);
    QFETCH(QString, entries);
    QFETCH(QString, message);
    QFETCH(int, style);
    QFETCH(QString, title);
    QFETCH(QString, focus);

    int printed = 0;
    setPrintHandler([&](const Document &, const PrintJob &) { ++printed; });
    MessageRecorder boxes;
    ModalCloser<RptReportViewer> closer;
    ReportWindow *w = openWindow(window);
    if (window == Ledger || window == ReturnLedger)
        typeCode(w, QStringLiteral("5"));
    QVERIFY(w->PrepareReport());
    QCOMPARE(boxes.texts(), QString());
    auto statement = [w] { return w->queryText(); };
    const QString before = statement();
    w->closeButton()->setFocus();
    for (const QString &entry : entries.split(QLatin1Char(';'))) {
        const QString name = entry.section(QLatin1Char('='), 0, 0);
        const QString text = entry.section(QLatin1Char('='), 1);
        if (name == QLatin1String("from"))
            w->fromDate()->setDate(QDate::fromString(text, QStringLiteral("dd/MM/yyyy")));
        else
            w->findChild<QLineEdit *>(name)->setText(text);
    }
    QTest::mouseClick(print ? w->printButton() : w->previewButton(), Qt::LeftButton);

    QCOMPARE(boxes.texts(), message);
    QCOMPARE(boxes.boxes.at(0).style, style);
    QCOMPARE(boxes.boxes.at(0).title, title == QLatin1String("-") ? QString() : title.isEmpty() ? w->caption() : title);
    QCOMPARE(w->focusWidget()->objectName(), focus);
    QCOMPARE(statement(), before);
    QCOMPARE(printed, 0);
    QCOMPARE(closer.shown, 0);
}

void tst_PurchaseReportWindows::invoiceBoxIgnoresPointAndLetters()
{
    auto *w = openReportWindow<pmtPurchaseRegisterIW>();
    for (QLineEdit *box : {w->fromInvoiceBox(), w->toInvoiceBox()}) {
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("1.a23456789012"));
        QCOMPARE(box->text(), QStringLiteral("123456789"));
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

void tst_PurchaseReportWindows::ledgerHeadingKeepsCodeAsTyped()
{
    MessageRecorder boxes;
    auto *w = openReportWindow<RptPurchaseLedger>();
    typeCode(w, QStringLiteral("05"));
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());
    QVERIFY(lastViewer(w) && lastViewer(w)->ReportName);
    QCOMPARE(objectText(*lastViewer(w)->ReportName, QStringLiteral("txtProduct")),
             QStringLiteral("Product : 05   Panadol"));
}

void tst_PurchaseReportWindows::returnLedgerWithoutCompanyName_data()
{
    QTest::addColumn<bool>("print");
    QTest::newRow("Preview") << false;
    QTest::newRow("Print: nothing printed, no second message") << true;
}

void tst_PurchaseReportWindows::returnLedgerWithoutCompanyName()
{
    QFETCH(bool, print);
    int printed = 0;
    setPrintHandler([&](const Document &, const PrintJob &) { ++printed; });
    MessageRecorder boxes;
    auto *w = openReportWindow<pmtPurchaseReturnLedger>();
    typeCode(w, QStringLiteral("5"));
    QVERIFY(w->PrepareReport());   // a report Print must not fall back on
    // The other window's table holds a name, but this one reads registry only.
    exec(m_fixture->database(), QStringLiteral("DELETE FROM registry"));
    QTest::mouseClick(print ? w->printButton() : w->previewButton(), Qt::LeftButton);
    exec(m_fixture->database(), QStringLiteral("INSERT INTO registry VALUES ('companyname','Return Ledger Co')"));

    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).style, 16);
    QCOMPARE(w->ReportRecordset().RecordCount(), 1);   // rows found; the company name ended it
    QVERIFY(!lastViewer(w) || !lastViewer(w)->isVisible());
    QCOMPARE(printed, 0);
}

void tst_PurchaseReportWindows::productWiseSameDay()
{
    MessageRecorder boxes;
    ModalCloser<RptReportViewer> closer;
    auto *w = openReportWindow<RptProductWisePurchases>(QDate(2024, 3, 10), QDate(2024, 3, 10));
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(closer.shown, 1);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(w->ReportRecordset().RecordCount(), 2);   // purchase 120's products 5 and 6
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
    QVERIFY(w->preparedReport());
    Report &report = *w->preparedReport();
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
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    // Opened by the user: Cancel keeps company 12 and its name.
    QTest::newRow("F1") << "f1" << "12" << "Twelve Co";
    QTest::newRow("lookup button") << "button" << "12" << "Twelve Co";
    // Opened because the typed code names nothing: Cancel empties the code, All Companies.
    QTest::newRow("code naming nothing") << "typed" << "" << "All Companies";
}

void tst_PurchaseReportWindows::productWiseLookupCancel()
{
    QFETCH(QString, path);
    QFETCH(QString, code);
    QFETCH(QString, name);

    MessageRecorder boxes;
    ModalCloser<LookupDialog> driver([](LookupDialog *d) { QTest::keyClick(d->filterBox(), Qt::Key_Escape); });
    auto *w = openReportWindow<RptProductWisePurchases>();
    typeCode(w, QStringLiteral("12"));
    QCOMPARE(w->nameBox()->text(), QStringLiteral("Twelve Co"));
    w->codeBox()->setFocus();
    if (path == QLatin1String("f1")) {
        QTest::keyClick(w->codeBox(), Qt::Key_F1);
    } else if (path == QLatin1String("button")) {
        QTest::mouseClick(w->lookupButton(), Qt::LeftButton);
    } else {
        w->codeBox()->selectAll();
        QTest::keyClicks(w->codeBox(), QStringLiteral("55"));
        QTest::keyClick(w->codeBox(), Qt::Key_Return);
    }
    QCOMPARE(driver.shown, 1);
    QCOMPARE(w->codeBox()->text(), code);
    QCOMPARE(w->nameBox()->text(), name);
    QCOMPARE(w->focusWidget(), w->codeBox());
    QCOMPARE(boxes.texts(), QString());
}

QTEST_MAIN(tst_PurchaseReportWindows)
#include "tst_PurchaseReportWindows.moc"
