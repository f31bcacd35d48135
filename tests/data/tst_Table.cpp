#include "TestTable.h"

#include <QDateTime>
#include <QTest>

using orvane::Table;

Q_DECLARE_METATYPE(Table::Type)

class tst_Table : public QObject
{
    Q_OBJECT

private slots:
    // One cell, in a column whose SQL type is `declared` (Null: none, as for an expression).
    void cells_data()
    {
        QTest::addColumn<Table::Type>("declared");
        QTest::addColumn<QVariant>("in");
        QTest::addColumn<Table::Type>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");

        const auto none = Table::Type::Null;
        QTest::newRow("null") << none << QVariant() << Table::Type::Null << QVariant() << "";
        QTest::newRow("big integer stays exact") << none << QVariant(qlonglong(9007199254740993)) << Table::Type::Integer
                                                 << QVariant(qlonglong(9007199254740993)) << "9007199254740993";
        QTest::newRow("decimal") << none << QVariant(1234.56) << Table::Type::Real << QVariant(1234.56) << "1234.56";
        QTest::newRow("empty text is not null") << none << QVariant(QString(QLatin1String(""))) << Table::Type::Text
                                                << QVariant(QString(QLatin1String(""))) << "";
        QTest::newRow("iso date text as SQLite holds it") << none << QVariant(QStringLiteral("2024-02-29"))
                                                          << Table::Type::Date << QVariant(QDate(2024, 2, 29))
                                                          << "2024-02-29";
        QTest::newRow("midnight text is a date") << none << QVariant(QStringLiteral("2024-03-01 00:00:00"))
                                                 << Table::Type::Date << QVariant(QDate(2024, 3, 1)) << "2024-03-01";
        QTest::newRow("date-time text") << none << QVariant(QStringLiteral("2024-03-01 13:45:10")) << Table::Type::DateTime
                                        << QVariant(QDateTime(QDate(2024, 3, 1), QTime(13, 45, 10)))
                                        << "2024-03-01 13:45:10";
        QTest::newRow("impossible date stays text") << none << QVariant(QStringLiteral("2023-02-29")) << Table::Type::Text
                                                    << QVariant(QStringLiteral("2023-02-29")) << "2023-02-29";
        QTest::newRow("bool") << none << QVariant(true) << Table::Type::Bool << QVariant(true) << "1";
        QTest::newRow("money stored whole reads as a decimal") << Table::Type::Real << QVariant(qlonglong(2))
                                                               << Table::Type::Real << QVariant(2.0) << "2";
        QTest::newRow("decimal text reads as a number") << Table::Type::Real << QVariant(QStringLiteral("1234.56"))
                                                        << Table::Type::Real << QVariant(1234.56) << "1234.56";
        QTest::newRow("non-number text in a number column stays text")
            << Table::Type::Real << QVariant(QStringLiteral("n/a")) << Table::Type::Text << QVariant(QStringLiteral("n/a"))
            << "n/a";
        QTest::newRow("date-like text in a text column stays text")
            << Table::Type::Text << QVariant(QStringLiteral("2024-03-01")) << Table::Type::Text
            << QVariant(QStringLiteral("2024-03-01")) << "2024-03-01";
    }

    void cells()
    {
        QFETCH(Table::Type, declared);
        QFETCH(QVariant, in);
        QFETCH(Table::Type, type);
        QFETCH(QVariant, value);
        QFETCH(QString, text);

        Table::Builder b({QStringLiteral("x")});
        b.setDeclaredType(0, declared);
        b.beginRow();
        b.setValue(0, in);
        b.endRow();
        const auto t = b.finish();
        QCOMPARE(t->rowCount(), 1);
        QCOMPARE(t->cellType(0, 0), type);
        QCOMPARE(t->isNull(0, 0), type == Table::Type::Null);
        QCOMPARE(t->value(0, 0), value);
        QCOMPARE(t->text(0, 0), text);
    }

    void columnTypes_data()
    {
        QTest::addColumn<QVariantList>("cells");
        QTest::addColumn<Table::Type>("type");
        QTest::addColumn<QStringList>("texts");

        QTest::newRow("dates and nulls")
            << QVariantList{QDate(2024, 1, 1), QVariant(), QStringLiteral("2024-01-02")} << Table::Type::Date
            << QStringList{"2024-01-01", "", "2024-01-02"};
        QTest::newRow("whole and decimal numbers")
            << QVariantList{1, 2.5} << Table::Type::Real << QStringList{"1", "2.5"};
        QTest::newRow("bill numbers that look like dates stay text")
            << QVariantList{QStringLiteral("2024-01-01"), QStringLiteral("B-17")} << Table::Type::Text
            << QStringList{"2024-01-01", "B-17"};
        QTest::newRow("dates with and without time")
            << QVariantList{QStringLiteral("2024-01-01"), QStringLiteral("2024-01-02 10:00:00")} << Table::Type::DateTime
            << QStringList{"2024-01-01 00:00:00", "2024-01-02 10:00:00"};
    }

    void columnTypes()
    {
        QFETCH(QVariantList, cells);
        QFETCH(Table::Type, type);
        QFETCH(QStringList, texts);

        const auto t = orvane::test::tableOf({QStringLiteral("x")}, int(cells.size()), [&](int r) { return QVariantList{cells[r]}; });
        QCOMPARE(t->columnType(0), type);
        QStringList got;
        for (int r = 0; r < t->rowCount(); ++r)
            got << t->text(r, 0);
        QCOMPARE(got, texts);
    }
};

QTEST_APPLESS_MAIN(tst_Table)
#include "tst_Table.moc"
