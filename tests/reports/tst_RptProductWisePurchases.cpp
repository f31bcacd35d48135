// Product-wise purchases: the date-order check before any query, purchases
// beside returns per product, the report's title and parameters, the modal
// viewer, the code box emptied only by Preview's no-record path, and what the
// name box shows after each way of cancelling the company lookup.

#include "ReportFixture.h"

#include "MessageRecorder.h"
#include "PdfExport.h"
#include "RptProductWisePurchases.h"
#include "RptReportViewer.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvane;
using namespace orvane::test;

class tst_RptProductWisePurchases : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void controls();
    void dateOrder_data();
    void dateOrder();
    void rows_data();
    void rows();
    void parameters_data();
    void parameters();
    void previewShowsViewerModally();
    void previewBesideAnotherPreview();
    void noRecord_data();
    void noRecord();
    void printsLandscapeOnce();
    void lookupCancel_data();
    void lookupCancel();
    void enterMovesOnWithoutTyping();

private:
    RptProductWisePurchases *openWindow(QDate from = kMarchFirst, QDate to = kMarchLast,
                                        const QString &code = {});

    std::unique_ptr<ReportFixture> m_fixture;
};

void tst_RptProductWisePurchases::initTestCase()
{
    m_fixture = std::make_unique<ReportFixture>();
}

void tst_RptProductWisePurchases::cleanup()
{
    setPrintHandler({});
    deleteWindows<ReportWindow, RptReportViewer>();
}

RptProductWisePurchases *tst_RptProductWisePurchases::openWindow(QDate from, QDate to, const QString &code)
{
    auto *window = openReportWindow<RptProductWisePurchases>(from, to);
    if (!code.isEmpty())
        typeCode(window, code);
    return window;
}

void tst_RptProductWisePurchases::controls()
{
    RptProductWisePurchases *w = openWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Product Wise Purchases"));
    QCOMPARE(w->fromDate()->objectName(), QStringLiteral("DtpFrom"));
    QCOMPARE(w->toDate()->objectName(), QStringLiteral("DtpTo"));
    QCOMPARE(w->fromDate()->displayFormat(), QStringLiteral("dd/MM/yyyy"));
    QCOMPARE(w->codeBox()->objectName(), QStringLiteral("TxtCompanyID"));
    QCOMPARE(w->codeBox()->maxLength(), 2);
    QCOMPARE(w->nameBox()->objectName(), QStringLiteral("TxtCompanyName"));
    QVERIFY(w->nameBox()->isReadOnly());
    QCOMPARE(w->nameBox()->text(), QStringLiteral("All Companies"));
    QCOMPARE(w->lookupButton()->objectName(), QStringLiteral("Btnschgroup"));
    const QList<QPair<QString, QString>> labels{
        {"Label4", "From Date"}, {"Label1", "To Date"}, {"Label12", "Company ID."}, {"Label2", "Company Name"}};
    for (const auto &[name, text] : labels) {
        auto *label = w->findChild<QLabel *>(name);
        QVERIFY2(label, qPrintable(name));
        QCOMPARE(label->text(), text);
    }
    QCOMPARE(w->previewButton()->text(), QStringLiteral("Preview"));
    QCOMPARE(w->printButton()->text(), QStringLiteral("Print"));
    QCOMPARE(w->closeButton()->text(), QStringLiteral("Close"));
    grabWindow(w, QStringLiteral("RptProductWisePurchases"));
}

void tst_RptProductWisePurchases::dateOrder_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("rows");

    QTest::newRow("From one day after To: refused") << QDate(2024, 3, 11) << QDate(2024, 3, 10) << false << 0;
    QTest::newRow("equal dates: that one day") << QDate(2024, 3, 10) << QDate(2024, 3, 10) << true << 2;
    QTest::newRow("a year reversed") << QDate(2025, 3, 1) << QDate(2024, 3, 31) << false << 0;
}

void tst_RptProductWisePurchases::dateOrder()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(bool, accepted);
    QFETCH(int, rows);

    MessageRecorder boxes;
    ModalCloser<RptReportViewer> closer;
    RptProductWisePurchases *w = openWindow(from, to);
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    if (accepted) {
        QCOMPARE(boxes.texts(), QString());
        QVERIFY(!w->executedSql().isEmpty());
        QCOMPARE(w->ReportRecordset().RecordCount(), rows);
        QCOMPARE(closer.shown, 1);
        return;
    }
    QCOMPARE(closer.shown, 0);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).text, QStringLiteral("From date must be less than or equal to To date"));
    QCOMPARE(boxes.boxes.at(0).style, 48);
    QCOMPARE(boxes.boxes.at(0).title, QStringLiteral("Alert"));
    QVERIFY(w->executedSql().isEmpty());   // no query ran
    QVERIFY(!w->hasReportRecordset());
    QVERIFY(w->cursor().shape() != Qt::WaitCursor);
}

