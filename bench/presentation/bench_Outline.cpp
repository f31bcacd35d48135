// The viewer's outline pane on big registers.
//
// Building: the invoice-wise register over 200,000 demo lines (or the count
// given): the pagination alone, the outline of the finished pages, and in the
// viewer the time until the pane lists every document.
//
// Responsiveness: the register of the one-million-line load database
// (bench/load/run-load makes it; 48,000 pages) or, without it, of 1,009,005
// demo lines: each step of scrolling the pane, of paging the view (the pane's
// highlight follows) and of finding as the user types, against 50 ms a step.
//
// bench_Outline [rows] [load-database]

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlError>
#include <QTest>

#include "Connection.h"
#include "DemoRows.h"
#include "Error.h"
#include "OutlineModel.h"
#include "OutlinePane.h"
#include "Paginator.h"
#include "Recordset.h"
#include "Report.h"
#include "ReportLayouts.h"
#include "ReportQueries.h"
#include "ReportView.h"
#include "RptReportViewer.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace orvane;

namespace {

constexpr double MaxStepMs = 50;
const QString kLayout = QStringLiteral("crpPurchaseRegisterIW");

double ms(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

struct Steps
{
    std::vector<double> times;
    void add(double t) { times.push_back(t); }
    double max() const { return times.empty() ? 0 : *std::max_element(times.begin(), times.end()); }
    double median() const
    {
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
};

bool report(const char *what, const Steps &steps)
{
    const bool ok = steps.max() <= MaxStepMs;
    std::printf("  %-44s %5zu steps  median %6.2f ms  max %6.2f ms%s\n", what, steps.times.size(), steps.median(),
                steps.max(), ok ? "" : "  OVER");
    return ok;
}

// A viewer over `rows`, shown, its pages all laid out; null on timeout.
RptReportViewer *showRegister(const Recordset &rows, double *outlineDone, double *pagesDone)
{
    auto *viewer = new RptReportViewer;
    viewer->resize(1300, 900);
    viewer->ReportName = createReportLayout(kLayout);
    viewer->ReportName->object(QStringLiteral("Txtinvoice")).SetText(QStringLiteral("Invoiceno Between : 1 To 999999"));
    QElapsedTimer timer;
    timer.start();
    viewer->ReportName->Database().SetDataSource(rows);
    viewer->show();
    const int documents = [&rows] {
        const std::shared_ptr<const Table> table = rows.table();
        const int column = table->columnIndex(QStringLiteral("purchaseid"));
        int count = 0;
        for (int row = 0; row < table->rowCount(); ++row)
            count += row == 0 || !table->sameValue(row - 1, row, column) ? 1 : 0;
        return count;
    }();
    OutlineModel *model = viewer->CRViewer91->outlinePane()->model();
    *outlineDone = -1;
    *pagesDone = -1;
    while (timer.elapsed() < 300000 && (*outlineDone < 0 || *pagesDone < 0)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (*outlineDone < 0 && model->rowCount() == documents)
            *outlineDone = ms(timer);
        if (*pagesDone < 0 && !viewer->CRViewer91->isPaginating())
            *pagesDone = ms(timer);
    }
    return viewer;
}

void building(int rowCount)
{
    const auto rows = bench::demoRows(bench::layoutColumns(kLayout), rowCount);
    auto report = createReportLayout(kLayout);
    report->Database().SetDataSource(*rows);
    QElapsedTimer timer;
    timer.start();
    const Document doc = Paginator(report->content()).paginate();
    const double paginate = ms(timer);
    timer.restart();
    std::vector<OutlineEntry> entries;
    appendOutline(doc, 0, entries);
    const double outline = ms(timer);
    // As the viewer's job does it: the outline of each page as it is finished.
    timer.restart();
    std::vector<OutlineEntry> perPage;
    int outlined = 0;
    Paginator(report->content()).paginate(nullptr, [&](const Document &partial, int pages) {
        appendOutline(partial, outlined, perPage);
        outlined = pages;
    });
    const double withOutline = ms(timer);
    std::printf("register of %d lines: %d pages, %zu documents\n", rowCount, doc.pageCount(), entries.size());
    std::printf("  pagination alone %.0f ms, with the outline of each page as it is done %.0f ms;\n"
                "  the outline of the finished pages at once %.1f ms\n", paginate, withOutline, outline);

    double outlineDone = 0, pagesDone = 0;
    RptReportViewer *viewer = showRegister(*rows, &outlineDone, &pagesDone);
    std::printf("  viewer: every document in the pane %.0f ms, the page count final %.0f ms after binding\n",
                outlineDone, pagesDone);
    viewer->close();
    delete viewer;
}

std::shared_ptr<Recordset> loadRows(const QString &database)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("load"));
    db.setDatabaseName(database);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open())
        throw Error(db.lastError().text(), database);
    const std::shared_ptr<Connection> connection = Connection::create(db);
    connection->setCursorLocation(Connection::adUseClient);
    ReportParameters p;
    p.from = QDate(2024, 4, 1);
    p.to = QDate(2026, 3, 31);
    p.toNo = QStringLiteral("999999");
    auto rows = std::make_shared<Recordset>();
    rows->Open(reportSql(ReportKind::PurchaseRegisterInvoiceWise, p, *connection), connection,
               Recordset::adOpenStatic, Recordset::adLockReadOnly, -1);
    return rows;
}

