#include "RptPurchaseReturnSummary.h"

#include "Error.h"
#include "Report.h"
#include "SchVendors.h"
#include "SharedState.h"

#if __has_include("crpPurchaseReturnSummary.h")
#include "crpPurchaseReturnSummary.h"
#define ORVANE_HAVE_RETURN_SUMMARY_LAYOUT 1
#endif

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
#ifdef ORVANE_HAVE_RETURN_SUMMARY_LAYOUT
    return std::make_unique<crpPurchaseReturnSummary>();
#else
    throw Error(QStringLiteral("The layout crpPurchaseReturnSummary is not built in."),
                QStringLiteral("Orvane"));
#endif
}

} // namespace orvane