void tst_RptProductWisePurchases::rows_data()
{
    QTest::addColumn<QString>("code");
    // "product PQty PPrice PDisc PValue RQty RPrice RDisc RValue unit name"
    QTest::addColumn<QStringList>("expected");

    const QString p5 = QStringLiteral("5 13 20 35 250 3 20 9 55.5 Box Panadol");
    const QString p6 = QStringLiteral("6 5 30 0 210 2 30 0 60 Kg Rice");
    const QString p11 = QStringLiteral("11 1 40 0 40 0 0 0 0 Kg Sugar");
    // Products 7 and 10 have returns but no purchases: absent.
    QTest::newRow("all companies") << QString() << QStringList{p5, p6, p11};
    QTest::newRow("company 12: returns-only product absent") << "12" << QStringList{p11};
    QTest::newRow("company 2") << "2" << QStringList{p6};
}

void tst_RptProductWisePurchases::rows()
{
    QFETCH(QString, code);
    QFETCH(QStringList, expected);

    MessageRecorder boxes;
    RptProductWisePurchases *w = openWindow(kMarchFirst, kMarchLast, code);
    QVERIFY(w->RunQuery());
    QCOMPARE(boxes.texts(), QString());
    QStringList got = rowLines(w->ReportRecordset(), "ProductId PQty PPrice PDisc PValue RQty RPrice RDisc RValue UnitName ProductName");
    got.sort();   // the query has no ORDER BY
    expected.sort();
    QCOMPARE(got, expected);
    if (!code.isEmpty())
        QVERIFY(w->executedSql().endsWith(QLatin1String(" where products.companyid ='") + code + QLatin1Char('\'')));
    else
        QVERIFY(!w->executedSql().contains(QLatin1String("companyid ='")));
}

void tst_RptProductWisePurchases::parameters_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("no code") << QString()
                             << QStringList{"Company Id - ", "From : 01/03/2024,   To : 31/03/2024",
                                            "Company Name - All Companies"};
    QTest::newRow("company 12") << "12"
                                << QStringList{"Company Id - 12", "From : 01/03/2024,   To : 31/03/2024",
                                               "Company Name - Twelve Co"};
}

void tst_RptProductWisePurchases::parameters()
{
    QFETCH(QString, code);
    QFETCH(QStringList, expected);

    MessageRecorder boxes;
    RptProductWisePurchases *w = openWindow(kMarchFirst, kMarchLast, code);
    QVERIFY(w->RunQuery());
    w->BindReport();
    QCOMPARE(boxes.texts(), QString());
    RptReportViewer *viewer = w->boundViewer();
    QVERIFY(viewer && viewer->ReportName);
    Report &report = *viewer->ReportName;
    QCOMPARE(report.ReportTitle(), QStringLiteral("Product Wise Purchase "));
    QCOMPARE(report.parameterCount(), 3);
    QStringList got;
    for (int i = 1; i <= 3; ++i)
        got << report.ParameterFields(i).currentValue();
    QCOMPARE(got, expected);
    QCOMPARE(report.PaperOrientation(), 2);
    QCOMPARE(report.printerName(), QString());   // "Ding Dong" is not installed: the default stays
    QCOMPARE(report.rows()->rowCount(), code.isEmpty() ? 3 : 1);
}

void tst_RptProductWisePurchases::previewShowsViewerModally()
{
    MessageRecorder boxes;
    RptProductWisePurchases *w = openWindow();
    bool modalOverWindow = false;
    QString caption;
    ModalCloser<RptReportViewer> closer([&](RptReportViewer *viewer) {
        modalOverWindow = viewer->isModal() && viewer->parentWidget() == w && viewer->isWindow();
        caption = viewer->windowTitle();
        QVERIFY(viewer->ReportName);
    });
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    // The click returns only once the viewer was closed.
    QCOMPARE(closer.shown, 1);
    QVERIFY(modalOverWindow);
    QVERIFY(caption != QStringLiteral("Product Wise Purchases ReportName"));   // caption not changed
    QCOMPARE(boxes.texts(), QString());
    QVERIFY(w->cursor().shape() != Qt::WaitCursor);
}

void tst_RptProductWisePurchases::previewBesideAnotherPreview()
{
    // Another report window's viewer still on screen keeps its report; a
    // hidden current viewer (left by a Print) is filled again.
    auto *other = new RptReportViewer;
    SharedState::current().setWindow<RptReportViewer>(other);
    other->show();
    MessageRecorder boxes;
    RptProductWisePurchases *w = openWindow();
    bool usedOther = true;
    ModalCloser<RptReportViewer> closer([&](RptReportViewer *viewer) {
        usedOther = viewer == other;
        QVERIFY(viewer->ReportName);
    });
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(closer.shown, 1);
    QVERIFY(!usedOther);
    QVERIFY(other->isVisible());
    QVERIFY(!other->ReportName);   // untouched

    auto *hidden = new RptReportViewer;
    SharedState::current().setWindow<RptReportViewer>(hidden);
    QPointer<RptReportViewer> hiddenGuard(hidden);
    QVERIFY(w->RunQuery());
    w->BindReport();
    QCOMPARE(w->boundViewer(), hidden);
    QVERIFY(hidden->ReportName);
    QCOMPARE(boxes.texts(), QString());
}

