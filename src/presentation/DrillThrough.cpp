#include "DrillThrough.h"

#include "Error.h"
#include "MessageBox.h"
#include "Recordset.h"
#include "Report.h"
#include "ReportPreparation.h"
#include "ReportPresenter.h"
#include "SharedState.h"
#include "ShowError.h"
#include "ViewerPresenter.h"

#include <QApplication>

namespace orvane {

namespace {

// The application's busy pointer while the detail is read, as the viewer shows it while it lays out.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { end(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
    void end()
    {
        if (m_busy)
            QApplication::restoreOverrideCursor();
        m_busy = false;
    }

private:
    bool m_busy = true;
};

} // namespace

std::optional<DrillThrough::Request> DrillThrough::request(const QString &target, const QString &value,
                                                           const Report &source)
{
    const ReportDefinition *definition = findReportByCommandName(target);
    if (!definition)
        return std::nullopt;
    Request request;
    request.kind = definition->kind;
    request.parameters.from = source.fromDate();
    request.parameters.to = source.toDate();
    if (definition->headings & InvoiceHeading) {
        // One document: the number range from it to it.
        request.parameters.fromNo = value;
        request.parameters.toNo = value;
    } else {
        request.parameters.code = value;
    }
    return request;
}

QWidget *DrillThrough::open(const QString &target, const QString &value, const Report &source)
{
    try {
        const std::optional<Request> wanted = request(target, value, source);
        if (!wanted)
            throw Error(QStringLiteral("The link leads to \"%1\", which is no report.").arg(target),
                        QStringLiteral("Report viewer"));
        const ReportDefinition &definition = reportDefinition(wanted->kind);
        const ReportParameters &parameters = wanted->parameters;
        const std::shared_ptr<Connection> connection = SharedState::current().SharedConnection;
        const ReportPreparation preparation(wanted->kind, connection);

        // The name box of the window: filled by looking the code up, as
        // leaving the code box does.
        QString codeName;
        if (!parameters.code.isEmpty())
            codeName = lookupName(wanted->kind, parameters.code, connection).value_or(QString());
        else if (definition.codeKind == CodeKind::Company)
            codeName = QString::fromLatin1(messages::AllCompanies);
        if (const std::optional<ParameterRefusal> refusal = preparation.check(parameters, codeName)) {
            MsgBox(refusal->message, refusal->style, refusal->title);
            return nullptr;
        }

        BusyCursor busy;
        const std::shared_ptr<Recordset> rows = preparation.readRows(preparation.sql(parameters), nullptr);
        if (rows->isBOF()) {
            busy.end();
            MsgBox(definition.noRecordMessage, vbInformation, definition.noRecordTitle);
            return nullptr;
        }
        std::unique_ptr<Report> report = preparation.makeReport(parameters, codeName, *rows);
        busy.end();
        ViewerPresenter::install();
        return SharedState::current().reportPresenter()->showReport(std::move(report),
                                                                    definition.caption + QStringLiteral(" ReportName"));
    } catch (...) {
        ShowError();
        return nullptr;
    }
}

} // namespace orvane
