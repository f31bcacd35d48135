// The argument parsing of orvane-report, without a database or a process.

#include "ReportCommandLine.h"

#include <QtTest>

using namespace orvane;

namespace {

ReportCommandLine::Defaults defaults()
{
    ReportCommandLine::Defaults d;
    d.from = QDate(2026, 12, 1);
    d.to = QDate(2026, 12, 6);
    d.demoDatabase = QStringLiteral("demo/orvane-demo.sqlite");
    return d;
}

ReportCommandParse parse(const QString &line)
{
    return ReportCommandLine::parse(line.split(QLatin1Char(' '), Qt::SkipEmptyParts), defaults());
}

} // namespace

class tst_ReportCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void refused_data();
    void refused();
    void accepted_data();
    void accepted();
    void valuesKeepBlanksAndDashes();
    void helpNeedsNothingElse();
};

void tst_ReportCommandLine::refused_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("error");

    QTest::newRow("nothing") << "" << "no report named";
    QTest::newRow("unknown report") << "purchase -o a.pdf" << "unknown report 'purchase'";
    QTest::newRow("two reports") << "purchase-summary purchase-register -o a.pdf"
                                 << "unexpected argument 'purchase-register'";
    QTest::newRow("unknown option") << "purchase-summary --vendr 1 -o a.pdf" << "unknown option --vendr";
    QTest::newRow("option without value") << "purchase-summary -o" << "-o needs a value";
    QTest::newRow("option twice") << "purchase-summary --from 2024-01-01 --from 2024-02-01 -o a.pdf"
                                  << "--from is given twice";
    QTest::newRow("-o and --output") << "purchase-summary -o a.pdf --output=b.pdf" << "-o is given twice";
    QTest::newRow("no output") << "purchase-summary" << "no output file (-o FILE)";
    QTest::newRow("db and odbc") << "purchase-summary --db x --odbc DSN=y -o a.pdf"
                                 << "--db and --odbc exclude each other";
    QTest::newRow("date in another form") << "purchase-summary --from 01/04/2024 -o a.pdf"
                                          << "--from: '01/04/2024' is not a date (YYYY-MM-DD)";
    QTest::newRow("no such day") << "purchase-summary --to 2024-02-30 -o a.pdf"
                                 << "--to: '2024-02-30' is not a date (YYYY-MM-DD)";
    QTest::newRow("product for a vendor report") << "purchase-summary --product 5 -o a.pdf"
                                                 << "purchase-summary takes --vendor, not --product";
    QTest::newRow("vendor for a ledger") << "purchase-ledger --vendor 5 --product 1 -o a.pdf"
                                         << "purchase-ledger takes --product, not --vendor";
    QTest::newRow("vendor for product-wise") << "product-wise-purchases --vendor 5 -o a.pdf"
                                             << "product-wise-purchases takes --company, not --vendor";
    QTest::newRow("numbers outside the registers") << "purchase-summary --from-no 3 -o a.pdf"
                                                   << "purchase-summary has no --from-no";
    QTest::newRow("unknown format") << "purchase-summary --format doc -o a.pdf"
                                    << "--format: 'doc' is none of pdf, csv, xlsx";
    QTest::newRow("extension tells nothing") << "purchase-summary -o report.txt"
                                             << "cannot tell the format of 'report.txt': use --format pdf|csv|xlsx";
    QTest::newRow("no extension") << "purchase-summary -o out.d/report"
                                  << "cannot tell the format of 'out.d/report': use --format pdf|csv|xlsx";
    QTest::newRow("ledger without product") << "purchase-ledger -o a.pdf" << "Enter Product Code.";
    QTest::newRow("return ledger without product") << "purchase-return-ledger -o a.csv" << "Enter Product Code.";
    QTest::newRow("product-wise reversed dates")
        << "product-wise-purchases --from 2024-04-02 --to 2024-04-01 -o a.pdf"
        << "From date must be less than or equal to To date";
    QTest::newRow("product-wise from default after to") << "product-wise-purchases --to 2026-11-30 -o a.pdf"
                                                        << "From date must be less than or equal to To date";
    QTest::newRow("invoice number with letters") << "purchase-register --from-no 12a -o a.pdf"
                                                 << "From Invoice No must be a whole number.";
    QTest::newRow("invoice number with a statement") << "purchase-register --to-no 1;drop -o a.pdf"
                                                     << "To Invoice No must be a whole number.";
}

void tst_ReportCommandLine::refused()
{
    QFETCH(QString, line);
    QFETCH(QString, error);
    const ReportCommandParse result = parse(line);
    QVERIFY(!result.ok);
    QCOMPARE(result.error, error);
}

