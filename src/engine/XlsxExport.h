#pragma once

#include "Printing.h"   // ExportProgress

#include <QDate>
#include <QString>

#include <vector>

namespace orvane {

class Report;
class Table;

/// Writes `rowOrder` (0-based Table rows, in that order) of `table` to
/// `fileName` as a one-sheet workbook: a bold header row of the column names,
/// numbers as number cells (fractional columns shown #,##0.00), dates as date
/// cells shown dd/mm/yyyy, text as text. The header row stays frozen.
///
/// Written beside the target and renamed into place when complete, so a
/// failure or a cancel leaves any existing file untouched and no partial file
/// behind. Returns false when `progress` cancelled; throws Error when the file
/// cannot be written or the rows do not fit one sheet.
bool exportXlsx(const Table &table, const std::vector<int> &rowOrder, const QString &fileName,
                const ExportProgress &progress = {}, const QString &sheetName = QString());

/// The report's bound rows in report order; the sheet is named after the
/// document title (the window's caption), else the title set at run time
/// ("Report" when neither was set). Throws Error when no rows are bound.
bool exportXlsx(const Report &report, const QString &fileName, const ExportProgress &progress = {});

/// The day number of `date` in the sheet format's 1900 date system (1 = 1 January 1900).
double xlsxSerialDay(const QDate &date);

} // namespace orvane
