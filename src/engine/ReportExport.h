#pragma once

#include "Printing.h"   // ExportProgress

#include <QString>

#include <optional>

namespace orvane {

class Document;
class Report;

/// What a report can be saved as.
enum class ExportFormat {
    Pdf,          // the pages, as printed
    Csv,          // the bound rows
    Xlsx,         // the bound rows, one sheet
    XlsxReport,   // the report as printed, one sheet with its headings and totals
};

/// The format called `name` on the command line ("pdf", "csv", "xlsx",
/// "xlsx-report", in any case); none for another name.
std::optional<ExportFormat> exportFormatFromName(const QString &name);
/// The format a file's suffix stands for (.pdf, .csv, .xlsx in any case; an
/// .xlsx file gets the rows); none for another suffix or none.
std::optional<ExportFormat> exportFormatFromFileName(const QString &fileName);
/// "pdf, csv, xlsx, xlsx-report": the names exportFormatFromName() takes.
QString exportFormatNames();
/// Whether an export in `format` reports its progress in pages (else in rows).
bool exportCountsPages(ExportFormat format);

/// Writes `report` to `fileName` in `format`: the one dispatch of the viewer
/// and the command-line tool. `laidOut`, when given, is the report's finished
/// document; the formats that show pages use it rather than lay the report
/// out again. Returns false when `progress` cancelled; throws Error when the
/// file cannot be written (the target then untouched).
bool exportReport(const Report &report, ExportFormat format, const QString &fileName,
                  const ExportProgress &progress = {}, const Document *laidOut = nullptr);

} // namespace orvane
