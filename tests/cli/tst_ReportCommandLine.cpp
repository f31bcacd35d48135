// The argument parsing of orvane-report, without a database or a process.

#include "ReportCommandLine.h"

#include <QtTest>

using namespace orvane;

namespace {

ReportCommandParse parse(const QStringList &arguments)
{
    ReportCommandLine::Defaults d;
    d.from = QDate(2026, 12, 1);
    d.to = QDate(2026, 12, 6);
    d.demoDatabase = QStringLiteral("demo.sqlite");
    return ReportCommandLine::parse(arguments, d);
}

// Everything the run depends on, on one line, so that a row states it whole.
QString describe(const ReportCommand &c)
{
    const char *formats[] = {"pdf", "csv", "xlsx", "xlsx-report"};
    return QStringLiteral("%1 %2%3 %4..%5 code=%6 no=%7..%8 %9 %10")
        .arg(c.report ? c.report->commandName : QStringLiteral("?"), c.odbc ? QStringLiteral("odbc:") : QString(),
             c.database, c.parameters.from.toString(Qt::ISODate), c.parameters.to.toString(Qt::ISODate),
             c.parameters.code, c.parameters.fromNo, c.parameters.toNo, QLatin1String(formats[int(c.format)]))
        .arg(c.output);
}

} // namespace

