// The report window frame, driven through the purchase return summary as a
// user drives it (keys, focus, the lookup, Preview, Print, Close), its rows
// and printed page, and the showing methods as a host calls them.

#include "ReportFixture.h"

#include "MessageRecorder.h"
#include "PdfExport.h"
#include "Reports.h"
#include "RptPurchaseReturnSummary.h"
#include "RptReportViewer.h"

#include <QClipboard>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "SharedState.h"

using namespace orvane;
using namespace orvane::test;

class tst_ReportWindow : public QObject
{
    Q_OBJECT

public:
    // Month abbreviations follow the system's language; the printed heading is English.
    static void initMain()
    {
        qputenv("LC_ALL", "C");
        qputenv("LANG", "C");
    }

private slots:
    void initTestCase();
    void cleanupTestCase() { SharedState::current().deleteWindows(); }
    void init();
    void cleanup() { deleteWindows<ReportWindow, RptReportViewer>(); }

    void showingTwiceKeepsOneWindow_data();
    void showingTwiceKeepsOneWindow();
    void tabOrder();
    void leaveCodeBox_data();
    void leaveCodeBox();
    void f1_data();
    void f1();
    void ctrlQ_data();
    void ctrlQ();
    void enterOnButton_data();
    void enterOnButton();
    void lookupCancelKeepsBoxes_data();
    void lookupCancelKeepsBoxes();
    void codeBoxTakesDigits_data();
    void codeBoxTakesDigits();
    void dateBoxLeave_data();
    void dateBoxLeave();
    void busyPointerAfterError();
    void printOverEmptyRange();
    void twoPreviewsLeaveTwoViewers();
    void missingCompanyNameShowsNoViewer();
    void twoPricesGiveTwoRows();
    void secondInitializeClassMovesTheNextQuery();
    void printedPageCarriesHeadings();

private:
    RptPurchaseReturnSummary *openWindow() { return m_window = openReportWindow<RptPurchaseReturnSummary>(); }

    QSqlDatabase m_db;
    QPointer<RptPurchaseReturnSummary> m_window;
    QList<PrintJob> m_jobs;
};

void tst_ReportWindow::initTestCase()
{
    m_db = createTestDatabase();
    fillFrameRows(m_db);
}

void tst_ReportWindow::init()
{
    auto connection = Connection::create(m_db);
    connection->setCursorLocation(Connection::adUseClient);
    SharedState::current().SharedConnection = connection;
    m_jobs.clear();
    setPrintHandler([this](const Document &, const PrintJob &job) { m_jobs << job; });
}

void tst_ReportWindow::showingTwiceKeepsOneWindow_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("caption");

    QTest::newRow("PurchaseReturnSummary") << 0 << "RptPurchaseReturnSummary" << "Purchase Returns Summary";
    QTest::newRow("PurchaseSummary") << 1 << "pmtPurchaseSummary" << "Purchase Summary";
    QTest::newRow("PurchaseRegisterInvoiceWise") << 2 << "pmtPurchaseRegisterIW" << "Purchase Register (Invoicewise)";
    QTest::newRow("ProductWisePurchases") << 3 << "RptProductWisePurchases" << "Product Wise Purchases";
    QTest::newRow("ProductPurchaseLedger") << 4 << "RptPurchaseLedger" << "Product Purchase Ledger";
    QTest::newRow("ProductPurchaseReturnLedger") << 5 << "pmtPurchaseReturnLedger" << "Product Purchase Return Ledger";
    QTest::newRow("PurchaseReturnRegister") << 6 << "RptPurchaseReturnRegister" << "Purchase Return Register";
}

