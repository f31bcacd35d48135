#include "Table.h"

#include <QDateTime>
#include <QTest>

using orvane::Table;

Q_DECLARE_METATYPE(Table::Type)

class tst_Table : public QObject
{
    Q_OBJECT

private slots:
    void cells_data();
    void cells();
    void columnTypes_data();
    void columnTypes();
    void declaredType_data();
    void declaredType();
    void typeFromSqlName_data();
    void typeFromSqlName();
    void columnNamesIgnoreCase();
    void repeatedTextIsStoredOnce();
    void memoryStaysCompact();
};

void tst_Table::cells_data()
{
    QTest::addColumn<QVariant>("in");
    QTest::addColumn<Table::Type>("type");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");

    QTest::newRow("null") << QVariant() << Table::Type::Null << QVariant() << "" << 0.0;
    QTest::newRow("typed null") << QVariant(QMetaType::fromType<int>()) << Table::Type::Null << QVariant() << "" << 0.0;
    QTest::newRow("int") << QVariant(42) << Table::Type::Integer << QVariant(qlonglong(42)) << "42" << 42.0;
    QTest::newRow("big integer stays exact")
        << QVariant(qlonglong(9007199254740993)) << Table::Type::Integer << QVariant(qlonglong(9007199254740993))
        << "9007199254740993" << 9007199254740992.0;
    QTest::newRow("decimal") << QVariant(1234.56) << Table::Type::Real << QVariant(1234.56) << "1234.56" << 1234.56;
    QTest::newRow("negative decimal") << QVariant(-0.1) << Table::Type::Real << QVariant(-0.1) << "-0.1" << -0.1;
    QTest::newRow("text") << QVariant(QStringLiteral("O'Brien")) << Table::Type::Text
                          << QVariant(QStringLiteral("O'Brien")) << "O'Brien" << 0.0;
    QTest::newRow("numeric text keeps its number") << QVariant(QStringLiteral(" 12.5")) << Table::Type::Text
                                                   << QVariant(QStringLiteral(" 12.5")) << " 12.5" << 12.5;
    QTest::newRow("empty text is not null") << QVariant(QString(QLatin1String(""))) << Table::Type::Text
                                            << QVariant(QString(QLatin1String(""))) << "" << 0.0;
    QTest::newRow("date") << QVariant(QDate(2024, 2, 29)) << Table::Type::Date << QVariant(QDate(2024, 2, 29))
                          << "2024-02-29" << 0.0;
    QTest::newRow("iso date text as SQLite holds it")
        << QVariant(QStringLiteral("2024-02-29")) << Table::Type::Date << QVariant(QDate(2024, 2, 29)) << "2024-02-29"
        << 0.0;
    QTest::newRow("midnight date-time is a date")
        << QVariant(QDateTime(QDate(2024, 3, 1), QTime(0, 0))) << Table::Type::Date << QVariant(QDate(2024, 3, 1))
        << "2024-03-01" << 0.0;
    QTest::newRow("midnight text is a date")
        << QVariant(QStringLiteral("2024-03-01 00:00:00")) << Table::Type::Date << QVariant(QDate(2024, 3, 1))
        << "2024-03-01" << 0.0;
    QTest::newRow("date-time text")
        << QVariant(QStringLiteral("2024-03-01 13:45:10")) << Table::Type::DateTime
        << QVariant(QDateTime(QDate(2024, 3, 1), QTime(13, 45, 10))) << "2024-03-01 13:45:10" << 0.0;
    QTest::newRow("date-time with milliseconds")
        << QVariant(QDateTime(QDate(2024, 3, 1), QTime(8, 0, 0, 250))) << Table::Type::DateTime
        << QVariant(QDateTime(QDate(2024, 3, 1), QTime(8, 0, 0, 250))) << "2024-03-01 08:00:00.250" << 0.0;
    QTest::newRow("impossible date stays text")
        << QVariant(QStringLiteral("2023-02-29")) << Table::Type::Text << QVariant(QStringLiteral("2023-02-29"))
        << "2023-02-29" << 0.0;
    QTest::newRow("date with text after it stays text")
        << QVariant(QStringLiteral("2023-02-01x")) << Table::Type::Text << QVariant(QStringLiteral("2023-02-01x"))
        << "2023-02-01x" << 0.0;
    QTest::newRow("bool") << QVariant(true) << Table::Type::Bool << QVariant(true) << "1" << 1.0;
}

