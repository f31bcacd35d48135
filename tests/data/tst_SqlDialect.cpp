#include "SqlDialect.h"

#include <QTest>

using orvane::SqlDialect;

class tst_SqlDialect : public QObject
{
    Q_OBJECT

private slots:
    void isNullRewrite_data();
    void isNullRewrite();
    void readOnly_data();
    void readOnly();
    void refusalSaysWhy();
    void withoutTerminator_data();
    void withoutTerminator();
    void rewriteNeverChangesLength();
};

void tst_SqlDialect::isNullRewrite_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");

    QTest::newRow("upper case") << "select ISNULL(a,0) from t" << "select IFNULL(a,0) from t";
    QTest::newRow("mixed case as the product lookup writes it")
        << "Where IsNull(Products.IsBroker,0)=1  " << "Where IFNULL(Products.IsBroker,0)=1  ";
    QTest::newRow("blank before the parenthesis") << "select isnull  (a, 0)" << "select IFNULL  (a, 0)";
    QTest::newRow("line break before the parenthesis") << "select isnull\n(a, 0)" << "select IFNULL\n(a, 0)";
    QTest::newRow("two calls, one nested")
        << "select isnull(isnull(a,b),0), ISNULL(c,1)" << "select IFNULL(IFNULL(a,b),0), IFNULL(c,1)";
    QTest::newRow("inside a string literal untouched")
        << "select 'ISNULL(x)' as t, isnull(a,0)" << "select 'ISNULL(x)' as t, IFNULL(a,0)";
    QTest::newRow("literal with doubled apostrophe")
        << "select 'it''s ISNULL(' , isnull(a,0)" << "select 'it''s ISNULL(' , IFNULL(a,0)";
    QTest::newRow("bracketed name untouched")
        << "select a as [ISNULL(a)], isnull(b,0) as [x]" << "select a as [ISNULL(a)], IFNULL(b,0) as [x]";
    QTest::newRow("double-quoted identifier untouched")
        << "select \"isnull(\" from t" << "select \"isnull(\" from t";
    QTest::newRow("postfix ISNULL operator without call untouched")
        << "select a from t where a ISNULL" << "select a from t where a ISNULL";
    QTest::newRow("longer word untouched") << "select myisnull(a), isnullx(a)" << "select myisnull(a), isnullx(a)";
    QTest::newRow("column named isnull untouched") << "select t.isnull from t" << "select t.isnull from t";
    QTest::newRow("comment untouched") << "select 1 -- isnull(a)\n" << "select 1 -- isnull(a)\n";
    QTest::newRow("unterminated literal runs to the end")
        << "select 'abc isnull(a" << "select 'abc isnull(a";
    QTest::newRow("no call at all") << "select * from purchase" << "select * from purchase";
}

void tst_SqlDialect::isNullRewrite()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    QCOMPARE(SqlDialect::sqliteFromSqlServer(sql), expected);
}

void tst_SqlDialect::readOnly_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("select") << "select * from purchase" << true;
    QTest::newRow("select with trailing semicolon") << "select 1;" << true;
    QTest::newRow("select with leading comment and blanks") << "  -- head\n /* x */ SELECT 1" << true;
    QTest::newRow("select in parentheses") << "(select 1)" << true;
    QTest::newRow("with select") << "with a as (select 1 as x) select x from a" << true;
    QTest::newRow("with recursive, two tables, column list")
        << "WITH RECURSIVE a(x) AS (select 1), b AS (select * from a) SELECT * FROM b" << true;
    QTest::newRow("semicolon inside a literal") << "select 'a;delete from t' as x" << true;
    QTest::newRow("delete word inside a literal") << "select 'delete' from t" << true;
    QTest::newRow("semicolon inside brackets") << "select 1 as [a;b]" << true;

    QTest::newRow("delete") << "delete from purchase" << false;
    QTest::newRow("insert") << "INSERT INTO t VALUES (1)" << false;
    QTest::newRow("update") << "update t set a=1" << false;
    QTest::newRow("drop") << "drop table purchase" << false;
    QTest::newRow("pragma") << "pragma writable_schema=1" << false;
    QTest::newRow("attach") << "attach database 'x' as y" << false;
    QTest::newRow("second statement") << "select 1; delete from t" << false;
    QTest::newRow("second statement after comment") << "select 1 /* ; */ ; drop table t" << false;
    QTest::newRow("select into writes a table") << "select * into copy from purchase" << false;
    QTest::newRow("with delete") << "with a as (select 1) delete from t" << false;
    QTest::newRow("with ending early") << "with a as (select 1)" << false;
    QTest::newRow("empty") << "   " << false;
    QTest::newRow("only a comment") << "-- select" << false;
    QTest::newRow("only semicolons") << ";" << false;
}

void tst_SqlDialect::readOnly()
{
    QFETCH(QString, sql);
    QFETCH(bool, accepted);
    const QString problem = SqlDialect::readOnlyProblem(sql);
    QCOMPARE(problem.isEmpty(), accepted);
}

void tst_SqlDialect::refusalSaysWhy()
{
    QCOMPARE(SqlDialect::readOnlyProblem(QStringLiteral("delete from t")),
             QStringLiteral("The reports only read data: only a SELECT statement can be run, not one that begins "
                            "with \"delete\"."));
    QCOMPARE(SqlDialect::readOnlyProblem(QStringLiteral("select 1; drop table t")),
             QStringLiteral("Only one statement can be run at a time: more text follows the ';' at position 9."));
    QCOMPARE(SqlDialect::readOnlyProblem(QString()), QStringLiteral("The statement is empty."));
}

void tst_SqlDialect::withoutTerminator_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << "select 1" << "select 1";
    QTest::newRow("one") << "select 1;" << "select 1";
    QTest::newRow("several and a comment") << "select 1 ;; -- done" << "select 1 ";
    QTest::newRow("inside a literal kept") << "select ';' as a;" << "select ';' as a";
    QTest::newRow("inside brackets kept") << "select 1 as [a;b]" << "select 1 as [a;b]";
    QTest::newRow("inside a comment kept") << "select 1 /* ; */" << "select 1 /* ; */";
}

void tst_SqlDialect::withoutTerminator()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    QCOMPARE(SqlDialect::withoutTerminator(sql), expected);
}

// Arbitrary text must never crash the lexer, and the rewrite changes only
// the six letters of each call it renames.
void tst_SqlDialect::rewriteNeverChangesLength()
{
    const QString alphabet = QStringLiteral("isnulISNUL( )'\"[]-/*;\nx");
    quint32 seed = 12345;
    for (int round = 0; round < 5000; ++round) {
        QString sql;
        const int length = int(seed % 40);
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            sql += alphabet.at(int((seed >> 16) % quint32(alphabet.size())));
        }
        seed = seed * 1103515245u + 12345u;
        const QString out = SqlDialect::sqliteFromSqlServer(sql);
        QCOMPARE(out.size(), sql.size());
        QCOMPARE(out.toUpper().replace(QLatin1String("IFNULL"), QLatin1String("ISNULL")), sql.toUpper());
        SqlDialect::readOnlyProblem(sql);
    }
}

QTEST_APPLESS_MAIN(tst_SqlDialect)
#include "tst_SqlDialect.moc"