void tst_ReportCommandLine::accepted_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("database");
    QTest::addColumn<bool>("odbc");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("fromNo");
    QTest::addColumn<QString>("toNo");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("output");

    const QDate dFrom(2026, 12, 1), dTo(2026, 12, 6);
    const QString demo = QStringLiteral("demo/orvane-demo.sqlite");
    QTest::newRow("defaults") << "purchase-summary -o out.pdf" << "purchase-summary" << demo << false << dFrom
                              << dTo << "" << "" << "" << int(OutputFormat::Pdf) << "out.pdf";
    QTest::newRow("everything for a register")
        << "purchase-register --db my.sqlite --from 2024-04-01 --to 2024-04-30 --vendor 007 --from-no 007 "
           "--to-no 120 --format csv -o out.pdf"
        << "purchase-register" << "my.sqlite" << false << QDate(2024, 4, 1) << QDate(2024, 4, 30) << "007"
        << "007" << "120" << int(OutputFormat::Csv) << "out.pdf";
    QTest::newRow("equals form, report last") << "--product=5 --output=ledger.XLSX --to=2024-05-01 purchase-ledger"
                                              << "purchase-ledger" << demo << false << dFrom << QDate(2024, 5, 1)
                                              << "5" << "" << "" << int(OutputFormat::Xlsx) << "ledger.XLSX";
    QTest::newRow("odbc") << "purchase-return-summary --odbc DSN=books -o r.csv" << "purchase-return-summary"
                          << "DSN=books" << true << dFrom << dTo << "" << "" << "" << int(OutputFormat::Csv)
                          << "r.csv";
    QTest::newRow("return register takes any number text")
        << "purchase-return-register --from-no abc --to-no 40x -o r.pdf" << "purchase-return-register" << demo
        << false << dFrom << dTo << "" << "abc" << "40x" << int(OutputFormat::Pdf) << "r.pdf";
    QTest::newRow("product-wise, equal dates, company")
        << "product-wise-purchases --from 2024-04-01 --to 2024-04-01 --company 12 -o p.pdf"
        << "product-wise-purchases" << demo << false << QDate(2024, 4, 1) << QDate(2024, 4, 1) << "12" << ""
        << "" << int(OutputFormat::Pdf) << "p.pdf";
    QTest::newRow("reversed dates elsewhere find no rows later")
        << "purchase-summary --from 2024-04-02 --to 2024-04-01 -o a.pdf" << "purchase-summary" << demo << false
        << QDate(2024, 4, 2) << QDate(2024, 4, 1) << "" << "" << "" << int(OutputFormat::Pdf) << "a.pdf";
}

void tst_ReportCommandLine::accepted()
{
    QFETCH(QString, line);
    QFETCH(QString, report);
    QFETCH(QString, database);
    QFETCH(bool, odbc);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, code);
    QFETCH(QString, fromNo);
    QFETCH(QString, toNo);
    QFETCH(int, format);
    QFETCH(QString, output);

    const ReportCommandParse result = parse(line);
    QVERIFY2(result.ok, qPrintable(result.error));
    const ReportCommand &c = result.command;
    QVERIFY(c.report);
    QCOMPARE(c.report->commandName, report);
    QCOMPARE(c.database, database);
    QCOMPARE(c.odbc, odbc);
    QCOMPARE(c.parameters.from, from);
    QCOMPARE(c.parameters.to, to);
    QCOMPARE(c.parameters.code, code);
    QCOMPARE(c.parameters.fromNo, fromNo);
    QCOMPARE(c.parameters.toNo, toNo);
    QCOMPARE(int(c.format), format);
    QCOMPARE(c.output, output);
    QVERIFY(!c.quiet);
}

void tst_ReportCommandLine::valuesKeepBlanksAndDashes()
{
    // Codes go to the report as typed: blanks and a leading dash stay.
    const QStringList args = {QStringLiteral("purchase-ledger"), QStringLiteral("--product"), QStringLiteral(" 5 "),
                              QStringLiteral("-o"), QStringLiteral("-dash.csv"), QStringLiteral("--quiet")};
    const ReportCommandParse result = ReportCommandLine::parse(args, defaults());
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.command.parameters.code, QStringLiteral(" 5 "));
    QCOMPARE(result.command.output, QStringLiteral("-dash.csv"));
    QVERIFY(result.command.quiet);

    const QStringList blanks = {QStringLiteral("purchase-return-ledger"), QStringLiteral("--product"),
                                QStringLiteral("   "), QStringLiteral("-o"), QStringLiteral("a.pdf")};
    QCOMPARE(ReportCommandLine::parse(blanks, defaults()).error, QStringLiteral("Enter Product Code."));
}

void tst_ReportCommandLine::helpNeedsNothingElse()
{
    const ReportCommandParse result = parse(QStringLiteral("--help"));
    QVERIFY(result.ok);
    QVERIFY(result.command.help);
    for (const ReportDefinition &d : reportDefinitions())
        QVERIFY2(ReportCommandLine::helpText().contains(d.commandName), qPrintable(d.commandName));
    QVERIFY(ReportCommandLine::usageLine().startsWith(QStringLiteral("usage: orvane-report REPORT")));
}

QTEST_GUILESS_MAIN(tst_ReportCommandLine)
#include "tst_ReportCommandLine.moc"
