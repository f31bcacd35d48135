#include "ReportCommandLine.h"


#include <QHash>
#include <QRegularExpression>

namespace orvane {

namespace {

// Options that take a value; each may be given once.
const QStringList ValueOptions = {
    QStringLiteral("--db"),      QStringLiteral("--odbc"),    QStringLiteral("--from"),
    QStringLiteral("--to"),      QStringLiteral("--vendor"),  QStringLiteral("--product"),
    QStringLiteral("--company"), QStringLiteral("--from-no"), QStringLiteral("--to-no"),
    QStringLiteral("--format"),  QStringLiteral("-o"),        QStringLiteral("--output"),
};

QString codeOption(CodeKind kind)
{
    switch (kind) {
    case CodeKind::Vendor:
        return QStringLiteral("--vendor");
    case CodeKind::Product:
        return QStringLiteral("--product");
    case CodeKind::Company:
        return QStringLiteral("--company");
    }
    return QString();
}

bool isRegister(ReportKind kind)
{
    return kind == ReportKind::PurchaseRegisterInvoiceWise || kind == ReportKind::PurchaseReturnRegister;
}

// Strictly YYYY-MM-DD and a real day.
bool parseDate(const QString &text, QDate *day)
{
    static const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!shape.match(text).hasMatch())
        return false;
    *day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    return day->isValid();
}

bool formatFromName(const QString &name, OutputFormat *format)
{
    const QString lower = name.toLower();
    if (lower == QLatin1String("pdf"))
        *format = OutputFormat::Pdf;
    else if (lower == QLatin1String("csv"))
        *format = OutputFormat::Csv;
    else if (lower == QLatin1String("xlsx"))
        *format = OutputFormat::Xlsx;
    else
        return false;
    return true;
}

ReportCommandParse refuse(const QString &message)
{
    ReportCommandParse result;
    result.error = message;
    return result;
}

} // namespace

ReportCommandParse ReportCommandLine::parse(const QStringList &arguments, const Defaults &defaults)
{
    QHash<QString, QString> values;
    QStringList positional;
    bool quiet = false;
    bool help = false;
    bool optionsEnded = false;

    for (int i = 0; i < arguments.size(); ++i) {
        const QString arg = arguments.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (arg == QLatin1String("--quiet") || arg == QLatin1String("-q")) {
            quiet = true;
            continue;
        }
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            help = true;
            continue;
        }
        QString name = arg;
        QString value;
        bool hasValue = false;
        const int eq = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && eq > 2) {
            name = arg.left(eq);
            value = arg.mid(eq + 1);
            hasValue = true;
        }
        if (!ValueOptions.contains(name))
            return refuse(QStringLiteral("unknown option %1").arg(name));
        if (!hasValue) {
            if (i + 1 >= arguments.size())
                return refuse(QStringLiteral("%1 needs a value").arg(name));
            value = arguments.at(++i);
        }
        if (name == QLatin1String("--output"))
            name = QStringLiteral("-o");
        if (values.contains(name))
            return refuse(QStringLiteral("%1 is given twice").arg(name));
        values.insert(name, value);
    }

    ReportCommandParse result;
    ReportCommand &command = result.command;
    command.quiet = quiet;
    if (help) {
        command.help = true;
        result.ok = true;
        return result;
    }

    if (positional.isEmpty())
        return refuse(QStringLiteral("no report named"));
    if (positional.size() > 1)
        return refuse(QStringLiteral("unexpected argument '%1'").arg(positional.at(1)));
    command.report = findReportByCommandName(positional.first());
    if (!command.report)
        return refuse(QStringLiteral("unknown report '%1'").arg(positional.first()));
    const ReportDefinition &report = *command.report;

    // Where the rows come from.
    if (values.contains(QStringLiteral("--db")) && values.contains(QStringLiteral("--odbc")))
        return refuse(QStringLiteral("--db and --odbc exclude each other"));
    if (values.contains(QStringLiteral("--odbc"))) {
        command.odbc = true;
        command.database = values.value(QStringLiteral("--odbc"));
        if (command.database.trimmed().isEmpty())
            return refuse(QStringLiteral("--odbc needs a connection string"));
    } else {
        command.database = values.value(QStringLiteral("--db"), defaults.demoDatabase);
        if (command.database.isEmpty())
            return refuse(QStringLiteral("--db needs a file name"));
    }

    // The date range.
    ReportParameters &p = command.parameters;
    p.from = defaults.from;
    p.to = defaults.to;
    for (const QString &option : {QStringLiteral("--from"), QStringLiteral("--to")}) {
        if (!values.contains(option))
            continue;
        QDate day;
        if (!parseDate(values.value(option), &day))
            return refuse(QStringLiteral("%1: '%2' is not a date (YYYY-MM-DD)").arg(option, values.value(option)));
        (option == QLatin1String("--from") ? p.from : p.to) = day;
    }

    // The code: only the kind the report's window asks for.
    const QString wanted = codeOption(report.codeKind);
    for (const QString &option : {QStringLiteral("--vendor"), QStringLiteral("--product"), QStringLiteral("--company")}) {
        if (values.contains(option) && option != wanted)
            return refuse(QStringLiteral("%1 takes %2, not %3").arg(report.commandName, wanted, option));
    }
    p.code = values.value(wanted);

    // The number range: only the two registers have one.
    for (const QString &option : {QStringLiteral("--from-no"), QStringLiteral("--to-no")}) {
        if (values.contains(option) && !isRegister(report.kind))
            return refuse(QStringLiteral("%1 has no %2").arg(report.commandName, option));
    }
    p.fromNo = values.value(QStringLiteral("--from-no"));
    p.toNo = values.value(QStringLiteral("--to-no"));

    // The output.
    command.output = values.value(QStringLiteral("-o"));
    if (command.output.isEmpty())
        return refuse(QStringLiteral("no output file (-o FILE)"));
    if (values.contains(QStringLiteral("--format"))) {
        if (!formatFromName(values.value(QStringLiteral("--format")), &command.format))
            return refuse(QStringLiteral("--format: '%1' is none of pdf, csv, xlsx")
                              .arg(values.value(QStringLiteral("--format"))));
    } else {
        const int dot = command.output.lastIndexOf(QLatin1Char('.'));
        const int slash = command.output.lastIndexOf(QLatin1Char('/'));
        if (dot <= slash + 1 || !formatFromName(command.output.mid(dot + 1), &command.format))
            return refuse(QStringLiteral("cannot tell the format of '%1': use --format pdf|csv|xlsx")
                              .arg(command.output));
    }

    // The window's own checks that need no database, with its messages.
    if (const std::optional<ParameterRefusal> refusal = checkReportParameters(report.kind, p))
        return refuse(refusal->message);

    result.ok = true;
    return result;
}

