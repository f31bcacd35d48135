#include "RptPurchaseReturnSummary.h"

namespace orvane {

RptPurchaseReturnSummary::RptPurchaseReturnSummary(QWidget *parent)
    : ReportWindow(Controls{}, parent)
{
    setObjectName(QStringLiteral("RptPurchaseReturnSummary"));
}

} // namespace orvane
