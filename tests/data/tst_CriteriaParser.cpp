#include "Criteria.h"
#include "CaughtError.h"
#include "Error.h"
#include "LikePattern.h"
#include "TestTable.h"

#include <QDate>
#include <QTest>

using namespace orvane;

namespace {

// Five companies with a number, a price, a date, a nullable note and a bit,
// as a lookup or registry recordset would hold them.
std::shared_ptr<const Table> companies()
{
    return test::tableOf({"CompanyId", "CompanyName", "Price", "Since", "Note", "Active"},
                         {{1, "Abbott Labs", 10.5, QDate(2023, 1, 31), "first", true},
                          {2, "ABC Traders", 20, QDate(2023, 2, 1), QVariant(), false},
                          {3, "\u00c9cole Chimie", 30.25, QDate(2024, 6, 15), "accent", true},
                          {4, "O'Brien & Sons", 40, QDate(2024, 12, 31), "", false},
                          {5, "Zeta_Pharma 100%", 50, QDate(2025, 3, 1), "last", true}});
}

} // namespace

class tst_CriteriaParser : public QObject
{
    Q_OBJECT

private slots:
    void matches_data()
    {
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<QList<int>>("ids");

        QTest::newRow("equal text ignores case") << "companyname='abc traders'" << QList<int>{2};
        QTest::newRow("company prefix search") << "Companyname like 'AB%'" << QList<int>{1, 2};
        QTest::newRow("doubled apostrophe in literal") << "CompanyName = 'O''Brien & Sons'" << QList<int>{4};
        QTest::newRow("like ignores accents") << "CompanyName like 'ecole%'" << QList<int>{3};
        QTest::newRow("equality keeps accents") << "CompanyName = 'ecole chimie'" << QList<int>{};
        QTest::newRow("underscore matches one character") << "CompanyName like 'A_C%'" << QList<int>{2};
        QTest::newRow("not like") << "CompanyName not like '%a%'" << QList<int>{3, 4};
        QTest::newRow("integer as quoted text") << "CompanyId = '3'" << QList<int>{3};
        QTest::newRow("not equal") << "CompanyId <> 3" << QList<int>{1, 2, 4, 5};
        QTest::newRow("decimal compare") << "Price > 20.1" << QList<int>{3, 4, 5};
        QTest::newRow("date iso") << "Since >= '2024-01-01'" << QList<int>{3, 4, 5};
        QTest::newRow("date as pickers show it") << "Since = '31/12/2024'" << QList<int>{4};
        QTest::newRow("text order ignores case") << "CompanyName < 'abd'" << QList<int>{1, 2};
        QTest::newRow("and binds tighter than or")
            << "CompanyId = 1 OR CompanyId > 3 AND Price < 45" << QList<int>{1, 4};
        QTest::newRow("parentheses") << "(CompanyId = 1 OR CompanyId > 3) AND Price < 45" << QList<int>{1, 4};
        QTest::newRow("not") << "NOT (CompanyId = 1 OR CompanyId = 2)" << QList<int>{3, 4, 5};
        QTest::newRow("null matches no comparison") << "Note <> 'x'" << QList<int>{1, 3, 4, 5};
        QTest::newRow("is null") << "Note IS NULL" << QList<int>{2};
        QTest::newRow("empty text is not null") << "Note = ''" << QList<int>{4};
        QTest::newRow("bracketed column") << "[CompanyName] like 'z%'" << QList<int>{5};
        QTest::newRow("literal percent with escape-free pattern") << "CompanyName like '%100%%'" << QList<int>{5};
        QTest::newRow("bit column against True") << "Active = 'True'" << QList<int>{1, 3, 5};
        QTest::newRow("text column against True is text") << "Note = 'true'" << QList<int>{};
    }

    void matches()
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