void tst_ReportWindow::showingTwiceKeepsOneWindow()
{
    QFETCH(int, method);
    QFETCH(QString, objectName);
    QFETCH(QString, caption);

    Reports reports;
    const std::function<void()> calls[] = {
        [&] { reports.PurchaseReturnSummary(); },       [&] { reports.PurchaseSummary(); },
        [&] { reports.PurchaseRegisterInvoiceWise(); }, [&] { reports.ProductWisePurchases(); },
        [&] { reports.ProductPurchaseLedger(); },       [&] { reports.ProductPurchaseReturnLedger(); },
        [&] { reports.PurchaseReturnRegister(); },
    };
    auto shown = [&] {
        QList<ReportWindow *> windows;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->objectName() == objectName)
                windows << qobject_cast<ReportWindow *>(w);
        }
        return windows;
    };
    calls[method]();   // would block here if it were modal
    QCOMPARE(shown().size(), 1);
    ReportWindow *window = shown().first();
    QVERIFY(window && !window->parentWidget());
    QCOMPARE(window->windowTitle(), caption);
    window->codeBox()->setText(QStringLiteral("5"));
    window->fromDate()->setDate(QDate(2024, 1, 15));

    calls[method]();
    QCOMPARE(shown(), QList<ReportWindow *>{window});
    QCOMPARE(window->codeBox()->text(), QStringLiteral("5"));
    QCOMPARE(window->fromDate()->date(), QDate(2024, 1, 15));
}

void tst_ReportWindow::tabOrder()
{
    // The empty code box lets the focus go.
    RptPurchaseReturnSummary *w = openWindow();
    w->fromDate()->setFocus();
    QStringList walked{w->focusWidget()->objectName()};
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(w->focusWidget(), Qt::Key_Tab);
        walked << w->focusWidget()->objectName();
    }
    QCOMPARE(walked.join(QLatin1Char(' ')),
             QStringLiteral("DtpFromDate dtpToDate TxtVendorID CmdPreview CmdPrint CmdClose "
                            "BtnSchVendor TxtVendorName DtpFromDate"));
}

void tst_ReportWindow::leaveCodeBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("focus");

    QTest::newRow("007 by Tab: party 7, focus moves on")
        << "007" << int(Qt::Key_Tab) << 0 << "007" << "Vendor Seven" << "CmdPreview";
    QTest::newRow("8 by Enter: validated and moved on")
        << "8" << int(Qt::Key_Return) << 0 << "8" << "O'Brien Traders" << "CmdPreview";
    QTest::newRow("unknown code, lookup cancelled: both boxes empty, focus kept")
        << "55" << int(Qt::Key_Tab) << 1 << "" << "" << "TxtVendorID";
    QTest::newRow("customer code is no vendor: lookup opens")
        << "9" << int(Qt::Key_Return) << 1 << "" << "" << "TxtVendorID";
}

void tst_ReportWindow::leaveCodeBox()
{
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, dialogs);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, focus);

    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow();
    w->codeBox()->setFocus();
    QTest::keyClicks(w->codeBox(), typed);
    ModalCloser<LookupDialog> driver;   // cancels
    QTest::keyClick(w->codeBox(), Qt::Key(key));

    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(driver.shown, dialogs);
    QCOMPARE(w->codeBox()->text(), code);
    QCOMPARE(w->nameBox()->text(), name);
    QCOMPARE(w->focusWidget()->objectName(), focus);
    if (dialogs) {
        QCOMPARE(driver.owners.first().data(), static_cast<QWidget *>(w));   // stands over the window
        // The now empty box stands for all vendors and lets the focus go, with no lookup.
        QTest::keyClick(w->codeBox(), Qt::Key_Tab);
        QCOMPARE(driver.shown, 1);
        QCOMPARE(w->focusWidget(), static_cast<QWidget *>(w->previewButton()));
    }
}

void tst_ReportWindow::f1_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("dialogs");
    QTest::newRow("code box: lookup without owner") << "TxtVendorID" << 1;
    QTest::newRow("name box: nothing") << "TxtVendorName" << 0;
}

void tst_ReportWindow::f1()
{
    QFETCH(QString, where);
    QFETCH(int, dialogs);
    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow();
    auto *target = w->findChild<QWidget *>(where);
    QVERIFY(target);
    target->setFocus();
    ModalCloser<LookupDialog> driver([](LookupDialog *d) {
        d->filterBox()->setText(QStringLiteral("O'B"));
        d->selectButton()->click();
    });
    QTest::keyClick(target, Qt::Key_F1);
    QTest::qWait(20);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(driver.shown, dialogs);
    QCOMPARE(w->codeBox()->text(), dialogs ? QStringLiteral("8") : QString());
    if (dialogs)
        QCOMPARE(driver.owners.first().data(), nullptr);
}

void tst_ReportWindow::ctrlQ_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Ctrl+Q closes") << int(Qt::ControlModifier) << true;
    QTest::newRow("Shift+Q does not") << int(Qt::ShiftModifier) << false;
}

