#include "Criteria.h"
#include "CriteriaParser.h"
#include "Error.h"
#include "LikePattern.h"
#include "Table.h"

#include <QDate>
#include <QTest>

using namespace orvane;

namespace {

// Five companies with a number, a price, a date and a nullable note, as a
// lookup or registry recordset would hold them.
std::shared_ptr<const Table> companies()
{
    Table::Builder b({QStringLiteral("CompanyId"), QStringLiteral("CompanyName"), QStringLiteral("Price"),
                      QStringLiteral("Since"), QStringLiteral("Note"), QStringLiteral("Active")});
    struct Row
    {
        int id;
        const char *name;
        double price;
        QDate since;
        const char *note;
    };
    const Row rows[] = {
        {1, "Abbott Labs", 10.5, QDate(2023, 1, 31), "first"},
        {2, "ABC Traders", 20, QDate(2023, 2, 1), nullptr},
        {3, "\xc3\x89""cole Chimie", 30.25, QDate(2024, 6, 15), "accent"},   // École
        {4, "O'Brien & Sons", 40, QDate(2024, 12, 31), ""},
        {5, "Zeta_Pharma 100%", 50, QDate(2025, 3, 1), "last"},
    };
    for (const Row &r : rows) {
        b.beginRow();
        b.setValue(0, r.id);
        b.setValue(1, QString::fromUtf8(r.name));
        b.setValue(2, r.price);
        b.setValue(3, r.since);
        b.setValue(4, r.note ? QVariant(QString::fromUtf8(r.note)) : QVariant());
        b.setValue(5, r.id % 2 == 1);
        b.endRow();
    }
    return b.finish();
}

} // namespace

class tst_CriteriaParser : public QObject
{
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
    void malformed_data();
    void malformed();
    void unknownColumnIsNamed();
    void parseTree();
    void likePattern_data();
    void likePattern();
    void arbitraryTextNeverCrashes();
};

void tst_CriteriaParser::matches_data()
{
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<QList<int>>("ids");

    QTest::newRow("equal text ignores case") << "companyname='abc traders'" << QList<int>{2};
    QTest::newRow("column name ignores case") << "COMPANYNAME = 'ABC TRADERS'" << QList<int>{2};
    QTest::newRow("company prefix search") << "Companyname like 'AB%'" << QList<int>{1, 2};
    QTest::newRow("prefix search lower case") << "Companyname like 'ab%'" << QList<int>{1, 2};
    QTest::newRow("no match") << "Companyname like 'XY%'" << QList<int>{};
    QTest::newRow("doubled apostrophe in literal") << "CompanyName = 'O''Brien & Sons'" << QList<int>{4};
    QTest::newRow("apostrophe in like pattern") << "CompanyName like 'o''b%'" << QList<int>{4};
    QTest::newRow("accented capital found by small letter") << "CompanyName like '\u00e9cole%'" << QList<int>{3};
    QTest::newRow("accented equal ignores case") << "CompanyName = '\u00e9cole chimie'" << QList<int>{3};
    QTest::newRow("underscore matches one character") << "CompanyName like 'A_C%'" << QList<int>{2};
    QTest::newRow("percent anywhere") << "CompanyName like '%ch%'" << QList<int>{3};
    QTest::newRow("not like") << "CompanyName not like '%a%'" << QList<int>{3, 4};
    QTest::newRow("integer equal") << "CompanyId = 3" << QList<int>{3};
    QTest::newRow("integer as quoted text") << "CompanyId = '3'" << QList<int>{3};
    QTest::newRow("not equal") << "CompanyId <> 3" << QList<int>{1, 2, 4, 5};
    QTest::newRow("bang equal") << "CompanyId != 3" << QList<int>{1, 2, 4, 5};
    QTest::newRow("less") << "CompanyId < 3" << QList<int>{1, 2};
    QTest::newRow("less or equal") << "CompanyId <= 3" << QList<int>{1, 2, 3};
    QTest::newRow("greater") << "CompanyId > 3" << QList<int>{4, 5};
    QTest::newRow("greater or equal") << "CompanyId >= 3" << QList<int>{3, 4, 5};
    QTest::newRow("decimal compare") << "Price > 20.1" << QList<int>{3, 4, 5};
    QTest::newRow("decimal equal") << "Price = 30.25" << QList<int>{3};
    QTest::newRow("negative number") << "Price > -1" << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("exponent") << "Price >= 4e1" << QList<int>{4, 5};
    QTest::newRow("date iso") << "Since >= '2024-01-01'" << QList<int>{3, 4, 5};
    QTest::newRow("date as pickers show it") << "Since = '31/12/2024'" << QList<int>{4};
    QTest::newRow("date compact") << "Since < '20230201'" << QList<int>{1};
    QTest::newRow("text order ignores case") << "CompanyName < 'abd'" << QList<int>{1, 2};
    QTest::newRow("and") << "CompanyId > 1 AND CompanyId < 4" << QList<int>{2, 3};
    QTest::newRow("or") << "CompanyId = 1 or CompanyId = 5" << QList<int>{1, 5};
    QTest::newRow("and binds tighter than or")
        << "CompanyId = 1 OR CompanyId > 3 AND Price < 45" << QList<int>{1, 4};
    QTest::newRow("parentheses") << "(CompanyId = 1 OR CompanyId > 3) AND Price < 45" << QList<int>{1, 4};
    QTest::newRow("not") << "NOT (CompanyId = 1 OR CompanyId = 2)" << QList<int>{3, 4, 5};
    QTest::newRow("null matches no comparison") << "Note <> 'x'" << QList<int>{1, 3, 4, 5};
    QTest::newRow("is null") << "Note IS NULL" << QList<int>{2};
    QTest::newRow("is not null") << "note is not null" << QList<int>{1, 3, 4, 5};
    QTest::newRow("empty text is not null") << "Note = ''" << QList<int>{4};
    QTest::newRow("bracketed column") << "[CompanyName] like 'z%'" << QList<int>{5};
    QTest::newRow("qualified column") << "Companies.CompanyName like 'z%'" << QList<int>{5};
    QTest::newRow("literal percent with escape-free pattern") << "CompanyName like '%100%%'" << QList<int>{5};
    QTest::newRow("blanks around everything") << "  CompanyId   =   2  " << QList<int>{2};
    QTest::newRow("bit column against True") << "Active = 'True'" << QList<int>{1, 3, 5};
    QTest::newRow("bit column against 0") << "Active = 0" << QList<int>{2, 4};
    QTest::newRow("text column against True is text") << "Note = 'true'" << QList<int>{};
    QTest::newRow("keywords as words only") << "CompanyName like 'ABC%' and CompanyId=2" << QList<int>{2};
}

