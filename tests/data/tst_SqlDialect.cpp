#include "SqlDialect.h"

#include <QTest>

using orvane::SqlDialect;

class tst_SqlDialect : public QObject
{
    Q_OBJECT

private slots:
    void isNullRewrite_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");

        QTest::newRow("mixed case as the product lookup writes it")
            << "Where IsNull(Products.IsBroker,0)=1  " << "Where IFNULL(Products.IsBroker,0)=1  ";
        QTest::newRow("line break before the parenthesis") << "select isnull\n(a, 0)" << "select IFNULL\n(a, 0)";
        QTest::newRow("two calls, one nested")
            << "select isnull(isnull(a,b),0), ISNULL(c,1)" << "select IFNULL(IFNULL(a,b),0), IFNULL(c,1)";
        QTest::newRow("inside a string literal untouched")
            << "select 'ISNULL(x)' as t, isnull(a,0)" << "select 'ISNULL(x)' as t, IFNULL(a,0)";
        QTest::newRow("bracketed name untouched")
            << "select a as [ISNULL(a)], isnull(b,0) as [x]" << "select a as [ISNULL(a)], IFNULL(b,0) as [x]";
        QTest::newRow("double-quoted identifier untouched")
            << "select \"isnull(\" from t" << "select \"isnull(\" from t";
        QTest::newRow("postfix ISNULL operator without call untouched")
            << "select a from t where a ISNULL" << "select a from t where a ISNULL";
        QTest::newRow("column named isnull untouched") << "select t.isnull from t" << "select t.isnull from t";
        QTest::newRow("comment untouched") << "select 1 -- isnull(a)\n" << "select 1 -- isnull(a)\n";
        QTest::newRow("unterminated literal runs to the end")
            << "select 'abc isnull(a" << "select 'abc isnull(a";
    }

    void isNullRewrite()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(SqlDialect::sqliteFromSqlServer(sql), expected);
    }

    void readOnly_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("select with leading comment and blanks") << "  -- head\n /* x */ SELECT 1" << true;
        QTest::newRow("select in parentheses") << "(select 1)" << true;
        QTest::newRow("with recursive, two tables, column list")
            << "WITH RECURSIVE a(x) AS (select 1), b AS (select * from a) SELECT * FROM b" << true;
        QTest::newRow("semicolon inside a literal") << "select 'a;delete from t' as x" << true;
        QTest::newRow("semicolon inside brackets") << "select 1 as [a;b]" << true;

        QTest::newRow("pragma") << "pragma writable_schema=1" << false;
        QTest::newRow("attach") << "attach database 'x' as y" << false;
        QTest::newRow("second statement after comment") << "select 1 /* ; */ ; drop table t" << false;
        QTest::newRow("select into writes a table") << "select * into copy from purchase" << false;
        QTest::newRow("with ending early") << "with a as (select 1)" << false;
        QTest::newRow("empty") << "   " << false;
        QTest::newRow("only a comment") << "-- select" << false;
    }

    void readOnly()
    {
        QFETCH(QString, sql);
        QFETCH(bool, accepted);
        QCOMPARE(SqlDialect::readOnlyProblem(sql).isEmpty(), accepted);
    }
};

QTEST_APPLESS_MAIN(tst_SqlDialect)
#include "tst_SqlDialect.moc"