void tst_ReportWindow::ctrlQ()
{
    QFETCH(int, modifiers);
    QFETCH(bool, closes);
    RptPurchaseReturnSummary *w = openWindow();
    w->fromDate()->setFocus();
    QTest::keyClick(w->fromDate(), Qt::Key_Q, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w->isVisible(), !closes);
    if (closes)
        QTRY_VERIFY(m_window.isNull());   // unloaded: the next use makes a new one
}

void tst_ReportWindow::enterOnButton_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("Preview previews") << "CmdPreview" << "viewer";
    QTest::newRow("Print prints") << "CmdPrint" << "printed";
    QTest::newRow("Close closes") << "CmdClose" << "closed";
    QTest::newRow("... opens the lookup") << "BtnSchVendor" << "lookup";
    QTest::newRow("name box: Enter moves on") << "TxtVendorName" << "DtpFromDate";
}

void tst_ReportWindow::enterOnButton()
{
    QFETCH(QString, control);
    QFETCH(QString, outcome);
    MessageRecorder boxes;
    ModalCloser<LookupDialog> lookups;
    RptPurchaseReturnSummary *w = openWindow();
    w->findChild<QWidget *>(control)->setFocus();
    QTest::keyClick(w->focusWidget(), Qt::Key_Return);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(lookups.shown, int(outcome == QLatin1String("lookup")));
    QCOMPARE(m_jobs.size(), int(outcome == QLatin1String("printed")));
    QCOMPARE(m_window && lastViewer(w) && lastViewer(w)->isVisible(), outcome == QLatin1String("viewer"));
    if (outcome == QLatin1String("closed"))
        QTRY_VERIFY(m_window.isNull());
    else if (outcome.startsWith(QLatin1String("Dtp")))
        QCOMPARE(w->focusWidget()->objectName(), outcome);
}

void tst_ReportWindow::lookupCancelKeepsBoxes_data()
{
    QTest::addColumn<bool>("f1");
    QTest::addColumn<bool>("escape");   // else the Cancel button
    QTest::newRow("... then Escape") << false << true;
    QTest::newRow("... then Cancel") << false << false;
    QTest::newRow("F1 then Escape") << true << true;
    QTest::newRow("F1 then Cancel") << true << false;
}

// Only the lookup that opens for a code naming nothing empties it (leaveCodeBox).
void tst_ReportWindow::lookupCancelKeepsBoxes()
{
    QFETCH(bool, f1);
    QFETCH(bool, escape);
    MessageRecorder boxes;
    ModalCloser<LookupDialog> driver([escape](LookupDialog *d) {
        escape ? QTest::keyClick(d->filterBox(), Qt::Key_Escape) : d->closeButton()->click();
    });
    RptPurchaseReturnSummary *w = openWindow();
    typeCode(w, QStringLiteral("8"));
    w->codeBox()->setFocus();
    f1 ? QTest::keyClick(w->codeBox(), Qt::Key_F1) : QTest::mouseClick(w->lookupButton(), Qt::LeftButton);
    QCOMPARE(driver.shown, 1);
    QCOMPARE(w->codeBox()->text() + QLatin1Char(' ') + w->nameBox()->text(), QStringLiteral("8 O'Brien Traders"));
    QCOMPARE(w->focusWidget(), static_cast<QWidget *>(w->codeBox()));
    QCOMPARE(boxes.texts(), QString());
}

void tst_ReportWindow::codeBoxTakesDigits_data()
{
    QTest::addColumn<bool>("pasted");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("click");   // leave by a click on Preview, else Enter
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("name");   // "" = refused
    QTest::newRow("typed letters and an apostrophe ignored") << false << "a7b'" << false << "7" << "Vendor Seven";
    QTest::newRow("typed x8abc keeps 8") << false << "x8abc" << false << "8" << "O'Brien Traders";
    QTest::newRow("pasted 12abc refused, kept") << true << "12abc" << false << "12abc" << "";
    QTest::newRow("pasted apostrophe refused on a click away") << true << "7'" << true << "7'" << "";
    QTest::newRow("pasted digits between blanks taken") << true << " 8 " << false << " 8 " << "O'Brien Traders";
}