void tst_CriteriaParser::matches()
{
    QFETCH(QString, criteria);
    QFETCH(QList<int>, ids);
    const auto table = companies();
    const Criteria match(criteria, *table);
    QList<int> found;
    for (int r = 0; r < table->rowCount(); ++r) {
        if (match.matches(*table, r))
            found << int(table->number(r, 0));
    }
    QCOMPARE(found, ids);
}

void tst_CriteriaParser::malformed_data()
{
    QTest::addColumn<QString>("criteria");
    QTest::addColumn<QString>("message");

    const QString start = QStringLiteral("The criteria \"%1\" is not understood at position %2: ");
    QTest::newRow("empty") << "" << start.arg("", "1") + "a column name was expected, but the end of the text was found.";
    QTest::newRow("missing value")
        << "registrykey=" << start.arg("registrykey=", "13")
               + "a value ('text' or a number) was expected, but the end of the text was found.";
    QTest::newRow("unclosed apostrophe")
        << "registrykey='companyname" << start.arg("registrykey='companyname", "25")
               + "an apostrophe to close the text that starts at position 13 was expected, but the end of the text "
                 "was found.";
    QTest::newRow("missing operator")
        << "registrykey 'x'" << start.arg("registrykey 'x'", "13")
               + "a comparison (=, <>, <, >, <=, >=, LIKE or IS NULL) was expected, but \"'\" was found.";
    QTest::newRow("unclosed parenthesis")
        << "(CompanyId = 1" << start.arg("(CompanyId = 1", "15")
               + "')' to close the '(' at position 1 was expected, but the end of the text was found.";
    QTest::newRow("dangling and")
        << "CompanyId = 1 AND" << start.arg("CompanyId = 1 AND", "18")
               + "a column name was expected, but the end of the text was found.";
    QTest::newRow("two values")
        << "CompanyId = 1 2" << start.arg("CompanyId = 1 2", "15")
               + "AND, OR or the end of the criteria was expected, but \"2\" was found.";
    QTest::newRow("bare word as value")
        << "CompanyName = abc" << start.arg("CompanyName = abc", "15")
               + "a value ('text' in apostrophes or a number) was expected, but \"abc\" was found.";
    QTest::newRow("number glued to a word")
        << "CompanyId = 12ab" << start.arg("CompanyId = 12ab", "13") + "a number was expected, but \"12ab\" was found.";
    QTest::newRow("is without null")
        << "Note is 'x'" << start.arg("Note is 'x'", "9") + "NULL was expected, but \"'\" was found.";
    QTest::newRow("not without like")
        << "Note not 'x'" << start.arg("Note not 'x'", "10") + "LIKE was expected, but \"'\" was found.";
    QTest::newRow("unclosed bracket")
        << "[CompanyName = 'x'" << start.arg("[CompanyName = 'x'", "19")
               + "']' to close the column name was expected, but the end of the text was found.";
}

void tst_CriteriaParser::malformed()
{
    QFETCH(QString, criteria);
    QFETCH(QString, message);
    try {
        CriteriaParser::parse(criteria);
        QFAIL("malformed criteria were accepted");
    } catch (const Error &e) {
        QCOMPARE(e.description(), message);
        QCOMPARE(e.source(), QStringLiteral("Orvane data"));
    }
}

