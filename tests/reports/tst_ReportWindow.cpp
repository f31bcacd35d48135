// The report window frame, driven through the purchase return summary as a
// user drives it: keys, focus, the lookup dialog, Preview, Print and Close.

#include "tst_ReportWindowSupport.h"

#include "Connection.h"
#include "MessageRecorder.h"
#include "Printing.h"
#include "Recordset.h"
#include "Report.h"
#include "RptPurchaseReturnSummary.h"
#include "RptReportViewer.h"
#include "SharedState.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace orvane;
using namespace orvane::test;

class tst_ReportWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controls();
    void tabOrder();
    void loadStep();

    void leaveCodeBox_data();
    void leaveCodeBox();
    void cancelledLookupThenEmptyBoxLeaves();
    void clickElsewhereWithUnknownCode();
    void accessKeyWithUnknownCode();
    void lookupButton();
    void codeChangeClearsName();

    void f1_data();
    void f1();
    void ctrlQ_data();
    void ctrlQ();

    void busyPointerDuringNoRecord();
    void busyPointerAfterError();
    void printOverEmptyRange();
    void printSendsOnePromptedJob();
    void twoPreviewsLeaveTwoViewers();
    void missingCompanyNameShowsNoViewer();

private:
    RptPurchaseReturnSummary *openWindow();
    void closeViewers();

    QSqlDatabase m_db;
    std::shared_ptr<FixedDateProvider> m_dates;
    QPointer<RptPurchaseReturnSummary> m_window;
    QList<PrintJob> m_jobs;
};

void tst_ReportWindow::initTestCase()
{
    m_db = createTestDatabase();
    fillFrameRows(m_db);
    setPrintHandler([this](const Document &, const PrintJob &job) { m_jobs << job; });
}

void tst_ReportWindow::init()
{
    auto connection = Connection::create(m_db);
    connection->setCursorLocation(Connection::adUseClient);
    SharedState::current().SharedConnection = connection;
    m_dates = std::make_shared<FixedDateProvider>(QDate(2024, 3, 1));
    SharedState::current().setDefaultDateProvider(m_dates);
    m_jobs.clear();
}

void tst_ReportWindow::cleanup()
{
    if (m_window)
        delete m_window.data();
    closeViewers();
}

void tst_ReportWindow::closeViewers()
{
    deleteTopLevels([](QWidget *w) { return qobject_cast<RptReportViewer *>(w) != nullptr; });
}

RptPurchaseReturnSummary *tst_ReportWindow::openWindow()
{
    m_window = SharedState::current().window<RptPurchaseReturnSummary>();
    m_window->show();
    m_window->activateWindow();
    if (!QTest::qWaitForWindowActive(m_window))
        qWarning("report window did not become active");
    m_window->toDate()->setDate(QDate(2024, 3, 31));
    return m_window;
}

void tst_ReportWindow::controls()
{
    RptPurchaseReturnSummary *w = openWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Purchase Returns Summary"));

    auto *from = w->findChild<QDateEdit *>(QStringLiteral("DtpFromDate"));
    auto *to = w->findChild<QDateEdit *>(QStringLiteral("dtpToDate"));
    auto *code = w->findChild<QLineEdit *>(QStringLiteral("TxtVendorID"));
    auto *name = w->findChild<QLineEdit *>(QStringLiteral("TxtVendorName"));
    QVERIFY(from && to && code && name);
    QCOMPARE(from->displayFormat(), QStringLiteral("dd/MM/yyyy"));
    QCOMPARE(to->displayFormat(), QStringLiteral("dd/MM/yyyy"));
    QVERIFY(from->calendarPopup());
    QCOMPARE(code->maxLength(), 10);
    QCOMPARE(name->maxLength(), 30);
    QVERIFY(name->isReadOnly());
    QCOMPARE(name->palette().color(QPalette::Base), QColor(0xE0, 0xE0, 0xE0));

    const QList<QPair<QString, QString>> buttons = {
        {QStringLiteral("BtnSchVendor"), QStringLiteral("...")},
        {QStringLiteral("CmdPreview"), QStringLiteral("Pre&view")},
        {QStringLiteral("CmdPrint"), QStringLiteral("&Print")},
        {QStringLiteral("CmdClose"), QStringLiteral("&Close")},
    };
    for (const auto &[objectName, text] : buttons) {
        auto *button = w->findChild<QPushButton *>(objectName);
        QVERIFY2(button, qPrintable(objectName));
        QCOMPARE(button->text(), text);
    }
    QVERIFY(w->findChild<QLabel *>(QStringLiteral("Image1")));

    QStringList labels;
    for (QLabel *label : w->findChildren<QLabel *>())
        labels << label->text();
    for (const QString &text : {QStringLiteral("From Date"), QStringLiteral("To Date"), QStringLiteral("Vendor")})
        QVERIFY2(labels.contains(text), qPrintable(text));
}