bool responsiveness(const std::shared_ptr<Recordset> &rows)
{
    double outlineDone = 0, pagesDone = 0;
    std::unique_ptr<RptReportViewer> viewer(showRegister(*rows, &outlineDone, &pagesDone));
    ReportView *view = viewer->CRViewer91;
    OutlinePane *pane = view->outlinePane();
    QListView *list = pane->list();
    const int entries = pane->model()->rowCount();
    std::printf("register of %d lines: %d pages, %d documents in the pane after %.0f ms (pages final %.0f ms)\n",
                rows->RecordCount(), view->pageCount(), entries, outlineDone, pagesDone);
    bool ok = true;

    // Scrolling the pane: a screenful down, a drag of the scroll bar to far places.
    Steps scroll;
    QScrollBar *bar = list->verticalScrollBar();
    for (int i = 0; i < 40; ++i) {
        QElapsedTimer t;
        t.start();
        bar->setValue(bar->value() + bar->pageStep());
        list->viewport()->repaint();
        scroll.add(ms(t));
    }
    for (int i = 1; i <= 20; ++i) {
        QElapsedTimer t;
        t.start();
        bar->setValue(int(qint64(bar->maximum()) * ((i * 7) % 20) / 20));
        list->viewport()->repaint();
        scroll.add(ms(t));
    }
    ok = report("scrolling the pane (page steps, jumps)", scroll) && ok;

    // Paging the view: the highlight follows the group on screen.
    Steps paging;
    QWidget *pages = view->focusProxy();
    for (int i = 0; i < 40; ++i) {
        QElapsedTimer t;
        t.start();
        QTest::keyClick(pages, i < 30 ? Qt::Key_PageDown : Qt::Key_End);
        list->viewport()->repaint();
        paging.add(ms(t));
        if (i == 30)
            QTest::keyClick(pages, Qt::Key_Home);
    }
    ok = report("paging the view, the highlight following", paging) && ok;

    // Showing entries: a click's work, from the first to the last documents.
    Steps show;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer t;
        t.start();
        view->showOutlineEntry(int(qint64(entries - 1) * i / 19));
        list->viewport()->repaint();
        show.add(ms(t));
    }
    ok = report("showing an entry's page", show) && ok;

    // Finding as the user types: each keystroke is a step. A miss reads every entry.
    const QString vendor = pane->model()->index(entries / 2).data().toString().section(QStringLiteral("  "), 2);
    const QString last = pane->model()->index(entries - 1).data().toString().section(QLatin1Char(' '), 0, 0);
    Steps find;
    for (const QString &typed : {last, vendor.left(8), QStringLiteral("o'brien"), QStringLiteral("no such vendor")}) {
        pane->setCurrentRow(0);
        QLineEdit *box = pane->findBox();
        box->clear();
        box->setFocus();
        for (QChar c : typed) {
            QElapsedTimer t;
            t.start();
            QTest::keyClicks(box, QString(c));
            list->viewport()->repaint();
            find.add(ms(t));
        }
        QElapsedTimer t;
        t.start();
        QTest::keyClick(box, Qt::Key_Return);   // shows the entry found
        QTest::keyClick(box, Qt::Key_Return);   // and the next
        find.add(ms(t) / 2);
    }
    ok = report("finding, per keystroke and per Enter", find) && ok;
    viewer->close();
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? atoi(argv[1]) : 200000;
    try {
        building(rows);
        std::printf("\n");
        const auto big = argc > 2 ? loadRows(QString::fromLocal8Bit(argv[2]))
                                  : bench::demoRows(bench::layoutColumns(kLayout), 1009005);
        const bool ok = responsiveness(big);
        std::printf("%s\n", ok ? "every step within 50 ms" : "bench_Outline: some step took over 50 ms");
        return ok ? 0 : 1;
    } catch (const Error &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }
}
