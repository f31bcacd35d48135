#include "RptPurchaseReturnSummary.h"

#include "SchVendors.h"
#include "SharedState.h"
#include "crpPurchaseReturnSummary.h"

namespace orvane {

RptPurchaseReturnSummary::RptPurchaseReturnSummary(QWidget *parent)
    : ReportWindow(Controls{}, parent)
{
    setObjectName(QStringLiteral("RptPurchaseReturnSummary"));
}

ReportWindow::LookupChoice RptPurchaseReturnSummary::showLookup(QWidget *owner)
{
    auto *dialog = SharedState::current().window<SchVendors>();
    dialog->showModal(owner);
    return {dialog->ParaOutVendorID, dialog->ParaOutVendorName};
}

std::unique_ptr<Report> RptPurchaseReturnSummary::createReport() const
{
    return std::make_unique<crpPurchaseReturnSummary>();
}

} // namespace orvane
