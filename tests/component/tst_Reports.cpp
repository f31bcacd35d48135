// The component entry: the shared state that every Reports object of a
// thread shares, and the unload check.

#include "CaughtError.h"
#include "Connection.h"
#include "Error.h"
#include "Recordset.h"
#include "Reports.h"
#include "ReportsFactory.h"
#include "SharedState.h"
#include "TestDatabase.h"

#include <QtTest>

#include <thread>

using namespace orvane;

namespace {

QSqlDatabase databaseWithVendor(const QString &quotedName)
{
    QSqlDatabase db = test::createTestDatabase();
    test::exec(db, QStringLiteral("insert into Parties (PartyId, PartyName, IsVendor) values (1, '%1', 1)")
                       .arg(quotedName));
    return db;
}

QString firstVendor()
{
    auto rs = SharedState::current().SharedConnection->Execute(
        QStringLiteral("select PartyName from Parties where PartyId = 1"));
    return rs->Fields(QStringLiteral("PartyName")).toString();
}

class FixedDate : public DefaultDateProvider
{
public:
    explicit FixedDate(QDate day) : m_day(day) {}
    QDate date() const override { return m_day; }

private:
    QDate m_day;
};

class SomeWindow : public QWidget
{
};

} // namespace

class tst_Reports : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        SharedState::current().SharedConnection.reset();
        SharedState::current().setDefaultDateProvider(nullptr);
    }

    void secondInitializeClassSwitchesEveryObject()
    {
        QSqlDatabase first = databaseWithVendor(QStringLiteral("O''Brien Traders"));
        QSqlDatabase second = databaseWithVendor(QString::fromUtf8("Zoë''s Mills"));
        QSqlDatabase closed = test::createTestDatabase();
        closed.close();
        Reports one;
        Reports two;
        one.InitializeClass(first);
        QCOMPARE(SharedState::current().SharedConnection->CursorLocation(), 3);
        QCOMPARE(firstVendor(), QStringLiteral("O'Brien Traders"));

        two.InitializeClass(second);
        // The next query of any window runs over the new connection.
        QCOMPARE(firstVendor(), QString::fromUtf8("Zoë's Mills"));
        // The host still owns the first connection: the component closed nothing.
        QVERIFY(first.isOpen());

        // A closed connection is refused and the working one kept.
        QCOMPARE(test::errorOf([&] { one.InitializeClass(closed); }),
                 QStringLiteral("Orvane data: The database connection handed to the reports is not open."));
        QCOMPARE(firstVendor(), QString::fromUtf8("Zoë's Mills"));
    }

    void stateIsPerThread()
    {
        QSqlDatabase db = databaseWithVendor(QStringLiteral("D''Souza & Sons"));
        Reports reports;
        reports.InitializeClass(db);
        reports.setDefaultDateProvider(std::make_shared<FixedDate>(QDate(2025, 7, 1)));
        QCOMPARE(SharedState::current().defaultDateProvider().date(), QDate(2025, 7, 1));

        bool otherHasConnection = true;
        QDate otherDate;
        std::thread([&] {
            otherHasConnection = bool(SharedState::current().SharedConnection);
            otherDate = SharedState::current().defaultDateProvider().date();
        }).join();
        QVERIFY(!otherHasConnection);
        const QDate today = QDate::currentDate();
        const QDate firstOfMonth(today.year(), today.month(), 1);
        QCOMPARE(otherDate, firstOfMonth);
        QCOMPARE(firstVendor(), QStringLiteral("D'Souza & Sons"));

        reports.setDefaultDateProvider(nullptr);
        QCOMPARE(SharedState::current().defaultDateProvider().date(), firstOfMonth);
    }

    void canUnloadNow()
    {
        // A window still on screen keeps the library in memory after its Reports is gone;
        // once closed (deleted) it is created afresh at the next use.
        SomeWindow *window = SharedState::current().window<SomeWindow>();
        QCOMPARE(SharedState::current().window<SomeWindow>(), window);
        QVERIFY(!DllCanUnloadNow());
        delete window;
        QVERIFY(DllCanUnloadNow());
        QVERIFY(!SharedState::current().existingWindow<SomeWindow>());
        delete SharedState::current().window<SomeWindow>();
        QVERIFY(DllCanUnloadNow());

        // So does an object created on another thread.
        std::unique_ptr<Reports> elsewhere;
        std::thread([&] { elsewhere = std::make_unique<Reports>(); }).join();
        QVERIFY(!DllCanUnloadNow());
        elsewhere.reset();
        QVERIFY(DllCanUnloadNow());
    }
};

QTEST_MAIN(tst_Reports)
#include "tst_Reports.moc"