void tst_ReportWindow::codeBoxTakesDigits()
{
    QFETCH(bool, pasted);
    QFETCH(QString, input);
    QFETCH(bool, click);
    QFETCH(QString, entry);
    QFETCH(QString, name);
    MessageRecorder boxes;
    ModalCloser<LookupDialog> lookups;
    RptPurchaseReturnSummary *w = openWindow();
    w->codeBox()->setFocus();
    QGuiApplication::clipboard()->setText(input);
    pasted ? QTest::keyClick(w->codeBox(), Qt::Key_V, Qt::ControlModifier) : QTest::keyClicks(w->codeBox(), input);
    QCOMPARE(w->codeBox()->text(), entry);
    click ? QTest::mouseClick(w->previewButton(), Qt::LeftButton) : QTest::keyClick(w->codeBox(), Qt::Key_Return);
    QCOMPARE(lookups.shown, 0);
    QCOMPARE(w->codeBox()->text(), entry);
    QCOMPARE(w->nameBox()->text(), name);
    QCOMPARE(w->focusWidget() == w->codeBox(), name.isEmpty());
    QVERIFY(!lastViewer(w));
    QCOMPARE(boxes.texts(), name.isEmpty() ? QStringLiteral("Vendor code must be a whole number: digits only.") : QString());
    if (name.isEmpty()) {
        QCOMPARE(boxes.boxes.at(0).style, 48);
        QCOMPARE(boxes.boxes.at(0).title, w->caption());
    }
}

void tst_ReportWindow::dateBoxLeave_data()
{
    QTest::addColumn<QString>("typed");   // into To Date, entered by Tab
    QTest::addColumn<QString>("leave");   // "tab", "enter" or "preview" (a click)
    QTest::addColumn<QString>("text");    // a date in it is the one accepted
    QTest::addColumn<QString>("focus");   // dtpToDate: refused
    QTest::newRow("whole date, Enter moves on") << "15032024" << "enter" << "15/03/2024" << "TxtVendorID";
    QTest::newRow("two-digit year, Tab") << "15-3-24" << "tab" << "15/03/2024" << "TxtVendorID";
    QTest::newRow("day alone, a click on Preview") << "15" << "preview" << "15/03/2024" << "CmdPreview";
    QTest::newRow("31/02/2026 refused as it completes, Tab too") << "31/02/2026" << "tab" << "31/02/2026" << "dtpToDate";
    QTest::newRow("unreadable, a click on Preview previews nothing") << "311" << "preview" << "311" << "dtpToDate";
}

void tst_ReportWindow::dateBoxLeave()
{
    QFETCH(QString, typed);
    QFETCH(QString, leave);
    QFETCH(QString, text);
    QFETCH(QString, focus);
    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow();
    w->fromDate()->setFocus();
    QTest::keyClick(w->fromDate(), Qt::Key_Tab);
    QTest::keyClicks(w->toDate(), typed);
    if (leave == QLatin1String("preview"))
        QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    else
        QTest::keyClick(w->toDate(), leave == QLatin1String("tab") ? Qt::Key_Tab : Qt::Key_Return);

    const bool refused = focus == QLatin1String("dtpToDate");
    QCOMPARE(w->toDate()->date(), refused ? kMarchLast : QDate::fromString(text, QStringLiteral("dd/MM/yyyy")));
    QCOMPARE(w->toDate()->text(), text);
    QCOMPARE(w->focusWidget()->objectName(), focus);
    QCOMPARE(boxes.boxes.isEmpty(), !refused);
    for (const RecordedBox &box : boxes.boxes)
        QVERIFY2(box.text.startsWith(QStringLiteral("To Date: \"%1\" is not a date.").arg(text)), qPrintable(box.text));
    QCOMPARE(bool(lastViewer(w)), focus == QLatin1String("CmdPreview"));
    if (lastViewer(w)) {   // the date the box shows is the one queried and printed
        QCOMPARE(w->ReportRecordset().RecordCount(), 2);   // return 21's two prices; 22 is of 20 March
        QCOMPARE(objectText(*lastViewer(w)->ReportName, QStringLiteral("txtDate")),
                 QStringLiteral("Date Between : 01-Mar-2024 To 15-Mar-2024"));
    }
}

void tst_ReportWindow::busyPointerAfterError()
{
    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow();
    // A database without the tables: the query fails.
    QSqlDatabase empty = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("frame-empty"));
    empty.setDatabaseName(QStringLiteral(":memory:"));
    QVERIFY(empty.open());
    SharedState::current().SharedConnection = Connection::create(empty);

    QVERIFY(!w->PrepareReport());
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.first().style, 16);
    QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);
}

