// The purchase return summary end to end: its rows and sums, the vendor
// filter, typed text that must not change the statement, and the printed page.

#include "tst_ReportWindowSupport.h"

#include "Connection.h"
#include "MessageRecorder.h"
#include "PdfExport.h"
#include "Printing.h"
#include "Recordset.h"
#include "Report.h"
#include "RptPurchaseReturnSummary.h"
#include "RptReportViewer.h"
#include "SharedState.h"
#include "Table.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvane;
using namespace orvane::test;

class tst_RptPurchaseReturnSummary : public QObject
{
    Q_OBJECT

public:
    // Month abbreviations follow the system's language; the heading below is English.
    static void initMain()
    {
        qputenv("LC_ALL", "C");
        qputenv("LANG", "C");
    }

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void rows_data();
    void rows();
    void typedTextKeepsTheStatement_data();
    void typedTextKeepsTheStatement();
    void reportGetsRowsAndHeadings();
    void printedPageCarriesHeadings();

private:
    RptPurchaseReturnSummary *openWindow(QDate from, QDate to, const QString &code);

    QSqlDatabase m_db;
    QPointer<RptPurchaseReturnSummary> m_window;
};

void tst_RptPurchaseReturnSummary::initTestCase()
{
    m_db = createTestDatabase();
    fillFrameRows(m_db);
}

void tst_RptPurchaseReturnSummary::init()
{
    SharedState::current().SharedConnection = Connection::create(m_db);
}

void tst_RptPurchaseReturnSummary::cleanup()
{
    delete m_window.data();
    deleteTopLevels([](QWidget *w) { return qobject_cast<RptReportViewer *>(w) != nullptr; });
    setPrintHandler({});
}

RptPurchaseReturnSummary *tst_RptPurchaseReturnSummary::openWindow(QDate from, QDate to,
                                                                   const QString &code)
{
    m_window = SharedState::current().window<RptPurchaseReturnSummary>();
    m_window->show();
    m_window->fromDate()->setDate(from);
    m_window->toDate()->setDate(to);
    m_window->codeBox()->setText(code);
    return m_window;
}

void tst_RptPurchaseReturnSummary::rows_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("code");
    // One "return/price: gross disc tax net qty bonus vendor" per row, in report order.
    QTest::addColumn<QStringList>("expected");

    const QDate march1(2024, 3, 1), march31(2024, 3, 31);
    const QString r21at10 = QStringLiteral("21/10: 50 3 1 48 5 1 Vendor Seven");
    const QString r21at25 = QStringLiteral("21/25: 25 1 2 26 1 0 Vendor Seven");
    const QString r22 = QStringLiteral("22/5: 20 0 0 20 4 0 O'Brien Traders");
    const QString r23 = QStringLiteral("23/100: 100 0 0 100 1 0 Vendor Seven");

    QTest::newRow("empty code: every vendor, two prices give two rows")
        << march1 << march31 << QString() << QStringList{r21at10, r21at25, r22};
    QTest::newRow("blank code counts as empty")
        << march1 << march31 << QStringLiteral("  ") << QStringList{r21at10, r21at25, r22};
    QTest::newRow("vendor 7 only") << march1 << march31 << QStringLiteral("7") << QStringList{r21at10, r21at25};
    QTest::newRow("vendor 8 only") << march1 << march31 << QStringLiteral("8") << QStringList{r22};
    QTest::newRow("range ends are inclusive")
        << QDate(2024, 3, 20) << QDate(2024, 4, 2) << QString() << QStringList{r22, r23};
    QTest::newRow("one day") << QDate(2024, 3, 5) << QDate(2024, 3, 5) << QString()
                             << QStringList{r21at10, r21at25};
}

