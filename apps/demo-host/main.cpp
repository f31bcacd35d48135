// orvane-demo: plays the host application. It opens the host's database,
// finds the component by its ProgID, hands it the connection and offers its
// report methods.

#include "ComponentLoader.h"
#include "DemoHostWindow.h"
#include "DefaultDateProvider.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <cstdio>
#include <exception>

namespace {

using orvane::demo::ComponentLoader;
using orvane::demo::DemoHostWindow;

// The host's notion of a default start date: the first day of the financial
// year (1 April) in which the database's last purchase falls, so the report
// windows open on data even when the demo data ends before today.
class FinancialYearStart : public orvane::DefaultDateProvider
{
public:
    explicit FinancialYearStart(QDate lastPurchase) : m_last(lastPurchase) {}
    QDate date() const override
    {
        const QDate day = m_last.isValid() ? m_last : QDate::currentDate();
        return QDate(day.month() >= 4 ? day.year() : day.year() - 1, 4, 1);
    }

private:
    QDate m_last;
};

QString platformArgument(int argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            return QString::fromLocal8Bit(argv[i + 1]);
    }
    return qEnvironmentVariable("QT_QPA_PLATFORM");
}

bool hasDisplay(int argc, char **argv)
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    const QString platform = platformArgument(argc, argv);
    return platform.startsWith(QLatin1String("offscreen")) || platform.startsWith(QLatin1String("vnc"));
}

QString defaultDatabase()
{
    const QString here = QDir::current().filePath(QStringLiteral("demo/orvane-demo.sqlite"));
    if (QFileInfo::exists(here))
        return here;
    return QStringLiteral(ORVANE_SOURCE_DIR "/demo/orvane-demo.sqlite");
}

int fail(const QString &text)
{
    std::fprintf(stderr, "orvane-demo: %s\n", qPrintable(text));
    if (qApp)
        QMessageBox::critical(nullptr, QStringLiteral("Orvane Demo Host"), text);
    return 1;
}

// Saves the host window and then the purchase return summary window as PNG
// files into `dir`, for the documentation.
void grabWindows(DemoHostWindow &host, const QString &dir)
{
    QDir().mkpath(dir);
    host.grab().save(QDir(dir).filePath(QStringLiteral("demo-host.png")));
    const QList<QWidget *> before = QApplication::topLevelWidgets();
    host.run(DemoHostWindow::entries().last());
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && !before.contains(w) && !w->objectName().isEmpty())
            w->grab().save(QDir(dir).filePath(w->objectName() + QLatin1String(".png")));
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (!hasDisplay(argc, argv)) {
        std::fprintf(stderr,
                     "orvane-demo: no display (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                     "The report windows need a screen. Without one, write the reports as files with\n"
                     "the command-line tool instead, for example:\n"
                     "  orvane-report purchase-return-summary --db demo/orvane-demo.sqlite "
                     "--from 2024-04-01 --to 2025-03-31 -o summary.pdf\n"
                     "(orvane-report --help lists the seven reports), or run scripts/run.\n");
        return 0;
    }

    QApplication app(argc, argv);
    // No application display name: Qt would append it to every window title,
    // message boxes included, which must read as the window's caption alone.
    QApplication::setApplicationName(QStringLiteral("orvane-demo"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays the host application of the Orvane report component."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("database"),
                                 QStringLiteral("SQLite database file (default: demo/orvane-demo.sqlite)."),
                                 QStringLiteral("[database]"));
    const QCommandLineOption odbc(QStringLiteral("odbc"),
                                  QStringLiteral("Connect through ODBC with this connection string instead."),
                                  QStringLiteral("connection-string"));
    const QCommandLineOption grab(QStringLiteral("grab"),
                                  QStringLiteral("Save the host and one report window as PNG files in <dir> and quit."),
                                  QStringLiteral("dir"));
    parser.addOption(odbc);
    parser.addOption(grab);
    parser.process(app);

    QSqlDatabase db;
    QString source;
    if (parser.isSet(odbc)) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("host"));
        db.setDatabaseName(parser.value(odbc));
        source = QStringLiteral("ODBC");
    } else {
        source = parser.positionalArguments().value(0, defaultDatabase());
        if (!QFileInfo::exists(source))
            return fail(QStringLiteral("The database %1 does not exist. orvane-demodb --out %1 writes the "
                                       "demo database, or name one: orvane-demo <file.sqlite>.").arg(source));
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("host"));
        db.setDatabaseName(source);
        // The component only reads.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    }
    if (!db.open())
        return fail(QStringLiteral("Cannot open the database: %1").arg(db.lastError().text()));

    QString error;
    std::unique_ptr<orvane::_Reports> reports = ComponentLoader::createReports(&error);
    if (!reports)
        return fail(QStringLiteral("Cannot create %1: %2")
                        .arg(QLatin1String(orvane::ReportsProgId), error));

    QDate lastPurchase;
    {
        QSqlQuery last(db);
        if (last.exec(QStringLiteral("select max(PurchaseDate) from purchase")) && last.next())
            lastPurchase = last.value(0).toDate();
    }
    try {
        reports->setDefaultDateProvider(std::make_shared<FinancialYearStart>(lastPurchase));
        reports->InitializeClass(db);
    } catch (const std::exception &e) {
        return fail(QStringLiteral("InitializeClass failed: %1").arg(QString::fromLocal8Bit(e.what())));
    }

    DemoHostWindow window(std::move(reports), source, ComponentLoader::registeredLibrary());
    window.show();
    if (parser.isSet(grab)) {
        grabWindows(window, parser.value(grab));
        return 0;
    }
    return app.exec();
}
