// Report engine figures: pagination, page-model size, first page, the outline
// (the PDF's bookmarks), PDF export, beside a naive one-drawText-per-cell PDF
// baseline measured in the same run.
//
//   bench_engine [rows] [layout.json] [keep.pdf]
//   (defaults: 200000 rows, bench/engine/register13.json; pass
//    src/presentation/layouts/crpPurchaseRegisterIW.json for the shipped layout)

#include "Document.h"
#include "PagePainter.h"
#include "PaginationJob.h"
#include "Paginator.h"
#include "PdfExport.h"
#include "Report.h"
#include "Table.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

using namespace orvane;

namespace {

// The machine is shared: CPU seconds beside wall seconds tell load from cost.
double cpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

std::shared_ptr<const Table> makeRows(int rows)
{
    Table::Builder b({"purchaseid", "purchasedate", "billno", "vendorname", "productid", "productname", "qty", "bonus",
                      "price", "Grossvalue", "Totaldisc", "Salestax", "NetValue"});
    quint32 seed = 7;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    QStringList vendors, products;
    for (int i = 0; i < 400; ++i)
        vendors << QStringLiteral("Vendor %1 Trading Co").arg(i);
    for (int i = 0; i < 3000; ++i)
        products << QStringLiteral("Product %1 500g pack").arg(i);
    int invoice = 100000, left = 0;
    QDate day(2024, 1, 1);
    QString vendor;
    for (int r = 0; r < rows; ++r) {
        if (left == 0) {
            ++invoice;
            left = 1 + int(next() % 9);
            vendor = vendors[int(next() % 400)];
            if (next() % 4 == 0)
                day = day.addDays(1);
        }
        --left;
        const int p = int(next() % 3000);
        const double qty = 1 + next() % 200;
        const double price = double(100 + next() % 500000) / 100.0;
        const double gross = qty * price;
        const double disc = std::round(gross * (next() % 10)) / 100.0;
        const double tax = std::round(gross * 17) / 100.0;
        b.beginRow();
        b.setValue(0, invoice);
        b.setValue(1, day);
        b.setValue(2, QStringLiteral("B-%1").arg(invoice % 5000));
        b.setValue(3, vendor);
        b.setValue(4, p);
        b.setValue(5, products[p]);
        b.setValue(6, qty);
        b.setValue(7, double(next() % 5));
        b.setValue(8, price);
        b.setValue(9, gross);
        b.setValue(10, disc);
        b.setValue(11, tax);
        b.setValue(12, gross - disc + tax);
        b.endRow();
    }
    return b.finish();
}

// What a straightforward implementation does: shape every cell on every page.
int naivePdf(const Document &doc, const QString &file, int pages)
{
    QPdfWriter writer(file);
    writer.setResolution(1200);
    writer.setPageLayout(doc.layout().pageLayout());
    QPainter p(&writer);
    const double k = writer.logicalDpiX() / 25.4;
    int rows = 0;
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        p.save();
        p.scale(k, k);
        p.translate(doc.layout().margins.left(), doc.layout().margins.top());
        const PageEntry &pe = doc.pages[size_t(page)];
        for (int i = pe.first; i < pe.first + pe.count; ++i) {
            const Placement &pl = doc.placements[size_t(i)];
            const Section &s = doc.layout().sections[pl.section];
            rows += s.kind == SectionKind::Detail ? 1 : 0;
            for (int j = 0; j < int(s.objects.size()); ++j) {
                const LayoutObject &o = s.objects[size_t(j)];
                QFont f(o.font.family);
                f.setPointSizeF(o.font.size * 25.4 / writer.logicalDpiY());
                f.setBold(o.font.bold);
                p.setFont(f);
                p.drawText(o.rect.translated(0, pl.y), int(o.alignment), objectText(doc, page, pl, j));
            }
        }
        p.restore();
    }
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rowCount = argc > 1 ? atoi(argv[1]) : 200000;
    const QString layout = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                    : QStringLiteral(ORVANE_SOURCE_DIR "/bench/engine/register13.json");
    QTemporaryDir dir;
    QElapsedTimer t;

