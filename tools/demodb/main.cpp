// orvane-demodb: writes the demo database that the programs, scripts and
// benchmarks use. See --help.

#include "DemoDatabase.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QTextStream>

#include <exception>
#include <limits>

using orvane::demo::DemoDatabase;
using orvane::demo::DemoOptions;

namespace {

bool readNumber(const QCommandLineParser &parser, const QString &name, qint64 low, qint64 high,
                qint64 &value)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const qint64 read = parser.value(name).toLongLong(&ok);
    if (!ok || read < low || read > high) {
        QTextStream(stderr) << "orvane-demodb: --" << name << " takes a whole number from " << low
                            << " to " << high << ", not \"" << parser.value(name) << "\"\n";
        return false;
    }
    value = read;
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvane-demodb"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a demo SQLite database with the host schema: parties, companies, products,\n"
        "purchases and purchase returns over two financial years (1 April to 31 March)."));
    parser.addHelpOption();
    const DemoOptions defaults;
    parser.addOptions({
        {"out", QStringLiteral("Database file to write (default %1).").arg(DemoDatabase::defaultOutputPath()), "file"},
        {"force", "Replace the output file if it exists."},
        {"seed", "Seed of the data (default 1); the same options give the same database.", "n"},
        {"scale", "Volume: about 2,000 purchases (9,000 lines) per unit (default 1).", "n"},
        {"purchases", "Exact number of purchases (overrides --scale).", "n"},
        {"parties", QStringLiteral("Number of parties (default %1).").arg(defaults.parties), "n"},
        {"products", QStringLiteral("Number of products (default %1).").arg(defaults.products), "n"},
        {"companies", QStringLiteral("Number of companies, at most 99 (default %1).").arg(defaults.companies), "n"},
        {"from-year", QStringLiteral("The first financial year starts on 1 April of this year "
                                     "(default %1: the last two that ended before today).")
                          .arg(DemoDatabase::defaultFromYear(QDate::currentDate())), "year"},
        {"sqlserver-schema", "Print the schema for SQL Server and write nothing."},
    });
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    try {
        if (parser.isSet("sqlserver-schema")) {
            out << DemoDatabase::sqlServerSchema();
            return 0;
        }

        DemoOptions options;
        qint64 seed = 1, scale = 1, purchases = 0, parties = options.parties,
               products = options.products, companies = options.companies, fromYear = 0;
        if (!readNumber(parser, "seed", 0, std::numeric_limits<qint64>::max(), seed)
            || !readNumber(parser, "scale", 1, 10000, scale)
            || !readNumber(parser, "purchases", 1, 50000000, purchases)
            || !readNumber(parser, "parties", 5, 5000000, parties)
            || !readNumber(parser, "products", 10, 1000000, products)
            || !readNumber(parser, "companies", 1, 99, companies)
            || !readNumber(parser, "from-year", 1900, 9000, fromYear))
            return 2;
        options.seed = quint64(seed);
        options.scale = int(scale);
        options.purchases = int(purchases);
        options.parties = int(parties);
        options.products = int(products);
        options.companies = int(companies);
        options.fromYear = int(fromYear);

        const QString file = parser.isSet("out") ? parser.value("out") : DemoDatabase::defaultOutputPath();
        err << "orvane-demodb: writing " << file << " ...\n";
        err.flush();
        const auto summary = DemoDatabase::generate(file, options, parser.isSet("force"));
        out << "wrote " << file << " (seed " << options.seed << ")\n" << summary.text();
        return 0;
    } catch (const std::exception &e) {
        err << "orvane-demodb: " << QString::fromLocal8Bit(e.what()) << "\n";
        return 1;
    }
}
