// The viewer over the one-million-line demo database: for each of the seven
// reports, the report query over the whole two years, the rows bound to the
// report's layout and shown in the viewer, which lays the pages out in the
// background as on screen. Prints the query time, the time to page 1 painted,
// the time until the page count is final, how long Stop takes to stop a
// pagination half-way, and the peak resident memory.
//
// bench_LoadViewer DATABASE [REPORT]
//
// Without REPORT each report runs in a process of its own (so that each peak
// is its own) and the program fails when one fails or goes over the bounds.

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QTimer>

#include "Connection.h"
#include "Document.h"
#include "Error.h"
#include "Recordset.h"
#include "Report.h"
#include "ReportDefinition.h"
#include "ReportLayouts.h"
#include "ReportQueries.h"
#include "ReportView.h"
#include "RptReportViewer.h"

#include <sys/resource.h>

#include <cstdio>
#include <memory>

using namespace orvane;

namespace {

// Bounds per report. Measured on the 2-core build machine (load ~1): the
// purchase register (1,009,005 lines, 48,112 pages) peaks at about 255 MB,
// its query takes about 4 s, page 1 shows 0.1 s after the rows are bound and
// the page count is final after 0.5 s. The bounds leave room for a busy machine.
constexpr double MaxFirstPageSeconds = 2;
constexpr double MaxCompleteSeconds = 30;
constexpr double MaxStopSeconds = 0.5;
constexpr long MaxPeakMb = 400;

long peakMb()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_maxrss + 1023) / 1024;   // kilobytes on Linux
}

double seconds(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e9;
}

ReportParameters wholeRange(const ReportDefinition &def)
{
    ReportParameters p;
    p.from = QDate(2024, 4, 1);
    p.to = QDate(2026, 3, 31);
    // The ledgers: the product with the most lines; the registers: every number.
    if (def.codeKind == CodeKind::Product)
        p.code = QStringLiteral("187");
    if (def.kind == ReportKind::PurchaseRegisterInvoiceWise || def.kind == ReportKind::PurchaseReturnRegister)
        p.toNo = QStringLiteral("999999");
    return p;
}

struct Shown
{
    double firstPage = -1;   // from binding the rows to page 1 painted
    double complete = -1;    // from binding the rows to the final page count
    int pages = 0;
    bool cancelled = false;
};

// Binds the rows to a fresh viewer and shows it; with `stopAfter` > 0, presses
// Stop once that many seconds have passed and measures until pagination ends.
Shown show(const ReportDefinition &def, const ReportParameters &p, const QString &codeName,
           const std::shared_ptr<Connection> &connection, const Recordset &rows, double stopAfter,
           double *stopTook)
{
    // Deletes itself on close, as the report windows' viewers do.
    auto *viewerWindow = new RptReportViewer;
    RptReportViewer &viewer = *viewerWindow;
    viewer.resize(1200, 900);
    viewer.ReportName = createReportLayout(def.layoutClass);
    applyHeadings(*viewer.ReportName, def.kind, p, codeName, connection, rows);

    Shown shown;
    QElapsedTimer timer;
    QElapsedTimer stopTimer;
    QEventLoop loop;
    QObject::connect(viewer.CRViewer91, &ReportView::pagePainted, &loop, [&](int page) {
        if (page == 0 && shown.firstPage < 0)
            shown.firstPage = seconds(timer);
        if (shown.complete >= 0)
            loop.quit();
    });
    QObject::connect(viewer.CRViewer91, &ReportView::paginationFinished, &loop, [&] {
        shown.complete = seconds(timer);
        if (stopTimer.isValid() && stopTook)
            *stopTook = seconds(stopTimer);
        if (shown.firstPage >= 0)
            loop.quit();
    });
    QTimer stopper;
    if (stopAfter > 0) {
        stopper.setSingleShot(true);
        QObject::connect(&stopper, &QTimer::timeout, &loop, [&] {
            if (!viewer.CRViewer91->isPaginating())
                return;
            stopTimer.start();
            viewer.CRViewer91->stop();
        });
        stopper.start(int(stopAfter * 1000));
    }
    QTimer::singleShot(int(MaxCompleteSeconds * 2000), &loop, &QEventLoop::quit);

    timer.start();
    if (def.kind == ReportKind::ProductWisePurchases)
        viewer.ReportName->Database().SetDataSource(rows, 3, 1);
    else
        viewer.ReportName->Database().SetDataSource(rows);
    viewer.show();
    loop.exec();
    shown.pages = viewer.CRViewer91->pageCount();
    shown.cancelled = viewer.CRViewer91->document() && viewer.CRViewer91->document()->cancelled;
    viewer.close();
    QCoreApplication::processEvents();
    return shown;
}