void tst_ReportWindow::printOverEmptyRange()
{
    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow();
    w->fromDate()->setDate(QDate(2023, 1, 1));
    w->toDate()->setDate(QDate(2023, 1, 31));
    QTest::mouseClick(w->printButton(), Qt::LeftButton);

    QCOMPARE(boxes.texts(), QStringLiteral("No record exists. | No record found"));
    QCOMPARE(boxes.boxes.at(0).style, 64);
    QCOMPARE(boxes.boxes.at(0).title, QStringLiteral("Purchase Returns Summary"));
    QCOMPARE(boxes.boxes.at(1).style, 64);
    QCOMPARE(boxes.boxes.at(1).title, QStringLiteral("Information"));
    QCOMPARE(m_jobs.size(), 0);
}

void tst_ReportWindow::twoPreviewsLeaveTwoViewers()
{
    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow();
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QPointer<RptReportViewer> first = lastViewer(w);
    w->activateWindow();
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QPointer<RptReportViewer> second = lastViewer(w);

    QCOMPARE(boxes.texts(), QString());
    QVERIFY(first && second && first != second);
    QVERIFY(first->isVisible() && second->isVisible());
    QVERIFY(first->ReportName && second->ReportName && first->ReportName.get() != second->ReportName.get());
    QCOMPARE(second->windowTitle(), QStringLiteral("Purchase Returns Summary ReportName"));
}

void tst_ReportWindow::missingCompanyNameShowsNoViewer()
{
    MessageRecorder boxes;
    QSqlDatabase db = createTestDatabase();
    fillFrameRows(db, QString());   // no companyname row
    SharedState::current().SharedConnection = Connection::create(db);

    RptPurchaseReturnSummary *w = openWindow();
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.first().style, 16);
    RptReportViewer *viewer = SharedState::current().existingWindow<RptReportViewer>();
    QVERIFY(!viewer || !viewer->isVisible());
}

void tst_ReportWindow::twoPricesGiveTwoRows()
{
    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow();   // empty code: every vendor
    QVERIFY(w->PrepareReport());
    QCOMPARE(boxes.texts(), QString());
    // "return price gross disc tax net qty bonus vendor"; one return's price rows in any order.
    QCOMPARE(tieSorted(rowLines(w->ReportRecordset(),
                                "Purreturnid Price Grossvalue Totaldisc Salestax NetValue Qty Bonus vendorname")),
             (QStringList{"21 10 50 3 1 48 5 1 Vendor Seven", "21 25 25 1 2 26 1 0 Vendor Seven",
                          "22 5 20 0 0 20 4 0 O'Brien Traders"}));
}

void tst_ReportWindow::secondInitializeClassMovesTheNextQuery()
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
    auto *w = SharedState::current().existingWindow<RptPurchaseReturnSummary>();
    QVERIFY(w);
    w->fromDate()->setDate(kMarchFirst);
    w->toDate()->setDate(kMarchLast);
    QVERIFY(w->PrepareReport());
    QCOMPARE(w->ReportRecordset().RecordCount(), 3);

    // Another Reports object of the same thread switches every window.
    Reports other;
    other.InitializeClass(second);
    QVERIFY(w->PrepareReport());
    QCOMPARE(w->ReportRecordset().RecordCount(), 2);
    QCOMPARE(boxes.texts(), QString());
}

void tst_ReportWindow::printedPageCarriesHeadings()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("summary.pdf"));
    int printed = 0;
    setPrintHandler([&](const Document &document, const PrintJob &job) {
        ++printed;
        QVERIFY(job.prompt);
        exportPdf(document, pdf);
    });

    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openReportWindow<RptPurchaseReturnSummary>(QDate(2024, 4, 1), QDate(2025, 3, 31));
    QTest::mouseClick(w->printButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(printed, 1);

    QProcess text;
    text.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(page.contains(QStringLiteral("Frame Test Traders")), qPrintable(page));
    QVERIFY2(page.contains(QStringLiteral("Date Between : 01-Apr-2024 To 31-Mar-2025")), qPrintable(page));
}

QTEST_MAIN(tst_ReportWindow)
#include "tst_ReportWindow.moc"