void tst_ReportWindow::tabOrder()
{
    // Walk the window with Tab as a user does; the empty code box lets the focus go.
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

void tst_ReportWindow::loadStep()
{
    RptPurchaseReturnSummary *w = SharedState::current().window<RptPurchaseReturnSummary>();
    m_window = w;
    QCOMPARE(m_dates->reads, 0);
    w->show();
    QCOMPARE(m_dates->reads, 1);
    QCOMPARE(w->fromDate()->date(), QDate(2024, 3, 1));
    QCOMPARE(w->toDate()->date(), QDate::currentDate());
    QVERIFY(w->codeBox()->text().isEmpty());
    QVERIFY(w->nameBox()->text().isEmpty());

    // Hiding and showing again is not a new load.
    w->hide();
    w->show();
    QCOMPARE(m_dates->reads, 1);
}

void tst_ReportWindow::leaveCodeBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("answer");        // LookupDriver::Answer
    QTest::addColumn<QString>("pick");
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("focus");

    const int cancel = int(LookupDriver::Answer::Cancel);
    const int pick = int(LookupDriver::Answer::Pick);
    QTest::newRow("007 by Tab: party 7, focus moves on")
        << "007" << int(Qt::Key_Tab) << cancel << QString() << 0 << "007" << "Vendor Seven" << "CmdPreview";
    QTest::newRow("007 by Enter: validated and moved on")
        << "007" << int(Qt::Key_Return) << cancel << QString() << 0 << "007" << "Vendor Seven" << "CmdPreview";
    QTest::newRow("8 by keypad Enter")
        << "8" << int(Qt::Key_Enter) << cancel << QString() << 0 << "8" << "O'Brien Traders" << "CmdPreview";
    QTest::newRow("Shift+Tab goes back after the check")
        << "7" << int(Qt::Key_Backtab) << cancel << QString() << 0 << "7" << "Vendor Seven" << "dtpToDate";
    QTest::newRow("leading number: 7abc is party 7")
        << "7abc" << int(Qt::Key_Tab) << cancel << QString() << 0 << "7abc" << "Vendor Seven" << "CmdPreview";
    QTest::newRow("unknown code, lookup cancelled: both boxes empty, focus kept")
        << "55" << int(Qt::Key_Tab) << cancel << QString() << 1 << "" << "" << "TxtVendorID";
    QTest::newRow("customer code is no vendor: lookup opens")
        << "9" << int(Qt::Key_Return) << cancel << QString() << 1 << "" << "" << "TxtVendorID";
    QTest::newRow("unknown code replaced in the lookup: focus moves on")
        << "55" << int(Qt::Key_Tab) << pick << "O'Brien" << 1 << "8" << "O'Brien Traders" << "CmdPreview";
    QTest::newRow("apostrophe in the code: lookup, no error")
        << "7'" << int(Qt::Key_Tab) << cancel << QString() << 0 << "7'" << "Vendor Seven" << "CmdPreview";
}

