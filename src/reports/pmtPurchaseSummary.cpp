#include "pmtPurchaseSummary.h"

#include "crpPurchaseSummary.h"
#include "Report.h"
#include "SchVendors.h"
#include "SharedState.h"

namespace orvane {

namespace {

ReportWindow::Controls summaryControls()
{
    ReportWindow::Controls controls;
    controls.kind = ReportKind::PurchaseSummary;
    return controls;
}

} // namespace

pmtPurchaseSummary::pmtPurchaseSummary(QWidget *parent)
    : ReportWindow(summaryControls(), parent)
{
    setObjectName(QStringLiteral("pmtPurchaseSummary"));
}

ReportWindow::LookupChoice pmtPurchaseSummary::showLookup(QWidget *owner)
{
    auto *dialog = SharedState::current().window<SchVendors>();
    dialog->showModal(owner);
    return {dialog->ParaOutVendorID, dialog->ParaOutVendorName};
}

std::unique_ptr<Report> pmtPurchaseSummary::createReport() const
{
    return std::make_unique<crpPurchaseSummary>();
}

} // namespace orvane
