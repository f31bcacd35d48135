#pragma once

#include "Document.h"

#include <QString>

#include <functional>

class QPagedPaintDevice;

namespace orvane {

/// Progress of an export or print: pages done of total. Return false to cancel.
using ExportProgress = std::function<bool(int done, int total)>;

/// What PrintOut asks of the printer function.
struct PrintJob
{
    QString printerName;     // "" = the system's default printer
    bool prompt = true;      // show the print dialog (printer, page range) first
    QString documentName;    // the spooler's job title
};

/// The one place printing goes through. Tests point it at a PDF file, since
/// the build machine has no printer. Throws Error on failure.
using PrintHandler = std::function<void(const Document &document, const PrintJob &job)>;

/// Replaces the printer function; an empty one restores the system printer.
void setPrintHandler(PrintHandler handler);
/// Sends `document` to the current printer function.
void print(const Document &document, const PrintJob &job);

/// The system printer function: no printer installed gives Error("No printer
/// is installed..."); with job.prompt the native print dialog picks printer
/// and page range (cancel prints nothing).
void printToSystemPrinter(const Document &document, const PrintJob &job);

/// Whether `name` is an installed printer.
bool isPrinterInstalled(const QString &name);

/// Paints pages [fromPage, toPage] (0-based, inclusive; -1 = last) onto a
/// device that is not yet painted on; sets its page layout from the document.
/// Returns false when cancelled through `progress`.
bool paintDocument(QPagedPaintDevice &device, const Document &document,
                   int fromPage = 0, int toPage = -1, const ExportProgress &progress = {});

} // namespace orvane
