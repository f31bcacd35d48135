#include "PdfExport.h"

#include "ExportFile.h"
#include "PdfCanvas_p.h"
#include "PdfObjectWriter_p.h"
#include "Report.h"

namespace orvane {

namespace {

const QString kSource = QStringLiteral("Report engine");

// The outline entries of pages [from, to], pointing at the objects of those pages.
std::vector<PdfBookmark> bookmarks(const Document &doc, int from, int to, const std::vector<int> &pageIds,
                                   double pageHeight)
{
    std::vector<OutlineEntry> entries;
    appendOutline(doc, from, entries);
    std::vector<PdfBookmark> marks;
    marks.reserve(entries.size());
    const double bodyTop = doc.layout().margins.top();
    for (const OutlineEntry &e : entries) {
        if (e.page > to)
            break;
        const double top = pageHeight - (bodyTop + doc.placements[size_t(e.placement)].y) * kPtPerMm;
        marks.push_back({outlineText(doc, e), pageIds[size_t(e.page - from)], top, e.level});
    }
    return marks;
}

} // namespace

bool exportPdf(const Report &report, const QString &file, const ExportProgress &progress)
{
    return exportPdf(report.paginate(), file, progress);
}

bool exportPdf(const Document &document, const QString &file, const ExportProgress &progress, int fromPage,
               int toPage)
{
    const int last = document.pageCount() - 1;
    if (toPage < 0 || toPage > last)
        toPage = last;
    fromPage = qBound(0, fromPage, qMax(0, toPage));

    ExportFile out(file, kSource);
    PdfObjectWriter writer(out);
    const int catalog = writer.reserve();
    PageRenderer renderer(document);
    PdfCanvas canvas(writer, renderer);
    std::vector<int> pageIds;
    const int total = toPage - fromPage + 1;
    for (int page = fromPage; page <= toPage; ++page) {
        pageIds.push_back(canvas.page(page));
        if (progress && !progress(page - fromPage + 1, total))
            return false;   // the file beside the target goes with `out`
    }
    const int pages = canvas.finish();
    const int outline = writer.outline(bookmarks(document, fromPage, toPage, pageIds, canvas.pageHeight()));
    writer.object(catalog, "<< /Type /Catalog /Pages " + PdfObjectWriter::ref(pages)
                               + (outline ? " /Outlines " + PdfObjectWriter::ref(outline) + " /PageMode /UseOutlines"
                                          : QByteArray())
                               + " >>");
    const ReportContent &c = *document.content;
    const int info = writer.reserve();
    writer.object(info, "<< /Title " + pdfTextString(!c.documentTitle.isEmpty() ? c.documentTitle : c.layout.name)
                            + " /Producer (Orvane) /Creator (Orvane) >>");
    writer.finish(catalog, info);
    out.commit();
    return true;
}

} // namespace orvane
