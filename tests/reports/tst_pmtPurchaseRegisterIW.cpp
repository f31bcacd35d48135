// The purchase register invoice-wise: invoice ranges as typed, numbers-only
// boxes, pasted text refused before any query, any party's code accepted,
// the tab order and the single invoice heading.

#include "ReportFixture.h"

#include "MessageRecorder.h"
#include "RptReportViewer.h"
#include "crpPurchaseRegisterIW.h"
#include "pmtPurchaseRegisterIW.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace orvane;
using namespace orvane::test;

class tst_pmtPurchaseRegisterIW : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void controls();
    void ranges_data();
    void ranges();
    void pastedNonNumberRefused_data();
    void pastedNonNumberRefused();
    void numberKeys_data();
    void numberKeys();
    void anyPartyCodeAccepted();
    void enterFollowsTabOrder();

private:
    std::unique_ptr<ReportFixture> m_fixture;
};

void tst_pmtPurchaseRegisterIW::initTestCase()
{
    m_fixture = std::make_unique<ReportFixture>();
}

void tst_pmtPurchaseRegisterIW::cleanup()
{
    deleteWindows<ReportWindow, RptReportViewer>();
}

void tst_pmtPurchaseRegisterIW::controls()
{
    pmtPurchaseRegisterIW *w = openReportWindow<pmtPurchaseRegisterIW>();
    QCOMPARE(w->windowTitle(), QStringLiteral("Purchase Register (Invoicewise)"));
    QCOMPARE(w->fromInvoiceBox()->objectName(), QStringLiteral("txtFromInvoiceno"));
    QCOMPARE(w->toInvoiceBox()->objectName(), QStringLiteral("txtToInvoiceno"));
    QCOMPARE(w->fromInvoiceBox()->maxLength(), 5);
    QCOMPARE(w->toInvoiceBox()->maxLength(), 5);
    QCOMPARE(w->codeBox()->objectName(), QStringLiteral("TxtVendorID"));
    QCOMPARE(w->codeBox()->maxLength(), 5);
    QVERIFY(w->fromInvoiceBox()->text().isEmpty() && w->toInvoiceBox()->text().isEmpty());
    grabWindow(w, QStringLiteral("pmtPurchaseRegisterIW"));
}

void tst_pmtPurchaseRegisterIW::ranges_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("sqlRange");
    QTest::addColumn<QString>("heading");
    // "invoice product gross disc tax net", in report order.
    QTest::addColumn<QStringList>("expected");

    const QString i7 = QStringLiteral("7 11 40 0 0 40");
    const QString i120a = QStringLiteral("120 5 200 30 15 185");
    const QString i120b = QStringLiteral("120 5 50 5 5 50");
    const QString i120c = QStringLiteral("120 6 200 0 0 200");
    const QString i130 = QStringLiteral("130 5 15 0 0 15");

    QTest::newRow("both empty: 1 to 99999, never invoice 100001")
        << QString() << QString() << QString() << "between 1 and 99999" << "Invoiceno Between : 1 To 99999"
        << QStringList{i7, i120a, i120b, i120c, i130};
    QTest::newRow("From 120 alone") << "120" << QString() << QString() << "between 120 and 99999"
                                    << "Invoiceno Between : 120 To 99999" << QStringList{i120a, i120b, i120c, i130};
    QTest::newRow("To 120 alone") << QString() << "120" << QString() << "between 1 and 120"
                                  << "Invoiceno Between : 1 To 120" << QStringList{i7, i120a, i120b, i120c};
    QTest::newRow("007 kept as typed") << "007" << "007" << QString() << "between 007 and 007"
                                       << "Invoiceno Between : 007 To 007" << QStringList{i7};
    QTest::newRow("pasted blanks count as empty") << "   " << QString() << QString() << "between 1 and 99999"
                                                  << "Invoiceno Between : 1 To 99999"
                                                  << QStringList{i7, i120a, i120b, i120c, i130};
    QTest::newRow("a customer as the party") << QString() << QString() << "9" << "between 1 and 99999"
                                             << "Invoiceno Between : 1 To 99999" << QStringList{i130};
}

void tst_pmtPurchaseRegisterIW::ranges()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, code);
    QFETCH(QString, sqlRange);
    QFETCH(QString, heading);
    QFETCH(QStringList, expected);

    MessageRecorder boxes;
    pmtPurchaseRegisterIW *w = openReportWindow<pmtPurchaseRegisterIW>();
    w->fromInvoiceBox()->setText(from);
    w->toInvoiceBox()->setText(to);
    w->codeBox()->setText(code);
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());
    QVERIFY2(w->queryText().contains(QLatin1String("and p.purchaseid ") + sqlRange), qPrintable(w->queryText()));

    QCOMPARE(tieSorted(rowLines(w->ReportRecordset(), "purchaseid productid Grossvalue Totaldisc Salestax NetValue")),
             tieSorted(expected));

    RptReportViewer *viewer = w->lastViewer();
    QVERIFY(viewer && viewer->isVisible() && viewer->ReportName);
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Purchase Register (Invoicewise) ReportName"));
    QCOMPARE(objectText(*viewer->ReportName, QStringLiteral("Txtinvoice")), heading);
    // Only the invoice heading: the date object, if the layout has one, keeps its design text.
    crpPurchaseRegisterIW fresh;
    QCOMPARE(objectText(*viewer->ReportName, QStringLiteral("txtDate")),
             objectText(fresh, QStringLiteral("txtDate")));
}

