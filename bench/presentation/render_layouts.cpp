// Renders each report layout over demo rows to PDF so the layouts can be
// looked at, and a picture of the viewer window showing the invoice-wise
// register: render_layouts <output dir> [rows]. Prints the time per layout.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTest>

#include "DemoRows.h"
#include "Error.h"
#include "PdfExport.h"
#include "Report.h"
#include "ReportLayouts.h"
#include "ReportView.h"
#include "RptReportViewer.h"

#include <cstdio>

using namespace orvane;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const int rows = argc > 2 ? atoi(argv[2]) : 70;
    QDir().mkpath(dir);
    try {
        for (const QString &name : reportLayoutNames()) {
            QElapsedTimer timer;
            timer.start();
            std::unique_ptr<Report> report = createReportLayout(name);
            auto set = [&report](const char *object, const QString &text) {
                try {
                    report->object(QString::fromLatin1(object)).SetText(text);
                } catch (const Error &) {
                    // not every layout has every heading
                }
            };
            set("txtCompName", QStringLiteral("Orvane Demo Pharmaceuticals (Pvt) Ltd"));
            set("txtDate", QStringLiteral("Date Between : 01-Apr-2024 To 31-Mar-2025"));
            set("txtProduct", QStringLiteral("Product : 2003   Cough Syrup 120ml"));
            set("Txtinvoice", QStringLiteral("Invoiceno Between : 1 To 99999"));
            if (report->parameterCount() == 3) {
                report->setReportTitle(QStringLiteral("Product Wise Purchase "));
                report->ParameterFields(1).AddCurrentValue(QStringLiteral("Company Id - 12"));
                report->ParameterFields(2).AddCurrentValue(QStringLiteral("From : 01/04/2024,   To : 31/03/2025"));
                report->ParameterFields(3).AddCurrentValue(QStringLiteral("Company Name - Crescent Chemicals"));
                report->setPaperOrientation(Report::crLandscape);
            }
            const auto rs = bench::demoRows(bench::layoutColumns(name), rows);
            report->Database().SetDataSource(*rs);
            const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".pdf");
            exportPdf(*report, file);
            std::printf("%-28s %6d rows  %7.1f ms  %s\n", qPrintable(name), rows,
                        timer.nsecsElapsed() / 1e6, qPrintable(file));
        }
        RptReportViewer viewer;
        viewer.resize(1100, 720);
        viewer.ReportName = createReportLayout(QStringLiteral("crpPurchaseRegisterIW"));
        viewer.ReportName->object(QStringLiteral("Txtinvoice"))
            .SetText(QStringLiteral("Invoiceno Between : 1 To 99999"));
        const auto rs = bench::demoRows(bench::layoutColumns(QStringLiteral("crpPurchaseRegisterIW")), rows);
        viewer.ReportName->Database().SetDataSource(*rs);
        viewer.setWindowTitle(QStringLiteral("Purchase Register (Invoicewise) ReportName"));
        viewer.show();
        if (!QTest::qWaitFor([&viewer] { return !viewer.CRViewer91->isPaginating(); }, 10000))
            std::fprintf(stderr, "the layout did not finish in 10 s\n");
        viewer.CRViewer91->findNext(QStringLiteral("Cough Syrup"));
        QTest::qWait(100);
        const QString shot = dir + QStringLiteral("/viewer.png");
        viewer.grab().save(shot);
        std::printf("viewer window: %s\n", qPrintable(shot));
    } catch (const Error &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