// One report in this process; prints one line of figures.
int runOne(const QString &database, const ReportDefinition &def)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("load"));
    db.setDatabaseName(database);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(database), qPrintable(db.lastError().text()));
        return 1;
    }
    try {
        const std::shared_ptr<Connection> connection = Connection::create(db);
        connection->setCursorLocation(Connection::adUseClient);
        const ReportParameters p = wholeRange(def);
        QString codeName = QString::fromLatin1(messages::AllCompanies);
        if (def.codeKind == CodeKind::Product)
            codeName = lookupName(def.kind, p.code, connection).value_or(QString());

        QElapsedTimer timer;
        timer.start();
        Recordset rows;
        rows.Open(reportSql(def.kind, p, *connection), connection, Recordset::adOpenStatic,
                  Recordset::adLockReadOnly, -1);
        const double query = seconds(timer);
        const int rowCount = rows.RecordCount();

        const Shown whole = show(def, p, codeName, connection, rows, 0, nullptr);
        // Stop a quarter of the way through a second showing, where pagination
        // takes long enough for a timer to land in it. A pagination that ends
        // on its own before Stop lands proves nothing either way.
        double stopTook = -1;
        bool stopped = true;
        if (whole.complete > 0.2) {
            const Shown part = show(def, p, codeName, connection, rows, whole.complete / 4, &stopTook);
            if (part.pages == whole.pages && !part.cancelled)
                stopTook = -1;
            else
                stopped = part.cancelled && part.pages < whole.pages;
        }
        std::printf("%-24s %9d %7d %8.2f %8.2f %8.2f %8s %6ld\n", qPrintable(def.commandName), rowCount,
                    whole.pages, query, whole.firstPage, whole.complete,
                    stopTook < 0 ? "-" : qPrintable(QString::number(stopTook, 'f', 3)), peakMb());
        bool ok = whole.firstPage >= 0 && whole.complete >= 0;
        if (stopTook >= 0 && !stopped) {
            std::fprintf(stderr, "%s: Stop did not stop the pagination\n", qPrintable(def.commandName));
            ok = false;
        }
        if (whole.firstPage > MaxFirstPageSeconds || whole.complete > MaxCompleteSeconds
            || stopTook > MaxStopSeconds || peakMb() > MaxPeakMb) {
            std::fprintf(stderr, "%s: over the bounds\n", qPrintable(def.commandName));
            ok = false;
        }
        return ok ? 0 : 1;
    } catch (const Error &e) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(def.commandName), qPrintable(e.description()));
        return 1;
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_LoadViewer DATABASE [REPORT]\n");
        return 2;
    }
    const QString database = args.at(1);
    if (args.size() > 2) {
        const ReportDefinition *def = findReportByCommandName(args.at(2));
        if (!def) {
            std::fprintf(stderr, "no report %s\n", qPrintable(args.at(2)));
            return 2;
        }
        return runOne(database, *def);
    }

    std::printf("viewer over %s; bounds: page 1 %.1f s, complete %.0f s, stop %.1f s, peak %ld MB\n\n",
                qPrintable(database), MaxFirstPageSeconds, MaxCompleteSeconds, MaxStopSeconds, MaxPeakMb);
    std::printf("%-24s %9s %7s %8s %8s %8s %8s %6s\n", "report", "rows", "pages", "query s", "page1 s",
                "all s", "stop s", "MB");
    std::fflush(stdout);
    int failures = 0;
    for (const ReportDefinition &def : reportDefinitions()) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {database, def.commandName});
        if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            ++failures;
    }
    if (failures) {
        std::fprintf(stderr, "bench_LoadViewer: %d report(s) failed or went over the bounds\n", failures);
        return 1;
    }
    std::printf("all reports within bounds\n");
    return 0;
}
