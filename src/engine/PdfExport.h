#pragma once

#include "Printing.h"

#include <QString>

namespace orvane {

class Report;

/// Writes the report as PDF (embedded, searchable text). The file appears only
/// on success: the pages go to a temporary file that is renamed at the end,
/// so a cancelled or failed export leaves no partial file.
/// Returns false when cancelled; throws Error when the file cannot be written.
bool exportPdf(const Report &report, const QString &file, const ExportProgress &progress = {});
bool exportPdf(const Document &document, const QString &file, const ExportProgress &progress = {});

} // namespace orvane