void tst_ReportWindow::leaveCodeBox()
{
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, answer);
    QFETCH(QString, pick);
    QFETCH(int, dialogs);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, focus);

    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow();
    w->codeBox()->setFocus();
    QTest::keyClicks(w->codeBox(), typed);
    LookupDriver driver(LookupDriver::Answer(answer), pick);
    const Qt::KeyboardModifiers modifiers = key == Qt::Key_Backtab ? Qt::ShiftModifier
        : key == Qt::Key_Enter                                     ? Qt::KeypadModifier
                                                                   : Qt::NoModifier;
    QTest::keyClick(w->codeBox(), Qt::Key(key), modifiers);

    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(driver.opened, dialogs);
    QCOMPARE(w->codeBox()->text(), code);
    QCOMPARE(w->nameBox()->text(), name);
    QCOMPARE(w->focusWidget()->objectName(), focus);
    QCOMPARE(boxes.texts(), QString());
    if (dialogs > 0) {
        // The validation's lookup stands over the window.
        QCOMPARE(driver.owners.first().data(), static_cast<QWidget *>(w));
    }
}

void tst_ReportWindow::cancelledLookupThenEmptyBoxLeaves()
{
    RptPurchaseReturnSummary *w = openWindow();
    w->codeBox()->setFocus();
    QTest::keyClicks(w->codeBox(), QStringLiteral("404"));
    LookupDriver driver(LookupDriver::Answer::Cancel);
    QTest::keyClick(w->codeBox(), Qt::Key_Tab);
    QCOMPARE(driver.opened, 1);
    QCOMPARE(w->focusWidget(), w->codeBox());
    QVERIFY(w->codeBox()->text().isEmpty());

    // The now empty box stands for all vendors and lets the focus go, with no lookup.
    QTest::keyClick(w->codeBox(), Qt::Key_Tab);
    QCOMPARE(driver.opened, 1);
    QCOMPARE(w->focusWidget(), static_cast<QWidget *>(w->previewButton()));
}

void tst_ReportWindow::clickElsewhereWithUnknownCode()
{
    // Clicking Preview with a code that names nobody runs the validation once;
    // the refused leave must not go on to press the button.
    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow();
    w->codeBox()->setFocus();
    QTest::keyClicks(w->codeBox(), QStringLiteral("404"));
    LookupDriver driver(LookupDriver::Answer::Cancel);
    QSignalSpy clicked(w->previewButton(), &QPushButton::clicked);
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);

    QCOMPARE(driver.opened, 1);
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(w->focusWidget(), w->codeBox());
    QCOMPARE(boxes.texts(), QString());
    QVERIFY(!SharedState::current().existingWindow<RptReportViewer>()
            || !SharedState::current().existingWindow<RptReportViewer>()->isVisible());

    // With a good code the click goes through: one check, then Preview.
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTest::keyClicks(w->codeBox(), QStringLiteral("7"));
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(driver.opened, 1);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(w->nameBox()->text(), QStringLiteral("Vendor Seven"));
    QVERIFY(w->lastViewer() && w->lastViewer()->isVisible());
}

void tst_ReportWindow::accessKeyWithUnknownCode()
{
    // Alt+V moves the focus to Preview before pressing it: the code is checked
    // first, and a refused leave presses nothing.
    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow();
    w->codeBox()->setFocus();
    QTest::keyClicks(w->codeBox(), QStringLiteral("404"));
    LookupDriver driver(LookupDriver::Answer::Cancel);
    QSignalSpy clicked(w->previewButton(), &QPushButton::clicked);
    QTest::keyClick(w->codeBox(), Qt::Key_V, Qt::AltModifier);
    QTest::qWait(150);   // an access key clicks after a short animation
    QCOMPARE(driver.opened, 1);
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(w->focusWidget(), w->codeBox());
    QCOMPARE(boxes.texts(), QString());

    // A good code: checked once, then Preview runs.
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTest::keyClicks(w->codeBox(), QStringLiteral("8"));
    QTest::keyClick(w->codeBox(), Qt::Key_V, Qt::AltModifier);
    QTRY_COMPARE(clicked.count(), 1);
    QCOMPARE(driver.opened, 1);
    QCOMPARE(w->nameBox()->text(), QStringLiteral("O'Brien Traders"));
}