    void malformed_data()
    {
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<QString>("message");

        const auto at = [](const char *criteria, int position, const char *problem) {
            return QStringLiteral("Orvane data: The criteria \"%1\" is not understood at position %2: %3")
                .arg(QString::fromUtf8(criteria)).arg(position).arg(QString::fromUtf8(problem));
        };
        const char *end = "was expected, but the end of the text was found.";
        QTest::newRow("empty") << "" << at("", 1, "a column name was expected, but the end of the text was found.");
        QTest::newRow("missing value") << "registrykey=" << at("registrykey=", 13, "a value ('text' or a number) ")
                                                               + end;
        QTest::newRow("unclosed apostrophe")
            << "registrykey='companyname"
            << at("registrykey='companyname", 25, "an apostrophe to close the text that starts at position 13 ") + end;
        QTest::newRow("missing operator")
            << "registrykey 'x'"
            << at("registrykey 'x'", 13, "a comparison (=, <>, <, >, <=, >=, LIKE or IS NULL) was expected, but \"'\" was "
                                         "found.");
        QTest::newRow("unclosed parenthesis") << "(CompanyId = 1"
                                              << at("(CompanyId = 1", 15, "')' to close the '(' at position 1 ") + end;
        QTest::newRow("dangling and") << "CompanyId = 1 AND" << at("CompanyId = 1 AND", 18, "a column name ") + end;
        QTest::newRow("two values")
            << "CompanyId = 1 2"
            << at("CompanyId = 1 2", 15, "AND, OR or the end of the criteria was expected, but \"2\" was found.");
        QTest::newRow("bare word as value")
            << "CompanyName = abc"
            << at("CompanyName = abc", 15, "a value ('text' in apostrophes or a number) was expected, but \"abc\" was "
                                           "found.");
        QTest::newRow("number glued to a word")
            << "CompanyId = 12ab" << at("CompanyId = 12ab", 13, "a number was expected, but \"12ab\" was found.");
        QTest::newRow("is without null") << "Note is 'x'" << at("Note is 'x'", 9, "NULL was expected, but \"'\" was found.");
        QTest::newRow("unclosed bracket")
            << "[CompanyName = 'x'" << at("[CompanyName = 'x'", 19, "']' to close the column name ") + end;
        QTest::newRow("unknown column")
            << "CompanyId = 1 and Vendorname like 'a%'"
            << "Orvane data: The criteria \"CompanyId = 1 and Vendorname like 'a%'\" names the column \"Vendorname\" "
               "(position 19), which the result does not have.";
    }

    void malformed()
    {
        QFETCH(QString, criteria);
        QFETCH(QString, message);
        const auto table = companies();
        QCOMPARE(test::errorOf([&] { Criteria(criteria, *table); }), message);
    }

    void likePattern_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("escape");
        QTest::addColumn<bool>("accents");   // Folding::CaseAndAccents
        QTest::addColumn<bool>("match");

        QTest::newRow("exact is whole text") << "abc" << "abcd" << "" << false << false;
        QTest::newRow("back-tracking") << "%a%b%c" << "xaybzacbc" << "" << false << true;
        QTest::newRow("underscore needs a character") << "ab_" << "ab" << "" << false << false;
        QTest::newRow("percent matches nothing") << "ab%" << "ab" << "" << false << true;
        QTest::newRow("greek folds") << "\u03c3%" << "\u03a3\u03b9" << "" << false << true;
        QTest::newRow("accent is not the bare letter") << "e%" << "\u00c9cole" << "" << false << false;
        QTest::newRow("escaped percent is literal") << "100!%" << "1000" << "!" << false << false;
        QTest::newRow("escaped underscore") << "a!_b" << "a_b" << "!" << false << true;
        QTest::newRow("trailing blanks count") << "ab " << "ab" << "" << false << false;

        QTest::newRow("accents: bare letter finds accented") << "%zoe%" << "Zo\u00eb's Mills" << "" << true << true;
        QTest::newRow("accents: accented finds bare") << "CAF\u00c9%" << "cafe" << "" << true << true;
        QTest::newRow("accents: precomposed finds combining")
            << "%\u00f1and\u00fa" << "Cafe\u0301 N\u0303andu\u0301" << "" << true << true;
        QTest::newRow("accents: combining finds precomposed") << "zoe\u0308%" << "Zo\u00eb" << "" << true << true;
        QTest::newRow("accents: underscore is one accented letter")
            << "caf_ %" << "Cafe\u0301 Noir" << "" << true << true;
        QTest::newRow("accents: stroked letters") << "bjorn lodz" << "Bj\u00f8rn \u0141\u00f3d\u017a" << ""
                                                  << true << true;
        QTest::newRow("accents: other letters stay apart") << "zoa%" << "Zo\u00eb" << "" << true << false;
        QTest::newRow("accents: Arabic vowel signs kept")
            << "\u0645\u062d\u0645\u062f" << "\u0645\u064f\u062d\u0645\u062f" << "" << true << false;
        QTest::newRow("accents: escaped accented letter") << "!\u00e9%" << "Ecole" << "!" << true << true;
        QTest::newRow("accents: full-width percent is no pattern sign") << "100\uff05" << "1000" << "" << true << false;
        QTest::newRow("accents: full-width percent is a percent") << "100\uff05" << "100%" << "" << true << true;
    }

    void likePattern()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(QString, escape);
        QFETCH(bool, accents);
        QFETCH(bool, match);
        const auto folding = accents ? LikePattern::Folding::CaseAndAccents : LikePattern::Folding::Case;
        QCOMPARE(LikePattern::matches(pattern, text, escape.isEmpty() ? QChar() : escape.at(0), folding), match);
    }
};

QTEST_APPLESS_MAIN(tst_CriteriaParser)
#include "tst_CriteriaParser.moc"