void tst_RptPurchaseReturnSummary::rows()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, code);
    QFETCH(QStringList, expected);

    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow(from, to, code);
    QVERIFY(w->PrepareReport());
    QCOMPARE(boxes.texts(), QString());

    Recordset &rs = w->ReportRecordset();
    QStringList got;
    auto n = [&](const char *column) { return QString::number(rs.Fields(QLatin1String(column)).toDouble()); };
    for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
        got << QStringLiteral("%1/%2: %3 %4 %5 %6 %7 %8 %9")
                   .arg(n("Purreturnid"), n("Price"), n("Grossvalue"), n("Totaldisc"), n("Salestax"),
                        n("NetValue"), n("Qty"), n("Bonus"), rs.Fields(QStringLiteral("vendorname")).toString());
    }
    // The two price rows of one return come in the database's order.
    QStringList sortedGot = got, sortedExpected = expected;
    sortedGot.sort();
    sortedExpected.sort();
    QCOMPARE(sortedGot, sortedExpected);
    QStringList returnOrder;
    for (const QString &row : got)
        returnOrder << row.section(QLatin1Char('/'), 0, 0);
    QStringList expectedOrder;
    for (const QString &row : expected)
        expectedOrder << row.section(QLatin1Char('/'), 0, 0);
    QCOMPARE(returnOrder, expectedOrder);
}

void tst_RptPurchaseReturnSummary::typedTextKeepsTheStatement_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("apostrophe after the number") << QStringLiteral("7'");
    QTest::newRow("statement-changing text") << QStringLiteral("' or '1'='1");
    QTest::newRow("O'Brien typed as a code") << QStringLiteral("O'Brien");
}

void tst_RptPurchaseReturnSummary::typedTextKeepsTheStatement()
{
    // The code is compared as text: none of these names a party, so the query
    // runs and finds nothing; it neither fails nor widens to every vendor.
    QFETCH(QString, code);
    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow(QDate(2024, 3, 1), QDate(2024, 3, 31), code);
    QVERIFY(!w->PrepareReport());
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.first().text, QStringLiteral("No record exists."));
    QCOMPARE(boxes.boxes.first().style, 64);
    QCOMPARE(boxes.boxes.first().title, QStringLiteral("Purchase Returns Summary"));
    // The box keeps at most 10 characters; what it holds reaches the SQL quoted.
    const QString typed = w->codeBox()->text();
    QVERIFY(w->queryText().contains(QStringLiteral("v.partyid='%1'")
                                        .arg(QString(typed).replace(QLatin1Char('\''), QStringLiteral("''")))));
}

void tst_RptPurchaseReturnSummary::reportGetsRowsAndHeadings()
{
    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow(QDate(2024, 3, 1), QDate(2024, 3, 31), QString());
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());
    RptReportViewer *viewer = w->lastViewer();
    QVERIFY(viewer && viewer->isVisible());
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Purchase Returns Summary ReportName"));
    QVERIFY(viewer->ReportName);
    QVERIFY(viewer->ReportName->rows());
    QCOMPARE(viewer->ReportName->rows()->rowCount(), 3);
    // The dates reach the SQL as the connection writes them, between quotes.
    const QString sql = w->ReportRecordset().Source();
    QVERIFY2(sql.contains(QStringLiteral("between '2024-03-01' and '2024-03-31'")), qPrintable(sql));
    // The company-name heading ran last and left its statement as the query text.
    QCOMPARE(w->queryText(), QStringLiteral("select * from Project_registry"));
}

void tst_RptPurchaseReturnSummary::printedPageCarriesHeadings()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("summary.pdf"));
    int printed = 0;
    setPrintHandler([&](const Document &document, const PrintJob &job) {
        ++printed;
        QVERIFY(job.prompt);
        exportPdf(document, pdf);
    });

    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow(QDate(2024, 4, 1), QDate(2025, 3, 31), QString());
    QTest::mouseClick(w->printButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(printed, 1);

    QProcess text;
    text.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(page.contains(QStringLiteral("Frame Test Traders")), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("Date Between : 01-Apr-2024 To 31-Mar-2025")), qPrintable(page));
    // The one return of that range, gross 100.
    QVERIFY2(page.contains(QStringLiteral("23")), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("100")), qPrintable(page));
}

QTEST_MAIN(tst_RptPurchaseReturnSummary)
#include "tst_RptPurchaseReturnSummary.moc"