QString ReportCommandLine::usageLine()
{
    return QStringLiteral(
        "usage: orvane-report REPORT [--db FILE | --odbc CONNECTION-STRING] [--from YYYY-MM-DD] "
        "[--to YYYY-MM-DD] [--vendor CODE | --product CODE | --company CODE] [--from-no N] [--to-no N] "
        "[--format pdf|csv|xlsx] [--quiet] -o FILE");
}

QString ReportCommandLine::helpText()
{
    QStringList names;
    for (const ReportDefinition &d : reportDefinitions())
        names << d.commandName;
    return usageLine() + QStringLiteral(
        "\n\n"
        "Writes one purchase report without a window, as Print would lay it out (pdf)\n"
        "or as the report's rows (csv, xlsx).\n\n"
        "REPORT: %1\n\n"
        "  --db FILE          SQLite database (default: demo/orvane-demo.sqlite, or $ORVANE_DEMO_DB)\n"
        "  --odbc STRING      ODBC connection string instead of --db\n"
        "  --from, --to       date range (default: first day of this month to today)\n"
        "  --vendor CODE      purchase-summary, purchase-register, purchase-return-register,\n"
        "                     purchase-return-summary (default: all vendors)\n"
        "  --product CODE     purchase-ledger, purchase-return-ledger (required)\n"
        "  --company CODE     product-wise-purchases (default: all companies)\n"
        "  --from-no, --to-no invoice or return numbers of the two registers, up to nine digits\n"
        "                     (default: from the first number, no upper bound)\n"
        "  --format FORMAT    pdf, csv or xlsx (default: from the output file's extension)\n"
        "  --quiet            no progress line\n"
        "  -o FILE            the file to write; an existing one is replaced only when the new\n"
        "                     one is complete\n\n"
        "Exit status: 0 written, 1 no rows, 2 bad arguments, 3 database or report error,\n"
        "4 cancelled by SIGINT or SIGTERM (nothing written, an existing file kept).\n")
        .arg(names.join(QStringLiteral(", ")));
}

} // namespace orvane
