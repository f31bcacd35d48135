// The showing methods of Reports as a host calls them, and the connection
// switch of a second InitializeClass.

#include "tst_ReportWindowSupport.h"

#include "MessageRecorder.h"
#include "Recordset.h"
#include "Report.h"
#include "Reports.h"
#include "RptPurchaseReturnSummary.h"
#include "RptReportViewer.h"
#include "SharedState.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QtTest>

using namespace orvane;
using namespace orvane::test;

class tst_ReportsMethods : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showingTwiceKeepsOneWindowWithItsEntries();
    void closedWindowComesBackWithFreshDefaults();
    void returnsAtOnceModelessWithoutOwner();
    void secondInitializeClassMovesTheNextQuery();

private:
    RptPurchaseReturnSummary *current() const
    {
        return SharedState::current().existingWindow<RptPurchaseReturnSummary>();
    }

    std::shared_ptr<FixedDateProvider> m_dates;
};

void tst_ReportsMethods::init()
{
    m_dates = std::make_shared<FixedDateProvider>(QDate(2024, 3, 1));
    SharedState::current().setDefaultDateProvider(m_dates);
}

void tst_ReportsMethods::cleanup()
{
    deleteTopLevels([](QWidget *w) {
        return qobject_cast<ReportWindow *>(w) || qobject_cast<RptReportViewer *>(w);
    });
}

void tst_ReportsMethods::showingTwiceKeepsOneWindowWithItsEntries()
{
    Reports reports;
    reports.PurchaseReturnSummary();
    RptPurchaseReturnSummary *first = current();
    QVERIFY(first && first->isVisible());
    first->codeBox()->setText(QStringLiteral("8"));
    first->fromDate()->setDate(QDate(2024, 1, 15));

    reports.PurchaseReturnSummary();
    QCOMPARE(current(), first);
    QCOMPARE(first->codeBox()->text(), QStringLiteral("8"));
    QCOMPARE(first->fromDate()->date(), QDate(2024, 1, 15));
    QCOMPARE(m_dates->reads, 1);

    int windows = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        windows += qobject_cast<RptPurchaseReturnSummary *>(w) && w->isVisible();
    QCOMPARE(windows, 1);
}

void tst_ReportsMethods::closedWindowComesBackWithFreshDefaults()
{
    Reports reports;
    reports.PurchaseReturnSummary();
    QPointer<RptPurchaseReturnSummary> first = current();
    first->codeBox()->setText(QStringLiteral("8"));
    first->fromDate()->setDate(QDate(2024, 1, 15));
    first->closeButton()->click();
    QTRY_VERIFY(first.isNull());

    m_dates = std::make_shared<FixedDateProvider>(QDate(2024, 2, 1));
    SharedState::current().setDefaultDateProvider(m_dates);
    reports.PurchaseReturnSummary();
    RptPurchaseReturnSummary *second = current();
    QVERIFY(second && second->isVisible());
    QVERIFY(second->codeBox()->text().isEmpty());
    QCOMPARE(second->fromDate()->date(), QDate(2024, 2, 1));
    QCOMPARE(second->toDate()->date(), QDate::currentDate());
    QCOMPARE(m_dates->reads, 1);
}

void tst_ReportsMethods::returnsAtOnceModelessWithoutOwner()
{
    Reports reports;
    reports.PurchaseReturnSummary();   // would block here if it were modal
    RptPurchaseReturnSummary *w = current();
    QVERIFY(w);
    QCOMPARE(w->parentWidget(), nullptr);
    QCOMPARE(w->windowModality(), Qt::NonModal);
    QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
}

void tst_ReportsMethods::secondInitializeClassMovesTheNextQuery()
{
    MessageRecorder boxes;
    QSqlDatabase first = createTestDatabase();
    fillFrameRows(first, QStringLiteral("First Books"));
    QSqlDatabase second = createTestDatabase();
    fillFrameRows(second, QStringLiteral("Second Books"));
    exec(second, QStringLiteral("DELETE FROM purreturnsbody WHERE PurReturnId = 22"));
    exec(second, QStringLiteral("DELETE FROM purreturns WHERE PurReturnId = 22"));

    Reports reports;
    reports.InitializeClass(first);
    reports.PurchaseReturnSummary();
    RptPurchaseReturnSummary *w = current();
    w->toDate()->setDate(QDate(2024, 3, 31));
    QVERIFY(w->PrepareReport());
    QCOMPARE(w->ReportRecordset().RecordCount(), 3);

    // Another Reports object of the same thread switches every window.
    Reports other;
    other.InitializeClass(second);
    QVERIFY(w->PrepareReport());
    QCOMPARE(w->ReportRecordset().RecordCount(), 2);
    QCOMPARE(boxes.texts(), QString());

    // The lookup follows too: vendor 8 is still there, its return is not.
    w->codeBox()->setText(QStringLiteral("8"));
    QVERIFY(w->LookupCode(ReportWindow::CheckCode));
    QVERIFY(!w->PrepareReport());
    QCOMPARE(boxes.texts(), QStringLiteral("No record exists."));
}

QTEST_MAIN(tst_ReportsMethods)
#include "tst_ReportsMethods.moc"
