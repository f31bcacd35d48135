// CSV and Excel export of the invoice-wise register's rows: time and file
// size for 200,000 lines (or the count given). bench_Export [rows]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include "CsvExport.h"
#include "DemoRows.h"
#include "Error.h"
#include "XlsxExport.h"

#include <cstdio>
#include <numeric>

using namespace orvane;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? atoi(argv[1]) : 200000;
    const auto rs = bench::demoRows(bench::layoutColumns(QStringLiteral("crpPurchaseRegisterIW")), rows);
    const std::shared_ptr<const Table> table = rs->table();
    std::vector<int> order(size_t(table->rowCount()));
    std::iota(order.begin(), order.end(), 0);

    QTemporaryDir dir;
    try {
        for (const QString &kind : {QStringLiteral("csv"), QStringLiteral("xlsx")}) {
            const QString file = dir.filePath(QStringLiteral("register.") + kind);
            QElapsedTimer timer;
            timer.start();
            if (kind == QLatin1String("csv"))
                exportCsv(*table, order, file);
            else
                exportXlsx(*table, order, file);
            std::printf("%-4s %d rows x %d columns: %8.1f ms, %6.1f MB\n", qPrintable(kind), rows,
                        table->columnCount(), timer.nsecsElapsed() / 1e6,
                        QFileInfo(file).size() / 1048576.0);
        }
    } catch (const Error &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
