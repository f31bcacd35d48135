// The purchase return register: return ranges through the leading-number
// parse (the heading keeps the text), lines without a unit left out, the
// return's own columns passed through, both headings and the tab order.

#include "ReportFixture.h"

#include "MessageRecorder.h"
#include "RptPurchaseReturnRegister.h"
#include "RptReportViewer.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace orvane;
using namespace orvane::test;

class tst_RptPurchaseReturnRegister : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void ranges_data();
    void ranges();
    void returnColumns();
    void noRecord();
    void numberBoxesTakeAnyKey();
    void enterFollowsTabOrder();

private:
    std::unique_ptr<ReportFixture> m_fixture;
};

void tst_RptPurchaseReturnRegister::initTestCase()
{
    m_fixture = std::make_unique<ReportFixture>();
}

void tst_RptPurchaseReturnRegister::cleanup()
{
    deleteWindows<ReportWindow, RptReportViewer>();
}

void tst_RptPurchaseReturnRegister::ranges_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("sqlRange");
    QTest::addColumn<QString>("heading");
    // "return product unit", in report order.
    QTest::addColumn<QStringList>("expected");

    // Return 15's line of product 7 has no unit row and never appears; return 0
    // lies below the default range.
    const QString r7 = QStringLiteral("7 10 Box");
    const QString r15 = QStringLiteral("15 5 Box");
    const QString r40 = QStringLiteral("40 6 Kg");
    const QString r0 = QStringLiteral("0 6 Kg");

    QTest::newRow("both empty: 1 to 99999") << QString() << QString() << QString() << "between 1 and 99999"
                                            << "Invoiceno Between : 1 To 99999" << QStringList{r7, r15, r40};
    QTest::newRow("From 15 alone") << "15" << QString() << QString() << "between 15 and 99999"
                                   << "Invoiceno Between : 15 To 99999" << QStringList{r15, r40};
    QTest::newRow("To 40 alone") << QString() << "40" << QString() << "between 1 and 40"
                                 << "Invoiceno Between : 1 To 40" << QStringList{r7, r15, r40};
    QTest::newRow("007 read as 7, shown as typed") << "007" << "007" << QString() << "between 7 and 7"
                                                   << "Invoiceno Between : 007 To 007" << QStringList{r7};
    QTest::newRow("abc read as 0, shown as typed") << "abc" << "abc" << QString() << "between 0 and 0"
                                                   << "Invoiceno Between : abc To abc" << QStringList{r0};
    QTest::newRow("12A read as 12") << "12A" << QString() << QString() << "between 12 and 99999"
                                    << "Invoiceno Between : 12A To 99999" << QStringList{r15, r40};
    QTest::newRow("blank box counts as empty") << "  " << "  " << QString() << "between 1 and 99999"
                                               << "Invoiceno Between : 1 To 99999" << QStringList{r7, r15, r40};
    QTest::newRow("vendor 8, number condition after it")
        << QString() << QString() << "8" << "between 1 and 99999" << "Invoiceno Between : 1 To 99999"
        << QStringList{r7};
}

void tst_RptPurchaseReturnRegister::ranges()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, code);
    QFETCH(QString, sqlRange);
    QFETCH(QString, heading);
    QFETCH(QStringList, expected);

    MessageRecorder boxes;
    RptPurchaseReturnRegister *w = openReportWindow<RptPurchaseReturnRegister>();
    w->fromInvoiceBox()->setText(from);
    w->toInvoiceBox()->setText(to);
    w->codeBox()->setText(code);
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());
    QVERIFY2(w->queryText().contains(QLatin1String(" And r.purreturnid ") + sqlRange), qPrintable(w->queryText()));
    if (!code.isEmpty()) {
        const int vendor = w->queryText().indexOf(QLatin1String("v.partyid='") + code + QLatin1Char('\''));
        QVERIFY(vendor > 0 && vendor < w->queryText().indexOf(QLatin1String("r.purreturnid between")));
    }
    QCOMPARE(rowLines(w->ReportRecordset(), "purreturnid productid UnitName"), expected);

    RptReportViewer *viewer = w->lastViewer();
    QVERIFY(viewer && viewer->isVisible() && viewer->ReportName);
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Purchase Return Register ReportName"));
    QCOMPARE(objectText(*viewer->ReportName, QStringLiteral("Txtinvoice")), heading);
    QCOMPARE(objectText(*viewer->ReportName, QStringLiteral("txtDate")),
             QStringLiteral("Date Between : 01-Mar-2024 To 31-Mar-2024"));
}

void tst_RptPurchaseReturnRegister::returnColumns()
{
    MessageRecorder boxes;
    RptPurchaseReturnRegister *w = openReportWindow<RptPurchaseReturnRegister>();
    w->fromInvoiceBox()->setText(QStringLiteral("15"));
    w->toInvoiceBox()->setText(QStringLiteral("15"));
    QVERIFY(w->PrepareReport());
    // 3 x 20 at 10% + 1.00 discount and 5% + 0.50 tax: 60, 9, 4.5, 55.5; the
    // return's vendor, narration, expenses, commission and received amount.
    QCOMPARE(rowLines(w->ReportRecordset(),
                      "purreturnid vendorname productname qty price Grossvalue Totaldisc Salestax NetValue "
                      "VendorID Narration Multiplier ExpPlus ExpMinus ComRatio ReceivedAmount"),
             QStringList{QStringLiteral("15 Vendor Seven Panadol 3 20 60 9 4.5 55.5 7 short 1 5 1 2.5 50")});
    QCOMPARE(boxes.texts(), QString());
}

void tst_RptPurchaseReturnRegister::noRecord()
{
    MessageRecorder boxes;
    RptPurchaseReturnRegister *w = openReportWindow<RptPurchaseReturnRegister>();
    w->fromInvoiceBox()->setText(QStringLiteral("41"));
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).text, QStringLiteral("No record exists."));
    QCOMPARE(boxes.boxes.at(0).style, 64);
    QCOMPARE(boxes.boxes.at(0).title, QStringLiteral("Purchase Return Register"));
    QVERIFY(!w->lastViewer());
}

void tst_RptPurchaseReturnRegister::numberBoxesTakeAnyKey()
{
    RptPurchaseReturnRegister *w = openReportWindow<RptPurchaseReturnRegister>();
    QCOMPARE(w->fromInvoiceBox()->maxLength(), 5);
    QCOMPARE(w->toInvoiceBox()->maxLength(), 5);
    w->fromInvoiceBox()->setFocus();
    QTest::keyClicks(w->fromInvoiceBox(), QStringLiteral("a.1-x9"));
    QCOMPARE(w->fromInvoiceBox()->text(), QStringLiteral("a.1-x"));
    grabWindow(w, QStringLiteral("RptPurchaseReturnRegister"));
}

void tst_RptPurchaseReturnRegister::enterFollowsTabOrder()
{
    RptPurchaseReturnRegister *w = openReportWindow<RptPurchaseReturnRegister>();
    w->fromDate()->setFocus();
    QStringList order{w->focusWidget()->objectName()};
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        order << w->focusWidget()->objectName();
    }
    QCOMPARE(order, (QStringList{"DtpFromDate", "dtpToDate", "TxtVendorID", "CmdPreview", "CmdPrint",
                                 "CmdClose", "BtnSchVendor", "TxtVendorName", "txtFromInvoiceno",
                                 "txtToInvoiceno", "DtpFromDate"}));
}

QTEST_MAIN(tst_RptPurchaseReturnRegister)
#include "tst_RptPurchaseReturnRegister.moc"