void tst_pmtPurchaseRegisterIW::pastedNonNumberRefused_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("print");
    QTest::addColumn<QString>("message");

    const QString fromMsg = QStringLiteral("From Invoice No must be a whole number.");
    const QString toMsg = QStringLiteral("To Invoice No must be a whole number.");
    QTest::newRow("letters in From, Preview") << "12a" << QString() << false << fromMsg;
    QTest::newRow("statement text in To, Preview") << QString() << "0 or1" << false << toMsg;
    QTest::newRow("decimal in From, Print") << "1.5" << QString() << true << fromMsg;
    QTest::newRow("minus in To, Print") << QString() << "-3" << true << toMsg;
}

void tst_pmtPurchaseRegisterIW::pastedNonNumberRefused()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, print);
    QFETCH(QString, message);

    int printed = 0;
    setPrintHandler([&](const Document &, const PrintJob &) { ++printed; });
    MessageRecorder boxes;
    pmtPurchaseRegisterIW *w = openReportWindow<pmtPurchaseRegisterIW>();
    // A first successful preparation leaves rows behind that Print must not reuse.
    QVERIFY(w->PrepareReport());
    const QString before = w->queryText();
    w->fromInvoiceBox()->setText(from);   // pasted: the key filter never saw it
    w->toInvoiceBox()->setText(to);
    QTest::mouseClick(print ? w->printButton() : w->previewButton(), Qt::LeftButton);
    setPrintHandler({});

    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).text, message);
    QCOMPARE(boxes.boxes.at(0).style, 16);
    QCOMPARE(boxes.boxes.at(0).title, QStringLiteral("Purchase Register (Invoicewise)"));
    QCOMPARE(w->queryText(), before);   // no new statement was built or run
    QCOMPARE(printed, 0);
    QCOMPARE(w->fromInvoiceBox()->text(), from);   // nothing typed is lost
    QCOMPARE(w->toInvoiceBox()->text(), to);
}

void tst_pmtPurchaseRegisterIW::numberKeys_data()
{
    QTest::addColumn<QString>("keys");   // "\b" stands for Backspace
    QTest::addColumn<QString>("text");

    QTest::newRow("digits") << "120" << "120";
    QTest::newRow("full stop has no effect") << "1.5" << "15";
    QTest::newRow("letters have no effect") << "a7b" << "7";
    QTest::newRow("minus has no effect") << "-3" << "3";
    QTest::newRow("Backspace works") << "12\b" << "1";
    QTest::newRow("five characters at most") << "123456" << "12345";
}

void tst_pmtPurchaseRegisterIW::numberKeys()
{
    QFETCH(QString, keys);
    QFETCH(QString, text);

    pmtPurchaseRegisterIW *w = openReportWindow<pmtPurchaseRegisterIW>();
    for (QLineEdit *box : {w->fromInvoiceBox(), w->toInvoiceBox()}) {
        box->setFocus();
        for (QChar c : keys) {
            if (c == QLatin1Char('\b'))
                QTest::keyClick(box, Qt::Key_Backspace);
            else
                QTest::keyClicks(box, QString(c));
        }
        QCOMPARE(box->text(), text);
    }
}

void tst_pmtPurchaseRegisterIW::anyPartyCodeAccepted()
{
    MessageRecorder boxes;
    ModalCloser<LookupDialog> driver;   // cancels every lookup
    pmtPurchaseRegisterIW *w = openReportWindow<pmtPurchaseRegisterIW>();
    w->codeBox()->setFocus();
    QTest::keyClicks(w->codeBox(), QStringLiteral("9"));
    QTest::keyClick(w->codeBox(), Qt::Key_Return);
    QCOMPARE(driver.shown, 0);
    QCOMPARE(w->nameBox()->text(), QStringLiteral("Customer Nine"));
    QCOMPARE(w->focusWidget(), w->previewButton());
    QCOMPARE(boxes.texts(), QString());
}

void tst_pmtPurchaseRegisterIW::enterFollowsTabOrder()
{
    pmtPurchaseRegisterIW *w = openReportWindow<pmtPurchaseRegisterIW>();
    w->fromDate()->setFocus();
    QStringList order{w->focusWidget()->objectName()};
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        order << w->focusWidget()->objectName();
    }
    QCOMPARE(order, (QStringList{"DtpFromDate", "dtpToDate", "txtFromInvoiceno", "txtToInvoiceno",
                                 "TxtVendorID", "CmdPreview", "CmdPrint", "CmdClose", "BtnSchVendor",
                                 "TxtVendorName"}));
}

QTEST_MAIN(tst_pmtPurchaseRegisterIW)
#include "tst_pmtPurchaseRegisterIW.moc"
