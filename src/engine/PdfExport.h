#pragma once

#include "Printing.h"

#include <QString>

namespace orvane {

class Report;

/// Writes the report as PDF (embedded, searchable text). A report with
/// groups carries its outline (appendOutline(), outlineText()) as the PDF's
/// bookmarks, nested by group level, each showing its group's header at the
/// top of the view. The file appears only on success: the pages go to a file
/// beside the target that is renamed at the end, so a cancelled or failed
/// export leaves no partial file.
/// Returns false when cancelled; throws Error when the file cannot be written.
bool exportPdf(const Report &report, const QString &file, const ExportProgress &progress = {});
/// Pages [fromPage, toPage] of a laid-out document (0-based, inclusive; -1 =
/// the last); the bookmarks of groups that start on other pages are left out.
bool exportPdf(const Document &document, const QString &file, const ExportProgress &progress = {},
               int fromPage = 0, int toPage = -1);

} // namespace orvane
