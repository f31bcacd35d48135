#include "PdfExport.h"

#include "Error.h"
#include "Report.h"

#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>

namespace orvane {

bool exportPdf(const Report &report, const QString &file, const ExportProgress &progress)
{
    return exportPdf(report.paginate(), file, progress);
}

bool exportPdf(const Document &document, const QString &file, const ExportProgress &progress)
{
    const QString source = QStringLiteral("Report engine");
    // QSaveFile writes beside the target and renames on commit: a cancelled
    // or failed export leaves no half-written file behind.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Cannot write %1: %2").arg(QFileInfo(file).fileName(), out.errorString()), source);
    bool done = false;
    {
        QPdfWriter writer(&out);
        writer.setCreator(QStringLiteral("Orvane"));
        writer.setTitle(document.content->title.trimmed());
        writer.setResolution(1200);
        done = paintDocument(writer, document, 0, -1, progress);
    }
    if (!done) {
        out.cancelWriting();
        return false;
    }
    if (!out.commit())
        throw Error(QStringLiteral("Cannot write %1: %2").arg(QFileInfo(file).fileName(), out.errorString()), source);
    return true;
}

} // namespace orvane
