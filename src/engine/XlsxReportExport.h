#pragma once

#include "Printing.h"   // ExportProgress

#include <QString>

namespace orvane {

class Report;

/// Writes the report as the user reads it on paper into a one-sheet workbook
/// ("Excel, as printed"), built from the laid-out document and its layout:
///
/// - the report header's texts (company name, title, date and range headings),
///   one row per line of the band;
/// - the column titles of the page header as a bold row, frozen and repeated
///   as print titles (headings that span several columns above it, merged);
///   one column per field of the detail band, as wide as printed;
/// - each group's header row (its texts joined as printed), its lines, and its
///   footer's totals as SUBTOTAL(9, ...) formulas over the group's lines; the
///   report footer's totals as formulas over all lines. Every formula carries
///   the page model's total as its cached value, so a reader that does not
///   calculate shows the printed figure;
/// - number formats, fonts and alignment as printed; groups fold through row
///   outline levels (lines one level deeper than their group's header and
///   totals); landscape when the report is, one page wide.
///
/// Page headers and footers (page numbers, print date) and bands without a
/// figure or field in their footers (signature lines) are left out.
/// Written beside the target and renamed into place. Returns false when
/// `progress` (pages done of all) cancelled; throws Error when the file
/// cannot be written.
bool exportXlsxReport(const Document &document, const QString &fileName, const ExportProgress &progress = {});
/// Lays the report out first.
bool exportXlsxReport(const Report &report, const QString &fileName, const ExportProgress &progress = {});

} // namespace orvane
