#include "pmtPurchaseSummary.h"

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

} // namespace orvane
