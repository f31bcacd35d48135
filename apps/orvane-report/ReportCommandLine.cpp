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

ReportCommandParse refuse(const QString &message)
{
    ReportCommandParse result;
    result.error = message;
    return result;
}

// The arguments as given: option values by name, the rest in order.
struct Arguments
{
    QHash<QString, QString> values;
    QStringList positional;
    bool quiet = false;
    bool help = false;
    QString error;   // "" when the arguments could be read
};

Arguments splitArguments(const QStringList &arguments)
{
    Arguments a;
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString arg = arguments.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            a.positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (arg == QLatin1String("--quiet") || arg == QLatin1String("-q")) {
            a.quiet = true;
            continue;
        }
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            a.help = true;
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
        if (!ValueOptions.contains(name)) {
            a.error = QStringLiteral("unknown option %1").arg(name);
            return a;
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) {
                a.error = QStringLiteral("%1 needs a value").arg(name);
                return a;
            }
            value = arguments.at(++i);
        }
        if (name == QLatin1String("--output"))
            name = QStringLiteral("-o");
        if (a.values.contains(name)) {
            a.error = QStringLiteral("%1 is given twice").arg(name);
            return a;
        }
        a.values.insert(name, value);
    }
    return a;
}

// Where the rows come from. Returns the refusal, or "".
QString readSource(const QHash<QString, QString> &values, const QString &demoDatabase, ReportCommand &command)
{
    if (values.contains(QStringLiteral("--db")) && values.contains(QStringLiteral("--odbc")))
        return QStringLiteral("--db and --odbc exclude each other");
    if (values.contains(QStringLiteral("--odbc"))) {
        command.odbc = true;
        command.database = values.value(QStringLiteral("--odbc"));
        if (command.database.trimmed().isEmpty())
            return QStringLiteral("--odbc needs a connection string");
    } else {
        command.database = values.value(QStringLiteral("--db"), demoDatabase);
        if (command.database.isEmpty())
            return QStringLiteral("--db needs a file name");
    }
    return QString();
}

// The dates, the code and the number range, as the report's window takes
// them. Returns the refusal, or "".
QString readParameters(const QHash<QString, QString> &values, const ReportCommandLine::Defaults &defaults,
                       const ReportDefinition &report, ReportParameters &p)
{
    p.from = defaults.from;
    p.to = defaults.to;
    for (const QString &option : {QStringLiteral("--from"), QStringLiteral("--to")}) {
        if (!values.contains(option))
            continue;
        QDate day;
        if (!parseDate(values.value(option), &day))
            return QStringLiteral("%1: '%2' is not a date (YYYY-MM-DD)").arg(option, values.value(option));
        (option == QLatin1String("--from") ? p.from : p.to) = day;
    }

    // Only the kind of code the report's window asks for.
    const QString wanted = codeOption(report.codeKind);
    for (const QString &option : {QStringLiteral("--vendor"), QStringLiteral("--product"), QStringLiteral("--company")}) {
        if (values.contains(option) && option != wanted)
            return QStringLiteral("%1 takes %2, not %3").arg(report.commandName, wanted, option);
    }
    p.code = values.value(wanted);

    // Only the two registers have a number range.
    for (const QString &option : {QStringLiteral("--from-no"), QStringLiteral("--to-no")}) {
        if (values.contains(option) && !isRegister(report.kind))
            return QStringLiteral("%1 has no %2").arg(report.commandName, option);
    }
    p.fromNo = values.value(QStringLiteral("--from-no"));
    p.toNo = values.value(QStringLiteral("--to-no"));
    return QString();
}

// The output file and its format. Returns the refusal, or "".
QString readOutput(const QHash<QString, QString> &values, ReportCommand &command)
{
    command.output = values.value(QStringLiteral("-o"));
    if (command.output.isEmpty())
        return QStringLiteral("no output file (-o FILE)");
    if (values.contains(QStringLiteral("--format"))) {
        const QString name = values.value(QStringLiteral("--format"));
        const std::optional<ExportFormat> format = exportFormatFromName(name);
        if (!format)
            return QStringLiteral("--format: '%1' is none of %2").arg(name, exportFormatNames());
        command.format = *format;
        return QString();
    }
    const int slash = command.output.lastIndexOf(QLatin1Char('/'));
    const std::optional<ExportFormat> format = command.output.lastIndexOf(QLatin1Char('.')) > slash + 1
                                                   ? exportFormatFromFileName(command.output)
                                                   : std::nullopt;
    if (!format)
        return QStringLiteral("cannot tell the format of '%1': use --format pdf|csv|xlsx|xlsx-report").arg(command.output);
    command.format = *format;
    return QString();
}

} // namespace

ReportCommandParse ReportCommandLine::parse(const QStringList &arguments, const Defaults &defaults)
{
    const Arguments a = splitArguments(arguments);
    if (!a.error.isEmpty())
        return refuse(a.error);

    ReportCommandParse result;
    ReportCommand &command = result.command;
    command.quiet = a.quiet;
    if (a.help) {
        command.help = true;
        result.ok = true;
        return result;
    }

    if (a.positional.isEmpty())
        return refuse(QStringLiteral("no report named"));
    if (a.positional.size() > 1)
        return refuse(QStringLiteral("unexpected argument '%1'").arg(a.positional.at(1)));
    command.report = findReportByCommandName(a.positional.first());
    if (!command.report)
        return refuse(QStringLiteral("unknown report '%1'").arg(a.positional.first()));

    for (const QString &error : {readSource(a.values, defaults.demoDatabase, command),
                                 readParameters(a.values, defaults, *command.report, command.parameters),
                                 readOutput(a.values, command)}) {
        if (!error.isEmpty())
            return refuse(error);
    }

    // The window's own checks that need no database, with its messages.
    if (const std::optional<ParameterRefusal> refusal = checkReportParameters(command.report->kind, command.parameters))
        return refuse(refusal->message);

    result.ok = true;
    return result;
}

QString ReportCommandLine::usageLine()
{
    return QStringLiteral(
        "usage: orvane-report REPORT [--db FILE | --odbc CONNECTION-STRING] [--from YYYY-MM-DD] "
        "[--to YYYY-MM-DD] [--vendor CODE | --product CODE | --company CODE] [--from-no N] [--to-no N] "
        "[--format pdf|csv|xlsx|xlsx-report] [--quiet] -o FILE");
}

QString ReportCommandLine::helpText()
{
    QStringList names;
    for (const ReportDefinition &d : reportDefinitions())
        names << d.commandName;
    return usageLine() + QStringLiteral(
        "\n\n"
        "Writes one purchase report without a window, as Print would lay it out (pdf),\n"
        "as the report's rows (csv, xlsx) or as a workbook laid out as printed, with its\n"
        "headings, groups and totals as formulas (xlsx-report).\n\n"
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
        "  --format FORMAT    pdf, csv, xlsx or xlsx-report (default: from the output file's\n"
        "                     extension; .xlsx is the rows)\n"
        "  --quiet            no progress line\n"
        "  -o FILE            the file to write; an existing one is replaced only when the new\n"
        "                     one is complete\n\n"
        "Exit status: 0 written, 1 no rows, 2 bad arguments, 3 database or report error,\n"
        "4 cancelled by SIGINT or SIGTERM (nothing written, an existing file kept).\n")
        .arg(names.join(QStringLiteral(", ")));
}

} // namespace orvane
