#include "pmtPurchaseSummary.h"

#include "Error.h"
#include "Report.h"
#include "SchVendors.h"
#include "SharedState.h"

#if __has_include("crpPurchaseSummary.h")
#include "crpPurchaseSummary.h"
#define ORVANE_HAVE_PURCHASE_SUMMARY_LAYOUT 1
#endif

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
#ifdef ORVANE_HAVE_PURCHASE_SUMMARY_LAYOUT
    return std::make_unique<crpPurchaseSummary>();
#else
    throw Error(QStringLiteral("The layout crpPurchaseSummary is not built in."), QStringLiteral("Orvane"));
#endif
}

} // namespace orvane
