// The product purchase return ledger: its own Print check, the company name
// from the registry table (and what its absence does), the three headings,
// return lines, and the click into an empty code box.

#include "ReportFixture.h"

#include "MessageRecorder.h"
#include "PdfExport.h"
#include "Printing.h"
#include "RptReportViewer.h"
#include "pmtPurchaseReturnLedger.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvane;
using namespace orvane::test;

class tst_pmtPurchaseReturnLedger : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void refusals_data();
    void refusals();
    void rowsAndHeadings_data();
    void rowsAndHeadings();
    void printsWithCompanyName();
    void missingCompanyNameEndsPreparation_data();
    void missingCompanyNameEndsPreparation();
    void clickIntoEmptyCodeBox();

private:
    pmtPurchaseReturnLedger *openWindow(const QString &code = {});

    std::unique_ptr<ReportFixture> m_fixture;
};

void tst_pmtPurchaseReturnLedger::initTestCase()
{
    m_fixture = std::make_unique<ReportFixture>();
}

void tst_pmtPurchaseReturnLedger::cleanup()
{
    setPrintHandler({});
    deleteWindows<ReportWindow, RptReportViewer>();
}

pmtPurchaseReturnLedger *tst_pmtPurchaseReturnLedger::openWindow(const QString &code)
{
    auto *window = openReportWindow<pmtPurchaseReturnLedger>();
    if (!code.isEmpty())
        typeCode(window, code);   // the lookup fills the name
    return window;
}

void tst_pmtPurchaseReturnLedger::refusals_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("print");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("styles");
    QTest::addColumn<QStringList>("titles");

    const QString caption = QStringLiteral("Product Purchase Return Ledger");
    QTest::newRow("Print, empty code: only the plain box")
        << QString() << true << QStringList{"Please Enter Product Id"} << QList<int>{0} << QStringList{QString()};
    QTest::newRow("Preview, empty code") << QString() << false << QStringList{"Enter Product Code."}
                                         << QList<int>{48} << QStringList{caption};
    // Blanks pass the Print check; the row count of a recordset never opened
    // then fails into the error report.
    QTest::newRow("Print, blanks only") << QStringLiteral("  ") << true
                                        << QStringList{"Enter Product Code.", QString()} << QList<int>{48, 16}
                                        << QStringList{caption, QString()};
}

void tst_pmtPurchaseReturnLedger::refusals()
{
    QFETCH(QString, code);
    QFETCH(bool, print);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, styles);
    QFETCH(QStringList, titles);

    int printed = 0;
    setPrintHandler([&](const Document &, const PrintJob &) { ++printed; });
    MessageRecorder boxes;
    pmtPurchaseReturnLedger *w = openWindow();
    w->codeBox()->setText(code);
    w->fromDate()->setFocus();
    QTest::mouseClick(print ? w->printButton() : w->previewButton(), Qt::LeftButton);

    QCOMPARE(boxes.boxes.size(), texts.size());
    for (int i = 0; i < texts.size(); ++i) {
        if (!texts.at(i).isNull())
            QCOMPARE(boxes.boxes.at(i).text, texts.at(i));
        QCOMPARE(boxes.boxes.at(i).style, styles.at(i));
        if (!titles.at(i).isNull() || styles.at(i) == 0)
            QCOMPARE(boxes.boxes.at(i).title, titles.at(i));
    }
    QCOMPARE(w->focusWidget(), w->codeBox());
    QCOMPARE(printed, 0);
    QVERIFY(!w->lastViewer());
}

void tst_pmtPurchaseReturnLedger::rowsAndHeadings_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("product");
    // "return qty price gross disc tax net date vendor"
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("product 5: 10% + 1.00 discount, 5% + 0.50 tax")
        << "5" << "Product : 5   Panadol"
        << QStringList{QStringLiteral("15 3 20 60 9 4.5 55.5 2024-03-12 Vendor Seven")};
    QTest::newRow("product 6: two returns in number order")
        << "6" << "Product : 6   Rice"
        << QStringList{QStringLiteral("0 1 10 10 0 0 10 2024-03-02 Vendor Seven"),
                       QStringLiteral("40 1 50 50 0 0 50 2024-03-25 Vendor Seven")};
}