void tst_CriteriaParser::unknownColumnIsNamed()
{
    const auto table = companies();
    try {
        Criteria("CompanyId = 1 and Vendorname like 'a%'", *table);
        QFAIL("an unknown column was accepted");
    } catch (const Error &e) {
        QCOMPARE(e.description(), QStringLiteral("The criteria \"CompanyId = 1 and Vendorname like 'a%'\" names the "
                                                 "column \"Vendorname\" (position 19), which the result does not "
                                                 "have."));
    }
}

void tst_CriteriaParser::parseTree()
{
    const auto tree = CriteriaParser::parse(QStringLiteral("a = 'x' OR b LIKE 'y%' AND NOT c >= 2.5"));
    QCOMPARE(tree->kind, CriteriaParser::Node::Kind::Or);
    QCOMPARE(tree->left->column, QStringLiteral("a"));
    QCOMPARE(tree->left->literal, QVariant(QStringLiteral("x")));
    QCOMPARE(tree->right->kind, CriteriaParser::Node::Kind::And);
    QCOMPARE(tree->right->left->op, CriteriaParser::Node::Op::Like);
    QCOMPARE(tree->right->right->kind, CriteriaParser::Node::Kind::Not);
    QCOMPARE(tree->right->right->left->op, CriteriaParser::Node::Op::GreaterEqual);
    QCOMPARE(tree->right->right->left->literal, QVariant(2.5));
    QCOMPARE(tree->right->right->left->columnPosition, 32);
}

void tst_CriteriaParser::likePattern_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("escape");
    QTest::addColumn<bool>("match");

    QTest::newRow("exact") << "abc" << "ABC" << "" << true;
    QTest::newRow("exact is whole text") << "abc" << "abcd" << "" << false;
    QTest::newRow("prefix") << "ab%" << "Abbott" << "" << true;
    QTest::newRow("contains") << "%bb%" << "Abbott" << "" << true;
    QTest::newRow("suffix") << "%ott" << "Abbott" << "" << true;
    QTest::newRow("suffix fails") << "%otx" << "Abbott" << "" << false;
    QTest::newRow("back-tracking") << "%a%b%c" << "xaybzacbc" << "" << true;
    QTest::newRow("underscore needs a character") << "ab_" << "ab" << "" << false;
    QTest::newRow("percent matches nothing") << "ab%" << "ab" << "" << true;
    QTest::newRow("empty pattern matches empty only") << "" << "" << "" << true;
    QTest::newRow("empty pattern, text") << "" << "a" << "" << false;
    QTest::newRow("accent folds") << "\u00e9%" << "\u00c9cole" << "" << true;
    QTest::newRow("greek folds") << "\u03c3%" << "\u03a3\u03b9" << "" << true;
    QTest::newRow("accent is not the bare letter") << "e%" << "\u00c9cole" << "" << false;
    QTest::newRow("escaped percent") << "100!%" << "100%" << "!" << true;
    QTest::newRow("escaped percent is literal") << "100!%" << "1000" << "!" << false;
    QTest::newRow("escaped underscore") << "a!_b" << "a_b" << "!" << true;
    QTest::newRow("escaped underscore is literal") << "a!_b" << "axb" << "!" << false;
    QTest::newRow("trailing blanks count") << "ab " << "ab" << "" << false;
}

void tst_CriteriaParser::likePattern()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(QString, escape);
    QFETCH(bool, match);
    QCOMPARE(LikePattern::matches(pattern, text, escape.isEmpty() ? QChar() : escape.at(0)), match);
}

// Text typed into a filter box ends up in criteria: whatever it is, the
// result is a match decision or an Error, never a crash or another exception.
void tst_CriteriaParser::arbitraryTextNeverCrashes()
{
    const auto table = companies();
    const QStringList pieces = {"CompanyName like 'ab%'", "companyid = 3", "Note is not null", " and ", " or ",
                                "not ", "(", ")", "CompanyName", "companyid", "Note", " ", "=", "<", ">", "<>",
                                " like ", "is", "null", "'", "''", "'ab%'", "3", "-", ".", "e", "[", "]",
                                "\u00e9", "_", "%", "Nope", "2.5e"};
    quint32 seed = 7;
    int parsed = 0;
    int refused = 0;
    for (int round = 0; round < 20000; ++round) {
        QString criteria;
        seed = seed * 1664525u + 1013904223u;
        const int count = int((seed >> 24) % 7);
        for (int i = 0; i < count; ++i) {
            seed = seed * 1664525u + 1013904223u;
            criteria += pieces.at(int((seed >> 16) % quint32(pieces.size())));
        }
        try {
            const Criteria match(criteria, *table);
            for (int r = 0; r < table->rowCount(); ++r)
                match.matches(*table, r);
            ++parsed;
        } catch (const Error &e) {
            QVERIFY(!e.description().isEmpty());
            ++refused;
        }
    }
    // Both paths were exercised.
    QVERIFY(parsed > 100);
    QVERIFY(refused > 100);
}

QTEST_APPLESS_MAIN(tst_CriteriaParser)
#include "tst_CriteriaParser.moc"