void tst_RptProductWisePurchases::noRecord_data()
{
    QTest::addColumn<bool>("print");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");

    QTest::newRow("Preview empties the code") << false << "" << "All Companies";
    QTest::newRow("Print keeps it") << true << "12" << "Twelve Co";
}

void tst_RptProductWisePurchases::noRecord()
{
    QFETCH(bool, print);
    QFETCH(QString, code);
    QFETCH(QString, name);

    int printed = 0;
    setPrintHandler([&](const Document &, const PrintJob &) { ++printed; });
    MessageRecorder boxes;
    RptProductWisePurchases *w = openWindow(QDate(2024, 4, 1), QDate(2024, 4, 30), QStringLiteral("12"));
    QCOMPARE(w->nameBox()->text(), QStringLiteral("Twelve Co"));
    QTest::mouseClick(print ? w->printButton() : w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.at(0).text, QStringLiteral("No record found"));
    QCOMPARE(boxes.boxes.at(0).style, 64);
    QCOMPARE(boxes.boxes.at(0).title, QStringLiteral("Information"));
    QCOMPARE(w->codeBox()->text(), code);
    QCOMPARE(w->nameBox()->text(), name);
    QCOMPARE(printed, 0);
    QVERIFY(!w->boundViewer());
}

void tst_RptProductWisePurchases::printsLandscapeOnce()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("product-wise.pdf"));
    int printed = 0;
    setPrintHandler([&](const Document &document, const PrintJob &job) {
        ++printed;
        QVERIFY(job.prompt);
        QCOMPARE(job.printerName, QString());
        QCOMPARE(document.layout().orientation, QPageLayout::Landscape);
        QCOMPARE(document.content->parameters.value(0), QStringLiteral("Company Id - "));
        QVERIFY(exportPdf(document, pdf));
    });
    MessageRecorder boxes;
    RptProductWisePurchases *w = openWindow();
    QTest::mouseClick(w->printButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(printed, 1);
    QVERIFY(QFileInfo(pdf).size() > 0);
    QVERIFY(w->boundViewer() && !w->boundViewer()->isVisible());
}

void tst_RptProductWisePurchases::lookupCancel_data()
{
    QTest::addColumn<int>("path");   // 0 F1, 1 lookup button, 2 validation of an unknown code
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("focus");

    // F1 empties the code (All Companies), then writes the dialog's empty name.
    QTest::newRow("F1") << 0 << "" << "DtpFrom";
    QTest::newRow("lookup button") << 1 << "All Companies" << "TxtCompanyID";
    QTest::newRow("unknown code, validation") << 2 << "All Companies" << "TxtCompanyID";
}

void tst_RptProductWisePurchases::lookupCancel()
{
    QFETCH(int, path);
    QFETCH(QString, name);
    QFETCH(QString, focus);

    MessageRecorder boxes;
    ModalCloser<LookupDialog> driver;   // cancels every lookup
    RptProductWisePurchases *w = openWindow(kMarchFirst, kMarchLast, QStringLiteral("12"));
    QCOMPARE(w->nameBox()->text(), QStringLiteral("Twelve Co"));
    w->codeBox()->setFocus();
    if (path == 0) {
        QTest::keyClick(w->codeBox(), Qt::Key_F1);
    } else if (path == 1) {
        QTest::mouseClick(w->lookupButton(), Qt::LeftButton);
    } else {
        QTest::keyClick(w->codeBox(), Qt::Key_Backspace);
        QTest::keyClick(w->codeBox(), Qt::Key_Backspace);
        QTest::keyClicks(w->codeBox(), QStringLiteral("99"));
        QCOMPARE(w->nameBox()->text(), QStringLiteral("All Companies"));   // erased: All Companies at once
        QTest::keyClick(w->codeBox(), Qt::Key_Tab);
    }
    QCOMPARE(driver.shown, 1);
    QCOMPARE(w->codeBox()->text(), QString());
    QCOMPARE(w->nameBox()->text(), name);
    QCOMPARE(w->focusWidget()->objectName(), focus);
    QCOMPARE(boxes.texts(), QString());
}

void tst_RptProductWisePurchases::enterMovesOnWithoutTyping()
{
    RptProductWisePurchases *w = openWindow();
    w->codeBox()->setFocus();
    QTest::keyClicks(w->codeBox(), QStringLiteral("1"));
    QCOMPARE(w->nameBox()->text(), QStringLiteral("All Companies"));   // kept until validated
    QTest::keyClick(w->codeBox(), Qt::Key_Return);
    QCOMPARE(w->nameBox()->text(), QStringLiteral("Acme Pharma"));
    QCOMPARE(w->focusWidget(), w->previewButton());
    QCOMPARE(w->codeBox()->text(), QStringLiteral("1"));
}

QTEST_MAIN(tst_RptProductWisePurchases)
#include "tst_RptProductWisePurchases.moc"
