// The component entry: the shared state that every Reports object of a
// thread shares, the empty report method, and the unload check.

#include "Connection.h"
#include "Error.h"
#include "Recordset.h"
#include "Reports.h"
#include "ReportsFactory.h"
#include "SharedState.h"
#include "TestDatabase.h"

#include <QApplication>
#include <QtTest>

#include <thread>

using namespace orvane;

namespace {

QSqlDatabase databaseWithVendor(const QString &name)
{
    QSqlDatabase db = test::createTestDatabase();
    QString quoted = name;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    test::exec(db, QStringLiteral("insert into Parties (PartyId, PartyName, IsVendor) values (1, '%1', 1)").arg(quoted));
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
    void cleanup();

    void companyWisePurchaseOpensNothing();
    void initializeClassSetsClientCursors();
    void secondInitializeClassSwitchesEveryObject();
    void closedConnectionIsRefusedAndTheOldOneKept();
    void stateIsPerThread();
    void defaultDateProvider();
    void windowInstancesAreSharedAndRecreated();
    void canUnloadNow();
    void classObjectByProgId_data();
    void classObjectByProgId();
};

void tst_Reports::cleanup()
{
    SharedState::current().SharedConnection.reset();
    SharedState::current().setDefaultDateProvider(nullptr);
}

void tst_Reports::companyWisePurchaseOpensNothing()
{
    Reports reports;
    const int topLevelBefore = int(QApplication::topLevelWidgets().size());
    const int windowsBefore = SharedState::current().liveWindowCount();
    reports.CompanyWisePurchase();
    QCoreApplication::processEvents();
    QCOMPARE(int(QApplication::topLevelWidgets().size()), topLevelBefore);
    QCOMPARE(SharedState::current().liveWindowCount(), windowsBefore);
    QVERIFY(!QApplication::activeWindow());
}

void tst_Reports::initializeClassSetsClientCursors()
{
    QSqlDatabase db = databaseWithVendor(QStringLiteral("O'Brien Traders"));
    Reports reports;
    QVERIFY(!SharedState::current().SharedConnection);
    reports.InitializeClass(db);
    QVERIFY(SharedState::current().SharedConnection);
    QCOMPARE(SharedState::current().SharedConnection->CursorLocation(), 3);
    QCOMPARE(SharedState::current().SharedConnection->connectionName(), db.connectionName());
    QCOMPARE(firstVendor(), QStringLiteral("O'Brien Traders"));
}

void tst_Reports::secondInitializeClassSwitchesEveryObject()
{
    QSqlDatabase first = databaseWithVendor(QStringLiteral("O'Brien Traders"));
    QSqlDatabase second = databaseWithVendor(QString::fromUtf8("Zoë's Mills"));
    Reports one;
    Reports two;
    one.InitializeClass(first);
    const std::shared_ptr<Connection> before = SharedState::current().SharedConnection;
    QCOMPARE(firstVendor(), QStringLiteral("O'Brien Traders"));

    two.InitializeClass(second);
    QVERIFY(SharedState::current().SharedConnection != before);
    QCOMPARE(SharedState::current().SharedConnection->connectionName(), second.connectionName());
    QCOMPARE(SharedState::current().SharedConnection->CursorLocation(), 3);
    // The next query of any window runs over the new connection.
    QCOMPARE(firstVendor(), QString::fromUtf8("Zoë's Mills"));
    // The host still owns the first connection: the component closed nothing.
    QVERIFY(first.isOpen());
}

void tst_Reports::closedConnectionIsRefusedAndTheOldOneKept()
{
    QSqlDatabase good = databaseWithVendor(QStringLiteral("D'Souza & Sons"));
    QSqlDatabase closed = test::createTestDatabase();
    closed.close();
    Reports reports;
    reports.InitializeClass(good);
    QVERIFY_THROWS_EXCEPTION(Error, reports.InitializeClass(closed));
    QCOMPARE(SharedState::current().SharedConnection->connectionName(), good.connectionName());
    QCOMPARE(firstVendor(), QStringLiteral("D'Souza & Sons"));
}

void tst_Reports::stateIsPerThread()
{
    QSqlDatabase db = databaseWithVendor(QStringLiteral("Åsa Exports"));
    Reports reports;
    reports.InitializeClass(db);
    SharedState::current().setDefaultDateProvider(std::make_shared<FixedDate>(QDate(2024, 4, 1)));

    bool otherHasConnection = true;
    QDate otherDate;
    std::thread other([&] {
        otherHasConnection = bool(SharedState::current().SharedConnection);
        otherDate = SharedState::current().defaultDateProvider().date();
    });
    other.join();
    QVERIFY(!otherHasConnection);
    const QDate today = QDate::currentDate();
    QCOMPARE(otherDate, QDate(today.year(), today.month(), 1));
    QVERIFY(SharedState::current().SharedConnection);
}

void tst_Reports::defaultDateProvider()
{
    const QDate today = QDate::currentDate();
    QCOMPARE(SharedState::current().defaultDateProvider().date(), QDate(today.year(), today.month(), 1));

    Reports reports;
    reports.setDefaultDateProvider(std::make_shared<FixedDate>(QDate(2025, 4, 1)));
    QCOMPARE(SharedState::current().defaultDateProvider().date(), QDate(2025, 4, 1));
    // Every Reports object of the thread sees the same provider.
    Reports other;
    other.setDefaultDateProvider(std::make_shared<FixedDate>(QDate(2025, 7, 1)));
    QCOMPARE(SharedState::current().defaultDateProvider().date(), QDate(2025, 7, 1));

    reports.setDefaultDateProvider(nullptr);
    QCOMPARE(SharedState::current().defaultDateProvider().date(), QDate(today.year(), today.month(), 1));
}

void tst_Reports::windowInstancesAreSharedAndRecreated()
{
    SharedState &state = SharedState::current();
    const int before = state.liveWindowCount();
    QVERIFY(!state.existingWindow<SomeWindow>());
    SomeWindow *w = state.window<SomeWindow>();
    QCOMPARE(state.window<SomeWindow>(), w);
    QCOMPARE(state.existingWindow<SomeWindow>(), w);
    QCOMPARE(state.liveWindowCount(), before + 1);

    // A replaced instance stays alive on its own and is still counted.
    auto *replacement = new SomeWindow;
    state.setWindow(replacement);
    QCOMPARE(state.existingWindow<SomeWindow>(), replacement);
    QCOMPARE(state.liveWindowCount(), before + 2);
    delete w;
    QCOMPARE(state.liveWindowCount(), before + 1);

    // Closed (deleted) windows are created afresh at the next use.
    delete replacement;
    QVERIFY(!state.existingWindow<SomeWindow>());
    QCOMPARE(state.liveWindowCount(), before);
    SomeWindow *fresh = state.window<SomeWindow>();
    QVERIFY(fresh);
    delete fresh;
    QCOMPARE(state.liveWindowCount(), before);
}

void tst_Reports::canUnloadNow()
{
    QVERIFY(DllCanUnloadNow());
    auto reports = std::make_unique<Reports>();
    QVERIFY(!DllCanUnloadNow());
    {
        Reports second;
        QVERIFY(!DllCanUnloadNow());
    }
    QVERIFY(!DllCanUnloadNow());
    reports.reset();
    QVERIFY(DllCanUnloadNow());

    // A window still on screen keeps the library in memory after its Reports is gone.
    SomeWindow *window = SharedState::current().window<SomeWindow>();
    QVERIFY(!DllCanUnloadNow());
    delete window;
    QVERIFY(DllCanUnloadNow());

    // So does an object created on another thread.
    std::unique_ptr<Reports> elsewhere;
    std::thread([&] { elsewhere = std::make_unique<Reports>(); }).join();
    QVERIFY(!DllCanUnloadNow());
    elsewhere.reset();
    QVERIFY(DllCanUnloadNow());
}

void tst_Reports::classObjectByProgId_data()
{
    QTest::addColumn<QByteArray>("progId");
    QTest::addColumn<bool>("served");
    QTest::newRow("the ProgID") << QByteArray("Orvane.Reports") << true;
    QTest::newRow("ProgIDs ignore case") << QByteArray("orvane.reports") << true;
    QTest::newRow("another class") << QByteArray("Orvane.Sales") << false;
    QTest::newRow("prefix only") << QByteArray("Orvane") << false;
    QTest::newRow("empty") << QByteArray("") << false;
}

void tst_Reports::classObjectByProgId()
{
    QFETCH(QByteArray, progId);
    QFETCH(bool, served);
    IClassFactory *factory = DllGetClassObject(progId.constData());
    QCOMPARE(factory != nullptr, served);
    if (!factory)
        return;
    std::unique_ptr<_Reports> object(factory->CreateInstance());
    QVERIFY(dynamic_cast<Reports *>(object.get()));
    QVERIFY(!DllCanUnloadNow());
    object.reset();
    QVERIFY(DllCanUnloadNow());
}

QTEST_MAIN(tst_Reports)
#include "tst_Reports.moc"
