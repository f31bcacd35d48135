#include "Printing.h"

#include "Error.h"
#include "PagePainter.h"
#include "PdfExport.h"

#include <QApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>

namespace orvane {

namespace {

const QString kSource = QStringLiteral("Report engine");

PrintHandler &currentHandler()
{
    static PrintHandler handler;
    return handler;
}

} // namespace

void setPrintHandler(PrintHandler handler)
{
    currentHandler() = std::move(handler);
}

void print(const Document &document, const PrintJob &job)
{
    if (currentHandler())
        currentHandler()(document, job);
    else
        printToSystemPrinter(document, job);
}

bool isPrinterInstalled(const QString &name)
{
    return !name.isEmpty() && QPrinterInfo::availablePrinterNames().contains(name);
}

bool paintDocument(QPagedPaintDevice &device, const Document &document, int fromPage, int toPage,
                   const ExportProgress &progress)
{
    const int last = document.pageCount() - 1;
    if (toPage < 0 || toPage > last)
        toPage = last;
    fromPage = qBound(0, fromPage, qMax(0, last));
    if (auto *printer = dynamic_cast<QPrinter *>(&device))
        printer->setFullPage(true);   // our origin is the paper's corner; margins are the layout's
    device.setPageLayout(document.layout().pageLayout());

    QPainter painter;
    if (!painter.begin(&device))
        throw Error(QStringLiteral("The report could not be started on the printer or file."), kSource);
    PagePainter pages(document);
    const int total = toPage - fromPage + 1;
    for (int page = fromPage; page <= toPage; ++page) {
        if (page > fromPage)
            device.newPage();
        pages.paint(painter, page);
        if (progress && !progress(page - fromPage + 1, total)) {
            painter.end();
            return false;
        }
    }
    painter.end();
    return true;
}

void printToSystemPrinter(const Document &document, const PrintJob &job)
{
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        throw Error(QStringLiteral("No printer is installed. Install a printer, or export the report to PDF instead."),
                    kSource);
    QPrinter printer(QPrinter::HighResolution);
    if (isPrinterInstalled(job.printerName))
        printer.setPrinterName(job.printerName);
    printer.setDocName(job.documentName);
    printer.setFullPage(true);
    printer.setPageLayout(document.layout().pageLayout());

    int from = 0, to = -1;
    if (job.prompt) {
        QPrintDialog dialog(&printer, QApplication::activeWindow());
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setMinMax(1, qMax(1, document.pageCount()));
        if (dialog.exec() != QDialog::Accepted)
            return;
        if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
            from = printer.fromPage() - 1;
            to = printer.toPage() - 1;
        }
    }

    QProgressDialog bar(QStringLiteral("Printing..."), QStringLiteral("Cancel"), 0, 100, QApplication::activeWindow());
    bar.setWindowModality(Qt::WindowModal);
    bar.setMinimumDuration(500);
    const ExportProgress progress = [&bar](int done, int total) {
        bar.setMaximum(total);
        bar.setValue(done);
        QCoreApplication::processEvents();
        return !bar.wasCanceled();
    };
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        // Printed to a file: the engine's own PDF, with the report's bookmarks.
        exportPdf(document, printer.outputFileName(), progress, from, to);
        return;
    }
    const bool done = paintDocument(printer, document, from, to, progress);
    if (!done)
        printer.abort();
    else if (printer.printerState() == QPrinter::Error)
        throw Error(QStringLiteral("The printer %1 reported an error.").arg(printer.printerName()), kSource);
}

} // namespace orvane