    t.start();
    auto table = makeRows(rowCount);
    std::printf("layout                          %s\n", qPrintable(QFileInfo(layout).fileName()));
    std::printf("rows built                      %d in %.2f s\n", rowCount, t.elapsed() / 1000.0);

    Report report(layout);
    report.setRows(table);

    // Rows arrive -> snapshot -> background pagination -> page 1 on an image.
    t.restart();
    {
        PaginationJob job(report);
        QEventLoop loop;
        double firstMs = 0;
        QObject::connect(&job, &PaginationJob::firstPageReady, &loop, [&] {
            const Document first = job.firstPage();
            QImage img(1, 1, QImage::Format_ARGB32_Premultiplied);
            img = QImage(pageSizePixels(first, img), QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::white);
            QPainter p(&img);
            paintPage(p, first, 0);
            firstMs = t.nsecsElapsed() / 1e6;
        });
        QObject::connect(&job, &PaginationJob::finished, &loop, &QEventLoop::quit);
        job.start();
        loop.exec();
        std::printf("page 1 on a QImage after rows  %.1f ms (target <= 500)\n", firstMs);
        std::printf("background pagination done     %.1f ms, %d pages\n", t.nsecsElapsed() / 1e6, job.document().pageCount());
    }

    std::shared_ptr<const ReportContent> content = report.content();
    double best = 1e9, bestCpu = 1e9;
    Document doc;
    for (int i = 0; i < 5; ++i) {
        t.restart();
        const double cpu0 = cpuSeconds();
        doc = Paginator(content).paginate();
        best = std::min(best, t.nsecsElapsed() / 1e6);
        bestCpu = std::min(bestCpu, (cpuSeconds() - cpu0) * 1000);
    }
    std::printf("pagination, every page         %.1f ms (best of 5; target <= 500), CPU %.1f ms, %d pages\n", best,
                bestCpu, doc.pageCount());
    std::printf("page model                     %.1f bytes per row (target <= 64)\n",
                double(doc.memoryUsage()) / std::max(1, rowCount));

    // The outline the PDF's bookmarks (and the viewer's outline pane) are made of.
    t.restart();
    std::vector<OutlineEntry> outline;
    appendOutline(doc, 0, outline);
    const double entriesMs = t.nsecsElapsed() / 1e6;
    QStringList titles;
    for (const OutlineEntry &e : outline)
        titles << outlineText(doc, e);
    std::printf("outline                        %d entries: %.1f ms to list, %.1f ms with their texts\n",
                int(outline.size()), entriesMs, t.nsecsElapsed() / 1e6);

    t.restart();
    double cpu = cpuSeconds();
    const QString pdf = dir.filePath(QStringLiteral("engine.pdf"));
    exportPdf(doc, pdf);
    const double engineS = t.nsecsElapsed() / 1e9;
    cpu = cpuSeconds() - cpu;
    std::printf("PDF export, engine             %.2f s, %.0f rows/s (target >= 15000), %.1f MB; CPU %.2f s = %.0f rows/s\n",
                engineS, rowCount / engineS, QFileInfo(pdf).size() / 1e6, cpu, rowCount / cpu);

    if (argc > 3)
        QFile::copy(pdf, QString::fromLocal8Bit(argv[3]));

    // The baseline takes long; a fifth of the pages gives its rate.
    const int basePages = std::max(1, doc.pageCount() / 5);
    t.restart();
    cpu = cpuSeconds();
    const int baseRows = naivePdf(doc, dir.filePath(QStringLiteral("naive.pdf")), basePages);
    const double baseS = t.nsecsElapsed() / 1e9;
    cpu = cpuSeconds() - cpu;
    std::printf("PDF export, naive drawText     %.0f rows/s (%d pages, %d rows in %.2f s); CPU %.2f s = %.0f rows/s\n",
                baseRows / baseS, basePages, baseRows, baseS, cpu, baseRows / cpu);
    return 0;
}
