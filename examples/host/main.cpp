// A host application of the Orvane report component: it opens its database,
// creates Reports by the ProgID Orvane.Reports, hands over the connection and
// opens the Purchase Summary window.
//
//   orvane-example-host books.sqlite
//   orvane-example-host --odbc "DRIVER={FreeTDS};SERVER=sql.example;PORT=1433;DATABASE=Accounts;..."
//   orvane-example-host --once books.sqlite    open the window, close it, quit
//
// The component must be registered first (orvane-register, or the package).

#include <orvane/ClassRegistry.h>
#include <orvane/DefaultDateProvider.h>
#include <orvane/Error.h>
#include <orvane/ReportsInterface.h>

#include <QApplication>
#include <QDate>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QWidget>

#include <cstdio>
#include <exception>
#include <memory>

namespace {

// The host decides where the report windows' date range starts: here, the
// first day of the current year.
class YearStart : public orvane::DefaultDateProvider
{
public:
    QDate date() const override { return QDate(QDate::currentDate().year(), 1, 1); }
};

int fail(const QString &text)
{
    std::fprintf(stderr, "orvane-example-host: %s\n", qPrintable(text));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    const bool once = args.removeAll(QStringLiteral("--once")) > 0;

    QSqlDatabase db;
    if (args.size() == 2 && args.at(0) == QLatin1String("--odbc")) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("host"));
        db.setDatabaseName(args.at(1));
    } else if (args.size() == 1 && !args.at(0).startsWith(QLatin1Char('-'))) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("host"));
        db.setDatabaseName(args.at(0));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY")); // the component only reads
    } else {
        return fail(QStringLiteral("usage: orvane-example-host [--once] FILE.sqlite | --odbc CONNECTION-STRING"));
    }
    if (!db.open())
        return fail(QStringLiteral("cannot open the database: %1").arg(db.lastError().text()));

    QString error;
    std::unique_ptr<orvane::_Reports> reports = orvane::ClassRegistry::createReports(&error);
    if (!reports)
        return fail(QStringLiteral("cannot create %1: %2").arg(QLatin1String(orvane::ReportsProgId), error));

    const QList<QWidget *> before = QApplication::topLevelWidgets();
    try {
        reports->setDefaultDateProvider(std::make_shared<YearStart>());
        reports->InitializeClass(db);
        reports->PurchaseSummary();
    } catch (const orvane::Error &e) {
        return fail(QStringLiteral("%1: %2").arg(e.source(), e.description()));
    } catch (const std::exception &e) {
        return fail(QString::fromLocal8Bit(e.what()));
    }

    // The method returns with its window on screen, modeless.
    QPointer<QWidget> window;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && !before.contains(w))
            window = w;
    }
    if (!window)
        return fail(QStringLiteral("the report window did not open"));
    std::printf("opened \"%s\"\n", qPrintable(window->windowTitle()));
    if (!once)
        return QApplication::exec();

    QApplication::processEvents();
    if (!window->close())
        return fail(QStringLiteral("the report window refused to close"));
    QApplication::processEvents();
    std::printf("closed\n");
    return 0;
}
