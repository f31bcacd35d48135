// Time from showing the viewer over bound rows to page 1 painted on screen,
// for the invoice-wise purchase register over 200,000 lines (target 0.5 s);
// then the time until the page count is final.
// bench_ReportView [rows] [runs]

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "DemoRows.h"
#include "Error.h"
#include "Report.h"
#include "ReportLayouts.h"
#include "ReportView.h"
#include "RptReportViewer.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace orvane;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int rows = argc > 1 ? atoi(argv[1]) : 200000;
    const int runs = argc > 2 ? atoi(argv[2]) : 5;
    const QString layout = QStringLiteral("crpPurchaseRegisterIW");

    QElapsedTimer timer;
    timer.start();
    const auto rs = bench::demoRows(bench::layoutColumns(layout), rows);
    std::printf("rows made: %d in %.0f ms\n", rows, timer.nsecsElapsed() / 1e6);

    std::vector<double> firstPaint;
    std::vector<double> allPages;
    int pages = 0;
    try {
        for (int run = 0; run < runs; ++run) {
            auto *viewer = new RptReportViewer;
            viewer->resize(1200, 900);
            viewer->ReportName = createReportLayout(layout);
            viewer->ReportName->object(QStringLiteral("Txtinvoice")).SetText(QStringLiteral("Invoiceno Between : 1 To 99999"));

            double painted = -1;
            double finished = -1;
            QEventLoop loop;
            QObject::connect(viewer->CRViewer91, &ReportView::pagePainted, &loop, [&](int page) {
                if (page == 0 && painted < 0)
                    painted = timer.nsecsElapsed() / 1e6;
                if (painted >= 0 && finished >= 0)
                    loop.quit();
            });
            QObject::connect(viewer->CRViewer91, &ReportView::paginationFinished, &loop, [&] {
                finished = timer.nsecsElapsed() / 1e6;
                if (painted >= 0)
                    loop.quit();
            });
            QTimer::singleShot(120000, &loop, &QEventLoop::quit);
            // From the rows in hand: binding them is part of the measured time.
            timer.restart();
            viewer->ReportName->Database().SetDataSource(*rs);
            viewer->show();
            loop.exec();
            pages = viewer->CRViewer91->pageCount();
            if (run == 0) {
                // A search that finds nothing walks every page once.
                QElapsedTimer search;
                search.start();
                const bool found = viewer->CRViewer91->findNext(QStringLiteral("no such text"));
                std::printf("search without a hit over %d pages: %.0f ms%s\n", pages,
                            search.nsecsElapsed() / 1e6, found ? " (found?)" : "");
            }
            firstPaint.push_back(painted);
            allPages.push_back(finished);
            std::printf("run %d: page 1 painted %.1f ms, %d pages final %.1f ms\n", run + 1, painted, pages,
                        finished);
            viewer->close();
            QCoreApplication::processEvents();
        }
    } catch (const Error &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }
    std::sort(firstPaint.begin(), firstPaint.end());
    std::sort(allPages.begin(), allPages.end());
    std::printf("median over %d runs: page 1 painted %.1f ms (target 500), all %d pages %.1f ms\n", runs,
                firstPaint[firstPaint.size() / 2], pages, allPages[allPages.size() / 2]);
    return 0;
}
