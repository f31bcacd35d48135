#include "RptProductWisePurchases.h"

#include "DateBox.h"
#include "MessageBox.h"
#include "Recordset.h"
#include "Report.h"
#include "ReportPresenter.h"
#include "ShowError.h"

#include <QLineEdit>

#include <memory>

namespace orvane {

namespace {

ReportWindow::Controls productWiseControls()
{
    ReportWindow::Controls controls;
    controls.kind = ReportKind::ProductWisePurchases;
    controls.fromDateName = QStringLiteral("DtpFrom");
    controls.toDateName = QStringLiteral("DtpTo");
    controls.fromLabelName = QStringLiteral("Label4");
    controls.toLabelName = QStringLiteral("Label1");
    controls.codeBoxName = QStringLiteral("TxtCompanyID");
    controls.nameBoxName = QStringLiteral("TxtCompanyName");
    controls.lookupButtonName = QStringLiteral("Btnschgroup");
    controls.codeLabel = QStringLiteral("Company ID.");
    controls.codeLabelName = QStringLiteral("Label12");
    controls.nameLabel = QStringLiteral("Company Name");
    controls.nameLabelName = QStringLiteral("Label2");
    controls.codeMaxLength = 2;
    controls.nameMaxLength = 60;
    controls.previewText = QStringLiteral("Preview");
    controls.printText = QStringLiteral("Print");
    controls.closeText = QStringLiteral("Close");
    return controls;
}

QString allCompanies()
{
    return QString::fromLatin1(messages::AllCompanies);
}

} // namespace

RptProductWisePurchases::RptProductWisePurchases(QWidget *parent)
    : ReportWindow(productWiseControls(), parent)
{
    setObjectName(QStringLiteral("RptProductWisePurchases"));
}

void RptProductWisePurchases::loadStep()
{
    if (codeBox()->text().isEmpty())
        nameBox()->setText(allCompanies());
    ReportWindow::loadStep();
}

bool RptProductWisePurchases::f1Lookup()
{
    // A cancelled dialog leaves the boxes and the focus where they were.
    if (!ReportWindow::f1Lookup())
        return false;
    fromDate()->setFocus(Qt::OtherFocusReason);
    return true;
}

void RptProductWisePurchases::codeBoxChanged(const QString &text)
{
    // A new code keeps the old name until the code is validated.
    if (text.isEmpty())
        nameBox()->setText(allCompanies());
}

bool RptProductWisePurchases::RunQuery()
{
    try {
        if (!checkParameters())
            return false;
        readReportRows();
        return true;
    } catch (...) {
        ShowError();
        return false;
    }
}

void RptProductWisePurchases::BindReport()
{
    try {
        makeReport();
    } catch (...) {
        ShowError();
    }
}

bool RptProductWisePurchases::PrepareReport()
{
    if (!RunQuery() || ReportRecordset().RecordCount() == 0)
        return false;
    BindReport();
    return preparedReport() != nullptr;
}

void RptProductWisePurchases::previewFlow()
{
    try {
        auto busy = std::make_unique<BusyPointer>(this);
        if (!RunQuery())
            return;
        if (ReportRecordset().RecordCount() == 0) {
            busy.reset();
            MsgBox(QString::fromLatin1(messages::NoRecordFound), vbInformation, QStringLiteral("Information"));
            codeBox()->clear();
            return;
        }
        BindReport();
        // The hourglass would otherwise stand over the report while it is read.
        busy.reset();
        if (preparedReport())
            presenter().showReportModal(takeReport(), this);
    } catch (...) {
        ShowError();
    }
}

void RptProductWisePurchases::printFlow()
{
    try {
        BusyPointer busy(this);
        if (!RunQuery())
            return;
        if (ReportRecordset().RecordCount() == 0) {
            MsgBox(QString::fromLatin1(messages::NoRecordFound), vbInformation, QStringLiteral("Information"));
            return;
        }
        BindReport();
        const std::unique_ptr<Report> report = takeReport();
        if (!report)
            return;   // BindReport has said why; a half-bound report is not printed
        report->RemoveObjectColors();
        report->PrintOut();
    } catch (...) {
        ShowError();
    }
}

} // namespace orvane
