// The error report: what ShowError shows for each kind of error it meets.

#include "Connection.h"
#include "Error.h"
#include "MessageBox.h"
#include "MessageRecorder.h"
#include "ShowError.h"
#include "TestDatabase.h"

#include <QtTest>

#include <functional>
#include <stdexcept>

using namespace orvane;

class tst_ShowError : public QObject
{
    Q_OBJECT

private slots:
    void shows_data();
    void shows();
    void failedQueryShowsTheDatabaseMessage();
    void outsideACatchBlock();
    void aFailingBoxDoesNotThrow();
};

using Thrower = std::function<void()>;
Q_DECLARE_METATYPE(Thrower)

void tst_ShowError::shows_data()
{
    QTest::addColumn<Thrower>("thrower");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");

    QTest::newRow("component error: its description and source")
        << Thrower([] { throw Error(QStringLiteral("Invalid column name 'PartyNam'."),
                                    QStringLiteral("Microsoft OLE DB Provider for SQL Server")); })
        << "Invalid column name 'PartyNam'." << "Microsoft OLE DB Provider for SQL Server";
    QTest::newRow("component error without source: the component")
        << Thrower([] { throw Error(QStringLiteral("Report layout is damaged."), QString()); })
        << "Report layout is damaged." << "Orvane";
    QTest::newRow("accented description kept")
        << Thrower([] { throw Error(QString::fromUtf8("Café Ñandú: no rows"), QStringLiteral("engine")); })
        << QString::fromUtf8("Café Ñandú: no rows") << "engine";
    QTest::newRow("standard exception: its text, the component")
        << Thrower([] { throw std::runtime_error("disk full"); })
        << "disk full" << "Orvane";
    QTest::newRow("standard exception in UTF-8")
        << Thrower([] { throw std::runtime_error("Zoë's Mills"); })
        << QString::fromUtf8("Zoë's Mills") << "Orvane";
    QTest::newRow("out of memory")
        << Thrower([] { throw std::bad_alloc(); })
        << "std::bad_alloc" << "Orvane";
    QTest::newRow("unknown exception")
        << Thrower([] { throw 42; })
        << "Unknown error" << "Orvane";
}

void tst_ShowError::shows()
{
    QFETCH(Thrower, thrower);
    QFETCH(QString, text);
    QFETCH(QString, title);

    test::MessageRecorder recorder;
    try {
        thrower();
        QFAIL("nothing thrown");
    } catch (...) {
        ShowError();
    }
    QCOMPARE(recorder.boxes.size(), 1);
    QCOMPARE(recorder.boxes.at(0).text, text);
    QCOMPARE(recorder.boxes.at(0).style, 16);
    QCOMPARE(recorder.boxes.at(0).title, title);
}

void tst_ShowError::failedQueryShowsTheDatabaseMessage()
{
    QSqlDatabase db = test::createTestDatabase();
    std::shared_ptr<Connection> connection = Connection::create(db);
    test::MessageRecorder recorder;
    QString source;
    try {
        connection->Execute(QStringLiteral("select PartyName from NoSuchTable"));
        QFAIL("the query did not fail");
    } catch (const Error &e) {
        source = e.source();
        ShowError();
    }
    QCOMPARE(recorder.boxes.size(), 1);
    QVERIFY2(recorder.boxes.at(0).text.contains(QLatin1String("no such table: NoSuchTable")),
             qPrintable(recorder.boxes.at(0).text));
    QCOMPARE(recorder.boxes.at(0).style, 16);
    QVERIFY(!source.isEmpty());
    QCOMPARE(recorder.boxes.at(0).title, source);
}

void tst_ShowError::outsideACatchBlock()
{
    test::MessageRecorder recorder;
    ShowError();
    QCOMPARE(recorder.texts(), QStringLiteral("Unknown error"));
    QCOMPARE(recorder.boxes.at(0).title, QStringLiteral("Orvane"));
}

void tst_ShowError::aFailingBoxDoesNotThrow()
{
    setMessageBoxHandler([](const QString &, int, const QString &) -> int {
        throw std::runtime_error("no display");
    });
    bool reported = false;
    try {
        throw Error(QStringLiteral("x"), QStringLiteral("y"));
    } catch (...) {
        ShowError();
        reported = true;
    }
    setMessageBoxHandler({});
    QVERIFY(reported);
}

QTEST_APPLESS_MAIN(tst_ShowError)
#include "tst_ShowError.moc"