void tst_Table::cells()
{
    QFETCH(QVariant, in);
    QFETCH(Table::Type, type);
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QFETCH(double, number);

    Table::Builder b({QStringLiteral("x")});
    b.beginRow();
    b.setValue(0, in);
    b.endRow();
    const auto t = b.finish();
    QCOMPARE(t->rowCount(), 1);
    QCOMPARE(t->cellType(0, 0), type);
    QCOMPARE(t->columnType(0), type);
    QCOMPARE(t->isNull(0, 0), type == Table::Type::Null);
    QCOMPARE(t->value(0, 0), value);
    QCOMPARE(t->text(0, 0), text);
    QCOMPARE(t->number(0, 0), number);
}

void tst_Table::columnTypes_data()
{
    QTest::addColumn<QVariantList>("cells");
    QTest::addColumn<Table::Type>("type");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("dates and nulls")
        << QVariantList{QDate(2024, 1, 1), QVariant(), QStringLiteral("2024-01-02")} << Table::Type::Date
        << QStringList{"2024-01-01", "", "2024-01-02"};
    QTest::newRow("whole and decimal numbers")
        << QVariantList{1, 2.5} << Table::Type::Real << QStringList{"1", "2.5"};
    QTest::newRow("whole numbers only") << QVariantList{1, 2} << Table::Type::Integer << QStringList{"1", "2"};
    QTest::newRow("bill numbers that look like dates stay text")
        << QVariantList{QStringLiteral("2024-01-01"), QStringLiteral("B-17")} << Table::Type::Text
        << QStringList{"2024-01-01", "B-17"};
    QTest::newRow("dates with and without time")
        << QVariantList{QStringLiteral("2024-01-01"), QStringLiteral("2024-01-02 10:00:00")} << Table::Type::DateTime
        << QStringList{"2024-01-01 00:00:00", "2024-01-02 10:00:00"};
    QTest::newRow("only nulls") << QVariantList{QVariant(), QVariant()} << Table::Type::Null << QStringList{"", ""};
}

void tst_Table::columnTypes()
{
    QFETCH(QVariantList, cells);
    QFETCH(Table::Type, type);
    QFETCH(QStringList, texts);

    Table::Builder b({QStringLiteral("x")});
    for (const QVariant &v : cells) {
        b.beginRow();
        b.setValue(0, v);
        b.endRow();
    }
    const auto t = b.finish();
    QCOMPARE(t->columnType(0), type);
    QStringList got;
    for (int r = 0; r < t->rowCount(); ++r)
        got << t->text(r, 0);
    QCOMPARE(got, texts);
}

void tst_Table::declaredType_data()
{
    QTest::addColumn<Table::Type>("declared");
    QTest::addColumn<QVariant>("in");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("money stored whole reads as a decimal")
        << Table::Type::Real << QVariant(qlonglong(2)) << QVariant(2.0);
    QTest::newRow("decimal text reads as a number")
        << Table::Type::Real << QVariant(QStringLiteral("1234.56")) << QVariant(1234.56);
    QTest::newRow("whole text in an integer column")
        << Table::Type::Integer << QVariant(QStringLiteral(" 42 ")) << QVariant(qlonglong(42));
    QTest::newRow("fraction text in an integer column")
        << Table::Type::Integer << QVariant(QStringLiteral("2.5")) << QVariant(2.5);
    QTest::newRow("non-number text in a number column stays text")
        << Table::Type::Real << QVariant(QStringLiteral("n/a")) << QVariant(QStringLiteral("n/a"));
    QTest::newRow("date-like text in a text column stays text")
        << Table::Type::Text << QVariant(QStringLiteral("2024-03-01")) << QVariant(QStringLiteral("2024-03-01"));
    QTest::newRow("date text in a date column")
        << Table::Type::Date << QVariant(QStringLiteral("2024-03-01")) << QVariant(QDate(2024, 3, 1));
    QTest::newRow("date text, type unknown")
        << Table::Type::Null << QVariant(QStringLiteral("2024-03-01")) << QVariant(QDate(2024, 3, 1));
}

void tst_Table::declaredType()
{
    QFETCH(Table::Type, declared);
    QFETCH(QVariant, in);
    QFETCH(QVariant, value);
    Table::Builder b({QStringLiteral("x")});
    b.setDeclaredType(0, declared);
    b.beginRow();
    b.setValue(0, in);
    const auto t = b.finish();
    QCOMPARE(t->value(0, 0), value);
}

