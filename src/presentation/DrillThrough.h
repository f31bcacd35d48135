#pragma once

#include "ReportDefinition.h"
#include "ReportQueries.h"

#include <optional>

class QWidget;

namespace orvane {

class Report;

/// Follows a link of a report on screen to the report that details it: an
/// invoice or return number to its register for that one document, a product
/// to its ledger, always over the date range of the report shown. The detail
/// is prepared as its own window prepares it (ReportPreparation: the same
/// checks, query, headings and messages), but that window is never shown.
class DrillThrough
{
public:
    /// What a link opens.
    struct Request
    {
        ReportKind kind = ReportKind::PurchaseSummary;
        ReportParameters parameters;
    };

    /// The report a link with `target` (a report's command name) and `value`
    /// opens from `source`: the source's date range, and the value as the
    /// register's number range (from and to alike) or as the report's code.
    /// Nothing when `target` names no report.
    static std::optional<Request> request(const QString &target, const QString &value, const Report &source);

    /// Prepares the report `target` and `value` lead to from `source` over the
    /// thread's shared connection and shows it in a new viewer, captioned as
    /// its window's Preview captions it ("Purchase Register (Invoicewise)
    /// ReportName"). A refusal, "No record exists." or an error is shown as
    /// the window shows it (MsgBox, ShowError) and nothing opens. Returns the
    /// new viewer, or null. Never throws.
    static QWidget *open(const QString &target, const QString &value, const Report &source);
};

} // namespace orvane