class tst_ReportCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void refused_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("error");

        QTest::newRow("nothing") << "" << "no report named";
        QTest::newRow("unknown report") << "purchase -o a.pdf" << "unknown report 'purchase'";
        QTest::newRow("two reports") << "purchase-summary purchase-register -o a.pdf"
                                     << "unexpected argument 'purchase-register'";
        QTest::newRow("unknown option") << "purchase-summary --vendr 1 -o a.pdf" << "unknown option --vendr";
        QTest::newRow("option without value") << "purchase-summary -o" << "-o needs a value";
        QTest::newRow("-o and --output") << "purchase-summary -o a.pdf --output=b.pdf" << "-o is given twice";
        QTest::newRow("no output") << "purchase-summary" << "no output file (-o FILE)";
        QTest::newRow("db and odbc") << "purchase-summary --db x --odbc DSN=y -o a.pdf"
                                     << "--db and --odbc exclude each other";
        QTest::newRow("no such day") << "purchase-summary --to 2024-02-30 -o a.pdf"
                                     << "--to: '2024-02-30' is not a date (YYYY-MM-DD)";
        QTest::newRow("code of another kind") << "purchase-ledger --vendor 5 --product 1 -o a.pdf"
                                              << "purchase-ledger takes --product, not --vendor";
        QTest::newRow("numbers outside the registers") << "purchase-summary --from-no 3 -o a.pdf"
                                                       << "purchase-summary has no --from-no";
        QTest::newRow("unknown format") << "purchase-summary --format doc -o a.pdf"
                                        << "--format: 'doc' is none of pdf, csv, xlsx, xlsx-report";
        QTest::newRow("extension tells nothing") << "purchase-summary -o report.txt"
                                                 << "cannot tell the format of 'report.txt': use --format pdf|csv|xlsx|xlsx-report";
        QTest::newRow("a format name is no extension")
            << "purchase-summary -o report.xlsx-report"
            << "cannot tell the format of 'report.xlsx-report': use --format pdf|csv|xlsx|xlsx-report";
        QTest::newRow("ledger, product of blanks") << "purchase-return-ledger --product \t -o a.csv" << "Enter Product Code.";
        QTest::newRow("product-wise, from default after to") << "product-wise-purchases --to 2026-11-30 -o a.pdf"
                                                             << "From date must be less than or equal to To date";
        QTest::newRow("invoice number with a statement") << "purchase-register --to-no 1;drop -o a.pdf"
                                                         << "To Invoice No must be a whole number.";
        QTest::newRow("any report, From date after To") << "purchase-summary --from 2024-05-01 --to 2024-04-30 -o a.pdf"
                                                        << "From date must be less than or equal to To date";
        QTest::newRow("9 below 10 as numbers, not as text") << "purchase-register --from-no 10 --to-no 9 -o a.pdf"
                                                            << "From Invoice No must be less than or equal to To Invoice No";
        QTest::newRow("returns: leading numbers 40x above 5") << "purchase-return-register --from-no 40x --to-no 5 -o a.pdf"
                                                              << "From Invoice No must be less than or equal to To Invoice No";
        QTest::newRow("ten digits") << "purchase-register --to-no 1234567890 -o a.pdf"
                                    << "To Invoice No takes at most nine digits.";
        QTest::newRow("code with letters") << "purchase-summary --vendor 12abc -o a.pdf"
                                           << "Vendor code must be a whole number: digits only.";
        QTest::newRow("code of two numbers") << "purchase-ledger --product=7\t8 -o a.pdf"
                                             << "Product code must be a whole number: digits only.";
        QTest::newRow("company code with a sign") << "product-wise-purchases --company -1 -o a.pdf"
                                                  << "Company code must be a whole number: digits only.";
    }

    void refused()
    {
        QFETCH(QString, line);
        QFETCH(QString, error);
        const ReportCommandParse result = parse(line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
        QVERIFY(!result.ok);
        QCOMPARE(result.error, error);
    }

    void accepted_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("command");

        QTest::newRow("defaults") << "purchase-summary -o out.pdf"
                                  << "purchase-summary demo.sqlite 2026-12-01..2026-12-06 code= no=.. pdf out.pdf";
        QTest::newRow("everything for a register")
            << "purchase-register --db my.sqlite --from 2024-04-01 --to 2024-04-30 --vendor 007 --from-no 007 "
               "--to-no 120 --format csv -o out.pdf"
            << "purchase-register my.sqlite 2024-04-01..2024-04-30 code=007 no=007..120 csv out.pdf";
        QTest::newRow("equals form, report last")
            << "--product=5 --output=ledger.XLSX --from=2024-04-01 --to=2024-05-01 purchase-ledger"
            << "purchase-ledger demo.sqlite 2024-04-01..2024-05-01 code=5 no=.. xlsx ledger.XLSX";
        QTest::newRow("workbook as printed, asked in any case")
            << "purchase-register --format XLSX-Report -o r.xlsx"
            << "purchase-register demo.sqlite 2026-12-01..2026-12-06 code= no=.. xlsx-report r.xlsx";
        QTest::newRow("odbc, output named with a dash") << "purchase-return-summary --odbc DSN=books -o -r.csv"
            << "purchase-return-summary odbc:DSN=books 2026-12-01..2026-12-06 code= no=.. csv -r.csv";
        QTest::newRow("nine digits") << "purchase-register --from-no 100000 --to-no 123456789 -o r.pdf"
                                     << "purchase-register demo.sqlite 2026-12-01..2026-12-06 code= no=100000..123456789 "
                                        "pdf r.pdf";
        // Codes go to the report as typed, blanks too.
        QTest::newRow("007 and 7 are equal") << "purchase-register --from-no 007 --to-no 7 --vendor \t7 -o r.pdf"
                                             << "purchase-register demo.sqlite 2026-12-01..2026-12-06 code=\t7 no=007..7 pdf r.pdf";
        QTest::newRow("return register takes any number text")
            << "purchase-return-register --from-no abc --to-no 40x -o r.pdf"
            << "purchase-return-register demo.sqlite 2026-12-01..2026-12-06 code= no=abc..40x pdf r.pdf";
    }

    void accepted()
    {
        QFETCH(QString, line);
        QFETCH(QString, command);
        const ReportCommandParse result = parse(line.split(QLatin1Char(' ')));
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(describe(result.command), command);
    }
};

QTEST_GUILESS_MAIN(tst_ReportCommandLine)
#include "tst_ReportCommandLine.moc"