void tst_Table::typeFromSqlName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Table::Type>("type");

    QTest::newRow("integer") << "INTEGER" << Table::Type::Integer;
    QTest::newRow("decimal") << "DECIMAL(18, 2)" << Table::Type::Real;
    QTest::newRow("numeric lower case") << "numeric(9,4)" << Table::Type::Real;
    QTest::newRow("money") << "money" << Table::Type::Real;
    QTest::newRow("varchar") << "VARCHAR(60)" << Table::Type::Text;
    QTest::newRow("datetime") << "DATETIME" << Table::Type::Date;
    QTest::newRow("date") << "date" << Table::Type::Date;
    QTest::newRow("expression has none") << "" << Table::Type::Null;
    QTest::newRow("blob says nothing") << "BLOB" << Table::Type::Null;
}

void tst_Table::typeFromSqlName()
{
    QFETCH(QString, name);
    QFETCH(Table::Type, type);
    QCOMPARE(Table::Builder::typeFromSqlName(name), type);
}

void tst_Table::columnNamesIgnoreCase()
{
    Table::Builder b({QStringLiteral("CompanyId"), QStringLiteral("CompanyName"), QStringLiteral("companyid"),
                      QStringLiteral("Ma\u00dfe")});
    const auto t = b.finish();
    QCOMPARE(t->columnCount(), 4);
    QCOMPARE(t->columnIndex(QStringLiteral("COMPANYNAME")), 1);
    QCOMPARE(t->columnIndex(QStringLiteral("companyId")), 0);   // the first of two equal names
    QCOMPARE(t->columnIndex(QStringLiteral("MASSE")), -1);        // folding is per character
    QCOMPARE(t->columnIndex(QStringLiteral("ma\u00dfe")), 3);
    QCOMPARE(t->columnIndex(QStringLiteral("Vendor")), -1);
    QCOMPARE(t->columnName(2), QStringLiteral("companyid"));
    QCOMPARE(t->rowCount(), 0);
}

void tst_Table::repeatedTextIsStoredOnce()
{
    Table::Builder few({QStringLiteral("name")});
    Table::Builder many({QStringLiteral("name")});
    for (int r = 0; r < 10000; ++r) {
        few.beginRow();
        few.setValue(0, QStringLiteral("Vendor number %1 of the region").arg(r % 10));
        many.beginRow();
        many.setValue(0, QStringLiteral("Vendor number %1 of the region").arg(r));
    }
    const auto fewTable = few.finish();
    const auto manyTable = many.finish();
    QCOMPARE(fewTable->text(9999, 0), QStringLiteral("Vendor number 9 of the region"));
    QCOMPARE(manyTable->text(9999, 0), QStringLiteral("Vendor number 9999 of the region"));
    // 10 distinct strings cost next to nothing beside 10000 distinct ones.
    QVERIFY2(fewTable->memoryUsage() * 5 < manyTable->memoryUsage(),
             qPrintable(QStringLiteral("%1 vs %2").arg(fewTable->memoryUsage()).arg(manyTable->memoryUsage())));
}

void tst_Table::memoryStaysCompact()
{
    // A purchase-register-like result: 13 columns of numbers, dates and repeated names.
    const int rows = 20000;
    QStringList names;
    for (int c = 0; c < 13; ++c)
        names << QStringLiteral("c%1").arg(c);
    Table::Builder b(names);
    for (int r = 0; r < rows; ++r) {
        b.beginRow();
        b.setValue(0, r);
        b.setValue(1, QDate(2024, 1, 1).addDays(r % 365));
        b.setValue(2, QStringLiteral("Vendor %1").arg(r % 500));
        for (int c = 3; c < 13; ++c)
            b.setValue(c, r * 0.01 + c);
    }
    const auto t = b.finish();
    QCOMPARE(t->number(rows - 1, 0), double(rows - 1));
    QCOMPARE(t->date(rows - 1, 1), QDate(2024, 1, 1).addDays((rows - 1) % 365));
    // 9 bytes a cell plus 500 names; 200k such rows stay far below 80 MB.
    const qint64 perRow = t->memoryUsage() / rows;
    QVERIFY2(perRow <= 13 * 9 + 8, qPrintable(QString::number(perRow)));
}

QTEST_APPLESS_MAIN(tst_Table)
#include "tst_Table.moc"
