#pragma once

#include "ReportQueries.h"

#include <QString>

#include <memory>
#include <optional>

namespace orvane {

class Connection;
class Recordset;
class Report;

/// Prepares one report without any window, the one way every report window
/// and the command-line tool do it: the parameters checked, the SQL built, the
/// rows read, a report of the kind's layout made, its headings set and the
/// rows bound. Each step is its own call, so a window can show its messages
/// and its busy pointer between them and the tool its progress.
class ReportPreparation
{
public:
    /// `connection` may be null until a step needs the database: that step then
    /// throws the data layer's "no connection" Error.
    ReportPreparation(ReportKind kind, std::shared_ptr<Connection> connection);

    ReportKind kind() const { return m_kind; }
    const ReportDefinition &definition() const;

    /// What stops the preparation before any query, as the user is told it:
    /// checkReportParameters, then, for a report that needs its code, "Product
    /// Code doesn't exist." when `codeName` is blank (the code named nothing).
    /// Nothing when everything passes.
    std::optional<ParameterRefusal> check(const ReportParameters &parameters, const QString &codeName) const;

    /// The report query over the parameters. Throws Error when check() would
    /// refuse them.
    QString sql(const ReportParameters &parameters) const;

    /// Runs `sql` and returns the recordset holding its rows: `reuse` closed
    /// and reopened over it (static, read-only; a new one when null), or, for
    /// the product-wise report, the recordset the connection's Execute returns.
    /// Throws Error.
    std::shared_ptr<Recordset> readRows(const QString &sql, std::shared_ptr<Recordset> reuse) const;

    /// A new report of the kind's layout over `rows`: its document title and
    /// date range, the headings of the kind (applyHeadings; `codeName` is the
    /// name the code stands for) and the rows bound. Throws Error as the
    /// layout, the headings or the binding do.
    std::unique_ptr<Report> makeReport(const ReportParameters &parameters, const QString &codeName,
                                       const Recordset &rows) const;

    /// What makeReport does to the new report, on a report of any layout.
    void fillReport(Report &report, const ReportParameters &parameters, const QString &codeName,
                    const Recordset &rows) const;

private:
    ReportKind m_kind;
    std::shared_ptr<Connection> m_connection;
};

} // namespace orvane
