#pragma once

#include "Printing.h"   // ExportProgress

#include <QString>

#include <vector>

namespace orvane {

class Report;
class Table;

/// Writes `rowOrder` (0-based Table rows, in that order) of `table` to `fileName`
/// as CSV: a header of the column names as the query returned them, UTF-8
/// without byte order mark, RFC 4180 quoting, CRLF line ends, numbers as plain
/// decimals with a point (1234.5, -0.75), dates as yyyy-MM-dd.
///
/// The file is written beside its target and renamed into place when complete,
/// so a failure or a cancel leaves any existing file untouched and no partial
/// file behind. `progress` gets rows written and rows in all. Returns false
/// when `progress` cancelled; throws Error when the file cannot be written.
bool exportCsv(const Table &table, const std::vector<int> &rowOrder, const QString &fileName,
               const ExportProgress &progress = {});

/// The report's bound rows in report order. Throws Error when no rows are bound.
bool exportCsv(const Report &report, const QString &fileName, const ExportProgress &progress = {});

/// One CSV field as written: quoted when it holds a comma, quote, CR or LF.
QString csvField(const QString &text);

/// A number as a person writes it, for the CSV and the workbook alike: its
/// decimal rounded to at most six places (fewer when it has more than 15
/// significant digits), trailing zeros dropped, never in exponent notation,
/// no grouping ("42399.42", "4342.338333", "12", "-0.75"; not
/// "42399.42000000016"). "" for infinity and NaN.
QString plainNumber(double value);

} // namespace orvane
