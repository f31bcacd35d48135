#include "ReportPreparation.h"

#include "Connection.h"
#include "MessageStyle.h"
#include "Recordset.h"
#include "Report.h"
#include "ReportLayouts.h"

namespace orvane {

ReportPreparation::ReportPreparation(ReportKind kind, std::shared_ptr<Connection> connection)
    : m_kind(kind)
    , m_connection(std::move(connection))
{
}

const ReportDefinition &ReportPreparation::definition() const
{
    return reportDefinition(m_kind);
}

std::optional<ParameterRefusal> ReportPreparation::check(const ReportParameters &parameters,
                                                         const QString &codeName) const
{
    if (std::optional<ParameterRefusal> refusal = checkReportParameters(m_kind, parameters))
        return refusal;
    if (definition().codeRequired && codeName.trimmed().isEmpty())
        return ParameterRefusal{QString::fromLatin1(messages::ProductCodeDoesntExist), vbExclamation,
                                definition().caption, ParameterInput::Code};
    return std::nullopt;
}

QString ReportPreparation::sql(const ReportParameters &parameters) const
{
    Connection::require(m_connection);
    return reportSql(m_kind, parameters, *m_connection);
}

std::shared_ptr<Recordset> ReportPreparation::readRows(const QString &sql, std::shared_ptr<Recordset> reuse) const
{
    Connection::require(m_connection);
    if (m_kind == ReportKind::ProductWisePurchases)
        return m_connection->Execute(sql);
    if (!reuse)
        reuse = std::make_shared<Recordset>();
    if (reuse->State() == Recordset::adStateOpen)
        reuse->Close();
    reuse->Open(sql, m_connection, Recordset::adOpenStatic, Recordset::adLockReadOnly, -1);
    return reuse;
}

std::unique_ptr<Report> ReportPreparation::makeReport(const ReportParameters &parameters, const QString &codeName,
                                                      const Recordset &rows) const
{
    std::unique_ptr<Report> report = createReportLayout(definition().layoutClass);
    fillReport(*report, parameters, codeName, rows);
    return report;
}

void ReportPreparation::fillReport(Report &report, const ReportParameters &parameters, const QString &codeName,
                                   const Recordset &rows) const
{
    applyHeadings(report, m_kind, parameters, codeName, m_connection, rows);
    // The product-wise report names its one table as the host's own code did.
    if (m_kind == ReportKind::ProductWisePurchases)
        report.Database().SetDataSource(rows, 3, 1);
    else
        report.Database().SetDataSource(rows);
}

} // namespace orvane