void tst_pmtPurchaseReturnLedger::rowsAndHeadings()
{
    QFETCH(QString, code);
    QFETCH(QString, product);
    QFETCH(QStringList, expected);

    MessageRecorder boxes;
    pmtPurchaseReturnLedger *w = openWindow(code);
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());

    QCOMPARE(rowLines(w->ReportRecordset(),
                      "PurReturnID Qty Price Grossvalue Totaldisc Salestax NetValue PurReturnDate vendorname"),
             expected);

    RptReportViewer *viewer = w->lastViewer();
    QVERIFY(viewer && viewer->isVisible() && viewer->ReportName);
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Product Purchase Return Ledger ReportName"));
    const Report &report = *viewer->ReportName;
    QCOMPARE(objectText(report, QStringLiteral("txtCompName")), QStringLiteral("Return Ledger Co"));
    QCOMPARE(objectText(report, QStringLiteral("txtDate")),
             QStringLiteral("Date Between : 01-Mar-2024 To 31-Mar-2024"));
    QCOMPARE(objectText(report, QStringLiteral("txtProduct")), product);
}

void tst_pmtPurchaseReturnLedger::printsWithCompanyName()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("return-ledger.pdf"));
    int printed = 0;
    setPrintHandler([&](const Document &document, const PrintJob &job) {
        ++printed;
        QVERIFY(job.prompt);
        QCOMPARE(document.content->table->rowCount(), 2);
        QVERIFY(exportPdf(document, pdf));
    });
    MessageRecorder boxes;
    pmtPurchaseReturnLedger *w = openWindow(QStringLiteral("6"));
    QTest::mouseClick(w->printButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(printed, 1);
    QVERIFY(QFileInfo(pdf).size() > 0);
    grabWindow(w, QStringLiteral("pmtPurchaseReturnLedger"));
}

void tst_pmtPurchaseReturnLedger::missingCompanyNameEndsPreparation_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("undo");
    QTest::newRow("no companyname key")
        << "DELETE FROM registry" << "INSERT INTO registry VALUES ('companyname','Return Ledger Co')";
    // The other window's source holds a name, but this window reads registry only.
    QTest::newRow("only under another key")
        << "UPDATE registry SET registrykey='company'" << "UPDATE registry SET registrykey='companyname'";
}

void tst_pmtPurchaseReturnLedger::missingCompanyNameEndsPreparation()
{
    QFETCH(QString, change);
    QFETCH(QString, undo);

    exec(m_fixture->database(), change);
    MessageRecorder boxes;
    pmtPurchaseReturnLedger *w = openWindow(QStringLiteral("5"));
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    exec(m_fixture->database(), undo);

    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).style, 16);
    QVERIFY(!boxes.boxes.at(0).text.isEmpty());
    // The rows were found; the preparation ended at the company name.
    QCOMPARE(w->ReportRecordset().RecordCount(), 1);
    QVERIFY(!w->lastViewer() || !w->lastViewer()->isVisible());
}

void tst_pmtPurchaseReturnLedger::clickIntoEmptyCodeBox()
{
    pmtPurchaseReturnLedger *w = openWindow(QStringLiteral("5"));
    QCOMPARE(w->nameBox()->text(), QStringLiteral("Panadol"));
    QTest::mouseClick(w->codeBox(), Qt::LeftButton);
    QCOMPARE(w->nameBox()->text(), QStringLiteral("Panadol"));   // a code is there: nothing changes

    w->codeBox()->setText(QString());
    w->nameBox()->setText(QStringLiteral("left over"));
    QTest::mouseClick(w->codeBox(), Qt::LeftButton);
    QCOMPARE(w->nameBox()->text(), QString());
}

QTEST_MAIN(tst_pmtPurchaseReturnLedger)
#include "tst_pmtPurchaseReturnLedger.moc"