void tst_ReportWindow::lookupButton()
{
    RptPurchaseReturnSummary *w = openWindow();
    w->fromDate()->setFocus();
    LookupDriver driver(LookupDriver::Answer::Pick, QStringLiteral("Vendor"));
    QTest::mouseClick(w->lookupButton(), Qt::LeftButton);
    QCOMPARE(driver.opened, 1);
    QCOMPARE(driver.owners.first().data(), static_cast<QWidget *>(w));
    QCOMPARE(w->codeBox()->text(), QStringLiteral("7"));
    QCOMPARE(w->nameBox()->text(), QStringLiteral("Vendor Seven"));
    QCOMPARE(w->focusWidget(), w->codeBox());
}

void tst_ReportWindow::codeChangeClearsName()
{
    RptPurchaseReturnSummary *w = openWindow();
    w->codeBox()->setFocus();
    QTest::keyClicks(w->codeBox(), QStringLiteral("7"));
    QTest::keyClick(w->codeBox(), Qt::Key_Tab);
    QCOMPARE(w->nameBox()->text(), QStringLiteral("Vendor Seven"));
    w->codeBox()->setFocus();
    QTest::keyClick(w->codeBox(), Qt::Key_Backspace);
    QVERIFY(w->nameBox()->text().isEmpty());
}

void tst_ReportWindow::f1_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("dialogs");
    QTest::newRow("code box: lookup without owner") << "TxtVendorID" << 1;
    QTest::newRow("name box: nothing") << "TxtVendorName" << 0;
    QTest::newRow("date picker: nothing") << "DtpFromDate" << 0;
    QTest::newRow("Preview button: nothing") << "CmdPreview" << 0;
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
    LookupDriver driver(LookupDriver::Answer::Pick, QStringLiteral("O'B"));
    QTest::keyClick(target, Qt::Key_F1);
    QTest::qWait(20);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(driver.unexpected, 0);
    QCOMPARE(driver.opened, dialogs);
    if (dialogs) {
        QCOMPARE(driver.owners.first().data(), nullptr);
        QCOMPARE(w->codeBox()->text(), QStringLiteral("8"));
        QCOMPARE(w->nameBox()->text(), QStringLiteral("O'Brien Traders"));
    } else {
        QVERIFY(w->codeBox()->text().isEmpty());
    }
}

void tst_ReportWindow::ctrlQ_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("closeEnabled");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Ctrl+Q closes") << int(Qt::ControlModifier) << true << true;
    QTest::newRow("Shift+Q does not") << int(Qt::ShiftModifier) << true << false;
    QTest::newRow("Ctrl+Shift+Q does not") << int(Qt::ControlModifier | Qt::ShiftModifier) << true << false;
    QTest::newRow("Q alone does not") << int(Qt::NoModifier) << true << false;
    QTest::newRow("Ctrl+Q with Close disabled does not") << int(Qt::ControlModifier) << false << false;
}

void tst_ReportWindow::ctrlQ()
{
    QFETCH(int, modifiers);
    QFETCH(bool, closeEnabled);
    QFETCH(bool, closes);
    RptPurchaseReturnSummary *w = openWindow();
    w->closeButton()->setEnabled(closeEnabled);
    w->fromDate()->setFocus();
    QTest::keyClick(w->fromDate(), Qt::Key_Q, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(w->isVisible(), !closes);
    if (closes) {
        // Unloaded: the window deletes itself and the next use makes a new one.
        QTRY_VERIFY(m_window.isNull());
        QVERIFY(!SharedState::current().existingWindow<RptPurchaseReturnSummary>());
    }
}

void tst_ReportWindow::busyPointerDuringNoRecord()
{
    RptPurchaseReturnSummary *w = openWindow();
    w->fromDate()->setDate(QDate(2023, 1, 1));
    w->toDate()->setDate(QDate(2023, 1, 31));
    Qt::CursorShape during = Qt::ArrowCursor;
    setMessageBoxHandler([&](const QString &, int, const QString &) {
        during = w->cursor().shape();
        return 1;
    });
    QVERIFY(!w->PrepareReport());
    setMessageBoxHandler({});
    QCOMPARE(during, Qt::WaitCursor);
    QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);
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
    QVERIFY(!w->lastViewer());
}

