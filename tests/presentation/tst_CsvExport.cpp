#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "CsvExport.h"
#include "Error.h"
#include "ExportTestUtil.h"

using namespace orvane;

class tst_CsvExport : public QObject
{
    Q_OBJECT

private slots:
    void plainNumber_data();
    void plainNumber();
    void field_data();
    void field();
    void writesRowsInGivenOrder();
    void dateTimeColumnAtMidnightIsPlainDate();
    void emptyRowOrderWritesHeaderOnly();
    void cancelKeepsExistingFile();
    void failureLeavesNoFile_data();
    void failureLeavesNoFile();
    void readOnlyDirectoryKeepsExistingFile();
    void rowOutsideTableIsRefused();

private:
    static QByteArray readAll(const QString &fileName)
    {
        QFile f(fileName);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

void tst_CsvExport::plainNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("fraction") << 1234.5 << "1234.5";
    QTest::newRow("whole number has no point") << 12.0 << "12";
    QTest::newRow("negative below one") << -0.75 << "-0.75";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("no grouping, no exponent") << 12345678.9 << "12345678.9";
    QTest::newRow("ten to the fifteenth") << 1e15 << "1000000000000000";
    QTest::newRow("small amount") << 0.01 << "0.01";
    QTest::newRow("shortest exact, not rounded") << 0.1 + 0.2 << "0.30000000000000004";
    QTest::newRow("cent on a large amount") << 98765432.01 << "98765432.01";
}

void tst_CsvExport::plainNumber()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(orvane::plainNumber(value), expected);
    QCOMPARE(expected.toDouble(), value);
}

void tst_CsvExport::field_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "Karachi Traders" << "Karachi Traders";
    QTest::newRow("apostrophe needs no quotes") << "O'Neil" << "O'Neil";
    QTest::newRow("comma") << "Ali, Sons" << "\"Ali, Sons\"";
    QTest::newRow("quote doubled") << "5\" pipe" << "\"5\"\" pipe\"";
    QTest::newRow("line feed") << "two\nlines" << "\"two\nlines\"";
    QTest::newRow("carriage return") << "a\rb" << "\"a\rb\"";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("non-ASCII kept") << "Müller & Söhne" << "Müller & Söhne";
}

void tst_CsvExport::field()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(csvField(text), expected);
}

void tst_CsvExport::writesRowsInGivenOrder()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("purchases.csv"));
    const auto rows = test::purchaseRows();
    QVERIFY(exportCsv(*rows, {2, 0, 1}, file));

    const QByteArray expected =
        "purchaseid,purchasedate,vendorname,NetValue,Qty\r\n"
        "103,2025-03-31,,12345678.9,\r\n"
        "101,2024-04-01,Karachi Traders,1234.5,12\r\n"
        "102,2024-04-02,\"Ali, \"\"Bhai\"\" O'Neil\",-0.75,3\r\n";
    QCOMPARE(readAll(file), expected);
    QCOMPARE(test::strayFiles(dir.path(), {QStringLiteral("purchases.csv")}), QStringList());
}

void tst_CsvExport::dateTimeColumnAtMidnightIsPlainDate()
{
    Table::Builder b({QStringLiteral("purreturndate"), QStringLiteral("stamp")});
    b.beginRow();
    b.setValue(0, QDateTime(QDate(2024, 4, 1), QTime(0, 0)));
    b.setValue(1, QDateTime(QDate(2024, 4, 1), QTime(0, 0)));
    b.endRow();
    b.beginRow();
    b.setValue(0, QDateTime(QDate(2024, 4, 2), QTime(0, 0)));
    b.setValue(1, QDateTime(QDate(2024, 4, 2), QTime(14, 5, 9)));
    b.endRow();
    const auto table = b.finish();

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("d.csv"));
    QVERIFY(exportCsv(*table, {0, 1}, file));
    QCOMPARE(readAll(file), QByteArray("purreturndate,stamp\r\n"
                                       "2024-04-01,2024-04-01 00:00:00\r\n"
                                       "2024-04-02,2024-04-02 14:05:09\r\n"));
}

void tst_CsvExport::emptyRowOrderWritesHeaderOnly()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("empty.csv"));
    QVERIFY(exportCsv(*test::purchaseRows(), {}, file));
    QCOMPARE(readAll(file), QByteArray("purchaseid,purchasedate,vendorname,NetValue,Qty\r\n"));
}

void tst_CsvExport::cancelKeepsExistingFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kept.csv"));
    {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    int calls = 0;
    const bool finished = exportCsv(*test::purchaseRows(), {0, 1, 2}, file,
                                    [&calls](int done, int total) {
                                        ++calls;
                                        return done < total;   // cancel at the end
                                    });
    QVERIFY(!finished);
    QVERIFY(calls > 0);
    QCOMPARE(readAll(file), QByteArray("old contents"));
    QCOMPARE(test::strayFiles(dir.path(), {QStringLiteral("kept.csv")}), QStringList());
}

void tst_CsvExport::failureLeavesNoFile_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("directory missing") << "/nonexistent-orvane-dir/x.csv";
    QTest::newRow("system directory nobody writes") << "/proc/orvane-export.csv";
}

void tst_CsvExport::failureLeavesNoFile()
{
    QFETCH(QString, fileName);
    try {
        exportCsv(*test::purchaseRows(), {0, 1, 2}, fileName);
        QFAIL("the export should have failed");
    } catch (const Error &e) {
        QVERIFY2(e.description().contains(fileName), qPrintable(e.description()));
        QVERIFY2(e.description().startsWith(QLatin1String("The report could not be saved as")),
                 qPrintable(e.description()));
    }
    QVERIFY(!QFile::exists(fileName));
}

void tst_CsvExport::readOnlyDirectoryKeepsExistingFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("r.csv"));
    {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    if (!test::makeReadOnly(dir.path()))
        QSKIP("directory permissions do not bind this user (root)");
    bool threw = false;
    try {
        exportCsv(*test::purchaseRows(), {0}, file);
    } catch (const Error &e) {
        threw = true;
        QVERIFY2(e.description().contains(file), qPrintable(e.description()));
    }
    test::makeWritable(dir.path());
    QVERIFY(threw);
    QCOMPARE(readAll(file), QByteArray("old"));
    QCOMPARE(test::strayFiles(dir.path(), {QStringLiteral("r.csv")}), QStringList());
}

void tst_CsvExport::rowOutsideTableIsRefused()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bad.csv"));
    QVERIFY_THROWS_EXCEPTION(Error, exportCsv(*test::purchaseRows(), {0, 7}, file));
    QVERIFY(!QFile::exists(file));
}

QTEST_GUILESS_MAIN(tst_CsvExport)
#include "tst_CsvExport.moc"