void tst_ReportWindow::printOverEmptyRange()
{
    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow();
    w->fromDate()->setDate(QDate(2023, 1, 1));
    w->toDate()->setDate(QDate(2023, 1, 31));
    QTest::mouseClick(w->printButton(), Qt::LeftButton);

    QCOMPARE(boxes.boxes.size(), 2);
    QCOMPARE(boxes.boxes.at(0).text, QStringLiteral("No record exists."));
    QCOMPARE(boxes.boxes.at(0).style, 64);
    QCOMPARE(boxes.boxes.at(0).title, QStringLiteral("Purchase Returns Summary"));
    QCOMPARE(boxes.boxes.at(1).text, QStringLiteral("No record found"));
    QCOMPARE(boxes.boxes.at(1).style, 64);
    QCOMPARE(boxes.boxes.at(1).title, QStringLiteral("Information"));
    QCOMPARE(m_jobs.size(), 0);
    QVERIFY(!w->lastViewer());
}

void tst_ReportWindow::printSendsOnePromptedJob()
{
    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow();
    QTest::mouseClick(w->printButton(), Qt::LeftButton);
    QCOMPARE(boxes.texts(), QString());
    QCOMPARE(m_jobs.size(), 1);
    QVERIFY(m_jobs.first().prompt);
    // The viewer that holds the printed report is never shown.
    QVERIFY(w->lastViewer());
    QVERIFY(!w->lastViewer()->isVisible());
}

void tst_ReportWindow::twoPreviewsLeaveTwoViewers()
{
    MessageRecorder boxes;
    RptPurchaseReturnSummary *w = openWindow();
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QPointer<RptReportViewer> first = w->lastViewer();
    w->activateWindow();
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QPointer<RptReportViewer> second = w->lastViewer();

    QCOMPARE(boxes.texts(), QString());
    QVERIFY(first && second);
    QVERIFY(first != second);
    QVERIFY(first->isVisible() && second->isVisible());
    QVERIFY(first->ReportName && second->ReportName);
    QVERIFY(first->ReportName.get() != second->ReportName.get());
    QCOMPARE(second->windowTitle(), QStringLiteral("Purchase Returns Summary ReportName"));
    QCOMPARE(SharedState::current().existingWindow<RptReportViewer>(), second.data());
    // Modeless and without owner.
    QVERIFY(second->isWindow());
    QCOMPARE(second->parentWidget(), nullptr);
    QCOMPARE(second->windowModality(), Qt::NonModal);
}

void tst_ReportWindow::missingCompanyNameShowsNoViewer()
{
    MessageRecorder boxes;
    QSqlDatabase db = createTestDatabase();
    fillFrameRows(db, QString());   // no companyname row
    exec(db, QStringLiteral("INSERT INTO Project_registry VALUES ('other','x')"));
    SharedState::current().SharedConnection = Connection::create(db);

    RptPurchaseReturnSummary *w = openWindow();
    QTest::mouseClick(w->previewButton(), Qt::LeftButton);
    QCOMPARE(boxes.boxes.size(), 1);
    QCOMPARE(boxes.boxes.first().style, 16);
    RptReportViewer *viewer = SharedState::current().existingWindow<RptReportViewer>();
    QVERIFY(!viewer || !viewer->isVisible());
}

QTEST_MAIN(tst_ReportWindow)
#include "tst_ReportWindow.moc"
